#pragma once
// The rows of a sorted dictionary in the order of their rank, range by range: the most likely
// rows whose keys share a prefix (a range of rows) come out first without visiting the others.
// Ranks are small numbers, 0 for none. A block of 32 rows keeps its largest rank, a group of 32
// blocks the largest of its blocks. The best k rows of a range lie in its best k blocks, and
// those in its best k groups, so a page of a range costs a few scans of 32 entries, wherever
// the range lies and however long it is. Blocks are summed up group by group the first time a
// range reaches them: opening a file costs nothing, a first search only what it touches; the
// program sums up all of them as it loads (SumUpAll), so that no key pays for it.
// The first batch of a long range (a short prefix, typed again and again) is kept once worked
// out: a range costs in proportion to its blocks, so only short ones are worked out each time.

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

class CRankIndex {
public:
    // ranks[row], copied; any previous index is dropped.
    void Build(std::vector<std::uint16_t> ranks);
    // The ranks as a file holds them: two bytes per row, little-endian, two's complement (a
    // negative one counts as none). Not copied: they must stay until Clear or the next Attach.
    void Attach(const unsigned char* packed16, std::size_t rows);
    void Clear();
    bool Empty() const { return m_rows == 0; }
    std::size_t Rows() const { return m_rows; }
    std::uint16_t RankOf(std::size_t row) const
    {
        if (row >= m_rows)
            return 0;
        if (!m_packed)
            return m_copied[row];
        const unsigned value = m_packed[2 * row] | (unsigned{m_packed[2 * row + 1]} << 8);
        return static_cast<std::uint16_t>(value & 0x8000 ? 0 : value);
    }
    // Sums up every group now rather than at the first search that reaches it.
    void SumUpAll();
    // What the index holds beside the ranks (and the ranks, when they were copied).
    std::size_t MemoryBytes() const;

    // Rows of [first, last) with a rank above 0, highest rank first, then lower rows first.
    // Taken in batches: the best 8, then the best 32, ... (each batch repeats the one before).
    class Walk {
    public:
        void Start(CRankIndex& index, int first, int last);
        // False when no ranked row is left.
        bool Next(int& row, int& rank);
        // The rows worked out and not handed out yet, best first; and a count of the batches
        // worked out, so that a caller may fetch a new batch's rows ahead.
        std::size_t Pending() const { return m_batch.size() - m_next; }
        int PendingRow(std::size_t i) const;
        unsigned Batches() const { return m_batches; }

    private:
        void Refill();
        CRankIndex* m_index = nullptr;
        int m_first = 0;
        int m_last = 0;
        std::size_t m_want = 0;  // size of the batch asked for
        std::size_t m_next = 0;  // next row of the batch
        bool m_complete = true;  // the batch holds every ranked row of the range
        unsigned m_batches = 0;
        std::vector<std::uint64_t> m_batch;  // best first (see CRankIndex::Unit)
        std::vector<std::uint64_t> m_units;  // scratch
    };

private:
    static constexpr int kBlockBits = 5;
    static constexpr int kGroupBits = 10;  // rows per group: 1 << kGroupBits
    // A row range [first, first + size) and its largest rank in one number that sorts the best
    // first: the rank, then the lower first row, then the size.
    static std::uint64_t Unit(std::uint16_t rank, std::uint32_t first, std::uint32_t size);
    void SumUpGroups(std::size_t firstGroup, std::size_t lastGroup);
    std::uint16_t TopOfRows(std::uint32_t first, std::uint32_t last) const;
    std::uint64_t NextInRows(std::uint32_t first, std::uint32_t last, std::uint64_t below) const;
    // Whole blocks whose top is at least floor (> 0), as units.
    void AddBlocks(std::uint32_t firstBlock, std::uint32_t lastBlock, std::uint16_t floor,
                   std::vector<std::uint64_t>& units) const;
    void Best(int first, int last, std::size_t count, std::vector<std::uint64_t>& rows,
              std::vector<std::uint64_t>& units);
    void FirstBatch(int first, int last, std::vector<std::uint64_t>& rows, std::vector<std::uint64_t>& units);
    void TakeBestRows(int first, int last, std::vector<std::uint64_t>& units, std::size_t count,
                      std::vector<std::uint64_t>& rows) const;

    std::size_t m_rows = 0;
    const unsigned char* m_packed = nullptr;  // the ranks in place, else m_copied
    std::vector<std::uint16_t> m_copied;
    // Per block of the groups summed up: its largest rank, its second (0: none) and the rows
    // that hold them (offsets in the block); one record, so that a block is one memory read.
    struct Block {
        std::uint16_t top = 0;
        std::uint16_t second = 0;
        std::uint8_t topAt = 0;
        std::uint8_t secondAt = 0;
    };
    std::vector<Block> m_blocks;
    std::vector<std::uint16_t> m_groupTop;
    std::vector<bool> m_groupReady;
    static constexpr std::size_t kFirstBatch = 8;
    static constexpr int kKeptFromRows = 256;  // ranges at least this long keep their first batch
    // Kept: at most one batch per 64 rows (less than a rank's two bytes per row) and 4096;
    // beyond, all are dropped and worked out anew.
    std::size_t KeptBatchesAtMost() const;
    struct KeptBatch {
        std::uint8_t count = 0;
        std::array<std::uint64_t, kFirstBatch> rows{};
    };
    std::unordered_map<std::uint64_t, KeptBatch> m_keptBatches;  // by first row << 32 | last row
};
