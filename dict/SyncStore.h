#pragma once
// A user's words kept in a sync folder shared by several PCs and merged without loss.
//
// Each PC appends its own changes to its own log in the folder ("<pc id>.pvsync", dict/SyncLog.h)
// and reads the other PCs' logs; no file is ever written by two PCs, so a sync client never has a
// conflict to resolve. What the program uses is the merge of all logs (dict/SyncState.h).
//
// Reading: a log is read up to its last complete, valid record; the place is kept, and the log
// is read on from there when its size or change stamp moves (a sync client delivers in pieces,
// maybe a later one first: a bad record stops the read until the file changes). A log with a new
// generation (its PC compacted it) is read anew from its start: every record tells a latest
// value, so reading one twice changes nothing; that PC's pair counts are taken from it alone (a
// compaction may leave out pairs its usage store let go of). A file named as a log that is none is told once.
//
// Compaction: when the own log passes a bound (SyncOptions::compactAt, and twice its size after
// the last compaction) the store writes a new generation beside it (".tmp") holding the own
// records that still count, one per item, and moves it over the log (atomic replace): a crash
// leaves the old log or the new one. Tombstones (deleted entries and settings, forgotten words)
// are kept for good while they are the latest change of their item: a PC that was offline for
// months must still see them, and each is one small record. Changes that another PC overrode
// and counts a forgetting removed are dropped: the newer change stays in its writer's log.
//
// Pure data and file calls, no threads: the owner calls it where it suits (never on a key path).

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <map>
#include <string_view>
#include <vector>

#include "dict/SyncClock.h"
#include "dict/SyncFolder.h"
#include "dict/SyncLog.h"
#include "dict/SyncState.h"

struct SyncOptions {
    std::int64_t compactAt = std::int64_t{1} << 20;
    CHybridClock::WallSource wall = CHybridClock::SystemWall;
};

// A file of the folder the store cannot use, told once: the file's name and why, in words.
struct SyncProblem {
    std::string file;
    std::string reason;
};

class CSyncStore {
public:
    // The folder outlives the store.
    CSyncStore(ISyncFolder& folder, const SyncPcId& own, SyncOptions options = {});

    // Reads the own log (making it when missing, cutting a torn last record) and every other
    // log. False when the own log cannot be made or read: the store then only reads.
    bool Open();
    // Before Open: where a copy of the own log is read, should the folder lack the log (a sync
    // client or a user removed it); it is put back whole, since no other PC holds what this one
    // learnt. A copy whose header names another PC is passed over.
    using CopyReader = std::function<bool(std::string& bytes)>;
    void SetOwnLogCopy(CopyReader readCopy) { m_readOwnLogCopy = std::move(readCopy); }
    bool IsWritable() const { return m_writable; }

    // Local changes, each written to the own log at once and then merged. False, with nothing
    // merged, when the log refused it.
    bool SetEntry(std::string_view dictionary, std::string_view key, std::string_view data);
    bool DeleteEntry(std::string_view dictionary, std::string_view key);
    bool SetSetting(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteSetting(std::string_view section, std::string_view key);
    bool Learn(std::string_view word, std::uint64_t times = 1);
    bool LearnPair(std::string_view first, std::string_view second, std::uint64_t times = 1);
    // Many pairs at once, in one write (a usage store's pairs beyond the merge).
    struct PairTimes {
        std::string first, second;
        std::uint64_t times;
    };
    bool LearnPairs(const std::vector<PairTimes>& pairs);
    // The AutoLearn page deleted a word: its counts on every PC until then go, and its pairs'.
    bool Forget(std::string_view word);

    // Reads the other logs whose size or stamp changed since the last look: a listing of the
    // folder and a look at the own log's header when none did. Returns the items whose merged value changed
    // (local changes are not among them: the caller made them). The own log, gone from the
    // folder or its header overwritten meanwhile, is written anew whole (as a compaction).
    std::vector<SyncChange> Refresh();
    // Files that could not be used, each told once; then the list starts anew.
    std::vector<SyncProblem> TakeProblems();

    // Writes the own log anew with only what still counts (see the top of this file), leaving out
    // the own pairs keepPair refuses (the local store let go of them; null keeps all). They are
    // taken out of the merge too.
    using PairFilter = std::function<bool(std::string_view first, std::string_view second)>;
    bool Compact(const PairFilter& keepPair);
    bool Compact() { return Compact(m_keepPair); }
    // The filter of the compactions the store starts itself.
    void SetPairFilter(PairFilter keepPair) { m_keepPair = std::move(keepPair); }

    // A clock kept from an earlier run (the own log may be gone): later changes come after it.
    void Observe(const SyncClock& seen) { m_clock.Observe(seen); }
    // The highest clock made or seen so far.
    const SyncClock& HighestClock() const { return m_clock.Last(); }

    const CSyncState& State() const { return m_state; }
    const SyncPcId& Own() const { return m_own; }
    // The clock of the latest local change (its stamp is that and the own id).
    const SyncClock& LastChange() const { return m_lastChange; }
    std::int64_t OwnLogSize() const { return m_ownSize; }
    std::string OwnLogName() const { return SyncLogName(m_own); }

private:
    struct LogReader {
        SyncPcId pc;
        std::int64_t size = -1;
        std::int64_t stamp = 0;
        bool headerRead = false;
        SyncClock generation;
        std::uint32_t seed = 0;
        std::int64_t offset = 0;  // where the next record starts
    };

    bool OpenOwnLog();
    bool StartOwnLog();
    bool Append(SyncRecord& record) { return AppendAll(&record, 1); }
    bool AppendAll(SyncRecord* records, std::size_t count);
    void ReadLog(const ISyncFolder::FileInfo& file, LogReader& reader);
    enum class HeaderState { Ready, NotYet, Unreadable };
    HeaderState ReadHeader(const std::string& name, LogReader& reader);
    // Applies the records at the start of bytes; the count of bytes they took.
    std::size_t ApplyRecords(const SyncPcId& pc, std::uint32_t seed, std::string_view bytes);
    // A header of a new generation; the records that follow it are checked with m_nextSeed.
    std::string NewHeader();
    bool WriteNewGeneration(const std::string& bytes);
    // Through a ".tmp" and a replace: a crash leaves the old log or the new one.
    bool WriteOwnLogWhole(const std::string& bytes);
    bool PutBackOwnLog();
    void Tell(const std::string& file, const std::string& reason);
    // Whether the own log is in the folder (listed) and still starts with the header written.
    bool OwnLogIntact(bool listed);

    ISyncFolder& m_folder;
    SyncPcId m_own;
    SyncOptions m_options;
    CHybridClock m_clock;
    SyncClock m_lastChange;
    CSyncState m_state;
    bool m_writable = false;
    std::uint32_t m_ownSeed = 0;
    std::uint32_t m_nextSeed = 0;
    std::int64_t m_ownSize = 0;
    std::int64_t m_compactedSize = 0;
    std::string m_ownHeader;
    CopyReader m_readOwnLogCopy;
    std::map<std::string, LogReader> m_readers;
    std::set<std::string> m_told;
    std::vector<SyncProblem> m_problems;
    PairFilter m_keepPair;
};
