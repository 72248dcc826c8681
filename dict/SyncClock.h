#pragma once
// Who made a change of the synced words and when: the PC's id and a hybrid logical clock.
//
// The clock is the wall time in milliseconds with a counter beside it. A PC's clock never goes
// back and always moves past every change it has read, so a PC whose wall clock lags still orders
// its own edits after what it has seen. Two changes with the same clock are ordered by PC id.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// A PC's identity: 128 random bits made once per program folder (LoadOrMakeSyncPcId).
struct SyncPcId {
    std::array<std::uint8_t, 16> bytes{};

    bool IsNull() const;
    // 32 lower-case hex digits: the PC's log file is named after it.
    std::string Hex() const;
    // False (id untouched) unless text is exactly 32 hex digits.
    static bool FromHex(std::string_view text, SyncPcId& id);
    static SyncPcId Random();

    bool operator==(const SyncPcId& other) const { return bytes == other.bytes; }
    bool operator!=(const SyncPcId& other) const { return bytes != other.bytes; }
    bool operator<(const SyncPcId& other) const { return bytes < other.bytes; }
};

// Reads the id kept in the file, or makes a random one and keeps it there (written whole and
// moved over the old file). False when no id could be read nor kept: id is then a fresh random
// one for this run only.
bool LoadOrMakeSyncPcId(const std::string& path, SyncPcId& id);

struct SyncClock {
    std::uint64_t wall = 0;  // milliseconds since 1970
    std::uint32_t counter = 0;

    bool IsZero() const { return wall == 0 && counter == 0; }
    bool operator==(const SyncClock& other) const { return wall == other.wall && counter == other.counter; }
    bool operator!=(const SyncClock& other) const { return !(*this == other); }
    bool operator<(const SyncClock& other) const
    {
        return wall != other.wall ? wall < other.wall : counter < other.counter;
    }
};

// A change's place in the one order every PC agrees on.
struct SyncStamp {
    SyncClock clock;
    SyncPcId pc;

    bool IsZero() const { return clock.IsZero(); }
    bool operator==(const SyncStamp& other) const { return clock == other.clock && pc == other.pc; }
    bool operator!=(const SyncStamp& other) const { return !(*this == other); }
    bool operator<(const SyncStamp& other) const { return clock != other.clock ? clock < other.clock : pc < other.pc; }
};

class CHybridClock {
public:
    using WallSource = std::function<std::uint64_t()>;
    // The system's wall time in milliseconds.
    static std::uint64_t SystemWall();

    explicit CHybridClock(WallSource wall = SystemWall) : m_wall(std::move(wall)) {}
    // The clock of a new change: after every change made or seen before.
    SyncClock Tick();
    // A change read from elsewhere (or from the own log at start): later ticks come after it.
    void Observe(const SyncClock& seen);
    const SyncClock& Last() const { return m_last; }

private:
    WallSource m_wall;
    SyncClock m_last;
};
