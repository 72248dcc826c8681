#include "dict/SyncState.h"

#include <algorithm>

#include "dict/Utf8Case.h"

namespace {

bool IsRegister(SyncKind kind)
{
    return kind == SyncKind::Entry || kind == SyncKind::Setting;
}

// A word as the usage stores compare it: small letters, both small sigmas alike.
std::string Folded(std::string_view word)
{
    std::string folded = utf8case::Lowered(word);
    static const std::string finalSigma = "\xCF\x82";
    for (std::size_t at = folded.find(finalSigma); at != std::string::npos; at = folded.find(finalSigma, at))
        folded[at + 1] = '\x83';
    return folded;
}

}  // namespace

std::string CSyncState::KeyOf(SyncKind kind, std::string_view first, std::string_view second)
{
    if (kind == SyncKind::LearntPair) {
        const std::string foldedFirst = Folded(first), foldedSecond = Folded(second);
        if (foldedFirst != first || foldedSecond != second)
            return KeyOf(kind, foldedFirst, foldedSecond);
    }
    std::string key;
    key.reserve(6 + first.size() + second.size());
    key += static_cast<char>(kind);
    std::size_t length = first.size();
    while (length >= 0x80) {
        key += static_cast<char>(length | 0x80);
        length >>= 7;
    }
    key += static_cast<char>(length);
    key.append(first.data(), first.size());
    key.append(second.data(), second.size());
    return key;
}

void CSyncState::SplitKey(const std::string& key, SyncKind& kind, std::string_view& first, std::string_view& second)
{
    kind = static_cast<SyncKind>(key[0]);
    std::size_t at = 1, length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(key[at++]);
        length |= std::size_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
    }
    const std::string_view all(key);
    first = all.substr(at, length);
    second = all.substr(at + length);
}

void CSyncState::Reserve(std::size_t items)
{
    m_counters.reserve(items);
    m_registers.reserve(items / 8);
}

std::uint16_t CSyncState::PcIndex(const SyncPcId& pc)
{
    if (m_lastPc < m_pcs.size() && m_pcs[m_lastPc] == pc)
        return m_lastPc;
    const auto found = m_pcIndex.find(pc);
    if (found != m_pcIndex.end())
        return m_lastPc = found->second;
    const auto index = static_cast<std::uint16_t>(m_pcs.size());
    m_pcs.push_back(pc);
    m_pcIndex.emplace(pc, index);
    return m_lastPc = index;
}

bool CSyncState::Apply(const SyncPcId& pc, const SyncRecord& record)
{
    if (IsRegister(record.kind))
        return ApplyRegister(pc, record);
    if (record.kind == SyncKind::LearntWord || record.kind == SyncKind::LearntPair)
        return ApplyCount(PcIndex(pc), record);
    if (record.kind == SyncKind::ForgetWord)
        return ApplyForget(pc, record);
    return false;
}

bool CSyncState::ApplyRegister(const SyncPcId& pc, const SyncRecord& record)
{
    const SyncStamp stamp{record.clock, pc};
    std::string key = KeyOf(record.kind, record.first, record.second);
    const auto found = m_registers.find(key);
    if (found != m_registers.end() && !(found->second.stamp < stamp))
        return false;
    Note(key);
    Register& item = found != m_registers.end() ? found->second : m_registers[std::move(key)];
    item.stamp = stamp;
    item.deleted = record.deleted;
    item.value.assign(record.deleted ? std::string_view() : record.value);
    return true;
}

bool CSyncState::ApplyCount(std::uint16_t pc, const SyncRecord& record)
{
    const std::string_view second = record.kind == SyncKind::LearntPair ? record.second : std::string_view();
    std::string key = KeyOf(record.kind, record.first, second);
    auto found = m_counters.find(key);
    if (found == m_counters.end()) {
        found = m_counters.emplace(std::move(key), Counter()).first;
        m_pairItems += record.kind == SyncKind::LearntPair ? 1 : 0;
    }
    std::vector<PcCount>& counts = found->second.counts;
    auto own = std::find_if(counts.begin(), counts.end(), [pc](const PcCount& c) { return c.pc == pc; });
    if (own != counts.end() && !(own->clock < record.clock))
        return false;
    Note(found->first);
    // An epoch tells of a forgetting as well as its record does: a PC that sees only the count of
    // another (or its own, after a restart) still knows that the counts before it are gone.
    if (found->second.forgotten < record.epoch) {
        if (record.kind == SyncKind::LearntWord) {
            NotePairsOf(record.first);
            NotePairWordForgotten(record.first, record.epoch);
            m_forgottenWords += found->second.forgotten.IsZero() ? 1 : 0;
        }
        found->second.forgotten = record.epoch;
    }
    if (own == counts.end())
        own = counts.insert(counts.end(), PcCount{pc, {}, {}, 0});
    own->clock = record.clock;
    own->epoch = record.epoch;
    own->count = record.count;
    return true;
}

bool CSyncState::ApplyForget(const SyncPcId& pc, const SyncRecord& record)
{
    const SyncStamp stamp{record.clock, pc};
    std::string key = KeyOf(SyncKind::LearntWord, record.first, {});
    auto found = m_counters.find(key);
    if (found != m_counters.end() && !(found->second.forgotten < stamp))
        return false;
    if (found == m_counters.end())
        found = m_counters.emplace(std::move(key), Counter()).first;
    Note(found->first);
    NotePairsOf(record.first);
    NotePairWordForgotten(record.first, stamp);
    m_forgottenWords += found->second.forgotten.IsZero() ? 1 : 0;
    found->second.forgotten = stamp;
    return true;
}

void CSyncState::NotePairWordForgotten(std::string_view word, const SyncStamp& stamp)
{
    SyncStamp& latest = m_pairWordForgotten[Folded(word)];
    latest = std::max(latest, stamp);
}

SyncStamp CSyncState::PairWordForgotten(std::string_view word) const
{
    if (m_pairWordForgotten.empty())
        return SyncStamp();
    const auto found = m_pairWordForgotten.find(Folded(word));
    return found == m_pairWordForgotten.end() ? SyncStamp() : found->second;
}

void CSyncState::DropCount(const std::string& key, Counter& counter, std::uint16_t pc)
{
    const auto own = std::find_if(counter.counts.begin(), counter.counts.end(),
                                  [pc](const PcCount& count) { return count.pc == pc; });
    if (own == counter.counts.end())
        return;
    Note(key);
    counter.counts.erase(own);
}

void CSyncState::DropPairCount(const SyncPcId& pc, std::string_view first, std::string_view second)
{
    const auto index = m_pcIndex.find(pc);
    const auto found = m_counters.find(KeyOf(SyncKind::LearntPair, first, second));
    if (index != m_pcIndex.end() && found != m_counters.end())
        DropCount(found->first, found->second, index->second);
}

void CSyncState::DropPairCountsOf(const SyncPcId& pc)
{
    const auto index = m_pcIndex.find(pc);
    if (index == m_pcIndex.end())
        return;
    for (auto& [key, counter] : m_counters)
        if (static_cast<SyncKind>(key[0]) == SyncKind::LearntPair)
            DropCount(key, counter, index->second);
}

const CSyncState::Counter* CSyncState::FindCounter(SyncKind kind, std::string_view first, std::string_view second) const
{
    const auto found = m_counters.find(KeyOf(kind, first, second));
    return found == m_counters.end() ? nullptr : &found->second;
}

SyncStamp CSyncState::Forgotten(std::string_view word) const
{
    const Counter* counter = FindCounter(SyncKind::LearntWord, word, {});
    return counter ? counter->forgotten : SyncStamp();
}

SyncStamp CSyncState::PairForgotten(std::string_view first, std::string_view second) const
{
    const Counter* pair = FindCounter(SyncKind::LearntPair, first, second);
    return std::max({PairWordForgotten(first), PairWordForgotten(second), pair ? pair->forgotten : SyncStamp()});
}

SyncStamp CSyncState::ForgottenOfKey(const std::string& key) const
{
    SyncKind kind;
    std::string_view first, second;
    SplitKey(key, kind, first, second);
    return kind == SyncKind::LearntPair ? PairForgotten(first, second) : Forgotten(first);
}

std::uint64_t CSyncState::Sum(const Counter& counter, const SyncStamp& forgotten) const
{
    std::uint64_t sum = 0;
    for (const PcCount& count : counter.counts)
        if (!(count.epoch < forgotten))
            sum += count.count;
    return sum;
}

std::uint64_t CSyncState::LearntCount(std::string_view word) const
{
    const Counter* counter = FindCounter(SyncKind::LearntWord, word, {});
    return counter ? Sum(*counter, counter->forgotten) : 0;
}

std::uint64_t CSyncState::PairCount(std::string_view first, std::string_view second) const
{
    const Counter* counter = FindCounter(SyncKind::LearntPair, first, second);
    return counter ? Sum(*counter, PairForgotten(first, second)) : 0;
}

std::uint64_t CSyncState::CountOf(const SyncPcId& pc, std::string_view first, std::string_view second) const
{
    const auto index = m_pcIndex.find(pc);
    const SyncKind kind = second.empty() ? SyncKind::LearntWord : SyncKind::LearntPair;
    const Counter* counter = FindCounter(kind, first, second);
    if (index == m_pcIndex.end() || !counter)
        return 0;
    const SyncStamp forgotten = second.empty() ? counter->forgotten : PairForgotten(first, second);
    for (const PcCount& count : counter->counts)
        if (count.pc == index->second)
            return count.epoch < forgotten ? 0 : count.count;
    return 0;
}

SyncStamp CSyncState::StampOf(SyncKind kind, std::string_view first, std::string_view second) const
{
    const auto found = m_registers.find(KeyOf(kind, first, second));
    return found == m_registers.end() ? SyncStamp() : found->second.stamp;
}

const std::string* CSyncState::Entry(std::string_view dictionary, std::string_view key) const
{
    const auto found = m_registers.find(KeyOf(SyncKind::Entry, dictionary, key));
    return found == m_registers.end() || found->second.deleted ? nullptr : &found->second.value;
}

const std::string* CSyncState::Setting(std::string_view section, std::string_view key) const
{
    const auto found = m_registers.find(KeyOf(SyncKind::Setting, section, key));
    return found == m_registers.end() || found->second.deleted ? nullptr : &found->second.value;
}

void CSyncState::ForEachEntry(
    const std::function<void(std::string_view, std::string_view, const std::string&)>& visit) const
{
    for (const auto& [key, item] : m_registers) {
        SyncKind kind;
        std::string_view first, second;
        SplitKey(key, kind, first, second);
        if (kind == SyncKind::Entry && !item.deleted)
            visit(first, second, item.value);
    }
}

void CSyncState::ForEachSetting(
    const std::function<void(std::string_view, std::string_view, const std::string&)>& visit) const
{
    for (const auto& [key, item] : m_registers) {
        SyncKind kind;
        std::string_view first, second;
        SplitKey(key, kind, first, second);
        if (kind == SyncKind::Setting && !item.deleted)
            visit(first, second, item.value);
    }
}

void CSyncState::ForEachLearntWord(const std::function<void(std::string_view, std::uint64_t)>& visit) const
{
    for (const auto& [key, counter] : m_counters) {
        SyncKind kind;
        std::string_view first, second;
        SplitKey(key, kind, first, second);
        if (kind != SyncKind::LearntWord)
            continue;
        if (const std::uint64_t count = Sum(counter, counter.forgotten))
            visit(first, count);
    }
}

void CSyncState::ForEachLearntPair(
    const std::function<void(std::string_view, std::string_view, std::uint64_t)>& visit) const
{
    for (const auto& [key, counter] : m_counters) {
        SyncKind kind;
        std::string_view first, second;
        SplitKey(key, kind, first, second);
        if (kind != SyncKind::LearntPair)
            continue;
        if (const std::uint64_t count = Sum(counter, PairForgotten(first, second)))
            visit(first, second, count);
    }
}

void CSyncState::ForEachCurrentRecordOf(const SyncPcId& pc, const std::function<void(const SyncRecord&)>& visit) const
{
    SyncRecord record;
    for (const auto& [key, item] : m_registers) {
        if (item.stamp.pc != pc)
            continue;
        SplitKey(key, record.kind, record.first, record.second);
        record.clock = item.stamp.clock;
        record.deleted = item.deleted;
        record.value = item.value;
        visit(record);
    }
    const auto index = m_pcIndex.find(pc);
    record.deleted = false;
    record.value = {};
    for (const auto& [key, counter] : m_counters) {
        SplitKey(key, record.kind, record.first, record.second);
        if (record.kind == SyncKind::LearntWord && counter.forgotten.pc == pc && !counter.forgotten.IsZero()) {
            SyncRecord forget;
            forget.kind = SyncKind::ForgetWord;
            forget.first = record.first;
            forget.clock = counter.forgotten.clock;
            visit(forget);
        }
        if (index == m_pcIndex.end())
            continue;
        const SyncStamp forgotten = ForgottenOfKey(key);
        for (const PcCount& count : counter.counts) {
            if (count.pc != index->second || count.epoch < forgotten)
                continue;
            record.clock = count.clock;
            record.epoch = count.epoch;
            record.count = count.count;
            visit(record);
        }
    }
}

CSyncState::Snapshot CSyncState::Current(const std::string& key) const
{
    Snapshot now;
    if (IsRegister(static_cast<SyncKind>(key[0]))) {
        const auto found = m_registers.find(key);
        if (found != m_registers.end() && !found->second.deleted) {
            now.present = true;
            now.value = found->second.value;
        }
        return now;
    }
    const auto found = m_counters.find(key);
    if (found != m_counters.end())
        now.count = Sum(found->second, ForgottenOfKey(key));
    now.present = now.count != 0;
    return now;
}

void CSyncState::Note(const std::string& key)
{
    if (m_tracking && m_before.find(key) == m_before.end())
        m_before.emplace(key, Current(key));
}

void CSyncState::NotePairsOf(std::string_view word)
{
    if (!m_tracking)
        return;
    // Forgetting is rare (the user deletes a word): a walk over the pairs is cheap enough.
    const std::string folded = Folded(word);
    for (const auto& entry : m_counters) {
        SyncKind kind;
        std::string_view first, second;
        SplitKey(entry.first, kind, first, second);
        if (kind == SyncKind::LearntPair && (first == folded || second == folded))
            Note(entry.first);
    }
}

void CSyncState::TrackChanges(bool on)
{
    m_tracking = on;
    if (!on)
        m_before.clear();
}

std::vector<SyncChange> CSyncState::TakeChanges()
{
    std::vector<SyncChange> changes;
    for (const auto& [key, before] : m_before) {
        const Snapshot now = Current(key);
        if (now.present == before.present && now.value == before.value && now.count == before.count)
            continue;
        SyncChange change;
        std::string_view first, second;
        SplitKey(key, change.kind, first, second);
        change.first.assign(first);
        change.second.assign(second);
        change.present = now.present;
        change.value = now.value;
        change.count = now.count;
        changes.push_back(std::move(change));
    }
    m_before.clear();
    return changes;
}
