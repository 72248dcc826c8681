#include "dict/SyncStore.h"

#include <algorithm>

namespace {

constexpr std::int64_t kWholeFile = std::int64_t{1} << 40;
// A new generation is written in pieces of this size (the sync client sees one file either way).
constexpr std::size_t kWritePiece = 64 * 1024;

std::string TemporaryName(const std::string& log)
{
    return log + ".tmp";
}

}  // namespace

CSyncStore::CSyncStore(ISyncFolder& folder, const SyncPcId& own, SyncOptions options)
    : m_folder(folder), m_own(own), m_options(std::move(options)), m_clock(m_options.wall)
{
}

bool CSyncStore::Open()
{
    std::vector<ISyncFolder::FileInfo> files;
    if (!m_folder.List(files)) {
        Tell(std::string(), "the sync folder cannot be read");
        return false;
    }
    const std::string ownName = OwnLogName();
    bool ownFound = false;
    for (const auto& file : files) {
        if (file.name == TemporaryName(ownName))
            m_folder.Remove(file.name);  // left by a compaction that was cut off
        ownFound = ownFound || file.name == ownName;
    }
    // A record takes some 40 bytes; most items have one or two.
    std::int64_t bytes = 0;
    for (const auto& file : files)
        bytes += file.size;
    m_state.Reserve(static_cast<std::size_t>(bytes / 64));
    m_writable = ownFound || PutBackOwnLog() ? OpenOwnLog() : StartOwnLog();
    m_readOwnLogCopy = nullptr;
    for (const auto& file : files) {
        SyncPcId pc;
        if (file.name != ownName && IsSyncLogName(file.name, pc))
            ReadLog(file, m_readers[file.name]);
    }
    return m_writable;
}

bool CSyncStore::OpenOwnLog()
{
    const std::string name = OwnLogName();
    std::string bytes;
    if (!m_folder.Read(name, 0, kWholeFile, bytes)) {
        Tell(name, "this PC's log cannot be read");
        return false;
    }
    SyncPcId pc;
    SyncClock generation;
    if (ReadSyncLogHeader(bytes, pc, generation, m_ownSeed) != SyncHeaderState::Valid || pc != m_own) {
        Tell(name, "this PC's log was damaged and is started anew");
        return StartOwnLog();
    }
    m_clock.Observe(generation);
    m_ownHeader = bytes.substr(0, kSyncHeaderSize);
    const std::size_t end =
        kSyncHeaderSize + ApplyRecords(m_own, m_ownSeed, std::string_view(bytes).substr(kSyncHeaderSize));
    // A record cut by a crash is removed, so that the next one follows the last whole one.
    if (end < bytes.size() && !m_folder.Resize(name, static_cast<std::int64_t>(end))) {
        Tell(name, "this PC's log cannot be written");
        return false;
    }
    m_ownSize = static_cast<std::int64_t>(end);
    m_compactedSize = m_ownSize;
    return true;
}

bool CSyncStore::StartOwnLog()
{
    if (WriteNewGeneration(NewHeader()))
        return true;
    Tell(OwnLogName(), "this PC's log cannot be written");
    return false;
}

std::string CSyncStore::NewHeader()
{
    return SyncLogHeader(m_own, m_clock.Tick(), m_nextSeed);
}

bool CSyncStore::WriteOwnLogWhole(const std::string& bytes)
{
    const std::string name = OwnLogName(), temporary = TemporaryName(name);
    bool ok = m_folder.Remove(temporary);
    for (std::size_t at = 0; ok && at < bytes.size(); at += kWritePiece)
        ok = m_folder.Write(temporary, static_cast<std::int64_t>(at), std::string_view(bytes).substr(at, kWritePiece));
    ok = ok && m_folder.Flush(temporary) && m_folder.Replace(temporary, name);
    if (!ok)
        m_folder.Remove(temporary);
    return ok;
}

bool CSyncStore::PutBackOwnLog()
{
    // Only this PC's own log: a copy left from an id since made anew would name another PC.
    SyncPcId pc;
    SyncClock generation;
    std::uint32_t seed = 0;
    std::string copy;
    return m_readOwnLogCopy && m_readOwnLogCopy(copy) &&
           ReadSyncLogHeader(copy, pc, generation, seed) == SyncHeaderState::Valid && pc == m_own &&
           WriteOwnLogWhole(copy);
}

bool CSyncStore::WriteNewGeneration(const std::string& bytes)
{
    if (!WriteOwnLogWhole(bytes))
        return false;
    m_ownSeed = m_nextSeed;
    m_ownSize = static_cast<std::int64_t>(bytes.size());
    m_compactedSize = m_ownSize;
    m_ownHeader = bytes.substr(0, kSyncHeaderSize);
    return true;
}

std::size_t CSyncStore::ApplyRecords(const SyncPcId& pc, std::uint32_t seed, std::string_view bytes)
{
    std::size_t at = 0;
    SyncRecord record;
    bool known = false;
    while (const std::size_t length = ReadSyncRecord(bytes.substr(at), seed, record, known)) {
        if (known) {
            m_clock.Observe(record.clock);
            m_state.Apply(pc, record);
        }
        at += length;
    }
    return at;
}

bool CSyncStore::AppendAll(SyncRecord* records, std::size_t count)
{
    if (!m_writable)
        return false;
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) {
        records[i].clock = m_clock.Tick();
        AppendSyncRecord(bytes, records[i], m_ownSeed);
    }
    if (!m_folder.Write(OwnLogName(), m_ownSize, bytes)) {
        Tell(OwnLogName(), "this PC's log cannot be written");
        return false;
    }
    m_told.erase(OwnLogName());
    m_ownSize += static_cast<std::int64_t>(bytes.size());
    for (std::size_t i = 0; i < count; ++i) {
        m_state.Apply(m_own, records[i]);
        m_lastChange = records[i].clock;
    }
    if (m_ownSize > std::max(m_options.compactAt, 2 * m_compactedSize))
        Compact();
    return true;
}

namespace {

// A change of one keyed item (a dictionary entry or a setting): its value, or its deletion.
SyncRecord KeyedChange(SyncKind kind, std::string_view first, std::string_view second, const std::string_view* value)
{
    SyncRecord record;
    record.kind = kind;
    record.first = first;
    record.second = second;
    if (value)
        record.value = *value;
    else
        record.deleted = true;
    return record;
}

}  // namespace

bool CSyncStore::SetEntry(std::string_view dictionary, std::string_view key, std::string_view data)
{
    SyncRecord record = KeyedChange(SyncKind::Entry, dictionary, key, &data);
    return Append(record);
}

bool CSyncStore::DeleteEntry(std::string_view dictionary, std::string_view key)
{
    SyncRecord record = KeyedChange(SyncKind::Entry, dictionary, key, nullptr);
    return Append(record);
}

bool CSyncStore::SetSetting(std::string_view section, std::string_view key, std::string_view value)
{
    SyncRecord record = KeyedChange(SyncKind::Setting, section, key, &value);
    return Append(record);
}

bool CSyncStore::DeleteSetting(std::string_view section, std::string_view key)
{
    SyncRecord record = KeyedChange(SyncKind::Setting, section, key, nullptr);
    return Append(record);
}

bool CSyncStore::Learn(std::string_view word, std::uint64_t times)
{
    SyncRecord record;
    record.kind = SyncKind::LearntWord;
    record.first = word;
    record.count = m_state.CountOf(m_own, word) + times;
    record.epoch = m_state.Forgotten(word);
    return Append(record);
}

bool CSyncStore::LearnPair(std::string_view first, std::string_view second, std::uint64_t times)
{
    if (second.empty())
        return false;
    SyncRecord record;
    record.kind = SyncKind::LearntPair;
    record.first = first;
    record.second = second;
    record.count = m_state.CountOf(m_own, first, second) + times;
    record.epoch = m_state.PairForgotten(first, second);
    return Append(record);
}

bool CSyncStore::LearnPairs(const std::vector<PairTimes>& pairs)
{
    std::vector<SyncRecord> records;
    records.reserve(pairs.size());
    for (const PairTimes& pair : pairs) {
        if (pair.second.empty() || pair.times == 0)
            continue;
        SyncRecord record;
        record.kind = SyncKind::LearntPair;
        record.first = pair.first;
        record.second = pair.second;
        // A pair comes once in a batch: the counts before it are the merge's.
        record.count = m_state.CountOf(m_own, pair.first, pair.second) + pair.times;
        record.epoch = m_state.PairForgotten(pair.first, pair.second);
        records.push_back(record);
    }
    return records.empty() || AppendAll(records.data(), records.size());
}

bool CSyncStore::Forget(std::string_view word)
{
    SyncRecord record;
    record.kind = SyncKind::ForgetWord;
    record.first = word;
    return Append(record);
}

bool CSyncStore::OwnLogIntact(bool listed)
{
    // Removed while the program runs, its appends go to a file no other PC sees, or make one anew
    // that starts with zeros where the header was: either way the log is written anew, whole.
    if (!listed)
        return false;
    std::string header;
    if (!m_folder.Read(OwnLogName(), 0, kSyncHeaderSize, header))
        return true;  // busy (a sync client copying it): looked at again next time
    return header == m_ownHeader;
}

std::vector<SyncChange> CSyncStore::Refresh()
{
    std::vector<ISyncFolder::FileInfo> files;
    if (!m_folder.List(files)) {
        Tell(std::string(), "the sync folder cannot be read");
        return {};
    }
    m_told.erase(std::string());
    m_state.TrackChanges(true);
    const std::string ownName = OwnLogName();
    bool ownListed = false;
    for (const auto& file : files) {
        SyncPcId pc;
        if (file.name == ownName) {
            ownListed = true;
            if (m_writable && file.size != m_ownSize)
                Tell(file.name, "another PC writes this PC's log (was the program folder copied?)");
        } else if (IsSyncLogName(file.name, pc)) {
            ReadLog(file, m_readers[file.name]);
        }
    }
    if (m_writable && !OwnLogIntact(ownListed))
        Compact();
    std::vector<SyncChange> changes = m_state.TakeChanges();
    m_state.TrackChanges(false);
    return changes;
}

void CSyncStore::ReadLog(const ISyncFolder::FileInfo& file, LogReader& reader)
{
    if (reader.size == file.size && reader.stamp == file.stamp)
        return;
    const HeaderState header = ReadHeader(file.name, reader);
    if (header == HeaderState::Unreadable)
        return;  // looked at again next time
    std::string bytes;
    if (header == HeaderState::Ready && file.size > reader.offset) {
        if (!m_folder.Read(file.name, reader.offset, file.size - reader.offset, bytes))
            return;
        reader.offset += static_cast<std::int64_t>(ApplyRecords(reader.pc, reader.seed, bytes));
    }
    reader.size = file.size;
    reader.stamp = file.stamp;
}

CSyncStore::HeaderState CSyncStore::ReadHeader(const std::string& name, LogReader& reader)
{
    std::string bytes;
    if (!m_folder.Read(name, 0, kSyncHeaderSize, bytes))
        return HeaderState::Unreadable;
    SyncPcId named, pc;
    SyncClock generation;
    std::uint32_t seed = 0;
    IsSyncLogName(name, named);
    const SyncHeaderState state = ReadSyncLogHeader(bytes, pc, generation, seed);
    if (state == SyncHeaderState::Incomplete)
        return HeaderState::NotYet;
    if (state == SyncHeaderState::Foreign || pc != named) {
        reader.headerRead = false;
        Tell(name, "the file is not a Pennivox sync log");
        return HeaderState::NotYet;
    }
    // A new generation is read from its start. Within one generation the file only grows, so a
    // copy that shrank (a sync client rewriting it) holds the same bytes where it grows back.
    if (!reader.headerRead || reader.generation != generation) {
        if (reader.headerRead)
            m_state.DropPairCountsOf(pc);
        reader.offset = kSyncHeaderSize;
        reader.headerRead = true;
        reader.pc = pc;
        reader.generation = generation;
        reader.seed = seed;
    }
    return HeaderState::Ready;
}

void CSyncStore::Tell(const std::string& file, const std::string& reason)
{
    if (m_told.insert(file).second)
        m_problems.push_back(SyncProblem{file, reason});
}

std::vector<SyncProblem> CSyncStore::TakeProblems()
{
    std::vector<SyncProblem> problems;
    problems.swap(m_problems);
    return problems;
}

bool CSyncStore::Compact(const PairFilter& keepPair)
{
    if (!m_writable)
        return false;
    std::string bytes = NewHeader();
    const std::uint32_t seed = m_nextSeed;
    std::vector<std::pair<std::string, std::string>> dropped;
    m_state.ForEachCurrentRecordOf(m_own, [&](const SyncRecord& record) {
        if (record.kind == SyncKind::LearntPair && keepPair && !keepPair(record.first, record.second))
            dropped.emplace_back(record.first, record.second);
        else
            AppendSyncRecord(bytes, record, seed);
    });
    if (WriteNewGeneration(bytes)) {
        for (const auto& [first, second] : dropped)
            m_state.DropPairCount(m_own, first, second);
        return true;
    }
    Tell(OwnLogName(), "this PC's log cannot be compacted");
    return false;
}
