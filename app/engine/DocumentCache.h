// The words of what is being written, kept for a while: which words, which pairs and which
// triples came up lately. Words of the current document are far likelier than the dictionaries
// and the long-term counts say ("recency"), and a triple seen once tells more of the next word
// than a pair. Forgets the oldest word when full; case is folded.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

class CDocumentCache {
public:
    static constexpr std::size_t kWords = 3000;

    // A word typed; before2 and before1: the two words before it in the same sentence (empty
    // when none).
    void Add(std::string_view word, std::string_view before2, std::string_view before1);
    // The share of this word among the next ones after those words, as the cache sees it: its
    // triple, pair and own counts blended (0 when it did not come up).
    double Probability(std::string_view word, std::string_view before2, std::string_view before1) const;
    std::size_t Size() const { return m_ring.size(); }
    void Clear();

private:
    struct Typed {
        std::string word, before1, before2;  // folded
    };
    static std::string Fold(std::string_view text);
    static std::string Key(std::string_view a, std::string_view b, std::string_view c = {});
    std::uint32_t CountOf(const std::string& key) const;
    void Count(const Typed& typed, int by);

    std::deque<Typed> m_ring;
    // Counts by key: a word, "a\tb" a pair, "a\tb\tc" a triple, the totals of what followed a
    // context ("a\t" and "a\tb\t") and of all words ("").
    std::unordered_map<std::string, std::uint32_t> m_counts;
};
