#include "dict/SyncClock.h"

#include <chrono>
#include <random>

#include "base/FileIo.h"
#include "base/HexDigit.h"

bool SyncPcId::IsNull() const
{
    for (std::uint8_t byte : bytes)
        if (byte != 0)
            return false;
    return true;
}

std::string SyncPcId::Hex() const
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(32);
    for (std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

bool SyncPcId::FromHex(std::string_view text, SyncPcId& id)
{
    if (text.size() != 32)
        return false;
    SyncPcId parsed;
    for (std::size_t i = 0; i < 16; ++i) {
        const int high = pvbase::HexDigitValue(text[2 * i]), low = pvbase::HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        parsed.bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    id = parsed;
    return true;
}

SyncPcId SyncPcId::Random()
{
    std::random_device device;
    SyncPcId id;
    do {
        for (std::size_t i = 0; i < id.bytes.size(); i += 4) {
            const std::uint32_t value = device();
            for (std::size_t j = 0; j < 4; ++j)
                id.bytes[i + j] = static_cast<std::uint8_t>(value >> (8 * j));
        }
    } while (id.IsNull());
    return id;
}

bool LoadOrMakeSyncPcId(const std::string& path, SyncPcId& id)
{
    std::string text;
    if (pvbase::ReadWholeFile(path, text)) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
        if (SyncPcId::FromHex(text, id) && !id.IsNull())
            return true;
    }
    id = SyncPcId::Random();
    return pvbase::WriteFileAtomically(path, id.Hex() + "\n");
}

std::uint64_t CHybridClock::SystemWall()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

SyncClock CHybridClock::Tick()
{
    const std::uint64_t wall = m_wall();
    if (wall > m_last.wall) {
        m_last.wall = wall;
        m_last.counter = 0;
    } else if (++m_last.counter == 0) {
        // The counter ran over: move into the next millisecond rather than wrap.
        ++m_last.wall;
    }
    return m_last;
}

void CHybridClock::Observe(const SyncClock& seen)
{
    if (m_last < seen)
        m_last = seen;
}
