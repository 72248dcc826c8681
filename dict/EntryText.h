#pragma once
// How key and data texts are kept in a dictionary file: the text encodings (KEYCODE and
// DATACODE) and, for encrypted dictionaries, value scrambling on top.

#include <string>
#include <string_view>

class CCodePage;

enum EntryTextCode {
    CODE_ANSI = 1,   // bytes of an ANSI code page (the file has no property saying which: the system's)
    CODE_UTF8 = 2,   // UTF-8
    CODE_UTF16 = 3,  // UTF-16 code units, little-endian, two bytes each
};

// Codes other than 2 and 3 are read as CODE_ANSI.
int NormalizeEntryTextCode(int code);

// Converts between the program's UTF-8 text and the stored form of one value; ANSI values are
// in the code page given. The converter keeps its scratch buffers, so converting many values
// allocates nothing.
class CEntryTextCodec {
public:
    explicit CEntryTextCodec(const CCodePage& ansiCodePage);

    // UTF-8 text -> stored bytes (encoded, then scrambled when `encrypted`). Replaces `out`. A
    // character the ANSI code page lacks becomes its default character.
    void Encode(int code, bool encrypted, std::string_view utf8, std::string& out);
    // Stored bytes -> UTF-8 text. Replaces `out`; UTF-8 values are passed on as they are.
    void Decode(int code, bool encrypted, std::string_view stored, std::string& out);
    // Stored bytes of an unscrambled value -> UTF-8 text.
    void DecodePlain(int code, std::string_view plain, std::string& out);
    // Decode that fails (out undefined) for a broken value: UTF-8 that is not well-formed, UTF-16
    // with a surrogate out of its pair.
    bool DecodeExactly(int code, bool encrypted, std::string_view stored, std::string& out);

    // The code page of ANSI values.
    const CCodePage& CodePage() const { return m_codePage; }

private:
    // The UTF-16 of a stored ANSI or UTF-16 value (already unscrambled) into m_wide.
    void Widen(int code, std::string_view plain);

    const CCodePage& m_codePage;
    std::u16string m_wide;
    std::string m_bytes;
};
