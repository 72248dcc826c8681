#include "config/ProfileText.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string_view>
#include <cstdio>
#include <cstring>

#include "base/HexDigit.h"

namespace ProfileText {

const char kMissingKeyMarker[] = "{63788286-AE30-4D6B-95DF-3B451C1C79F9}";

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsTrimmed(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Limited(const std::string& text)
{
    // A value may hold a zero byte only if the caller built it so; stop there like a C string.
    std::size_t end = text.find('\0');
    if (end == std::string::npos)
        end = text.size();
    if (end > kTypedValueLimit)
        end = kTypedValueLimit;
    return text.substr(0, end);
}

}  // namespace

int EffectiveRadix(int radix)
{
    return (radix == 2 || radix == 8 || radix == 16) ? radix : 10;
}

uint32_t ParseUnsigned(const std::string& text, int radix)
{
    const std::string value = Limited(text);
    radix = EffectiveRadix(radix);
    std::size_t i = 0;
    while (i < value.size() && IsBlank(value[i]))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    if (radix == 16 && i + 2 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X') &&
        pvbase::HexDigitValue(value[i + 2]) >= 0) {
        i += 2;
    }
    uint64_t result = 0;
    bool overflow = false;
    for (; i < value.size(); ++i) {
        int digit = pvbase::HexDigitValue(value[i]);
        if (digit < 0 || digit >= radix)
            break;
        result = result * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
        if (result > 0xFFFFFFFFull) {
            overflow = true;
            result = 0xFFFFFFFFull;
        }
    }
    if (overflow)
        return 0xFFFFFFFFu;
    uint32_t magnitude = static_cast<uint32_t>(result);
    return negative ? static_cast<uint32_t>(0u - magnitude) : magnitude;
}

int32_t ParseSigned(const std::string& text, int radix)
{
    return static_cast<int32_t>(ParseUnsigned(text, radix));
}

std::string FormatUnsigned(uint32_t value, int radix)
{
    char buffer[40];
    switch (EffectiveRadix(radix)) {
        case 8:
            std::snprintf(buffer, sizeof buffer, "%o", static_cast<unsigned>(value));
            return buffer;
        case 16:
            std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(value));
            return buffer;
        case 2: {
            if (value == 0)
                return "0";
            std::string bits;
            int top = 31;
            while (!(value & (1u << top)))
                --top;
            for (int bit = top; bit >= 0; --bit)
                bits += (value & (1u << bit)) ? '1' : '0';
            return bits;
        }
        default:
            std::snprintf(buffer, sizeof buffer, "%u", static_cast<unsigned>(value));
            return buffer;
    }
}

std::string FormatSigned(int32_t value, int radix)
{
    if (EffectiveRadix(radix) != 10)
        return FormatUnsigned(static_cast<uint32_t>(value), radix);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    return buffer;
}

bool ParseBool(const std::string& text, bool defaultValue)
{
    const std::string value = Limited(text);
    if (value.empty())
        return defaultValue;
    if (EqualsNoCaseAscii(value, "true") || EqualsNoCaseAscii(value, "yes"))
        return true;
    return ParseSigned(value, 10) != 0;
}

std::string FormatBytes(const void* bytes, std::size_t count)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    if (!bytes)
        return text;
    text.reserve(count * 2);
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[p[i] >> 4];
        text += kDigits[p[i] & 0x0F];
    }
    return text;
}

std::size_t DecodeBytes(const std::string& value, void* buffer, std::size_t size, std::size_t offset)
{
    const std::size_t available = value.size() / 2;
    if (available <= offset)
        return 0;
    for (char c : value) {
        if (pvbase::HexDigitValue(c) < 0)
            return 0;
    }
    const std::size_t beyond = available - offset;
    if (!buffer)
        return beyond;
    const std::size_t n = beyond < size ? beyond : size;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = (offset + i) * 2;
        out[i] =
            static_cast<unsigned char>(pvbase::HexDigitValue(value[at]) * 16 + pvbase::HexDigitValue(value[at + 1]));
    }
    return n;
}

double ParseDouble(const std::string& text, double defaultValue)
{
    const std::string value = Limited(text);
    std::size_t i = 0;
    while (i < value.size() && IsBlank(value[i]))
        ++i;
    if (i == value.size())
        return defaultValue;
    if (value[i] == '+')
        ++i;  // from_chars takes '-' but not '+'
    double result = 0.0;
    auto parsed = std::from_chars(value.data() + i, value.data() + value.size(), result, std::chars_format::general);
    if (parsed.ec == std::errc::invalid_argument)
        return 0.0;
    // Out of range: keep what the parse gave (from_chars leaves result untouched).
    return result;
}

std::string FormatDouble(double value, int precision)
{
    char format[16];
    if (precision > 0) {
        if (precision > 60)
            precision = 60;
        std::snprintf(format, sizeof format, "%%.%df", precision);
    } else {
        std::strcpy(format, "%f");
    }
    int needed = std::snprintf(nullptr, 0, format, value);
    if (needed <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, value);
    text.resize(static_cast<std::size_t>(needed));
    return text;
}

std::string Trim(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsTrimmed(text[begin]))
        ++begin;
    while (end > begin && IsTrimmed(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string> SplitList(const std::string& value, const char* delimiter)
{
    std::vector<std::string> items;
    const std::string delim = delimiter ? delimiter : ",";
    auto add = [&items](const std::string& piece) {
        std::string item = Trim(piece);
        if (!item.empty())
            items.push_back(item);
    };
    if (delim.empty()) {
        add(value);
        return items;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t at = value.find(delim, start);
        if (at == std::string::npos) {
            add(value.substr(start));
            break;
        }
        add(value.substr(start, at - start));
        start = at + delim.size();
    }
    return items;
}

std::string JoinList(const std::vector<std::string>& items, int count, const char* delimiter)
{
    const char* delim = (delimiter && *delimiter) ? delimiter : ",";
    std::size_t n = items.size();
    if (count >= 0 && static_cast<std::size_t>(count) < n)
        n = static_cast<std::size_t>(count);
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        if (i)
            text += delim;
        text += items[i];
    }
    return text;
}

std::vector<std::string> SplitMultiString(const char* buffer, std::size_t length)
{
    std::vector<std::string> items;
    if (!buffer)
        return items;
    std::size_t i = 0;
    while (i < length) {
        std::size_t end = i;
        while (end < length && buffer[end] != '\0')
            ++end;
        if (end == i)
            break;  // the empty string that ends the list
        items.emplace_back(buffer + i, end - i);
        i = end + 1;
    }
    return items;
}

std::string JoinMultiString(const std::vector<std::string>& items)
{
    std::string block;
    for (const std::string& item : items) {
        block.append(item.c_str());  // an item cannot carry a zero byte into the block
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

bool KeyNameOfLine(const std::string& line, std::string* name)
{
    std::size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    std::string key = Trim(line.substr(0, equals));
    if (key.empty())
        return false;
    if (name)
        *name = key;
    return true;
}

std::vector<IniSection> ParseIniText(const std::string& text)
{
    // Views into the text, copied only into the result: a rules file holds thousands of lines.
    std::vector<IniSection> sections;
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r';
    };
    auto strip = [&blank](std::string_view piece) {
        while (!piece.empty() && blank(piece.front()))
            piece.remove_prefix(1);
        while (!piece.empty() && blank(piece.back()))
            piece.remove_suffix(1);
        return piece;
    };
    const std::string_view all(text);
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string_view::npos)
            end = all.size();
        const std::string_view line = strip(all.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            const std::size_t close = line.find(']');
            sections.push_back(IniSection{
                std::string(
                    strip(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1))),
                {}});
            continue;
        }
        if (sections.empty())
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            sections.back().entries.emplace_back(std::string(line), std::string());
        } else {
            sections.back().entries.emplace_back(std::string(strip(line.substr(0, equals))),
                                                 std::string(strip(line.substr(equals + 1))));
        }
    }
    return sections;
}

const IniSection* FindIniSection(const std::vector<IniSection>& sections, const std::string& name)
{
    for (const IniSection& section : sections) {
        if (EqualsNoCaseAscii(section.name, name))
            return &section;
    }
    return nullptr;
}

const std::string* FindIniValue(const std::vector<IniSection>& sections, const std::string& section,
                                const std::string& key)
{
    const IniSection* found = FindIniSection(sections, section);
    if (!found)
        return nullptr;
    for (const auto& entry : found->entries) {
        if (EqualsNoCaseAscii(entry.first, key))
            return &entry.second;
    }
    return nullptr;
}

std::string UnquotedValue(const std::string& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

namespace {

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        c = Lower(c);
    return text;
}

bool BlankChar(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One line of an INI text as ParseIniText reads it: a section header, a key or neither.
struct LineShape {
    bool header = false;
    bool key = false;
    std::string name;  // the section's or the key's, as written (blanks around it removed)
};

LineShape ShapeOf(const std::string& raw)
{
    LineShape shape;
    std::string line = Trim(raw);
    if (line.empty() || line[0] == ';')
        return shape;
    if (line[0] == '[') {
        const std::size_t close = line.find(']');
        shape.header = true;
        shape.name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        return shape;
    }
    shape.key = true;
    shape.name = Trim(line.substr(0, line.find('=')));
    return shape;
}

struct TextLine {
    std::string raw;  // with its line end, if it had one
    std::string keyLower;
    bool isKey = false;
    bool removed = false;
    bool added = false;  // a new key: written after the section's last line that is not blank
};

using KeyIndex = std::vector<std::pair<std::string, std::size_t>>;  // key -> its first line, sorted

// A section's lines, its header first (the first block: the lines before any header).
struct TextBlock {
    std::string nameLower;
    std::vector<TextLine> lines;
    KeyIndex keys;
    bool removed = false;

    std::size_t* KeyLine(const std::string& keyLower)
    {
        auto it = std::lower_bound(keys.begin(), keys.end(), std::make_pair(keyLower, std::size_t{0}));
        return it != keys.end() && it->first == keyLower ? &it->second : nullptr;
    }
    void IndexKeys()
    {
        keys.clear();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].isKey && !lines[i].removed)
                keys.emplace_back(lines[i].keyLower, i);
        }
        std::sort(keys.begin(), keys.end());  // equal keys: the first line first
        keys.erase(std::unique(
                       keys.begin(), keys.end(),
                       [](const KeyIndex::value_type& a, const KeyIndex::value_type& b) { return a.first == b.first; }),
                   keys.end());
    }
    void Write(std::string& out) const;
};

void AppendLine(std::string& out, const std::string& raw)
{
    if (!out.empty() && out.back() != '\n')
        out += "\r\n";
    out += raw;
}

void TextBlock::Write(std::string& out) const
{
    std::size_t end = 0;  // after the last line that is not blank
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].added && !std::all_of(lines[i].raw.begin(), lines[i].raw.end(), BlankChar))
            end = i + 1;
    }
    for (std::size_t i = 0; i < end; ++i) {
        if (!lines[i].added && !lines[i].removed)
            AppendLine(out, lines[i].raw);
    }
    for (const TextLine& line : lines) {
        if (line.added && !line.removed)
            AppendLine(out, line.raw);
    }
    for (std::size_t i = end; i < lines.size(); ++i) {
        if (!lines[i].added && !lines[i].removed)
            AppendLine(out, lines[i].raw);
    }
}

std::vector<TextBlock> SplitBlocks(const std::string& text)
{
    std::vector<TextBlock> blocks(1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        TextLine line;
        line.raw = text.substr(start, end - start);
        start = end;
        const LineShape shape = ShapeOf(line.raw);
        if (shape.header) {
            blocks.emplace_back();
            blocks.back().nameLower = LowerAscii(shape.name);
        } else if (shape.key && blocks.size() > 1) {
            line.isKey = true;
            line.keyLower = LowerAscii(shape.name);
        }
        blocks.back().lines.push_back(std::move(line));
    }
    for (TextBlock& block : blocks)
        block.IndexKeys();
    return blocks;
}

}  // namespace

CIniIndex::CIniIndex(const std::vector<IniSection>& sections)
{
    m_byName.reserve(sections.size());
    for (const IniSection& section : sections)
        m_byName.emplace_back(LowerAscii(section.name), &section);
    std::stable_sort(m_byName.begin(), m_byName.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

const IniSection* CIniIndex::Section(const std::string& name) const
{
    const std::string lower = LowerAscii(name);
    auto it = std::lower_bound(m_byName.begin(), m_byName.end(), lower,
                               [](const auto& entry, const std::string& k) { return entry.first < k; });
    return it != m_byName.end() && it->first == lower ? it->second : nullptr;
}

const std::string* CIniIndex::Value(const std::string& section, const std::string& key) const
{
    const IniSection* found = Section(section);
    if (!found)
        return nullptr;
    for (const auto& entry : found->entries) {
        if (EqualsNoCaseAscii(entry.first, key))
            return &entry.second;
    }
    return nullptr;
}

std::string ApplyIniChanges(const std::string& text, const std::vector<IniChange>& changes)
{
    std::vector<TextBlock> blocks = SplitBlocks(text);
    std::map<std::string, std::vector<std::size_t>> live;  // the blocks of each name not removed
    for (std::size_t b = 1; b < blocks.size(); ++b)
        live[blocks[b].nameLower].push_back(b);
    for (const IniChange& change : changes) {
        std::vector<std::size_t>& named = live[LowerAscii(change.section)];
        if (change.removeSection) {
            for (std::size_t b : named)
                blocks[b].removed = true;
            named.clear();
            continue;
        }
        if (named.empty()) {
            if (change.removeKey)
                continue;
            blocks.emplace_back();
            blocks.back().nameLower = LowerAscii(change.section);
            blocks.back().lines.push_back(TextLine{"[" + change.section + "]\r\n", std::string(), false, false, false});
            named.push_back(blocks.size() - 1);
        }
        TextBlock& block = blocks[named.front()];
        const std::string key = LowerAscii(change.key);
        std::size_t* line = block.KeyLine(key);
        if (change.removeKey) {
            if (line) {
                block.lines[*line].removed = true;
                block.IndexKeys();  // a later line of that key becomes the first
            }
        } else if (line) {
            TextLine& found = block.lines[*line];
            found.raw = ShapeOf(found.raw).name + "=" + change.value + "\r\n";
        } else {
            block.lines.push_back(TextLine{change.key + "=" + change.value + "\r\n", key, true, false, true});
            block.keys.insert(
                std::upper_bound(block.keys.begin(), block.keys.end(), std::make_pair(key, block.lines.size() - 1)),
                std::make_pair(key, block.lines.size() - 1));
        }
    }
    std::string out;
    out.reserve(text.size() + text.size() / 4 + 256);
    for (const TextBlock& block : blocks) {
        if (!block.removed)
            block.Write(out);
    }
    return out;
}

std::string SingleLine(const std::string& text)
{
    std::string line = text;
    for (char& c : line) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return line;
}

bool EqualsNoCaseAscii(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

}  // namespace ProfileText
