#pragma once
// What documents teach: their words with counts, and which word followed which (only across
// blanks, as the engine pairs typed words: never across punctuation or a blank line). Bounded:
// past its limits no new word or pair is taken, those already taken go on counting.
//
// Not learnt: what looks like a secret (a run of at least 8 letters and digits with at least two
// of each, such as a password or a key), addresses (anything with "@" or "://", "www."), and
// texts that are no word (CUsageModel::IsWord).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dict/AutoLearnRecord.h"

class CUsageModel;

class CTaughtWords {
public:
    struct Limits {
        std::size_t words = 200000;
        std::size_t pairs = 500000;
    };
    struct Word {
        std::string text;
        std::uint32_t count;
    };
    struct Pair {
        std::uint32_t previous;  // indices into Words()
        std::uint32_t word;
        std::uint32_t count;
    };
    // What the dictionaries say of a word: its rank, or -1 when none holds it.
    using RankOf = std::function<int(std::string_view word)>;

    CTaughtWords() = default;
    explicit CTaughtWords(Limits limits) : m_limits(limits) {}

    // Text in pieces, as a reader hands it on: a word cut between two pieces is one word.
    void Add(std::string_view text);
    // The end of a document: the word held back counts, no pair reaches into the next document.
    void EndDocument();

    const std::vector<Word>& Words() const { return m_words; }
    std::vector<Pair> Pairs() const;
    std::size_t SecretsLeftOut() const { return m_secrets; }

    static bool LooksSecret(std::string_view chunk);

    // Into the usage store: every word with its count, then the pairs. A word written with a
    // first capital that the dictionaries know only in small letters (a sentence's first word) is
    // taught in small letters.
    // Only the `most` most frequent words are taught (with the pairs between them).
    void TeachUsage(CUsageModel& usage, const RankOf& rankOf, std::size_t most = SIZE_MAX) const;
    // The words no dictionary holds that were seen at least minCount times, of at least minLength
    // characters, most frequent first, at most `most`: what AutoLearn should keep.
    std::vector<AutoLearnRecord> UnknownWords(const RankOf& rankOf, unsigned minLength, std::uint32_t minCount,
                                              std::size_t most) const;

private:
    void Chunk(std::string_view chunk, bool blankLineBefore);
    void Count(std::string_view word, bool pairsWithPrevious);
    // The word as taught and its rank: a first capital dropped where only the small form is known.
    std::pair<std::string, int> Settled(const std::string& text, const RankOf& rankOf) const;

    Limits m_limits;
    std::vector<Word> m_words;
    std::unordered_map<std::string, std::uint32_t> m_index;
    std::unordered_map<std::uint64_t, std::uint32_t> m_pairs;
    std::string m_carry;           // a chunk not yet ended by a blank
    std::size_t m_newlines = 0;    // in the blanks since the last chunk
    std::int64_t m_previous = -1;  // the word a next one would follow, -1 when none
    std::size_t m_secrets = 0;
};
