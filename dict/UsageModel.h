#pragma once
// What the user's typing teaches: how often each word was typed (and how recently), and which
// word followed which. Blended with the dictionaries' ranks it orders the candidates: a word or
// pair typed before comes up early the next time.
//
// Kept in memory compactly (one text pool, fixed-size records, sorted index arrays) and stored in
// one small text file beside AutoLearn.dic, written whole to a sibling file and moved over the
// old one, so that a write cut anywhere leaves the old or the new file. The store is bounded:
// beyond its limits the least useful words and pairs are dropped.
//
// Words are UTF-8 and compared with Unicode's simple case folding. A file of the first version
// holds words in the system's ANSI code page: it is read in that code page and written anew in
// UTF-8 (again beside it and moved over it) as soon as it is loaded.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CCodePage;

class CUsageModel {
public:
    // In characters (at most 4 bytes each: a word's length fits in a byte).
    static constexpr std::size_t kMaxWordLength = 48;
    struct Limits {
        std::size_t words = 20000;
        std::size_t pairs = 60000;
    };
    // Blending: how much weight the ranks (the model of the language) carry against the counts
    // of what was typed, and how much a word's own use weighs against that of the pair.
    struct Blend {
        double modelWeight = 400.0;
        double pairWeight = 2.0;
        double recentWords = 2000.0;  // a word typed this many words ago counts half as much more
    };
    struct Word {
        std::string_view text;    // as it is offered (the lower-case form once it was typed so)
        std::uint32_t count;      // times typed
        std::uint32_t last;       // serial of the word when it was last typed
        std::uint16_t rank;       // the dictionaries' rank (0: none)
        bool known;               // a dictionary holds it
        std::int32_t index = -1;  // its place in the store while the store is unchanged; -1: look it up
    };

    CUsageModel();
    explicit CUsageModel(Limits limits);
    // The code page of a first-version file: the system's ANSI code page unless set (not owned).
    void SetLegacyCodePage(const CCodePage* codePage) { m_legacyCodePage = codePage; }

    // Reads the file; a missing file gives an empty store (true). A file that is damaged or not
    // of this kind gives an empty store too (false) and is replaced at the next Save. A
    // first-version file is converted and saved at once; should that save fail, the old file
    // stays and the next Save (or the next Load) tries again.
    bool Load(const std::string& path);
    // Writes the store when it changed since it was loaded or saved (crash-safe, see above).
    bool Save();
    // Empties the store and its file.
    bool Clear();
    // Drops these words (case ignored) and every pair they are part of, from memory; the next Save
    // writes the file without them. False when none of them was known.
    bool Forget(const std::vector<std::string>& words);
    const std::string& Path() const { return m_path; }
    void SetPath(std::string path) { m_path = std::move(path); }
    bool IsDirty() const { return m_dirty; }
    // The file's content as Save would write it, for a write elsewhere; the store counts as saved.
    std::string Snapshot()
    {
        m_dirty = false;
        return Serialize();
    }

    // The file's content, and reading it back (false for a damaged one, store unchanged). A
    // first-version text is read in the legacy code page.
    std::string Serialize() const;
    bool Parse(std::string_view text);
    // Whether the last Parse read a first-version (ANSI) text.
    bool ParsedAnsi() const { return m_parsedAnsi; }

    // A word was typed. previous: the word before it in the same sentence, or empty. rank and
    // known: what the dictionaries say of the word (see IDictionarySearch::RankOf).
    // Texts that are no word (no letter, too long, punctuation) are not learnt: false.
    bool Learn(std::string_view word, std::string_view previous, int rank, bool known);
    // What a document taught: a word read `times` times, and a pair of words read one after the
    // other (both words taught before; a pair of an unknown word is left out). Bounded as Learn is.
    bool Teach(std::string_view word, int rank, bool known, std::uint32_t times);
    bool TeachPair(std::string_view previous, std::string_view word, std::uint32_t times);
    // Told after Learn counted a pair, with the words as the store holds them (a sync folder
    // records it). The store may be changed from it: Learn is done by then.
    using PairHandler = std::function<void(std::string_view previous, std::string_view word)>;
    void SetPairLearntHandler(PairHandler handler) { m_onPairLearnt = std::move(handler); }
    // A pair's count as another source says (a sync folder's merge); 0 drops the pair. A word of
    // it the store lacks is added, uncounted, with what rankOf says of it (-1: no dictionary
    // holds it). Bounded as Learn is. False when nothing changed.
    using RankOf = std::function<int(std::string_view word)>;
    bool SetPairCount(std::string_view previous, std::string_view word, std::uint32_t count, const RankOf& rankOf);
    void ForEachPair(
        const std::function<void(std::string_view previous, std::string_view word, std::uint32_t count)>& visit) const;
    // Whether a text is a word worth learning: a letter of any script in it; letters, marks,
    // digits, apostrophes and hyphens only; valid UTF-8.
    static bool IsWord(std::string_view text);

    // Scores, on one scale (the expected share of this word among the next words).
    double ModelScore(int rank, std::string_view previous) const;  // a word never typed
    double Score(const Word& word, std::string_view previous) const;
    // Words whose lower-case form starts with the lower-cased prefix (any, for an empty one).
    void ForEachWithPrefix(std::string_view prefix, const std::function<void(const Word&)>& visit) const;
    // The words that followed a word, with the pair's count.
    void ForEachFollower(std::string_view previous, const std::function<void(const Word&, std::uint32_t)>& visit) const;
    bool Find(std::string_view word, Word& found) const;
    std::uint32_t PairCount(std::string_view previous, std::string_view word) const;

    std::size_t WordCount() const { return m_words.size(); }
    std::size_t PairCountTotal() const { return m_pairs.size() + m_newPairs.size(); }
    std::uint64_t TypedWords() const { return m_typed; }
    std::size_t MemoryBytes() const;
    void SetBlend(const Blend& blend) { m_blend = blend; }
    const Blend& GetBlend() const { return m_blend; }

private:
    struct Record {
        std::uint32_t textAt;  // in m_pool
        std::uint8_t length;
        bool known;
        std::uint16_t rank;
        std::uint32_t count;
        std::uint32_t last;
        std::uint32_t followers;  // total count of the pairs this word starts
    };
    struct Pair {
        std::uint32_t first;
        std::uint32_t second;
        std::uint32_t count;
    };
    std::string_view TextOf(const Record& record) const { return {m_pool.data() + record.textAt, record.length}; }
    Word ToWord(const Record& record) const;
    // Index in m_order of the first word not below the text, case folded (utf8case::CompareNoCase).
    std::size_t LowerBound(std::string_view word) const;
    int IndexOf(std::string_view word) const;
    // IndexOf for the word before the candidates: one search scores many against the same one.
    int IndexOfPrevious(std::string_view previous) const;
    int AddWord(std::string_view word, int rank, bool known, bool keepOrder = true);
    void SortOrder();
    // New pairs wait in a short unsorted list and join the sorted ones in batches, so that
    // counting a pair never moves the whole list.
    void MergePairs() const;
    const Pair* FindPair(std::uint32_t first, std::uint32_t second) const;
    std::size_t PairAt(std::uint32_t first, std::uint32_t second) const;
    void CountPair(std::uint32_t first, std::uint32_t second, std::uint32_t times = 1);
    void RemovePair(std::uint32_t first, std::uint32_t second);
    // The index of a word, added uncounted when the store lacks it.
    int PlaceWord(std::string_view word, const RankOf& rankOf);
    // Counts a word `times` times (rank and the small-letter form as Learn takes them); its index.
    int CountWord(std::string_view word, int rank, bool known, std::uint32_t times);
    void Prune();
    // Keeps only these words (indices into m_words) and the pairs between them.
    void KeepWords(std::vector<std::uint32_t> kept);
    void Reset();
    double WordWeight(const Record& record) const;

    Limits m_limits;
    Blend m_blend;
    std::string m_path;
    bool m_dirty = false;
    std::string m_pool;
    std::vector<Record> m_words;
    const CCodePage* m_legacyCodePage = nullptr;
    PairHandler m_onPairLearnt;
    bool m_parsedAnsi = false;
    std::vector<std::uint32_t> m_order;    // word indices by case-folded text
    mutable std::vector<Pair> m_pairs;     // sorted by (first, second)
    mutable std::vector<Pair> m_newPairs;  // not yet merged, in the order they came
    static constexpr std::size_t kNewPairs = 256;
    std::uint64_t m_typed = 0;         // total count of all words
    std::uint32_t m_serial = 0;        // words learnt so far (the clock of recency)
    std::uint64_t m_orderChanges = 0;  // goes up whenever indices or the order may change
    mutable std::string m_lastPrevious;
    mutable int m_lastPreviousIndex = -1;
    mutable std::uint64_t m_lastPreviousAt = UINT64_MAX;  // m_orderChanges when it was looked up
};
