#include "dict/EntryText.h"

#include "dict/CodePage.h"
#include "dict/TextScrambling.h"

int NormalizeEntryTextCode(int code)
{
    return (code == CODE_UTF8 || code == CODE_UTF16) ? code : CODE_ANSI;
}

CEntryTextCodec::CEntryTextCodec(const CCodePage& codePage) : codePage_(codePage) {}

void CEntryTextCodec::Encode(int code, bool encrypted, std::string_view ansi, std::string& out)
{
    out.clear();
    switch (NormalizeEntryTextCode(code)) {
    case CODE_UTF8:
        wide_.clear();
        if (codePage_.ToUtf16(ansi, wide_))
            Utf16ToUtf8(wide_, out);
        break;
    case CODE_UTF16:
        wide_.clear();
        if (codePage_.ToUtf16(ansi, wide_)) {
            out.reserve(wide_.size() * 2);
            for (char16_t unit : wide_) {
                out.push_back(static_cast<char>(unit & 0xFF));
                out.push_back(static_cast<char>(unit >> 8));
            }
        }
        break;
    default:
        out.assign(ansi.data(), ansi.size());
        break;
    }
    if (encrypted)
        ScrambleText(out.data(), out.size());
}

void CEntryTextCodec::Decode(int code, bool encrypted, std::string_view stored, std::string& out)
{
    if (!encrypted) {
        DecodePlain(code, stored, out);
        return;
    }
    bytes_.assign(stored.data(), stored.size());
    UnscrambleText(bytes_.data(), bytes_.size());
    DecodePlain(code, bytes_, out);
}

void CEntryTextCodec::DecodePlain(int code, std::string_view plain, std::string& out)
{
    out.clear();
    switch (NormalizeEntryTextCode(code)) {
    case CODE_UTF8:
        wide_.clear();
        Utf8ToUtf16(plain, wide_);
        codePage_.FromUtf16(wide_, out);
        break;
    case CODE_UTF16:
        wide_.clear();
        wide_.reserve(plain.size() / 2);
        for (std::size_t i = 0; i + 1 < plain.size(); i += 2)
            wide_.push_back(static_cast<char16_t>(static_cast<unsigned char>(plain[i]) |
                                                  (static_cast<unsigned char>(plain[i + 1]) << 8)));
        codePage_.FromUtf16(wide_, out);
        break;
    default:
        out.assign(plain.data(), plain.size());
        break;
    }
}
