#pragma once
// Scrambling of dictionary files (by file offset) and of the key and data values of
// encrypted dictionaries (byte by byte). Both are fixed transformations.

#include <cstddef>
#include <cstdint>

// File key: only its low eight bits act on a byte.
constexpr unsigned K_FILE = 0x1C5;
// Value key of encrypted dictionaries.
constexpr unsigned char K_STRING = 0x0C;

// XORs each byte with its absolute file offset and the file key; its own inverse.
void ScrambleFileBytes(std::uint64_t offset, unsigned char* bytes, std::size_t length);

// Value scrambling: XOR with K_STRING, then rotate left by five bits.
void ScrambleText(char* bytes, std::size_t length);
// Its inverse: rotate left by three bits, then XOR with K_STRING.
void UnscrambleText(char* bytes, std::size_t length);
