#include "dict/CodePage.h"

#include <cstring>

#include "dict/Utf8Case.h"

CCodePage::CCodePage()
{
    for (int b = 0; b < 256; ++b) {
        m_lower[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
        m_upper[b] = static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 32 : b);
    }
}

void CCodePage::Lower(char* text, std::size_t length) const
{
    auto* bytes = reinterpret_cast<unsigned char*>(text);
    for (std::size_t i = 0; i < length; ++i) {
        if (m_leadByte[bytes[i]] && i + 1 < length) {
            ++i;  // the trail byte may look like an ASCII letter: keep it
            continue;
        }
        bytes[i] = m_lower[bytes[i]];
    }
}

void CCodePage::Lower(std::string& text) const
{
    if (m_utf8)
        utf8case::Lower(text);
    else
        Lower(text.data(), text.size());
}

std::size_t CCodePage::Utf8CharLength(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t wanted = lead < 0xC2 ? 1 : (lead < 0xE0 ? 2 : (lead < 0xF0 ? 3 : (lead < 0xF5 ? 4 : 1)));
    std::size_t length = 1;
    while (length < wanted && pos + length < text.size() &&
           (static_cast<unsigned char>(text[pos + length]) & 0xC0) == 0x80)
        ++length;
    return length;
}

std::size_t CCodePage::PreviousCharStart(std::string_view text, std::size_t end) const
{
    if (end == 0)
        return 0;
    if (m_utf8) {
        std::size_t start = end - 1;
        // Back over at most three continuation bytes to the byte that leads them.
        while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            --start;
        return start + Utf8CharLength(text, start) == end ? start : end - 1;
    }
    // A lead byte right before the last byte makes them one character (the last is its trail).
    if (end >= 2 && IsLeadByte(static_cast<unsigned char>(text[end - 2])) &&
        IsLeadByte(static_cast<unsigned char>(text[end - 1])))
        return end - 2;
    return end - 1;
}

bool CCodePage::IsLetterOrDigitAt(std::string_view text, std::size_t pos) const
{
    if (m_utf8)
        return utf8case::IsLetterOrDigit(text.substr(pos));
    return pos < text.size() && IsLetterOrDigit(static_cast<unsigned char>(text[pos]));
}

int CCodePage::LeadingCapitals(std::string_view text) const
{
    if (m_utf8)
        return utf8case::LeadingCapitals(text);
    const auto capitalAt = [&](std::size_t i) {
        return i < text.size() && CharLength(text, i) == 1 && IsCapital(static_cast<unsigned char>(text[i]));
    };
    if (!capitalAt(0))
        return 0;
    return capitalAt(1) ? 2 : 1;
}

void CCodePage::AdaptCase(std::string& text, int leadingCapitals) const
{
    if (m_utf8) {
        utf8case::AdaptCase(text, leadingCapitals);
        return;
    }
    for (std::size_t i = 0; i < text.size() && leadingCapitals > 0;) {
        const std::size_t length = CharLength(text, i);
        if (length == 1)
            text[i] = static_cast<char>(m_upper[static_cast<unsigned char>(text[i])]);
        if (leadingCapitals == 1)
            break;
        i += length;
    }
}

namespace {

// One character of a multibyte text as a number: the folded byte for single-byte
// characters, lead * 256 + trail for double-byte ones.
unsigned NextChar(const CCodePage& cp, const unsigned char* s, std::size_t n, std::size_t& i)
{
    unsigned char c = s[i++];
    if (cp.IsLeadByte(c) && i < n)
        return (unsigned(c) << 8) | s[i++];
    return cp.LowerByte(c);
}

}  // namespace

int CCodePage::CompareNoCase(std::string_view a, std::string_view b) const
{
    if (m_utf8)
        return utf8case::CompareNoCase(a, b);
    auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    // Single-byte characters first (the common case): equal bytes need no folding.
    const std::size_t shorter = a.size() < b.size() ? a.size() : b.size();
    std::size_t i = 0;
    for (; i < shorter; ++i) {
        unsigned ca = pa[i], cb = pb[i];
        if (m_leadByte[ca] || m_leadByte[cb])
            break;
        if (ca != cb) {
            ca = m_lower[ca];
            cb = m_lower[cb];
            if (ca != cb)
                return ca < cb ? -1 : 1;
        }
    }
    std::size_t ia = i, ib = i;
    while (ia < a.size() && ib < b.size()) {
        unsigned ca, cb;
        if (!m_leadByte[pa[ia]] && !m_leadByte[pb[ib]]) {
            ca = m_lower[pa[ia++]];
            cb = m_lower[pb[ib++]];
        } else {
            ca = NextChar(*this, pa, a.size(), ia);
            cb = NextChar(*this, pb, b.size(), ib);
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (ia < a.size())
        return 1;
    if (ib < b.size())
        return -1;
    return 0;
}

bool CCodePage::HasLeadBytes() const
{
    for (bool lead : m_leadByte) {
        if (lead)
            return true;
    }
    return false;
}

bool CCodePage::StartsWithLowered(std::string_view text, std::string_view loweredPrefix) const
{
    if (m_utf8)
        return utf8case::StartsWithNoCase(text, loweredPrefix);
    if (loweredPrefix.size() > text.size())
        return false;
    auto* t = reinterpret_cast<const unsigned char*>(text.data());
    auto* p = reinterpret_cast<const unsigned char*>(loweredPrefix.data());
    const std::size_t n = loweredPrefix.size();
    for (std::size_t i = 0; i < n;) {
        if (m_leadByte[t[i]] && i + 1 < text.size()) {
            // Double-byte characters are compared as they are, as Lower leaves them.
            if (t[i] != p[i] || (i + 1 < n && t[i + 1] != p[i + 1]))
                return false;
            i += 2;
        } else {
            if (m_lower[t[i]] != p[i])
                return false;
            ++i;
        }
    }
    return true;
}

std::size_t CCodePage::FindAtCharBoundary(std::string_view haystack, std::string_view needle) const
{
    if (needle.empty())
        return 0;
    if (needle.size() > haystack.size())
        return std::string_view::npos;
    std::size_t i = 0;
    const std::size_t last = haystack.size() - needle.size();
    while (i <= last) {
        std::size_t next = haystack.find(needle[0], i);
        if (next == std::string_view::npos || next > last)
            return std::string_view::npos;
        // Step over whole characters up to `next`: a hit inside a double-byte
        // character is no hit.
        while (i < next) {
            if (m_leadByte[static_cast<unsigned char>(haystack[i])])
                i += 2;
            else
                i += 1;
        }
        if (i == next && std::memcmp(haystack.data() + i, needle.data(), needle.size()) == 0)
            return i;
        if (i == next)
            i += m_leadByte[static_cast<unsigned char>(haystack[i])] ? 2 : 1;
    }
    return std::string_view::npos;
}

namespace {

// Code units of the character at i: 2 for a surrogate pair, else 1.
std::size_t Utf16CharLength(std::u16string_view text, std::size_t i)
{
    const char16_t u = text[i];
    const bool pair =
        u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    return pair ? 2 : 1;
}

}  // namespace

bool CCodePage::FromUtf16Counted(std::u16string_view text, std::string& out, int& unconvertible) const
{
    const std::size_t at = out.size();
    if (!FromUtf16(text, out))
        return false;
    // Most texts come back as they went; only the others are tried character by character.
    std::u16string back;
    if (ToUtf16(std::string_view(out).substr(at), back) && back == text)
        return true;
    std::string one;
    for (std::size_t i = 0; i < text.size();) {
        const std::u16string_view character = text.substr(i, Utf16CharLength(text, i));
        one.clear();
        back.clear();
        if (!FromUtf16(character, one) || !ToUtf16(one, back) || back != character)
            ++unconvertible;
        i += character.size();
    }
    return true;
}
#ifndef _WIN32
const CCodePage& SystemCodePage()
{
    return Windows1252CodePage();
}
#endif
