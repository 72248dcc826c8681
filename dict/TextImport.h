#pragma once
// Text files as people's editors write them: ANSI, UTF-8 or UTF-16 (either byte order), with or
// without a byte-order mark. The reader tells the encoding from the file's start, then hands the
// text out piece by piece as UTF-8 (an ANSI file read in the code page it is given), so a file of
// any size costs a few chunks of memory.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class CCodePage;

// What an import found in the file it was given.
struct TextImportReport {
    enum class Problem { None, Unreadable, Empty, NotText };
    Problem problem = Problem::None;
    std::string encoding;   // "ANSI", "UTF-8", "UTF-16LE", "UTF-16BE" of a read file
    int unconvertible = 0;  // broken sequences and unpaired surrogates, left out
    bool tagged = false;    // the entry import met a tag: the file is no word list
};

class CTextImportReader {
public:
    // ansiCodePage: what a file that is neither UTF-8 nor UTF-16 is read in.
    explicit CTextImportReader(const CCodePage& ansiCodePage);
    ~CTextImportReader();
    CTextImportReader(const CTextImportReader&) = delete;
    CTextImportReader& operator=(const CTextImportReader&) = delete;

    // Opens the file and decides its encoding. False, with the report's problem set, for a file
    // that cannot be read, holds nothing (or only a byte-order mark), or is not text. On success
    // the report holds the encoding.
    bool Open(const std::string& path, TextImportReport& report);
    // Copies up to `capacity` bytes of UTF-8 into `buffer`, whole characters only (given room for
    // one, 4 bytes); 0 at the end of the file.
    std::size_t Read(char* buffer, std::size_t capacity);
    // What was left out so far: broken UTF-8 sequences, unpaired surrogates, bytes the ANSI code
    // page does not read.
    int Unconvertible() const { return m_unconvertible; }
    // The size of the open file in bytes (0 where the system does not tell it).
    std::uint64_t FileBytes() const { return m_fileBytes; }

private:
    enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    TextImportReport::Problem Inspect(std::size_t& dataStart);
    static Encoding GuessByZeros(const unsigned char* bytes, std::size_t count);
    bool IsValidUtf8FromHere(const std::string& start);
    bool Refill();
    void DecodeUtf8(bool atEnd);
    void DecodeUtf16(bool atEnd);
    void DecodeAnsi(bool atEnd);

    const CCodePage& m_ansiCodePage;
    std::unique_ptr<std::FILE, FileCloser> m_file;
    Encoding m_encoding = Encoding::Ansi;
    std::string m_raw;        // undecoded bytes: a split sequence carried over, then the next chunk
    std::u16string m_wide;    // a decoded chunk of UTF-16 or ANSI
    std::string m_converted;  // the chunk in UTF-8, handed out from m_position
    std::size_t m_position = 0;
    bool m_atEnd = false;
    int m_unconvertible = 0;
    std::uint64_t m_fileBytes = 0;
};
