#include "dict/AutoLearnRecord.h"

#include <cstring>

#include "base/Utf8Text.h"
#include "dict/CodePage.h"

namespace {

// Behind the marker's leading zero, so that no reader of texts sees it.
constexpr char kMarkerSignature[] = "Pennivox AutoLearn UTF-8";

bool IsContinuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

std::size_t Utf8CharLength(std::string_view text, std::size_t pos)
{
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    const std::size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t length = 1;
    while (length < want && pos + length < text.size() && IsContinuation(text[pos + length]))
        ++length;
    return length;
}

std::size_t Utf8LastCharStart(std::string_view text)
{
    std::size_t pos = 0, last = 0;
    while (pos < text.size()) {
        last = pos;
        pos += Utf8CharLength(text, pos);
    }
    return last;
}

std::size_t Utf8CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count)
        pos += Utf8CharLength(text, pos);
    return count;
}

std::size_t Utf8CutLength(std::string_view text, std::size_t maxBytes)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = pos + Utf8CharLength(text, pos);
        if (next > maxBytes)
            break;
        pos = next;
    }
    return pos;
}

std::string AutoLearnStoredText(std::string_view text)
{
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);
    return std::string(text.substr(0, Utf8CutLength(text, kAutoLearnMaxText)));
}

std::string AutoLearnTextFromCodePage(std::string_view ansi, const CCodePage& codePage)
{
    std::u16string wide;
    if (!codePage.ToUtf16(ansi, wide))
        return std::string();
    return AutoLearnStoredText(Utf8Of(wide));
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

void EncodeAutoLearnMarker(unsigned char out[kAutoLearnRecordSize])
{
    EncodeAutoLearnRecord(0, std::string_view(), out);
    std::memcpy(out + 5, kMarkerSignature, sizeof kMarkerSignature);
}

bool IsAutoLearnMarker(const unsigned char in[kAutoLearnRecordSize])
{
    unsigned char marker[kAutoLearnRecordSize];
    EncodeAutoLearnMarker(marker);
    return std::memcmp(in, marker, kAutoLearnRecordSize) == 0;
}
