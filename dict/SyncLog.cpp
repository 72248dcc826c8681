#include "dict/SyncLog.h"

#include <array>

namespace {

constexpr char kMagic[8] = {'P', 'v', 'S', 'y', 'n', 'c', 0x1A, 0x01};
constexpr char kSuffix[] = ".pvsync";
constexpr std::uint8_t kDeleted = 1;
constexpr std::uint8_t kHasEpoch = 2;

std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

void PutU32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(value >> (8 * i));
}

void PutU64(std::string& out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>(value >> (8 * i));
}

void PutVarint(std::string& out, std::uint64_t value)
{
    while (value >= 0x80) {
        out += static_cast<char>(value | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

void PutText(std::string& out, std::string_view text)
{
    PutVarint(out, text.size());
    out.append(text.data(), text.size());
}

void PutClock(std::string& out, const SyncClock& clock)
{
    PutU64(out, clock.wall);
    PutU32(out, clock.counter);
}

// Reads the payload's fields in order; any read past the end turns it bad.
class CFieldReader {
public:
    explicit CFieldReader(std::string_view bytes) : m_bytes(bytes) {}
    bool Good() const { return m_good; }
    bool AtEnd() const { return m_at == m_bytes.size(); }

    std::uint64_t Fixed(int size)
    {
        if (m_bytes.size() - m_at < static_cast<std::size_t>(size)) {
            m_good = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i)
            value |= std::uint64_t(static_cast<std::uint8_t>(m_bytes[m_at + i])) << (8 * i);
        m_at += static_cast<std::size_t>(size);
        return value;
    }
    std::uint64_t Varint()
    {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (m_at >= m_bytes.size())
                break;
            const auto byte = static_cast<std::uint8_t>(m_bytes[m_at++]);
            value |= std::uint64_t(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return value;
        }
        m_good = false;
        return 0;
    }
    std::string_view Text()
    {
        const std::uint64_t length = Varint();
        if (!m_good || length > m_bytes.size() - m_at) {
            m_good = false;
            return {};
        }
        const std::string_view text = m_bytes.substr(m_at, static_cast<std::size_t>(length));
        m_at += static_cast<std::size_t>(length);
        return text;
    }
    SyncClock Clock()
    {
        SyncClock clock;
        clock.wall = Fixed(8);
        clock.counter = static_cast<std::uint32_t>(Fixed(4));
        return clock;
    }
    SyncPcId Pc()
    {
        SyncPcId pc;
        if (m_bytes.size() - m_at < pc.bytes.size()) {
            m_good = false;
            return pc;
        }
        for (std::size_t i = 0; i < pc.bytes.size(); ++i)
            pc.bytes[i] = static_cast<std::uint8_t>(m_bytes[m_at + i]);
        m_at += pc.bytes.size();
        return pc;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
    bool m_good = true;
};

std::uint32_t ReadU32(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    return value;
}

bool DecodePayload(std::string_view payload, SyncRecord& record)
{
    CFieldReader reader(payload);
    record.kind = static_cast<SyncKind>(reader.Fixed(1));
    const auto flags = static_cast<std::uint8_t>(reader.Fixed(1));
    record.clock = reader.Clock();
    record.deleted = (flags & kDeleted) != 0;
    record.first = record.second = record.value = {};
    record.count = 0;
    record.epoch = SyncStamp();
    switch (record.kind) {
        case SyncKind::Entry:
        case SyncKind::Setting:
            record.first = reader.Text();
            record.second = reader.Text();
            if (!record.deleted)
                record.value = reader.Text();
            break;
        case SyncKind::LearntPair:
            record.first = reader.Text();
            record.second = reader.Text();
            record.count = reader.Varint();
            break;
        case SyncKind::LearntWord:
            record.first = reader.Text();
            record.count = reader.Varint();
            break;
        case SyncKind::ForgetWord:
            record.first = reader.Text();
            break;
        default:
            return false;
    }
    if ((flags & kHasEpoch) && (record.kind == SyncKind::LearntWord || record.kind == SyncKind::LearntPair)) {
        record.epoch.clock = reader.Clock();
        record.epoch.pc = reader.Pc();
    }
    return reader.Good() && reader.AtEnd();
}

}  // namespace

std::uint32_t SyncCrc32(std::string_view bytes, std::uint32_t crc)
{
    static const std::array<std::uint32_t, 256> kTable = MakeCrcTable();
    crc = ~crc;
    for (char byte : bytes)
        crc = kTable[(crc ^ static_cast<std::uint8_t>(byte)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string SyncLogName(const SyncPcId& pc)
{
    return pc.Hex() + kSuffix;
}

bool IsSyncLogName(std::string_view name, SyncPcId& pc)
{
    const std::size_t suffixLength = sizeof kSuffix - 1;
    if (name.size() != 32 + suffixLength)
        return false;
    for (std::size_t i = 0; i < suffixLength; ++i) {
        char c = name[32 + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kSuffix[i])
            return false;
    }
    return SyncPcId::FromHex(name.substr(0, 32), pc);
}

std::string SyncLogHeader(const SyncPcId& pc, const SyncClock& generation, std::uint32_t& seed)
{
    std::string header(kMagic, sizeof kMagic);
    header.append(reinterpret_cast<const char*>(pc.bytes.data()), pc.bytes.size());
    PutClock(header, generation);
    seed = SyncCrc32(header);
    PutU32(header, seed);
    return header;
}

SyncHeaderState ReadSyncLogHeader(std::string_view bytes, SyncPcId& pc, SyncClock& generation, std::uint32_t& seed)
{
    const std::string_view magic(kMagic, sizeof kMagic);
    // Zeros stand for bytes not delivered yet; any other byte must be the magic's.
    for (std::size_t i = 0; i < magic.size() && i < bytes.size(); ++i)
        if (bytes[i] != magic[i] && bytes[i] != '\0')
            return SyncHeaderState::Foreign;
    if (bytes.substr(0, magic.size()) != magic)
        return SyncHeaderState::Incomplete;
    if (bytes.size() < kSyncHeaderSize)
        return SyncHeaderState::Incomplete;
    seed = ReadU32(bytes, kSyncHeaderSize - 4);
    if (seed != SyncCrc32(bytes.substr(0, kSyncHeaderSize - 4)))
        return SyncHeaderState::Incomplete;
    CFieldReader reader(bytes.substr(magic.size(), kSyncHeaderSize - 4 - magic.size()));
    pc = reader.Pc();
    generation = reader.Clock();
    return SyncHeaderState::Valid;
}

void AppendSyncRecord(std::string& out, const SyncRecord& record, std::uint32_t seed)
{
    const bool hasEpoch =
        !record.epoch.IsZero() && (record.kind == SyncKind::LearntWord || record.kind == SyncKind::LearntPair);
    std::string payload;
    payload += static_cast<char>(record.kind);
    payload += static_cast<char>((record.deleted ? kDeleted : 0) | (hasEpoch ? kHasEpoch : 0));
    PutClock(payload, record.clock);
    PutText(payload, record.first);
    if (record.kind != SyncKind::LearntWord && record.kind != SyncKind::ForgetWord)
        PutText(payload, record.second);
    if ((record.kind == SyncKind::Entry || record.kind == SyncKind::Setting) && !record.deleted)
        PutText(payload, record.value);
    if (record.kind == SyncKind::LearntWord || record.kind == SyncKind::LearntPair)
        PutVarint(payload, record.count);
    if (hasEpoch) {
        PutClock(payload, record.epoch.clock);
        payload.append(reinterpret_cast<const char*>(record.epoch.pc.bytes.data()), record.epoch.pc.bytes.size());
    }
    std::string length;
    PutU32(length, static_cast<std::uint32_t>(payload.size()));
    out += length;
    PutU32(out, SyncCrc32(payload, SyncCrc32(length, seed)));
    out += payload;
}

std::size_t ReadSyncRecord(std::string_view bytes, std::uint32_t seed, SyncRecord& record, bool& known)
{
    if (bytes.size() < kSyncRecordHead)
        return 0;
    const std::uint32_t length = ReadU32(bytes, 0);
    if (length == 0 || length > kMaxSyncPayload || bytes.size() - kSyncRecordHead < length)
        return 0;
    const std::string_view payload = bytes.substr(kSyncRecordHead, length);
    if (ReadU32(bytes, 4) != SyncCrc32(payload, SyncCrc32(bytes.substr(0, 4), seed)))
        return 0;
    known = DecodePayload(payload, record);
    return kSyncRecordHead + length;
}
