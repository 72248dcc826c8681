#include "dict/AutoLearnWordRules.h"

#include <algorithm>

CAutoLearnWordRules::CAutoLearnWordRules()
{
    SetSeparators(kDefaultSeparators);
}

void CAutoLearnWordRules::SetSeparators(std::string_view separators)
{
    const std::size_t zero = separators.find('\0');
    if (zero != std::string_view::npos)
        separators = separators.substr(0, zero);
    if (separators.empty())
        return;
    m_separators.assign(separators.data(), separators.size());
    m_separators += "\t\r\n";
    RebuildTables();
}

void CAutoLearnWordRules::RebuildTables()
{
    std::fill(std::begin(m_single), std::end(m_single), false);
    m_multiByte.clear();
    const std::string_view all(m_separators);
    for (std::size_t pos = 0; pos < all.size();) {
        const std::size_t length = Utf8CharLength(all, pos);
        if (length == 1)
            m_single[static_cast<unsigned char>(all[pos])] = true;
        else
            m_multiByte.emplace_back(all.substr(pos, length));
        pos += length;
    }
}

bool CAutoLearnWordRules::IsSeparator(std::string_view text, std::size_t pos, std::size_t length) const
{
    if (length == 1)
        return m_single[static_cast<unsigned char>(text[pos])];
    const std::string_view character = text.substr(pos, length);
    return std::find(m_multiByte.begin(), m_multiByte.end(), character) != m_multiByte.end();
}

bool CAutoLearnWordRules::EndsWithSeparator(std::string_view text) const
{
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);
    if (text.empty())
        return false;
    const std::size_t last = Utf8LastCharStart(text);
    return IsSeparator(text, last, text.size() - last);
}

std::string CAutoLearnWordRules::ExtractWord(std::string_view text) const
{
    if (!EndsWithSeparator(text))
        return std::string();
    text = text.substr(0, text.find('\0'));

    // Front: control characters and separators.
    std::size_t begin = 0;
    while (begin < text.size()) {
        const unsigned char byte = static_cast<unsigned char>(text[begin]);
        if (byte < 0x20) {
            ++begin;
            continue;
        }
        const std::size_t length = Utf8CharLength(text, begin);
        if (!IsSeparator(text, begin, length))
            break;
        begin += length;
    }
    if (begin == text.size())
        return std::string();

    // The rest, character by character: the word starts behind the last separator that has
    // something other than separators after it.
    std::size_t wordBegin = begin;
    std::size_t wordEnd = begin;
    bool inSeparators = false;
    for (std::size_t pos = begin; pos < text.size();) {
        const std::size_t length = Utf8CharLength(text, pos);
        if (IsSeparator(text, pos, length)) {
            inSeparators = true;
        } else {
            if (inSeparators)
                wordBegin = pos;
            inSeparators = false;
            wordEnd = pos + length;
        }
        pos += length;
    }
    return AutoLearnStoredText(text.substr(wordBegin, wordEnd - wordBegin));
}
