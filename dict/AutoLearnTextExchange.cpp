#include "dict/AutoLearnTextExchange.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "base/BufferedFileOut.h"
#include "base/FileIo.h"
#include "base/Utf8Text.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/AutoLearnWordRules.h"
#include "dict/CodePage.h"

namespace {

constexpr std::size_t kPiece = 1 << 16;

// The decimal number at the start of the text, as the C library reads it, held to 32 bits.
std::int32_t LeadingNumber(const std::string& text)
{
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(value);
}

// Length of the valid UTF-8 sequence at pos; 0 when it is invalid, -1 when the bytes end inside it.
int Utf8SequenceAt(const unsigned char* s, std::size_t n, std::size_t pos)
{
    const unsigned char c = s[pos];
    if (c < 0x80)
        return 1;
    int need = 0;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        low = c == 0xE0 ? 0xA0 : 0x80;   // no overlong form
        high = c == 0xED ? 0x9F : 0xBF;  // no surrogate
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (int i = 1; i <= need; ++i) {
        if (pos + i >= n)
            return -1;
        const unsigned char b = s[pos + i];
        if (i == 1 ? (b < low || b > high) : (b & 0xC0) != 0x80)
            return 0;
    }
    return need + 1;
}

}  // namespace

CAutoLearnTextReader::CAutoLearnTextReader(const CCodePage& ansiCodePage) : m_codePage(ansiCodePage) {}
CAutoLearnTextReader::~CAutoLearnTextReader() = default;

bool CAutoLearnTextReader::Open(const std::string& path)
{
    m_file = pvbase::FileHandle::Open(path, pvbase::OpenMode::ReadOnly);
    if (!m_file)
        return false;
    m_encoding = Sniff();
    return true;
}

bool CAutoLearnTextReader::Fill()
{
    if (m_at < m_filled)
        return true;
    m_piece.resize(kPiece);
    const int got = m_file ? m_file->Read(m_offset, m_piece.data(), static_cast<int>(kPiece)) : -1;
    m_at = 0;
    m_filled = got > 0 ? static_cast<std::size_t>(got) : 0;
    m_offset += static_cast<std::int64_t>(m_filled);
    return m_filled > 0;
}

CAutoLearnTextReader::Encoding CAutoLearnTextReader::Sniff()
{
    m_offset = 0;
    m_at = m_filled = 0;
    if (!Fill())
        return Encoding::Ansi;
    const unsigned char* s = m_piece.data();
    const std::size_t n = m_filled;
    if (n >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF) {
        m_at = 3;
        return Encoding::Utf8;
    }
    if (n >= 2 && ((s[0] == 0xFF && s[1] == 0xFE) || (s[0] == 0xFE && s[1] == 0xFF))) {
        m_at = 2;
        return s[0] == 0xFF ? Encoding::Utf16Le : Encoding::Utf16Be;
    }
    // UTF-16 without a mark: text of Latin letters holds a zero in every other byte.
    std::size_t evenZeros = 0, oddZeros = 0;
    for (std::size_t i = 0; i < n; ++i)
        (i % 2 ? oddZeros : evenZeros) += s[i] == 0 ? 1 : 0;
    if (oddZeros > n / 8 && evenZeros == 0)
        return Encoding::Utf16Le;
    if (evenZeros > n / 8 && oddZeros == 0)
        return Encoding::Utf16Be;

    // Valid UTF-8 all through is taken as UTF-8 (ANSI text beyond ASCII seldom is); one pass
    // over the file, a sequence cut by a piece's end carried into the next.
    std::vector<unsigned char> carried;
    bool valid = true;
    for (bool more = true; more && valid;) {
        std::vector<unsigned char> bytes(carried);
        bytes.insert(bytes.end(), m_piece.begin() + static_cast<std::ptrdiff_t>(m_at),
                     m_piece.begin() + static_cast<std::ptrdiff_t>(m_filled));
        m_at = m_filled;
        more = Fill();
        carried.clear();
        for (std::size_t pos = 0; pos < bytes.size() && valid;) {
            const int length = Utf8SequenceAt(bytes.data(), bytes.size(), pos);
            if (length == -1 && more) {
                carried.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end());
                break;
            }
            valid = length > 0;
            pos += length > 0 ? static_cast<std::size_t>(length) : 0;
        }
    }
    m_offset = 0;
    m_at = m_filled = 0;
    return valid ? Encoding::Utf8 : Encoding::Ansi;
}

bool CAutoLearnTextReader::NextUnit(char16_t& unit)
{
    if (!Fill())
        return false;
    if (m_encoding != Encoding::Utf16Le && m_encoding != Encoding::Utf16Be) {
        unit = m_piece[m_at++];
        return true;
    }
    unsigned char pair[2];
    for (unsigned char& byte : pair) {
        if (!Fill())
            return false;  // an odd last byte is dropped
        byte = m_piece[m_at++];
    }
    unit = m_encoding == Encoding::Utf16Le ? static_cast<char16_t>(pair[0] | (pair[1] << 8))
                                           : static_cast<char16_t>((pair[0] << 8) | pair[1]);
    return true;
}

bool CAutoLearnTextReader::ReadLine(std::string& line)
{
    // Units as they are in the file (bytes, or UTF-16 units), converted once the line is whole.
    std::u16string units, tail;
    char16_t unit = 0;
    bool any = false;
    while (NextUnit(unit)) {
        any = true;
        if (unit == u'\n')
            break;
        if (units.size() < kMaxLine)
            units += unit;
        else if (unit == u'\t')
            tail.assign(1, u'\t');
        else if (!tail.empty() && tail.size() < 32)
            tail += unit;
    }
    units += tail;
    if (!units.empty() && units.back() == u'\r')
        units.pop_back();
    line.clear();
    if (m_encoding == Encoding::Utf16Le || m_encoding == Encoding::Utf16Be) {
        Utf16ToUtf8(units, line);
        return any;
    }
    std::string bytes(units.begin(), units.end());
    if (m_encoding == Encoding::Utf8) {
        line.swap(bytes);
    } else {
        std::u16string wide;
        if (m_codePage.ToUtf16(bytes, wide))
            Utf16ToUtf8(wide, line);
    }
    return any;
}

AutoLearnRecord ParseAutoLearnLine(std::string_view line)
{
    const std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos || tab == 0)
        return AutoLearnRecord{1, std::string(line)};
    const std::string number(line.substr(tab + 1));
    return AutoLearnRecord{number.empty() ? 1 : LeadingNumber(number), std::string(line.substr(0, tab))};
}

int ExportAutoLearnText(const CAutoLearnDictionary& store, const std::string& path,
                        const AutoLearnTextProgress& progress)
{
    pvbase::CBufferedFileOut out(path);
    if (!out.IsOpen())
        return 0;
    out.Buffer() = kAutoLearnTextMark;
    int written = 0;
    for (const AutoLearnRecord& record : store.Records()) {
        out.Buffer() += record.text;
        out.Buffer() += '\t';
        out.Buffer() += std::to_string(record.count);
        out.Buffer() += "\r\n";
        if (!out.Drain(false))
            return 0;
        ++written;
        if (progress && written % 10 == 0)
            progress(written);
    }
    return out.Drain(true) ? written : 0;
}

int ImportAutoLearnText(CAutoLearnDictionary& store, const std::string& path, const AutoLearnTextProgress& progress)
{
    if (!store.IsOpen())
        return 0;
    CAutoLearnTextReader in(SystemCodePage());
    if (!in.Open(path))
        return 0;
    int imported = 0;
    std::string line;
    while (in.ReadLine(line) && !line.empty()) {
        AutoLearnRecord record = ParseAutoLearnLine(line);
        record.text = AutoLearnStoredText(record.text);
        if (!store.CountIn(record))
            break;
        ++imported;
        if (progress && imported % 10 == 0 && !progress(imported))
            break;
    }
    return imported;
}
