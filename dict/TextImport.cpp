#include "dict/TextImport.h"

#include <algorithm>
#include <cstring>

#include <utf8proc.h>

#include "dict/CodePage.h"
#include "dict/Utf8File.h"

namespace {

// How much of the file's start decides whether it is text, and what it looks ahead past that.
constexpr std::size_t kSniffBytes = 64 * 1024;
constexpr std::size_t kLookahead = 2;
constexpr std::size_t kRawChunk = 16 * 1024;

using Problem = TextImportReport::Problem;

// Control characters that text files do hold: tab, line and page breaks, the old end-of-file mark.
bool IsTextControl(unsigned unit)
{
    return unit == '\t' || unit == '\n' || unit == '\v' || unit == '\f' || unit == '\r' || unit == 0x1A;
}

// Judges the first `judged` units (the rest is lookahead): a zero is allowed only right before a
// line end (older exports wrote one after encoded data), other controls in at most one unit of 16.
template <class Unit>
bool LooksLikeText(const Unit* units, std::size_t count, std::size_t judged)
{
    std::size_t controls = 0;
    for (std::size_t i = 0; i < judged; ++i) {
        const unsigned unit = units[i];
        if (unit >= 0x20 || IsTextControl(unit))
            continue;
        if (unit != 0) {
            ++controls;
            continue;
        }
        const bool beforeNewline = i + 1 < count && units[i + 1] == '\n';
        const bool beforeLineEnd = i + 2 < count && units[i + 1] == '\r' && units[i + 2] == '\n';
        if (!beforeNewline && !beforeLineEnd)
            return false;
    }
    return controls * 16 <= judged;
}

char16_t Utf16Unit(const unsigned char* pair, bool bigEndian)
{
    return bigEndian ? char16_t(pair[0] << 8 | pair[1]) : char16_t(pair[0] | pair[1] << 8);
}

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Drops the surrogates without a partner, counting them.
void DropUnpairedSurrogates(std::u16string& units, int& dropped)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            units[kept++] = unit;
            units[kept++] = units[++i];
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            ++dropped;
        } else {
            units[kept++] = unit;
        }
    }
    units.resize(kept);
}

// Appends the well-formed UTF-8 of `bytes`, leaving out (and counting) each broken sequence.
void AppendValidUtf8(std::string_view bytes, std::string& out, int& dropped)
{
    const auto* s = reinterpret_cast<const utf8proc_uint8_t*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        if (s[i] < 0x80) {
            const std::size_t start = i;
            while (i < bytes.size() && s[i] < 0x80)
                ++i;
            out.append(bytes.data() + start, i - start);
            continue;
        }
        utf8proc_int32_t code = 0;
        const utf8proc_ssize_t length = utf8proc_iterate(s + i, static_cast<utf8proc_ssize_t>(bytes.size() - i), &code);
        if (length > 0) {
            out.append(bytes.data() + i, static_cast<std::size_t>(length));
            i += static_cast<std::size_t>(length);
        } else {
            ++dropped;
            ++i;
            while (i < bytes.size() && (s[i] & 0xC0) == 0x80)
                ++i;
        }
    }
}

// Length of `bytes` without a multi-byte sequence that the next chunk completes.
std::size_t CompleteUtf8Prefix(std::string_view bytes)
{
    const std::size_t n = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char byte = static_cast<unsigned char>(bytes[n - back]);
        if (byte < 0x80)
            return n;
        if (byte >= 0xC0) {
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            return length > back ? n - back : n;
        }
    }
    return n;
}

// Strict UTF-8 (no overlong forms, surrogates or code points past U+10FFFF), fed in pieces.
class CUtf8Check {
public:
    // False from the first invalid byte on.
    bool Feed(const unsigned char* bytes, std::size_t count)
    {
        for (std::size_t i = 0; i < count && m_valid;) {
            if (m_need == 0 && i + 8 <= count && !HasHighBit(bytes + i)) {
                i += 8;  // plain ASCII, the most of any list
                continue;
            }
            Take(bytes[i++]);
        }
        return m_valid;
    }
    bool Complete() const { return m_valid && m_need == 0; }
    bool SawNonAscii() const { return m_nonAscii; }

private:
    static bool HasHighBit(const unsigned char* eight)
    {
        std::uint64_t word;
        std::memcpy(&word, eight, sizeof word);
        return (word & 0x8080808080808080u) != 0;
    }
    void Take(unsigned char byte)
    {
        if (m_need > 0) {
            m_valid = byte >= m_low && byte <= m_high;
            m_low = 0x80;
            m_high = 0xBF;
            --m_need;
            return;
        }
        if (byte < 0x80)
            return;
        m_nonAscii = true;
        if (byte >= 0xC2 && byte <= 0xDF) {
            m_need = 1;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            m_need = 2;
            m_low = byte == 0xE0 ? 0xA0 : 0x80;
            m_high = byte == 0xED ? 0x9F : 0xBF;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            m_need = 3;
            m_low = byte == 0xF0 ? 0x90 : 0x80;
            m_high = byte == 0xF4 ? 0x8F : 0xBF;
        } else {
            m_valid = false;
        }
    }

    bool m_valid = true;
    bool m_nonAscii = false;
    int m_need = 0;
    unsigned char m_low = 0x80;
    unsigned char m_high = 0xBF;
};

}  // namespace

CTextImportReader::CTextImportReader(const CCodePage& ansiCodePage) : m_ansiCodePage(ansiCodePage) {}

CTextImportReader::~CTextImportReader() = default;

bool CTextImportReader::Open(const std::string& path, TextImportReport& report)
{
    report = TextImportReport();
    m_raw.clear();
    m_converted.clear();
    m_position = 0;
    m_atEnd = false;
    m_unconvertible = 0;
    m_fileBytes = 0;
    m_file.reset(path.empty() ? nullptr : OpenUtf8File(path, "rb"));
    if (m_file && std::fseek(m_file.get(), 0, SEEK_END) == 0) {
        const long end = std::ftell(m_file.get());
        m_fileBytes = end > 0 ? static_cast<std::uint64_t>(end) : 0;
        std::rewind(m_file.get());
    }
    std::size_t dataStart = 0;
    Problem problem = m_file ? Inspect(dataStart) : Problem::Unreadable;
    if (problem == Problem::None && std::fseek(m_file.get(), static_cast<long>(dataStart), SEEK_SET) != 0)
        problem = Problem::Unreadable;
    if (problem != Problem::None) {
        m_file.reset();
        report.problem = problem;
        return false;
    }
    static const char* const kNames[] = {"ANSI", "UTF-8", "UTF-16LE", "UTF-16BE"};
    report.encoding = kNames[static_cast<int>(m_encoding)];
    return true;
}

Problem CTextImportReader::Inspect(std::size_t& dataStart)
{
    std::string start(kSniffBytes + kLookahead, '\0');
    const std::size_t got = std::fread(start.data(), 1, start.size(), m_file.get());
    if (std::ferror(m_file.get()))
        return Problem::Unreadable;
    start.resize(got);
    const auto* bytes = reinterpret_cast<const unsigned char*>(start.data());
    const std::size_t judged = std::min(got, kSniffBytes);

    bool marked = true;
    dataStart = 0;
    if (got >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        m_encoding = Encoding::Utf8;
        dataStart = 3;
    } else if (got >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        m_encoding = Encoding::Utf16Le;
        dataStart = 2;
    } else if (got >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        m_encoding = Encoding::Utf16Be;
        dataStart = 2;
    } else {
        marked = false;
        m_encoding = GuessByZeros(bytes, judged);
    }
    if (got == dataStart)
        return Problem::Empty;

    if (m_encoding == Encoding::Utf16Le || m_encoding == Encoding::Utf16Be) {
        std::u16string units;
        for (std::size_t i = dataStart; i + 1 < got; i += 2)
            units.push_back(Utf16Unit(bytes + i, m_encoding == Encoding::Utf16Be));
        const std::size_t judgedUnits = std::min(units.size(), (judged - dataStart) / 2);
        return LooksLikeText(units.data(), units.size(), judgedUnits) ? Problem::None : Problem::NotText;
    }
    if (!LooksLikeText(bytes + dataStart, got - dataStart, judged - dataStart))
        return Problem::NotText;
    if (!marked)
        m_encoding = IsValidUtf8FromHere(start) ? Encoding::Utf8 : Encoding::Ansi;
    return Problem::None;
}

// UTF-16 without a mark shows in its zero bytes: most characters of such files have one, always
// on the same side of the pair.
CTextImportReader::Encoding CTextImportReader::GuessByZeros(const unsigned char* bytes, std::size_t count)
{
    const std::size_t pairs = count / 2;
    std::size_t zeroFirst = 0, zeroSecond = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        zeroFirst += bytes[2 * i] == 0;
        zeroSecond += bytes[2 * i + 1] == 0;
    }
    if (pairs >= 2 && zeroFirst == 0 && zeroSecond * 4 >= pairs * 3)
        return Encoding::Utf16Le;
    if (pairs >= 2 && zeroSecond == 0 && zeroFirst * 4 >= pairs * 3)
        return Encoding::Utf16Be;
    return Encoding::Ansi;
}

// Whether the whole file, from what was read already on, is UTF-8 with something beyond ASCII.
// A pass over the file in chunks: one bad sequence anywhere makes it ANSI.
bool CTextImportReader::IsValidUtf8FromHere(const std::string& start)
{
    CUtf8Check check;
    bool valid = check.Feed(reinterpret_cast<const unsigned char*>(start.data()), start.size());
    std::string chunk(kRawChunk, '\0');
    std::size_t got;
    while (valid && (got = std::fread(chunk.data(), 1, chunk.size(), m_file.get())) > 0)
        valid = check.Feed(reinterpret_cast<const unsigned char*>(chunk.data()), got);
    return check.Complete() && check.SawNonAscii();
}

std::size_t CTextImportReader::Read(char* buffer, std::size_t capacity)
{
    if (!m_file || capacity == 0)
        return 0;
    while (m_position == m_converted.size()) {
        if (!Refill())
            return 0;
    }
    std::size_t count = std::min(capacity, m_converted.size() - m_position);
    // Back to the start of a character cut by the capacity.
    const std::size_t whole = count;
    while (count > 0 && m_position + count < m_converted.size() &&
           (static_cast<unsigned char>(m_converted[m_position + count]) & 0xC0) == 0x80)
        --count;
    if (count == 0)
        count = whole;
    std::memcpy(buffer, m_converted.data() + m_position, count);
    m_position += count;
    return count;
}

// Decodes and converts the next chunk of the file; false once the end has been handed out.
bool CTextImportReader::Refill()
{
    if (m_atEnd)
        return false;
    const std::size_t carried = m_raw.size();
    m_raw.resize(carried + kRawChunk);
    const std::size_t got = std::fread(&m_raw[carried], 1, kRawChunk, m_file.get());
    m_raw.resize(carried + got);
    m_atEnd = got == 0;
    m_wide.clear();
    m_converted.clear();
    m_position = 0;
    if (m_encoding == Encoding::Utf8)
        DecodeUtf8(m_atEnd);
    else if (m_encoding == Encoding::Ansi)
        DecodeAnsi(m_atEnd);
    else
        DecodeUtf16(m_atEnd);
    return true;
}

void CTextImportReader::DecodeUtf8(bool atEnd)
{
    const std::size_t complete = atEnd ? m_raw.size() : CompleteUtf8Prefix(m_raw);
    AppendValidUtf8(std::string_view(m_raw).substr(0, complete), m_converted, m_unconvertible);
    m_raw.erase(0, complete);
}

void CTextImportReader::DecodeAnsi(bool atEnd)
{
    // A double-byte character split between chunks waits for its trail byte.
    std::size_t complete = 0;
    while (complete < m_raw.size()) {
        const bool lead = m_ansiCodePage.IsLeadByte(static_cast<unsigned char>(m_raw[complete]));
        if (lead && complete + 1 == m_raw.size() && !atEnd)
            break;
        complete += lead && complete + 1 < m_raw.size() ? 2 : 1;
    }
    if (complete > 0 && !m_ansiCodePage.ToUtf16(std::string_view(m_raw).substr(0, complete), m_wide))
        m_unconvertible += static_cast<int>(complete);
    Utf16ToUtf8(m_wide, m_converted);
    m_raw.erase(0, complete);
}

void CTextImportReader::DecodeUtf16(bool atEnd)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_raw.data());
    const bool bigEndian = m_encoding == Encoding::Utf16Be;
    const std::size_t units = m_raw.size() / 2;
    for (std::size_t i = 0; i < units; ++i)
        m_wide.push_back(Utf16Unit(bytes + 2 * i, bigEndian));
    std::size_t used = units * 2;
    // A pair split between chunks waits for its second half.
    if (!atEnd && !m_wide.empty() && IsHighSurrogate(m_wide.back())) {
        m_wide.pop_back();
        used -= 2;
    }
    if (atEnd && used < m_raw.size()) {
        ++m_unconvertible;  // a last byte without its partner
        used = m_raw.size();
    }
    m_raw.erase(0, used);
    DropUnpairedSurrogates(m_wide, m_unconvertible);
    Utf16ToUtf8(m_wide, m_converted);
}
