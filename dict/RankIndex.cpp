#include "dict/RankIndex.h"

#include <algorithm>
#include <functional>

namespace {

constexpr std::uint32_t kRowMask = 0xFFFFFFFFu;

std::uint32_t FirstOf(std::uint64_t unit)
{
    return kRowMask - static_cast<std::uint32_t>((unit >> 16) & kRowMask);
}

std::uint32_t SizeOf(std::uint64_t unit)
{
    return static_cast<std::uint32_t>(unit & 0xFFFF);
}

// Keeps the best `count` units (larger numbers are better), in no particular order, and returns
// the lowest rank that the best `count` rows can have: the rank of the worst unit kept when
// there are that many (each kept unit holds a row of its rank), else 1.
std::uint16_t KeepBest(std::vector<std::uint64_t>& units, std::size_t count)
{
    if (units.size() < count)
        return 1;
    if (units.size() > count) {
        // A heap of the best `count` so far, worst on top: most units fail one comparison.
        const auto heapEnd = units.begin() + static_cast<std::ptrdiff_t>(count);
        std::make_heap(units.begin(), heapEnd, std::greater<std::uint64_t>());
        for (std::size_t i = count; i < units.size(); ++i) {
            if (units[i] > units[0]) {
                std::pop_heap(units.begin(), heapEnd, std::greater<std::uint64_t>());
                *(heapEnd - 1) = units[i];
                std::push_heap(units.begin(), heapEnd, std::greater<std::uint64_t>());
            }
        }
        units.resize(count);
    }
    std::uint64_t worst = units[0];
    for (const std::uint64_t unit : units)
        worst = std::min(worst, unit);
    return static_cast<std::uint16_t>(worst >> 48);
}

}  // namespace

std::uint64_t CRankIndex::Unit(std::uint16_t rank, std::uint32_t first, std::uint32_t size)
{
    return (std::uint64_t{rank} << 48) | (std::uint64_t{kRowMask - first} << 16) | size;
}

void CRankIndex::Clear()
{
    m_rows = 0;
    m_packed = nullptr;
    m_copied.clear();
    m_blocks.clear();
    m_groupTop.clear();
    m_groupReady.clear();
    m_keptBatches.clear();
}

void CRankIndex::Build(std::vector<std::uint16_t> ranks)
{
    Clear();
    m_copied = std::move(ranks);
    m_rows = m_copied.size();
    m_blocks.assign((m_rows + (1u << kBlockBits) - 1) >> kBlockBits, Block());
    m_groupTop.assign((m_rows + (1u << kGroupBits) - 1) >> kGroupBits, 0);
    m_groupReady.assign(m_groupTop.size(), false);
}

void CRankIndex::Attach(const unsigned char* packed16, std::size_t rows)
{
    Build({});
    m_packed = packed16;
    m_rows = packed16 ? rows : 0;
    m_blocks.assign((m_rows + (1u << kBlockBits) - 1) >> kBlockBits, Block());
    m_groupTop.assign((m_rows + (1u << kGroupBits) - 1) >> kGroupBits, 0);
    m_groupReady.assign(m_groupTop.size(), false);
}

std::size_t CRankIndex::MemoryBytes() const
{
    return m_copied.capacity() * sizeof(std::uint16_t) + m_blocks.capacity() * sizeof(Block) +
           m_groupTop.capacity() * sizeof(std::uint16_t) + m_groupReady.capacity() / 8 +
           m_keptBatches.size() * (sizeof(KeptBatch) + 3 * sizeof(void*)) +
           m_keptBatches.bucket_count() * sizeof(void*);
}

std::uint16_t CRankIndex::TopOfRows(std::uint32_t first, std::uint32_t last) const
{
    std::uint16_t top = 0;
    for (std::uint32_t row = first; row < last; ++row)
        top = std::max(top, RankOf(row));
    return top;
}

void CRankIndex::SumUpAll()
{
    if (!m_groupTop.empty())
        SumUpGroups(0, m_groupTop.size() - 1);
}

void CRankIndex::SumUpGroups(std::size_t firstGroup, std::size_t lastGroup)
{
    constexpr std::uint32_t kBlockRows = 1u << kBlockBits;
    for (std::size_t group = firstGroup; group <= lastGroup && group < m_groupTop.size(); ++group) {
        if (m_groupReady[group])
            continue;
        const std::size_t firstBlock = group << (kGroupBits - kBlockBits);
        const std::size_t lastBlock = std::min(m_blocks.size(), firstBlock + (1u << (kGroupBits - kBlockBits)));
        std::uint16_t groupTop = 0;
        for (std::size_t block = firstBlock; block < lastBlock; ++block) {
            const auto first = static_cast<std::uint32_t>(block << kBlockBits);
            const auto last = static_cast<std::uint32_t>(std::min<std::size_t>(m_rows, first + kBlockRows));
            // On equal ranks the earlier row is the better one.
            std::uint16_t top = 0, second = 0;
            std::uint32_t topAt = 0, secondAt = 0;
            for (std::uint32_t row = first; row < last; ++row) {
                const std::uint16_t rank = RankOf(row);
                if (rank > top) {
                    second = top;
                    secondAt = topAt;
                    top = rank;
                    topAt = row - first;
                } else if (rank > second) {
                    second = rank;
                    secondAt = row - first;
                }
            }
            m_blocks[block] = Block{top, second, static_cast<std::uint8_t>(topAt), static_cast<std::uint8_t>(secondAt)};
            groupTop = std::max(groupTop, top);
        }
        m_groupTop[group] = groupTop;
        m_groupReady[group] = true;
    }
}

// The best ranked row of [first, last) that comes after `below` in the walk's order, as a unit
// of one row; 0 when there is none.
std::uint64_t CRankIndex::NextInRows(std::uint32_t first, std::uint32_t last, std::uint64_t below) const
{
    std::uint64_t best = 0;
    for (std::uint32_t row = first; row < last; ++row) {
        const std::uint16_t rank = RankOf(row);
        const std::uint64_t unit = rank ? Unit(rank, row, 1) : 0;
        if (unit < below && unit > best)
            best = unit;
    }
    return best;
}

// Whole blocks (their groups summed up) whose top is at least floor, as units.
void CRankIndex::AddBlocks(std::uint32_t firstBlock, std::uint32_t lastBlock, std::uint16_t floor,
                           std::vector<std::uint64_t>& units) const
{
    for (std::uint32_t block = firstBlock; block < lastBlock; ++block) {
        if (m_blocks[block].top >= floor)
            units.push_back(Unit(m_blocks[block].top, block << kBlockBits, 1u << kBlockBits));
    }
}

// The best `count` ranked rows of [first, last), best first, as units of one row. The range is
// cut into a part block, whole blocks, whole groups, whole blocks and a part block; the best
// `count` of these hold the best rows, so only they are opened, groups into blocks first.
void CRankIndex::Best(int first, int last, std::size_t count, std::vector<std::uint64_t>& rows,
                      std::vector<std::uint64_t>& units)
{
    constexpr std::uint32_t kBlockRows = 1u << kBlockBits, kGroupRows = 1u << kGroupBits;
    const auto end = static_cast<std::uint32_t>(last);
    auto row = static_cast<std::uint32_t>(first);
    SumUpGroups(row >> kGroupBits, (end - 1) >> kGroupBits);
    units.clear();
    auto addPart = [&](std::uint32_t from, std::uint32_t to) {
        const Block& info = m_blocks[from >> kBlockBits];
        const std::uint32_t topRow = (from & ~(kBlockRows - 1)) + info.topAt;
        const std::uint16_t top = from <= topRow && topRow < to ? info.top : TopOfRows(from, to);
        if (top != 0)
            units.push_back(Unit(top, from, to - from));
    };
    if (row % kBlockRows != 0) {
        const std::uint32_t to = std::min(end, (row / kBlockRows + 1) * kBlockRows);
        addPart(row, to);
        row = to;
    }
    for (; row % kGroupRows != 0 && row + kBlockRows <= end; row += kBlockRows)
        AddBlocks(row >> kBlockBits, (row >> kBlockBits) + 1, 1, units);
    for (; row + kGroupRows <= end; row += kGroupRows) {
        const std::uint16_t top = m_groupTop[row >> kGroupBits];
        if (top != 0)
            units.push_back(Unit(top, row, kGroupRows));
    }
    const std::uint32_t wholeBlocks = (end - row) / kBlockRows;
    AddBlocks(row >> kBlockBits, (row >> kBlockBits) + wholeBlocks, 1, units);
    row += wholeBlocks * kBlockRows;
    if (row < end)
        addPart(row, end);

    std::uint16_t floor = KeepBest(units, count);
    for (std::size_t i = 0, kept = units.size(); i < kept; ++i) {
        if (SizeOf(units[i]) == kGroupRows) {
            const std::uint32_t block = FirstOf(units[i]) >> kBlockBits;
            units[i] = 0;
            AddBlocks(block, block + (kGroupRows >> kBlockBits), floor, units);
        }
    }
    units.erase(std::remove(units.begin(), units.end(), std::uint64_t{0}), units.end());
    KeepBest(units, count);
    TakeBestRows(first, last, units, count, rows);
}

// The best `count` rows of the units (each within one block), best first: a block gives its best
// two rows as summed up, and only its further rows, and the rows of a part block, are looked for.
void CRankIndex::TakeBestRows(int first, int last, std::vector<std::uint64_t>& units, std::size_t count,
                              std::vector<std::uint64_t>& rows) const
{
    constexpr std::uint32_t kBlockRows = 1u << kBlockBits;
    auto bounds = [&](std::uint32_t row, std::uint32_t& from, std::uint32_t& to) {
        from = std::max(static_cast<std::uint32_t>(first), row & ~(kBlockRows - 1));
        to = std::min(static_cast<std::uint32_t>(last), (row & ~(kBlockRows - 1)) + kBlockRows);
    };
    // A part of a block holds the block's best (second) row when that row lies in it.
    auto holds = [&](std::uint32_t block, std::uint32_t at, std::uint32_t from, std::uint32_t to) {
        const std::uint32_t row = (block << kBlockBits) + at;
        return from <= row && row < to;
    };
    std::uint32_t from = 0, to = 0;
    for (std::uint64_t& unit : units) {
        const std::uint32_t block = FirstOf(unit) >> kBlockBits;
        const Block& info = m_blocks[block];
        bounds(FirstOf(unit), from, to);
        unit = holds(block, info.topAt, from, to) ? Unit(info.top, (block << kBlockBits) + info.topAt, 1)
                                                  : NextInRows(from, to, ~std::uint64_t{0});
    }
    units.erase(std::remove(units.begin(), units.end(), std::uint64_t{0}), units.end());
    std::make_heap(units.begin(), units.end());
    rows.clear();
    while (rows.size() < count && !units.empty()) {
        std::pop_heap(units.begin(), units.end());
        const std::uint64_t taken = units.back();
        units.pop_back();
        rows.push_back(taken);
        const std::uint32_t row = FirstOf(taken), block = row >> kBlockBits;
        std::uint64_t next = 0;
        const Block& info = m_blocks[block];
        bounds(row, from, to);
        if (row != (block << kBlockBits) + info.topAt)
            next = NextInRows(from, to, taken);
        else if (info.second == 0)
            next = 0;
        else if (holds(block, info.secondAt, from, to))
            next = Unit(info.second, (block << kBlockBits) + info.secondAt, 1);
        else
            next = NextInRows(from, to, taken);
        if (next != 0) {
            units.push_back(next);
            std::push_heap(units.begin(), units.end());
        }
    }
}

std::size_t CRankIndex::KeptBatchesAtMost() const
{
    return std::min<std::size_t>(4096, m_rows >> 6);
}

void CRankIndex::FirstBatch(int first, int last, std::vector<std::uint64_t>& rows, std::vector<std::uint64_t>& units)
{
    if (last - first < kKeptFromRows) {
        Best(first, last, kFirstBatch, rows, units);
        return;
    }
    const std::uint64_t range =
        (std::uint64_t{static_cast<std::uint32_t>(first)} << 32) | static_cast<std::uint32_t>(last);
    const auto kept = m_keptBatches.find(range);
    if (kept != m_keptBatches.end()) {
        rows.assign(kept->second.rows.begin(), kept->second.rows.begin() + kept->second.count);
        return;
    }
    Best(first, last, kFirstBatch, rows, units);
    if (m_keptBatches.size() >= KeptBatchesAtMost())
        m_keptBatches.clear();
    KeptBatch& batch = m_keptBatches[range];
    batch.count = static_cast<std::uint8_t>(rows.size());
    std::copy(rows.begin(), rows.end(), batch.rows.begin());
}

void CRankIndex::Walk::Start(CRankIndex& index, int first, int last)
{
    m_index = &index;
    m_first = std::max(first, 0);
    m_last = std::min(last, static_cast<int>(index.m_rows));
    m_batch.clear();
    m_next = 0;
    m_want = 0;
    m_batches = 0;
    m_complete = m_first >= m_last;
}

int CRankIndex::Walk::PendingRow(std::size_t i) const
{
    return static_cast<int>(FirstOf(m_batch[m_next + i]));
}

void CRankIndex::Walk::Refill()
{
    ++m_batches;
    m_want = m_want == 0 ? kFirstBatch : m_want * 4;
    // An index let go meanwhile (an edit, a commit) has no rows left to give.
    m_last = std::min(m_last, static_cast<int>(m_index->m_rows));
    if (m_first >= m_last) {
        m_batch.clear();
        m_complete = true;
        return;
    }
    if (m_want == kFirstBatch)
        m_index->FirstBatch(m_first, m_last, m_batch, m_units);
    else
        m_index->Best(m_first, m_last, m_want, m_batch, m_units);
    m_complete = m_batch.size() < m_want;
}

bool CRankIndex::Walk::Next(int& row, int& rank)
{
    if (m_next >= m_batch.size()) {
        if (m_complete)
            return false;
        // The larger batch starts with the rows handed out already.
        Refill();
        if (m_next >= m_batch.size())
            return false;
    }
    const std::uint64_t unit = m_batch[m_next++];
    row = static_cast<int>(FirstOf(unit));
    rank = static_cast<int>(unit >> 48);
    return true;
}
