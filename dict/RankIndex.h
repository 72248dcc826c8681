#pragma once
// The rows of a sorted dictionary in the order of their rank, range by range: the most likely
// rows whose keys share a prefix (a range of rows) come out first without visiting the others.
// Ranks are small numbers, 0 for none. A block holds the largest rank of its rows, and a table
// over the blocks answers "which block holds the largest rank between these two" in two reads.

#include <cstdint>
#include <vector>

class CRankIndex {
public:
    // ranks[row]; any previous index is dropped.
    void Build(std::vector<std::uint16_t> ranks);
    void Clear();
    bool Empty() const { return m_ranks.empty(); }
    bool HasRanks() const { return m_anyRank; }
    std::size_t Rows() const { return m_ranks.size(); }
    std::uint16_t RankOf(std::size_t row) const { return row < m_ranks.size() ? m_ranks[row] : 0; }
    std::size_t MemoryBytes() const;

    // Rows of [first, last) with a rank above 0, highest rank first, then lower rows first.
    class Walk {
    public:
        void Start(const CRankIndex& index, int first, int last);
        // False when no ranked row is left.
        bool Next(int& row, int& rank);

    private:
        struct Range {
            int top;  // the row with the largest rank in [first, last]
            int first;
            int last;
            std::uint16_t rank;
        };
        void Push(int first, int last);
        const CRankIndex* m_index = nullptr;
        std::vector<Range> m_heap;
    };

private:
    static constexpr int kBlockBits = 5;
    int TopInBlock(int first, int last) const;
    int TopBetween(int first, int last) const;  // both inclusive
    int Better(int a, int b) const;

    std::vector<std::uint16_t> m_ranks;
    std::vector<std::uint16_t> m_blockTop;  // row offset in the block of its largest rank
    // m_table[level][block]: the block with the largest top among 2^level blocks from block.
    std::vector<std::vector<std::uint32_t>> m_table;
    bool m_anyRank = false;
};
