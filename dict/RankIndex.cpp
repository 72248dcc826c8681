#include "dict/RankIndex.h"

#include <algorithm>

void CRankIndex::Clear()
{
    m_ranks.clear();
    m_blockTop.clear();
    m_table.clear();
    m_anyRank = false;
}

void CRankIndex::Build(std::vector<std::uint16_t> ranks)
{
    Clear();
    m_ranks = std::move(ranks);
    const int rows = static_cast<int>(m_ranks.size());
    const int blocks = (rows + (1 << kBlockBits) - 1) >> kBlockBits;
    m_blockTop.resize(blocks);
    std::vector<std::uint32_t> level(blocks);
    for (int b = 0; b < blocks; ++b) {
        const int first = b << kBlockBits;
        const int top = TopInBlock(first, std::min(rows, first + (1 << kBlockBits)) - 1);
        m_blockTop[b] = static_cast<std::uint16_t>(top - first);
        level[b] = static_cast<std::uint32_t>(b);
        m_anyRank = m_anyRank || m_ranks[top] != 0;
    }
    m_table.push_back(std::move(level));
    for (int span = 1; 2 * span <= blocks; span *= 2) {
        const std::vector<std::uint32_t>& below = m_table.back();
        std::vector<std::uint32_t> next(blocks - 2 * span + 1);
        for (std::size_t b = 0; b < next.size(); ++b) {
            const int a = static_cast<int>(below[b]), c = static_cast<int>(below[b + span]);
            const int top = Better((a << kBlockBits) + m_blockTop[a], (c << kBlockBits) + m_blockTop[c]);
            next[b] = static_cast<std::uint32_t>(top >> kBlockBits);
        }
        m_table.push_back(std::move(next));
    }
}

std::size_t CRankIndex::MemoryBytes() const
{
    std::size_t bytes = m_ranks.capacity() * sizeof(std::uint16_t) + m_blockTop.capacity() * sizeof(std::uint16_t);
    for (const auto& level : m_table)
        bytes += level.capacity() * sizeof(std::uint32_t);
    return bytes;
}

// Of two rows, the one with the larger rank; on equal ranks the lower row (key order).
int CRankIndex::Better(int a, int b) const
{
    if (m_ranks[a] != m_ranks[b])
        return m_ranks[a] > m_ranks[b] ? a : b;
    return a < b ? a : b;
}

int CRankIndex::TopInBlock(int first, int last) const
{
    int top = first;
    for (int row = first + 1; row <= last; ++row)
        if (m_ranks[row] > m_ranks[top])
            top = row;
    return top;
}

int CRankIndex::TopBetween(int first, int last) const
{
    const int firstBlock = first >> kBlockBits, lastBlock = last >> kBlockBits;
    if (lastBlock - firstBlock < 2)
        return TopInBlock(first, last);
    int top = TopInBlock(first, ((firstBlock + 1) << kBlockBits) - 1);
    // The whole blocks between: two overlapping spans of the table.
    const int from = firstBlock + 1, to = lastBlock - 1;
    int level = 0;
    while ((2 << level) <= to - from + 1)
        ++level;
    const int a = static_cast<int>(m_table[level][from]);
    const int b = static_cast<int>(m_table[level][to - (1 << level) + 1]);
    top = Better(top, (a << kBlockBits) + m_blockTop[a]);
    top = Better(top, (b << kBlockBits) + m_blockTop[b]);
    return Better(top, TopInBlock(lastBlock << kBlockBits, last));
}

void CRankIndex::Walk::Start(const CRankIndex& index, int first, int last)
{
    m_index = &index;
    m_heap.clear();
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(index.m_ranks.size()));
    if (first < last)
        Push(first, last - 1);
}

void CRankIndex::Walk::Push(int first, int last)
{
    if (first > last)
        return;
    const int top = m_index->TopBetween(first, last);
    const std::uint16_t rank = m_index->m_ranks[top];
    if (rank == 0)
        return;
    m_heap.push_back(Range{top, first, last, rank});
    std::push_heap(m_heap.begin(), m_heap.end(),
                   [](const Range& a, const Range& b) { return a.rank != b.rank ? a.rank < b.rank : a.top > b.top; });
}

bool CRankIndex::Walk::Next(int& row, int& rank)
{
    if (m_heap.empty())
        return false;
    auto order = [](const Range& a, const Range& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.top > b.top;
    };
    std::pop_heap(m_heap.begin(), m_heap.end(), order);
    const Range range = m_heap.back();
    m_heap.pop_back();
    row = range.top;
    rank = range.rank;
    Push(range.first, range.top - 1);
    Push(range.top + 1, range.last);
    return true;
}
