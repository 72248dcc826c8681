#pragma once
// The program's text is UTF-8 inside; these convert at the edges (Windows' W functions,
// UTF-16 files). Portable: no system call.

#include <string>
#include <string_view>

// Invalid UTF-8 sequences become U+FFFD; unpaired surrogates are encoded as U+FFFD as well.
void Utf8ToUtf16(std::string_view text, std::u16string& out);
void Utf16ToUtf8(std::u16string_view text, std::string& out);

inline std::u16string Utf16Of(std::string_view utf8)
{
    std::u16string out;
    Utf8ToUtf16(utf8, out);
    return out;
}
inline std::string Utf8Of(std::u16string_view utf16)
{
    std::string out;
    Utf16ToUtf8(utf16, out);
    return out;
}

#ifdef _WIN32
// For the W functions: wchar_t is a UTF-16 unit on Windows.
inline std::wstring Widen(std::string_view utf8)
{
    std::u16string wide = Utf16Of(utf8);
    return std::wstring(wide.begin(), wide.end());
}
inline std::string Narrow(std::wstring_view wide)
{
    return Utf8Of(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}
#endif
