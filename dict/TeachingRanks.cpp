#include "dict/TeachingRanks.h"

#include <algorithm>

CTaughtWords::RankOf CCachedRanks::Lookup()
{
    return [this](std::string_view word) {
        const auto [at, isNew] = m_ranks.emplace(std::string(word), kNotTold);
        if (isNew)
            m_missing.push_back(at->first);
        return at->second == kNotTold ? -1 : at->second;
    };
}

std::vector<std::string> CCachedRanks::TakeMissing()
{
    std::vector<std::string> missing;
    missing.swap(m_missing);
    return missing;
}

void CCachedRanks::Tell(const std::vector<std::string>& words, const std::vector<int>& ranks)
{
    for (std::size_t i = 0; i < words.size() && i < ranks.size(); ++i)
        m_ranks[words[i]] = ranks[i] < 0 ? -1 : ranks[i];
}

bool CCachedRanks::Knows(const std::string& word) const
{
    const auto at = m_ranks.find(word);
    return at != m_ranks.end() && at->second != kNotTold;
}

void ResolveTaughtRanks(const CTaughtWords& taught, CCachedRanks& ranks, const AskRanks& ask, std::size_t batch)
{
    batch = std::max<std::size_t>(batch, 1);
    // A pass asks what the previous answers lead to: a word unknown as written is looked up in
    // small letters next. Two passes settle every word; the bound is a guard.
    for (int pass = 0; pass < 4; ++pass) {
        taught.UnknownWords(ranks.Lookup(), 0, UINT32_MAX, 0);
        const std::vector<std::string> missing = ranks.TakeMissing();
        if (missing.empty())
            return;
        for (std::size_t from = 0; from < missing.size(); from += batch) {
            const std::vector<std::string> words(
                missing.begin() + static_cast<std::ptrdiff_t>(from),
                missing.begin() + static_cast<std::ptrdiff_t>(std::min(from + batch, missing.size())));
            ranks.Tell(words, ask(words));
        }
    }
}
