#include "dict/TextScrambling.h"

void ScrambleFileBytes(std::uint64_t offset, unsigned char* bytes, std::size_t length)
{
    const unsigned key = K_FILE & 0xFF;
    unsigned position = static_cast<unsigned>(offset & 0xFF);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<unsigned char>(bytes[i] ^ position ^ key);
        position = (position + 1) & 0xFF;
    }
}

void ScrambleText(char* bytes, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned t = static_cast<unsigned char>(bytes[i]) ^ K_STRING;
        bytes[i] = static_cast<char>(((t << 5) | (t >> 3)) & 0xFF);
    }
}

void UnscrambleText(char* bytes, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned s = static_cast<unsigned char>(bytes[i]);
        bytes[i] = static_cast<char>((((s >> 5) | (s << 3)) & 0xFF) ^ K_STRING);
    }
}
