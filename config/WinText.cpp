#include "config/WinText.h"

#include <windows.h>

#include "base/Utf8Text.h"

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    const std::wstring wa = Widen(a);
    const std::wstring wb = Widen(b);
    if (wa.size() != wb.size())
        return false;  // simple case mapping keeps every UTF-16 length
    return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()), TRUE) ==
           CSTR_EQUAL;
}

std::string Utf8OfAnsi(std::string_view ansi)
{
    if (ansi.empty())
        return std::string();
    const int size = static_cast<int>(ansi.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    if (length <= 0)
        return std::string();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, &wide[0], length);
    return Narrow(wide);
}

std::optional<std::string> AnsiOfUtf8(std::string_view utf8)
{
    if (utf8.empty())
        return std::string();
    const std::wstring wide = Widen(utf8);
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::nullopt;
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, &ansi[0], length, nullptr, nullptr);
    // A character the code page lacks comes back as '?' or a look-alike: only a round trip tells.
    if (Utf8OfAnsi(ansi) != Narrow(wide))
        return std::nullopt;
    return ansi;
}
