#pragma once
// The merge of every PC's changes: plain data, no files, no threads.
//
// Merge rules (the result depends only on which records were applied, never on their order,
// and applying a record twice changes nothing):
//  - Entries and settings: per item the change with the latest stamp (clock, then PC id) wins;
//    a deletion is kept as a tombstone, so an older copy never brings the item back.
//  - Learnt words and pairs: each PC's latest record tells its count since the word's latest
//    forgetting it had seen (its epoch); the counts of all PCs are summed. A forgetting removes
//    every count whose epoch is older than it: what each PC learnt until it saw the forgetting.
//    A PC that learns the word again after seeing it counts from 0. A pair is forgotten with
//    either of its words.
//  - A pair is one item whatever the capitals of its words, as the usage stores compare words
//    (each keeps the form its user typed); a word's forgetting takes its pairs in every form.
//  - Pairs are bounded as each PC's usage store is: a PC's compaction leaves out the pairs its
//    store let go of, and a reader takes that PC's pair counts from its newest generation alone.
//    Learnt words are never dropped so.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dict/SyncLog.h"

// An item whose merged value changed (see CSyncState::TakeChanges).
struct SyncChange {
    SyncKind kind = SyncKind::Entry;  // Entry, Setting, LearntWord or LearntPair
    std::string first, second;        // dictionary and key, section and key, word (and next word)
    bool present = false;             // a value is set / the count is above 0
    std::string value;
    std::uint64_t count = 0;
};

class CSyncState {
public:
    // Applies a record written by pc. False when it changed nothing (a duplicate, an older
    // change, a kind this version does not merge).
    bool Apply(const SyncPcId& pc, const SyncRecord& record);

    // The merged values. Null for an item that is missing or deleted.
    const std::string* Entry(std::string_view dictionary, std::string_view key) const;
    const std::string* Setting(std::string_view section, std::string_view key) const;
    std::uint64_t LearntCount(std::string_view word) const;
    std::uint64_t PairCount(std::string_view first, std::string_view second) const;
    // The latest forgetting of a word (of either word of a pair), zero when there was none.
    SyncStamp Forgotten(std::string_view word) const;
    SyncStamp PairForgotten(std::string_view first, std::string_view second) const;
    // How many words were ever forgotten: none spares a start the look at every local word.
    std::size_t ForgottenWordCount() const { return m_forgottenWords; }
    // How many pairs were ever counted: none spares a start the walk over every item.
    std::size_t PairItemCount() const { return m_pairItems; }
    // A PC's count of a word (second empty) or pair since the current forgetting: what that PC
    // goes on counting from.
    std::uint64_t CountOf(const SyncPcId& pc, std::string_view first, std::string_view second = {}) const;
    // The latest stamp of an entry or setting, deleted or not (zero when none was seen).
    SyncStamp StampOf(SyncKind kind, std::string_view first, std::string_view second) const;

    void ForEachEntry(const std::function<void(std::string_view dictionary, std::string_view key,
                                               const std::string& data)>& visit) const;
    void ForEachSetting(const std::function<void(std::string_view section, std::string_view key,
                                                 const std::string& value)>& visit) const;
    void ForEachLearntWord(const std::function<void(std::string_view word, std::uint64_t count)>& visit) const;
    void ForEachLearntPair(
        const std::function<void(std::string_view first, std::string_view second, std::uint64_t count)>& visit) const;

    // The records of pc that still count, one per item: what a compaction of its log keeps.
    // Changes another PC overrode, and counts a forgetting removed, are left out.
    void ForEachCurrentRecordOf(const SyncPcId& pc, const std::function<void(const SyncRecord&)>& visit) const;

    // Takes back a PC's counts of pairs: those of one pair (its own store let go of it), or all
    // (its log was compacted: what it still counts is read anew from the new generation).
    void DropPairCount(const SyncPcId& pc, std::string_view first, std::string_view second);
    void DropPairCountsOf(const SyncPcId& pc);

    // From now on the items whose merged value changes are noted, with their value before.
    void TrackChanges(bool on);
    // The noted items whose value differs from before; the notes start anew.
    std::vector<SyncChange> TakeChanges();

    std::size_t ItemCount() const { return m_registers.size() + m_counters.size(); }
    // Room for about this many items, taken at once (a start-up that reads every log).
    void Reserve(std::size_t items);

private:
    struct Register {
        SyncStamp stamp;
        bool deleted = false;
        std::string value;
    };
    struct PcCount {
        std::uint16_t pc;
        SyncClock clock;
        SyncStamp epoch;
        std::uint64_t count;
    };
    // A word's or a pair's counts and the latest forgetting known of it (of a pair: that its
    // counts' epochs tell; its words' own count as well).
    struct Counter {
        SyncStamp forgotten;
        std::vector<PcCount> counts;
    };
    struct Snapshot {
        bool present = false;
        std::string value;
        std::uint64_t count = 0;
    };

    static std::string KeyOf(SyncKind kind, std::string_view first, std::string_view second);
    static void SplitKey(const std::string& key, SyncKind& kind, std::string_view& first, std::string_view& second);
    std::uint16_t PcIndex(const SyncPcId& pc);
    const Counter* FindCounter(SyncKind kind, std::string_view first, std::string_view second) const;
    SyncStamp ForgottenOfKey(const std::string& key) const;
    std::uint64_t Sum(const Counter& counter, const SyncStamp& forgotten) const;
    Snapshot Current(const std::string& key) const;
    void Note(const std::string& key);
    void NotePairsOf(std::string_view word);
    // The latest forgetting of a word in any of its forms, as its pairs know it.
    SyncStamp PairWordForgotten(std::string_view word) const;
    void NotePairWordForgotten(std::string_view word, const SyncStamp& stamp);
    bool ApplyRegister(const SyncPcId& pc, const SyncRecord& record);
    bool ApplyCount(std::uint16_t pc, const SyncRecord& record);
    bool ApplyForget(const SyncPcId& pc, const SyncRecord& record);
    void DropCount(const std::string& key, Counter& counter, std::uint16_t pc);

    std::unordered_map<std::string, Register> m_registers;
    std::unordered_map<std::string, Counter> m_counters;
    std::vector<SyncPcId> m_pcs;
    std::map<SyncPcId, std::uint16_t> m_pcIndex;
    std::uint16_t m_lastPc = 0xFFFF;
    std::size_t m_forgottenWords = 0;
    std::unordered_map<std::string, SyncStamp> m_pairWordForgotten;  // by the word folded
    std::size_t m_pairItems = 0;  // the index asked for last: records come log by log
    bool m_tracking = false;
    std::unordered_map<std::string, Snapshot> m_before;
};
