#pragma once
// One record of AutoLearn.dic: 516 bytes, no file header.
//   offset 0, 4 bytes:   how often the text was learnt, signed 32-bit little-endian
//   offset 4, 512 bytes: the text, at most 511 bytes, zero bytes up to the end of the field
// Records follow each other in the order in which they were first learnt.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::size_t kAutoLearnRecordSize = 516;
constexpr std::size_t kAutoLearnTextField = 512;
constexpr std::size_t kAutoLearnMaxText = kAutoLearnTextField - 1;

struct AutoLearnRecord {
    std::int32_t count = 0;
    std::string text;

    bool operator==(const AutoLearnRecord& other) const { return count == other.count && text == other.text; }
    bool operator!=(const AutoLearnRecord& other) const { return !(*this == other); }
};

// Which bytes start a double-byte character in the ANSI code page in use. The default
// (all false) is a single-byte code page such as Windows-1252.
class CLeadByteTable {
public:
    CLeadByteTable() = default;
    template <class Predicate>
    explicit CLeadByteTable(Predicate isLeadByte)
    {
        for (int b = 0; b < 256; ++b)
            m_lead[b] = isLeadByte(static_cast<unsigned char>(b)) ? true : false;
    }
    bool IsLeadByte(unsigned char byte) const { return m_lead[byte]; }
    // Byte length of the character that starts at `pos` (a lead byte at the very end counts alone).
    std::size_t CharLength(std::string_view text, std::size_t pos) const
    {
        return (m_lead[static_cast<unsigned char>(text[pos])] && pos + 1 < text.size()) ? 2 : 1;
    }
    // Start of the last character of a non-empty text.
    std::size_t LastCharStart(std::string_view text) const;
    // The longest start of `text` of at most `maxBytes` bytes that ends on a character boundary.
    std::size_t CutLength(std::string_view text, std::size_t maxBytes) const;

private:
    bool m_lead[256] = {};
};

// The text as a record holds it: up to its first zero byte, cut to 511 bytes on a character boundary.
std::string AutoLearnStoredText(std::string_view text, const CLeadByteTable& leadBytes);

// Encodes a record; the text must already be a stored text (at most 511 bytes, no zero byte).
void EncodeAutoLearnRecord(std::int32_t count, std::string_view text, unsigned char out[kAutoLearnRecordSize]);
// Decodes a record; a text field without a terminating zero is read up to the field's end.
AutoLearnRecord DecodeAutoLearnRecord(const unsigned char in[kAutoLearnRecordSize]);
