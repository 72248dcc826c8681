#include "app/engine/DocumentCache.h"

#include "dict/Utf8Case.h"

namespace {

// How much the triple, the pair and the word itself weigh where their context came up.
constexpr double kTripleWeight = 0.5;
constexpr double kPairWeight = 0.3;
constexpr double kWordWeight = 0.2;

}  // namespace

std::string CDocumentCache::Fold(std::string_view text)
{
    std::string folded(text);
    utf8case::Lower(folded);
    return folded;
}

std::string CDocumentCache::Key(std::string_view a, std::string_view b, std::string_view c)
{
    std::string key(a);
    key += '\t';
    key += b;
    if (!c.empty()) {
        key += '\t';
        key += c;
    }
    return key;
}

std::uint32_t CDocumentCache::CountOf(const std::string& key) const
{
    const auto it = m_counts.find(key);
    return it == m_counts.end() ? 0 : it->second;
}

void CDocumentCache::Count(const Typed& typed, int by)
{
    const auto change = [&](const std::string& key) {
        std::uint32_t& count = m_counts[key];
        count += by;
        if (count == 0)
            m_counts.erase(key);
    };
    change(typed.word);
    change(std::string());  // all words
    if (typed.before1.empty())
        return;
    change(Key(typed.before1, typed.word));
    change(Key(typed.before1, ""));
    if (typed.before2.empty())
        return;
    change(Key(typed.before2, typed.before1, typed.word));
    change(Key(typed.before2, typed.before1) + '\t');
}

void CDocumentCache::Add(std::string_view word, std::string_view before2, std::string_view before1)
{
    if (word.empty())
        return;
    Typed typed{Fold(word), Fold(before1), before1.empty() ? std::string() : Fold(before2)};
    Count(typed, 1);
    m_ring.push_back(std::move(typed));
    if (m_ring.size() > kWords) {
        Count(m_ring.front(), -1);
        m_ring.pop_front();
    }
}

double CDocumentCache::Probability(std::string_view word, std::string_view before2, std::string_view before1) const
{
    const std::uint32_t all = CountOf(std::string());
    if (all == 0)
        return 0.0;
    const std::string folded = Fold(word);
    double weights = kWordWeight;
    double share = kWordWeight * CountOf(folded) / all;
    if (!before1.empty()) {
        const std::string one = Fold(before1);
        if (const std::uint32_t context = CountOf(Key(one, ""))) {
            weights += kPairWeight;
            share += kPairWeight * CountOf(Key(one, folded)) / context;
        }
        if (!before2.empty()) {
            const std::string two = Fold(before2);
            if (const std::uint32_t context = CountOf(Key(two, one) + '\t')) {
                weights += kTripleWeight;
                share += kTripleWeight * CountOf(Key(two, one, folded)) / context;
            }
        }
    }
    return share / weights;
}

void CDocumentCache::Clear()
{
    m_ring.clear();
    m_counts.clear();
}
