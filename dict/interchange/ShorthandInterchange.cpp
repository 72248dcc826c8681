// Decoding, format detection and the word list; each format's reader and writer has its own file.

#include "dict/interchange/ShorthandInterchange.h"

#include <cstdio>

#include "base/Utf8Text.h"
#include "dict/CodePage.h"

namespace interchange {

namespace {

// The length of the well-formed UTF-8 sequence at text[pos], 0 when it is broken (overlong forms,
// surrogates and values past U+10FFFF included).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t pos)
{
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    const unsigned char lead = byte(pos);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (pos + length > text.size() || byte(pos + 1) < low || byte(pos + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(pos + i) & 0xC0) != 0x80)
            return 0;
    return length;
}

// Text as UTF-8 with each broken sequence replaced by U+FFFD; returns how many were.
int RepairUtf8(std::string_view text, std::string& out)
{
    int broken = 0;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++broken;
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return broken;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void DecodeUtf16(std::string_view bytes, bool bigEndian, DecodedText& decoded)
{
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]),
                   second = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    Utf16ToUtf8(units, decoded.text);
    decoded.encoding = bigEndian ? "UTF-16BE" : "UTF-16LE";
    if (bytes.size() % 2 != 0)
        ++decoded.broken;
}

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// Lines of the text without their leading blanks, at most `limit` of them.
template <class Visit>
void ForEachLine(std::string_view text, std::size_t limit, Visit visit)
{
    std::size_t start = 0;
    for (std::size_t count = 0; start < text.size() && count < limit; ++count) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        const std::size_t first = line.find_first_not_of(" \t");
        if (visit(first == std::string_view::npos ? std::string_view() : line.substr(first)))
            return;
        start = end + 1;
    }
}

bool IsHotstringLine(std::string_view line)
{
    if (line.size() < 4 || line[0] != ':')
        return false;
    const std::size_t optionsEnd = line.find(':', 1);
    return optionsEnd != std::string_view::npos && line.find("::", optionsEnd + 1) != std::string_view::npos &&
           line.substr(1, optionsEnd - 1).find_first_of(" \t") == std::string_view::npos;
}

}  // namespace

const char* FormatName(ShorthandFormat format)
{
    switch (format) {
        case ShorthandFormat::Espanso:
            return "espanso";
        case ShorthandFormat::AutoHotkey:
            return "AutoHotkey";
        case ShorthandFormat::Beeftext:
            return "Beeftext";
        case ShorthandFormat::Csv:
            return "CSV";
        case ShorthandFormat::Unknown:
            break;
    }
    return "unknown";
}

DecodedText DecodeFileText(std::string_view bytes, const CCodePage& ansiCodePage)
{
    DecodedText decoded;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        decoded.encoding = "UTF-8";
        decoded.broken = RepairUtf8(bytes.substr(3), decoded.text);
    } else if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
        DecodeUtf16(bytes.substr(2), bytes[0] == '\xFE', decoded);
    } else if (bytes.find('\0') != std::string_view::npos) {
        // UTF-16 without a mark shows as a zero beside each ASCII letter.
        if (bytes.size() >= 2 && bytes.size() % 2 == 0 && (bytes[0] == '\0') != (bytes[1] == '\0'))
            DecodeUtf16(bytes, bytes[0] == '\0', decoded);
        else
            decoded.problem = "The file is not text.";
    } else if (IsUtf8(bytes)) {
        decoded.encoding = "UTF-8";
        decoded.text.assign(bytes);
    } else {
        decoded.encoding = "ANSI";
        std::u16string wide;
        ansiCodePage.ToUtf16(bytes, wide);
        Utf16ToUtf8(wide, decoded.text);
    }
    if (decoded.problem.empty() && decoded.text.find_first_not_of(" \t\r\n") == std::string::npos)
        decoded.problem = "The file holds nothing.";
    return decoded;
}

ShorthandFormat DetectShorthandFormat(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return ShorthandFormat::Unknown;
    if (text[first] == '{' || text[first] == '[')
        return text.find("\"combos\"") != std::string_view::npos ? ShorthandFormat::Beeftext : ShorthandFormat::Unknown;
    ShorthandFormat found = ShorthandFormat::Unknown;
    ForEachLine(text, 100000, [&](std::string_view line) {
        if (StartsWith(line, "matches:") || StartsWith(line, "global_vars:"))
            found = ShorthandFormat::Espanso;
        else if (IsHotstringLine(line) || StartsWith(line, "#Hotstring"))
            found = ShorthandFormat::AutoHotkey;
        return found != ShorthandFormat::Unknown;
    });
    if (found != ShorthandFormat::Unknown)
        return found;
    // Anything else with a separator on its first line is taken for a table.
    ForEachLine(text, 1, [&](std::string_view line) {
        if (line.find_first_of(",;") != std::string_view::npos)
            found = ShorthandFormat::Csv;
        return true;
    });
    return found;
}

ShorthandReading ReadShorthands(std::string_view text, ShorthandFormat format)
{
    switch (format) {
        case ShorthandFormat::Espanso:
            return ReadEspanso(text);
        case ShorthandFormat::AutoHotkey:
            return ReadAutoHotkey(text);
        case ShorthandFormat::Beeftext:
            return ReadBeeftext(text);
        case ShorthandFormat::Csv:
            return ReadCsv(text);
        case ShorthandFormat::Unknown:
            break;
    }
    ShorthandReading reading;
    reading.problem = "The file is none of the formats read: espanso YAML, AutoHotkey hotstrings, Beeftext JSON, CSV.";
    return reading;
}

std::string WriteWordList(const std::vector<RankedWord>& words)
{
    std::string out;
    out.reserve(words.size() * 12);
    char rank[16];
    for (const RankedWord& word : words) {
        out += word.word;
        if (word.rank > 0) {
            std::snprintf(rank, sizeof rank, "\t%d", word.rank);
            out += rank;
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace interchange
