#include "app/engine/TypedText.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

#include "dict/CodePage.h"

namespace {

// The characters that cut the typed text into words for the search.
const char kTailSeparators[] = " ,<>?:.;'\"[{]}=+!@#$%^&*()\r\n\t";

bool IsBlankByte(unsigned char byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

std::string TrimLeadingBlanks(const std::string& text, std::size_t from)
{
    while (from < text.size() && IsBlankByte(static_cast<unsigned char>(text[from])))
        ++from;
    return text.substr(from);
}

// ASCII that typing may add to the typed text: printable characters, carriage return, line feed.
bool IsTypedAscii(unsigned char byte)
{
    return (byte >= 0x20 && byte <= 0x7F) || byte == '\r' || byte == '\n';
}

// The run of word bytes that ends at end (exclusive), apostrophes and hyphens at its ends left out.
std::string_view WordEndingAt(const std::string& text, std::size_t end)
{
    std::size_t start = end;
    while (start > 0 && CTypedText::IsWordByte(static_cast<unsigned char>(text[start - 1])))
        --start;
    std::string_view word(text.data() + start, end - start);
    while (!word.empty() && (word.front() == '\'' || word.front() == '-'))
        word.remove_prefix(1);
    while (!word.empty() && (word.back() == '\'' || word.back() == '-'))
        word.remove_suffix(1);
    return word;
}

// Where the word before the one ending at end starts (npos when none in the same sentence).
std::size_t StartOfWordBefore(const std::string& text, std::size_t end)
{
    std::size_t at = std::min(end, text.size());
    while (at > 0 && CTypedText::IsWordByte(static_cast<unsigned char>(text[at - 1])))
        --at;
    std::size_t start = at;
    while (start > 0 && text[start - 1] == ' ')
        --start;
    if (start == at || start == 0)
        return std::string::npos;
    while (start > 0 && CTypedText::IsWordByte(static_cast<unsigned char>(text[start - 1])))
        --start;
    return start;
}

std::string WordBeforeWordAt(const std::string& text, std::size_t end)
{
    const std::size_t start = StartOfWordBefore(text, end);
    return start == std::string::npos ? std::string() : CTypedText::WordBefore(text, start);
}

}  // namespace

bool CTypedText::IsKept(const std::string& text) const
{
    const auto first = static_cast<unsigned char>(text[0]);
    // A double-byte character comes as its two bytes.
    if (text.size() == 2 && m_codePage.IsLeadByte(first))
        return true;
    for (std::size_t at = 0; at < text.size(); at += m_codePage.CharLength(text, at)) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80 ? !IsTypedAscii(byte)
                        : (m_codePage.IsLeadByte(byte) || !m_codePage.IsLetterOrDigitAt(text, at)))
            return false;
    }
    return true;
}

void CTypedText::Append(const std::string& text)
{
    if (m_text.size() > kMaxLength) {
        std::size_t cut = m_text.size() - kMaxLength;
        // Whole characters only: the bytes that continue a UTF-8 character go with it.
        while (m_codePage.IsUtf8() && cut < m_text.size() && (m_text[cut] & 0xC0) == 0x80)
            ++cut;
        m_text.erase(0, cut);
    }
    m_text += text;
}

void CTypedText::RemoveLastCharacter()
{
    m_text.resize(m_codePage.PreviousCharStart(m_text, m_text.size()));
}

void CTypedText::ReplaceEnd(std::size_t replacedBytes, const std::string& with)
{
    m_text = m_text.substr(0, m_text.size() - std::min(replacedBytes, m_text.size())) + with;
}

void CTypedText::ReplaceAfterLastBackslash(const std::string& name)
{
    const std::size_t slash = m_text.rfind('\\');
    if (slash != std::string::npos)
        m_text.resize(slash + 1);
    m_text += name;
}

void CTypedText::QueueWordEnd()
{
    if (m_wordEnds.empty() || m_wordEnds.back() != m_text)
        m_wordEnds.push_back(m_text);
}

std::vector<std::string> CTypedText::TakeWordEnds()
{
    std::vector<std::string> ends;
    ends.swap(m_wordEnds);
    return ends;
}

void CTypedText::FollowWordsBefore(const std::string& text)
{
    m_previousWord = WordBefore(text, text.size());
    m_previousWord2 = WordBeforeWordAt(text, text.size());
}

bool CTypedText::IsTailSeparator(unsigned char byte)
{
    return byte != 0 && std::strchr(kTailSeparators, byte) != nullptr;
}

std::string CTypedText::ExtractTail(const std::string& text, int n)
{
    for (std::size_t i = text.size(); i-- > 0;) {
        if (!IsTailSeparator(static_cast<unsigned char>(text[i])))
            continue;
        if (n <= 0)
            return TrimLeadingBlanks(text, i + 1);
        --n;
    }
    return TrimLeadingBlanks(text, 0);
}

bool CTypedText::IsWordByte(unsigned char byte)
{
    return std::isalnum(byte) || byte == '\'' || byte == '-' || byte >= 0x80;
}

std::string CTypedText::WordBefore(const std::string& text, std::size_t end)
{
    std::size_t at = std::min(end, text.size());
    while (at > 0 && IsWordByte(static_cast<unsigned char>(text[at - 1])))
        --at;  // the word being typed
    std::size_t blanks = at;
    while (blanks > 0 && text[blanks - 1] == ' ')
        --blanks;
    if (blanks == at || blanks == 0)
        return std::string();
    return std::string(WordEndingAt(text, blanks));
}

CTypedText::EndedWord CTypedText::WordEndedBy(const std::string& text)
{
    if (text.empty() || IsWordByte(static_cast<unsigned char>(text.back())))
        return EndedWord();
    const std::size_t end = text.size() - 1;
    return EndedWord{std::string(WordEndingAt(text, end)), WordBefore(text, end), WordBeforeWordAt(text, end)};
}
