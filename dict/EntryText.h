#pragma once
// How key and data texts are kept in a dictionary file: the text encodings (KEYCODE and
// DATACODE) and, for encrypted dictionaries, value scrambling on top.

#include <string>
#include <string_view>

class CCodePage;

enum EntryTextCode {
    CODE_ANSI = 1,   // bytes of the system ANSI code page
    CODE_UTF8 = 2,   // UTF-8
    CODE_UTF16 = 3,  // UTF-16 code units, little-endian, two bytes each
};

// Codes other than 2 and 3 are read as CODE_ANSI.
int NormalizeEntryTextCode(int code);

// Converts between the program's ANSI text and the stored form of one value. The
// converter keeps its scratch buffers, so converting many values allocates nothing.
class CEntryTextCodec {
public:
    explicit CEntryTextCodec(const CCodePage& codePage);

    // ANSI text -> stored bytes (encoded, then scrambled when `encrypted`). Replaces `out`.
    void Encode(int code, bool encrypted, std::string_view ansi, std::string& out);
    // Stored bytes -> ANSI text. Replaces `out`; a conversion that yields nothing
    // leaves it empty.
    void Decode(int code, bool encrypted, std::string_view stored, std::string& out);
    // Stored bytes of an unscrambled value -> ANSI text.
    void DecodePlain(int code, std::string_view plain, std::string& out);
    // Decode that fails (out undefined) when the text holds characters the code page lacks.
    bool DecodeExactly(int code, bool encrypted, std::string_view stored, std::string& out);

    const CCodePage& CodePage() const { return m_codePage; }

private:
    // The UTF-16 of a stored UTF-8 or UTF-16 value (already unscrambled) into m_wide.
    void Widen(int code, std::string_view plain);

    const CCodePage& m_codePage;
    std::u16string m_wide;
    std::string m_bytes;
};
