// The program's text: UTF-8, with letter case and letters from utf8proc. The byte tables hold
// ASCII alone: they are the fast path of text that is ASCII, and fold keys as the storage does.
#include <utf8proc.h>

#include "dict/CodePage.h"
#include "dict/Utf8Case.h"

namespace {

constexpr utf8proc_int32_t kCapitalSigma = 0x03A3;
constexpr utf8proc_int32_t kSmallSigma = 0x03C3;
constexpr utf8proc_int32_t kFinalSigma = 0x03C2;
constexpr utf8proc_int32_t kSharpS = 0x00DF;

// The code point at pos and its byte length; a broken sequence is its first byte, as -1 - byte.
utf8proc_int32_t Decode(std::string_view text, std::size_t pos, std::size_t& length)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    utf8proc_int32_t code = 0;
    const utf8proc_ssize_t n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + pos),
                                                static_cast<utf8proc_ssize_t>(text.size() - pos), &code);
    if (n <= 0) {
        length = 1;
        return -1 - lead;
    }
    length = static_cast<std::size_t>(n);
    return code;
}

void Append(std::string& out, utf8proc_int32_t code, std::string_view original)
{
    if (code < 0) {
        out.append(original.data(), original.size());
        return;
    }
    utf8proc_uint8_t bytes[4];
    out.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(utf8proc_encode_char(code, bytes)));
}

bool IsLetter(utf8proc_int32_t code)
{
    if (code < 0)
        return false;
    const utf8proc_category_t category = utf8proc_category(code);
    return category >= UTF8PROC_CATEGORY_LU && category <= UTF8PROC_CATEGORY_LO;
}

bool IsCapital(utf8proc_int32_t code)
{
    return code >= 0 && utf8proc_tolower(code) != code;
}

utf8proc_int32_t Folded(utf8proc_int32_t code)
{
    if (code < 0x80)
        return code >= 'A' && code <= 'Z' ? code + 32 : code;
    const utf8proc_int32_t lower = utf8proc_tolower(code);
    return lower == kFinalSigma ? kSmallSigma : lower;
}

constexpr utf8proc_int32_t kEnd = -0x1000;

// The next folded character of a text; kEnd at its end (broken bytes fold below every character).
utf8proc_int32_t NextFolded(std::string_view text, std::size_t& pos)
{
    if (pos >= text.size())
        return kEnd;
    std::size_t length = 0;
    const utf8proc_int32_t code = Decode(text, pos, length);
    pos += length;
    return code < 0 ? code - 0x100 : Folded(code);
}

class CUtf8CodePage : public CCodePage {
public:
    CUtf8CodePage()
    {
        m_utf8 = true;
        for (int b = 0; b < 0x80; ++b)
            m_letterOrDigit[b] = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
    }
    unsigned Id() const override { return 65001; }
    bool ToUtf16(std::string_view text, std::u16string& out) const override
    {
        Utf8ToUtf16(text, out);
        return true;
    }
    bool FromUtf16(std::u16string_view text, std::string& out) const override
    {
        Utf16ToUtf8(text, out);
        return true;
    }
    bool FromUtf16Counted(std::u16string_view text, std::string& out, int&) const override
    {
        return FromUtf16(text, out);
    }
};

}  // namespace

namespace utf8case {

void Lower(std::string& text)
{
    std::size_t pos = 0;
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80) {
        if (text[pos] >= 'A' && text[pos] <= 'Z')
            text[pos] = static_cast<char>(text[pos] + 32);
        ++pos;
    }
    if (pos == text.size())
        return;
    std::string out(text, 0, pos);
    out.reserve(text.size() + 4);
    bool afterLetter = pos > 0 && IsLetter(static_cast<unsigned char>(text[pos - 1]));
    while (pos < text.size()) {
        std::size_t length = 0;
        const utf8proc_int32_t code = Decode(text, pos, length);
        utf8proc_int32_t lower = code < 0 ? code : utf8proc_tolower(code);
        if (code == kCapitalSigma && afterLetter) {
            std::size_t nextLength = 0;
            const bool nextIsLetter = pos + length < text.size() && IsLetter(Decode(text, pos + length, nextLength));
            if (!nextIsLetter)
                lower = kFinalSigma;
        }
        Append(out, lower, std::string_view(text).substr(pos, length));
        afterLetter = IsLetter(code);
        pos += length;
    }
    text.swap(out);
}

std::string Lowered(std::string_view text)
{
    std::string lower(text);
    Lower(lower);
    return lower;
}

WordPart WordPartOf(int code)
{
    if (code < 0)
        return WordPart::Other;
    switch (utf8proc_category(code)) {
        case UTF8PROC_CATEGORY_LU:
        case UTF8PROC_CATEGORY_LL:
        case UTF8PROC_CATEGORY_LT:
        case UTF8PROC_CATEGORY_LM:
        case UTF8PROC_CATEGORY_LO:
            return WordPart::Letter;
        case UTF8PROC_CATEGORY_MN:
        case UTF8PROC_CATEGORY_MC:
            return WordPart::Mark;
        case UTF8PROC_CATEGORY_ND:
            return WordPart::Digit;
        default:
            // U+2019, the typographic apostrophe.
            return code == '\'' || code == '-' || code == 0x2019 ? WordPart::Joiner : WordPart::Other;
    }
}

int LeadingCapitals(std::string_view text)
{
    if (text.empty())
        return 0;
    std::size_t length = 0;
    if (!IsCapital(Decode(text, 0, length)))
        return 0;
    std::size_t second = 0;
    return length < text.size() && IsCapital(Decode(text, length, second)) ? 2 : 1;
}

void AdaptCase(std::string& text, int leadingCapitals)
{
    if (leadingCapitals <= 0 || text.empty())
        return;
    std::string out;
    out.reserve(text.size() + 2);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t length = 0;
        const utf8proc_int32_t code = Decode(text, pos, length);
        const std::string_view original = std::string_view(text).substr(pos, length);
        pos += length;
        if (leadingCapitals == 1) {
            Append(out, code < 0 ? code : utf8proc_totitle(code), original);
            out.append(text, pos, std::string::npos);
            break;
        }
        if (code == kSharpS)
            out += "SS";
        else
            Append(out, code < 0 ? code : utf8proc_toupper(code), original);
    }
    text.swap(out);
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    // Equal bytes fold alike: the comparison starts at the character where they first differ.
    std::size_t same = 0;
    const std::size_t shorter = a.size() < b.size() ? a.size() : b.size();
    while (same < shorter && a[same] == b[same])
        ++same;
    // Back to a character boundary: after an ASCII byte (the bytes before are alike in both).
    while (same > 0 && static_cast<unsigned char>(a[same - 1]) >= 0x80)
        --same;
    std::size_t ia = same, ib = same;
    for (;;) {
        const utf8proc_int32_t ca = NextFolded(a, ia), cb = NextFolded(b, ib);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == kEnd)
            return 0;
    }
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    std::size_t it = 0, ip = 0;
    while (ip < prefix.size()) {
        const utf8proc_int32_t cp = NextFolded(prefix, ip);
        if (NextFolded(text, it) != cp)
            return false;
    }
    return true;
}

bool IsLetterOrDigit(std::string_view text)
{
    if (text.empty())
        return false;
    std::size_t length = 0;
    const utf8proc_int32_t code = Decode(text, 0, length);
    if (code < 0)
        return false;
    // Combining marks belong to the word they are in (a vowel sign, an accent typed apart).
    const utf8proc_category_t category = utf8proc_category(code);
    return (category >= UTF8PROC_CATEGORY_LU && category <= UTF8PROC_CATEGORY_MC) ||
           (category >= UTF8PROC_CATEGORY_ND && category <= UTF8PROC_CATEGORY_NO);
}

bool IsValid(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        std::size_t length = 0;
        if (Decode(text, pos, length) < 0)
            return false;
        pos += length;
    }
    return true;
}

bool HasCapital(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 0;
        if (IsCapital(Decode(text, pos, length)))
            return true;
        pos += length;
    }
    return false;
}

bool HasCapitalBeyondAscii(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        std::size_t length = 0;
        if (IsCapital(Decode(text, pos, length)))
            return true;
        pos += length;
    }
    return false;
}

}  // namespace utf8case

const CCodePage& Utf8CodePage()
{
    static const CUtf8CodePage instance;
    return instance;
}
