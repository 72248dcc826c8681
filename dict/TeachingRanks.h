#pragma once
// What the dictionaries say of taught words, asked from another thread than theirs. The teaching
// needs a rank per word, and the dictionaries live on the engine thread, where a long batch of
// look-ups would hold typing up: so the words are collected here and asked in small batches, and
// the teaching then runs on what was answered.

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "dict/TaughtWords.h"

class CCachedRanks {
public:
    // Answers from what was told; a word not told yet answers -1 and is noted as missing.
    CTaughtWords::RankOf Lookup();
    // The words asked but not told since the last call, each once.
    std::vector<std::string> TakeMissing();
    // ranks[i] is the rank of words[i] (-1: no dictionary holds it).
    void Tell(const std::vector<std::string>& words, const std::vector<int>& ranks);
    bool Knows(const std::string& word) const;

private:
    static constexpr int kNotTold = -2;
    std::unordered_map<std::string, int> m_ranks;
    std::vector<std::string> m_missing;
};

// Asks the dictionaries (through `ask`, at most `batch` words a call) every rank the teaching of
// `taught` needs: the words as written, then the small forms of those the dictionaries lack.
using AskRanks = std::function<std::vector<int>(const std::vector<std::string>& words)>;
void ResolveTaughtRanks(const CTaughtWords& taught, CCachedRanks& ranks, const AskRanks& ask, std::size_t batch = 2000);
