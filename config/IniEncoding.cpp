#include "config/IniEncoding.h"

#include "base/Utf8Text.h"
#ifdef _WIN32
#include "config/WinText.h"
#endif

namespace {

const char kUtf16Mark[] = "\xFF\xFE";
const char kUtf8Mark[] = "\xEF\xBB\xBF";

bool StartsWith(std::string_view bytes, std::string_view mark)
{
    return bytes.substr(0, mark.size()) == mark;
}

std::string Utf16Bytes(std::string_view text)
{
    const std::u16string units = Utf16Of(text);
    std::string bytes(kUtf16Mark);
    bytes.reserve(2 + units.size() * 2);
    for (char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

}  // namespace

IniEncoding IniEncodingOf(std::string_view bytes)
{
    if (StartsWith(bytes, kUtf16Mark))
        return IniEncoding::Utf16;
    if (StartsWith(bytes, kUtf8Mark))
        return IniEncoding::Utf8;
    return IniEncoding::Ansi;
}

std::string IniTextOf(std::string_view bytes)
{
    switch (IniEncodingOf(bytes)) {
        case IniEncoding::Utf16: {
            std::u16string units;
            units.reserve(bytes.size() / 2);
            for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
                units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                      static_cast<unsigned char>(bytes[i + 1]) << 8));
            return Utf8Of(units);
        }
        case IniEncoding::Utf8:
            return std::string(bytes.substr(3));
        default:
#ifdef _WIN32
            return Utf8OfAnsi(bytes);
#else
            return std::string(bytes);
#endif
    }
}

std::string IniBytesOf(std::string_view text, IniEncoding encoding)
{
    switch (encoding) {
        case IniEncoding::Utf16:
            return Utf16Bytes(text);
        case IniEncoding::Utf8:
            return kUtf8Mark + std::string(text);
        default:
#ifdef _WIN32
            if (std::optional<std::string> ansi = AnsiOfUtf8(text))
                return std::move(*ansi);
            return Utf16Bytes(text);
#else
            return std::string(text);
#endif
    }
}
