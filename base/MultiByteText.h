#pragma once
// Character walks over double-byte (DBCS) text. The lead-byte test comes from the caller: the
// dictionaries ask their code page, keystroke output asks the input system.

#include <cstddef>
#include <string_view>

namespace mbtext {

// A-Z as a-z and every other byte as it is, as a 256-byte table: how the storage folds keys, and
// how texts fold where no code page's letters are known.
inline const unsigned char* AsciiFoldTable()
{
    struct Table {
        unsigned char map[256];
        Table()
        {
            for (int i = 0; i < 256; ++i)
                map[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + 32 : i);
        }
    };
    static const Table table;
    return table.map;
}

// Byte length of the character at pos; a lead byte at the very end counts alone.
template <typename IsLeadByte>
std::size_t CharLength(std::string_view text, std::size_t pos, IsLeadByte isLeadByte)
{
    return (isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
}

template <typename IsLeadByte>
std::size_t CountCharacters(std::string_view text, IsLeadByte isLeadByte)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count)
        i += CharLength(text, i, isLeadByte);
    return count;
}

// Length of the longest prefix of whole characters that is at most maxBytes long.
template <typename IsLeadByte>
std::size_t WholeCharacterPrefix(std::string_view text, std::size_t maxBytes, IsLeadByte isLeadByte)
{
    if (text.size() <= maxBytes)
        return text.size();
    std::size_t end = 0;
    while (end < maxBytes) {
        const std::size_t length = CharLength(text, end, isLeadByte);
        if (end + length > maxBytes)
            break;
        end += length;
    }
    return end;
}

}  // namespace mbtext
