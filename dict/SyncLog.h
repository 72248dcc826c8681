#pragma once
// The bytes of a PC's log in a sync folder, "<pc id>.pvsync": a header, then records appended one
// after the other. Only that PC ever writes the file; the other PCs read it as their sync client
// delivers it, possibly cut, with a later piece before an earlier one, or twice.
//
// Header (40 bytes): "PvSync" 0x1A 0x01, the PC's id (16 bytes), the generation (the clock of
// the file's making: wall time u64, counter u32, little-endian; a compaction makes a new one),
// CRC-32 of the 36 bytes before it.
// Record: payload length u32 (1 .. kMaxSyncPayload), CRC-32 of length and payload u32, payload.
// The CRC goes on from the header's, so a record is valid only behind the header of its own
// generation: bytes of an older generation that a sync client left behind a new header are not
// read. A zero-filled stretch (a piece not yet delivered) never reads as a record either.
// Payload: kind u8, flags u8 (1: deleted, 2: has an epoch), clock (u64, u32), then per kind
// strings (varint length, bytes) and numbers (varint):
//   Entry       dictionary, key, data (no data when deleted)
//   Setting     section, key, value (no value when deleted)
//   LearntWord  word, count, [epoch: clock u64 u32, PC id]
//   LearntPair  word, next word, count, [epoch]
//   ForgetWord  word
// A record of a kind this version does not know is passed over, so later versions may add kinds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dict/SyncClock.h"

enum class SyncKind : std::uint8_t {
    Entry = 1,       // an entry of a user or shorthand dictionary
    Setting = 2,     // a settings value
    LearntWord = 3,  // the writing PC's count of a learnt word since its epoch
    LearntPair = 4,  // the same for a word pair
    ForgetWord = 5,  // a learnt word deleted (the AutoLearn page)
};

// One change. The texts point into the bytes it was read from, or into the caller's strings.
struct SyncRecord {
    SyncKind kind = SyncKind::Entry;
    SyncClock clock;
    bool deleted = false;  // Entry and Setting: the value was removed (a tombstone)
    std::string_view first, second, value;
    // Learnt: the writing PC's count since the word's forgetting at epoch (zero: never forgotten).
    std::uint64_t count = 0;
    SyncStamp epoch;
};

constexpr std::size_t kSyncHeaderSize = 40;
constexpr std::size_t kSyncRecordHead = 8;
constexpr std::uint32_t kMaxSyncPayload = 1u << 20;

std::uint32_t SyncCrc32(std::string_view bytes, std::uint32_t crc = 0);

std::string SyncLogName(const SyncPcId& pc);
// The PC whose log a file name is ("<32 hex digits>.pvsync", any letter case).
bool IsSyncLogName(std::string_view name, SyncPcId& pc);

// seed: what the records behind this header are checked with.
std::string SyncLogHeader(const SyncPcId& pc, const SyncClock& generation, std::uint32_t& seed);

enum class SyncHeaderState {
    Valid,
    Incomplete,  // too short, not yet delivered (zeros) or half old, half new: read again when it changes
    Foreign,     // not a log of this kind
};
SyncHeaderState ReadSyncLogHeader(std::string_view bytes, SyncPcId& pc, SyncClock& generation, std::uint32_t& seed);

// seed: the header's (see ReadSyncLogHeader).
void AppendSyncRecord(std::string& out, const SyncRecord& record, std::uint32_t seed);

// The size of the record at the start of bytes, or 0 when none is complete and valid there.
// known: false for a valid record this version cannot read (to be passed over).
std::size_t ReadSyncRecord(std::string_view bytes, std::uint32_t seed, SyncRecord& record, bool& known);
