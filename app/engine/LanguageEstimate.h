// Which language is being written, estimated from the last words typed: each word counts for the
// languages whose dictionaries hold it, by how common it is there, and older words count less, so
// that a switch of language mid-document is followed within a few words. The ranked search then
// moves the other languages' candidates down, far enough that they come only when the text is in
// their language or no word of the current one fits.
#pragma once

#include <vector>

#include "dict/DictionaryMatch.h"

class CLanguageEstimate {
public:
    // How much of the weight of a word is left one word later.
    static constexpr double kDecay = 0.6;
    // The farthest a language is moved down, in rank units (1000: a factor of 10).
    static constexpr int kMostMovedDown = 4000;

    // The languages of the dictionaries; a change starts the estimate afresh.
    void SetLanguages(const std::vector<int>& languages);
    const std::vector<int>& Languages() const { return m_languages; }
    // More than one language to choose from.
    bool IsActive() const { return m_languages.size() > 1; }
    // A word was typed; held: its best rank in each language holding it (nothing: no language's
    // word, which tells nothing).
    void Observe(const std::vector<LanguageRank>& held);
    // The likeliest language so far (0 while nothing tells).
    int Likeliest() const;
    // What each language's ranks are moved by: 0 for the likeliest, down for the others.
    std::vector<LanguageRank> RankOffsets() const;

private:
    std::vector<int> m_languages;
    std::vector<double> m_evidence;  // per language: decayed sum of log10 likelihoods
    bool m_observed = false;
};
