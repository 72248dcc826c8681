#include "dict/EntryText.h"

#include "dict/CodePage.h"
#include "dict/TextScrambling.h"
#include "dict/Utf8Case.h"

int NormalizeEntryTextCode(int code)
{
    return (code == CODE_UTF8 || code == CODE_UTF16) ? code : CODE_ANSI;
}

namespace {

bool HasLoneSurrogate(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            ++i;
        else if (u >= 0xD800 && u <= 0xDFFF)
            return true;
    }
    return false;
}

}  // namespace

CEntryTextCodec::CEntryTextCodec(const CCodePage& codePage) : m_codePage(codePage) {}

void CEntryTextCodec::Encode(int code, bool encrypted, std::string_view utf8, std::string& out)
{
    out.clear();
    switch (NormalizeEntryTextCode(code)) {
        case CODE_UTF8:
            out.assign(utf8.data(), utf8.size());
            break;
        case CODE_UTF16:
            m_wide.clear();
            Utf8ToUtf16(utf8, m_wide);
            out.reserve(m_wide.size() * 2);
            for (char16_t unit : m_wide) {
                out.push_back(static_cast<char>(unit & 0xFF));
                out.push_back(static_cast<char>(unit >> 8));
            }
            break;
        default:
            if (m_codePage.IsUtf8()) {
                out.assign(utf8.data(), utf8.size());
                break;
            }
            m_wide.clear();
            Utf8ToUtf16(utf8, m_wide);
            m_codePage.FromUtf16(m_wide, out);
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
    m_bytes.assign(stored.data(), stored.size());
    UnscrambleText(m_bytes.data(), m_bytes.size());
    DecodePlain(code, m_bytes, out);
}

void CEntryTextCodec::Widen(int code, std::string_view plain)
{
    m_wide.clear();
    if (code == CODE_ANSI) {
        m_codePage.ToUtf16(plain, m_wide);
        return;
    }
    m_wide.reserve(plain.size() / 2);
    for (std::size_t i = 0; i + 1 < plain.size(); i += 2)
        m_wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(plain[i]) |
                                               (static_cast<unsigned char>(plain[i + 1]) << 8)));
}

void CEntryTextCodec::DecodePlain(int code, std::string_view plain, std::string& out)
{
    out.clear();
    code = NormalizeEntryTextCode(code);
    if (code == CODE_UTF8 || (code == CODE_ANSI && m_codePage.IsUtf8())) {
        out.assign(plain.data(), plain.size());
        return;
    }
    Widen(code, plain);
    Utf16ToUtf8(m_wide, out);
}

bool CEntryTextCodec::DecodeExactly(int code, bool encrypted, std::string_view stored, std::string& out)
{
    out.clear();
    code = NormalizeEntryTextCode(code);
    if (encrypted) {
        m_bytes.assign(stored.data(), stored.size());
        UnscrambleText(m_bytes.data(), m_bytes.size());
        stored = m_bytes;
    }
    if (code == CODE_UTF8 || (code == CODE_ANSI && m_codePage.IsUtf8())) {
        if (!utf8case::IsValid(stored))
            return false;
        out.assign(stored.data(), stored.size());
        return true;
    }
    Widen(code, stored);
    if (code == CODE_UTF16 && (stored.size() % 2 != 0 || HasLoneSurrogate(m_wide)))
        return false;
    Utf16ToUtf8(m_wide, out);
    return true;
}
