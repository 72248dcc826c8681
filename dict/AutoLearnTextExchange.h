#pragma once
// Import and export of the AutoLearn records as tab-separated text lines. Exports are UTF-8 (with
// a byte-order mark, so that editors and spreadsheets take them as UTF-8); imports read ANSI
// (the given code page), UTF-8 and UTF-16 of either byte order, with or without a mark.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dict/AutoLearnRecord.h"

class CAutoLearnDictionary;
class CCodePage;
namespace pvbase {
class FileHandle;
}

// One "text<TAB>count" line per record (CR LF). The progress callback is told the number of lines
// done every 10 lines; it returns false to cancel (import only). Both return the number of lines
// taken, 0 when the file cannot be opened. Import adds a line's count to the record of a text the
// store holds, appends the others, and stops at the end of the file, at the first empty line, on
// cancel or when a write fails. An ANSI file is read in the system's code page.
using AutoLearnTextProgress = std::function<bool(int done)>;
int ExportAutoLearnText(const CAutoLearnDictionary& store, const std::string& path,
                        const AutoLearnTextProgress& progress = nullptr);
int ImportAutoLearnText(CAutoLearnDictionary& store, const std::string& path,
                        const AutoLearnTextProgress& progress = nullptr);
// One import line: the text before the last tab and the count after it; the whole line with
// count 1 when there is no tab or the tab comes first.
AutoLearnRecord ParseAutoLearnLine(std::string_view line);
// What an export file starts with.
constexpr char kAutoLearnTextMark[] = "\xEF\xBB\xBF";

// The lines of an import file in UTF-8, read in pieces. A line longer than the bound is cut (the
// rest is skipped, but its last tab and count are kept): a stored text holds 511 bytes.
class CAutoLearnTextReader {
public:
    enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };
    static constexpr std::size_t kMaxLine = 4096;

    explicit CAutoLearnTextReader(const CCodePage& ansiCodePage);
    ~CAutoLearnTextReader();
    CAutoLearnTextReader(const CAutoLearnTextReader&) = delete;
    CAutoLearnTextReader& operator=(const CAutoLearnTextReader&) = delete;

    // Opens the file and tells its encoding from a byte-order mark, from zero bytes (UTF-16
    // without a mark) or from the whole file being valid UTF-8; else it is ANSI.
    bool Open(const std::string& path);
    Encoding FileEncoding() const { return m_encoding; }
    // The next line without its end, in UTF-8; false at the end of the file.
    bool ReadLine(std::string& line);

private:
    bool Fill();
    bool NextUnit(char16_t& unit);
    Encoding Sniff();

    const CCodePage& m_codePage;
    std::unique_ptr<pvbase::FileHandle> m_file;
    Encoding m_encoding = Encoding::Ansi;
    std::int64_t m_offset = 0;  // of the next piece to read
    std::vector<unsigned char> m_piece;
    std::size_t m_at = 0;
    std::size_t m_filled = 0;
};
