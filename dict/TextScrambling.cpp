#include "dict/TextScrambling.h"

#include <cstring>

namespace {

// Key bytes for offsets 0..511: any 256 consecutive entries cover one wrap of the offset.
struct FileKeyPattern {
    unsigned char bytes[512];
    FileKeyPattern()
    {
        for (unsigned k = 0; k < 512; ++k)
            bytes[k] = static_cast<unsigned char>((k & 0xFF) ^ (K_FILE & 0xFF));
    }
};
const FileKeyPattern kFilePattern;

}  // namespace

void ScrambleFileBytes(std::uint64_t offset, unsigned char* bytes, std::size_t length)
{
    // Whole files pass through here: XOR blocks of 256 bytes with the key pattern starting
    // at the offset's low byte, eight bytes at a time.
    const unsigned char* key = kFilePattern.bytes + (offset & 0xFF);
    for (std::size_t done = 0; done < length; done += 256) {
        const std::size_t n = length - done < 256 ? length - done : 256;
        unsigned char* block = bytes + done;
        std::size_t k = 0;
        for (; k + 8 <= n; k += 8) {
            std::uint64_t value, mask;
            std::memcpy(&value, block + k, 8);
            std::memcpy(&mask, key + k, 8);
            value ^= mask;
            std::memcpy(block + k, &value, 8);
        }
        for (; k < n; ++k)
            block[k] = static_cast<unsigned char>(block[k] ^ key[k]);
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
