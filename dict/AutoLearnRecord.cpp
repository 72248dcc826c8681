#include "dict/AutoLearnRecord.h"

#include <cstring>

std::size_t CLeadByteTable::LastCharStart(std::string_view text) const
{
    // Trail bytes may look like anything, so the boundaries are only known from the start.
    std::size_t pos = 0;
    std::size_t last = 0;
    while (pos < text.size()) {
        last = pos;
        pos += CharLength(text, pos);
    }
    return last;
}

std::size_t CLeadByteTable::CutLength(std::string_view text, std::size_t maxBytes) const
{
    if (text.size() <= maxBytes)
        return text.size();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = pos + CharLength(text, pos);
        if (next > maxBytes)
            break;
        pos = next;
    }
    return pos;
}

std::string AutoLearnStoredText(std::string_view text, const CLeadByteTable& leadBytes)
{
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);
    return std::string(text.substr(0, leadBytes.CutLength(text, kAutoLearnMaxText)));
}

void EncodeAutoLearnRecord(std::int32_t count, std::string_view text, unsigned char out[kAutoLearnRecordSize])
{
    const std::uint32_t bits = static_cast<std::uint32_t>(count);
    out[0] = static_cast<unsigned char>(bits & 0xFF);
    out[1] = static_cast<unsigned char>((bits >> 8) & 0xFF);
    out[2] = static_cast<unsigned char>((bits >> 16) & 0xFF);
    out[3] = static_cast<unsigned char>((bits >> 24) & 0xFF);
    std::memset(out + 4, 0, kAutoLearnTextField);
    const std::size_t length = text.size() < kAutoLearnMaxText ? text.size() : kAutoLearnMaxText;
    if (length != 0)
        std::memcpy(out + 4, text.data(), length);
}

AutoLearnRecord DecodeAutoLearnRecord(const unsigned char in[kAutoLearnRecordSize])
{
    AutoLearnRecord record;
    const std::uint32_t bits = static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
                               (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
    record.count = static_cast<std::int32_t>(bits);
    const char* field = reinterpret_cast<const char*>(in + 4);
    const void* zero = std::memchr(field, 0, kAutoLearnTextField);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : kAutoLearnTextField;
    record.text.assign(field, length);
    return record;
}
