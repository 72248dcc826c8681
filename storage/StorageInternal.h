// Internals of the storage layer: the in-memory form of views and the file format codec.
#pragma once

#include "storage/Storage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pv_storage {

// The file bytes as read at open (or as written by the last commit).
struct Image {
    std::unique_ptr<uint8_t[]> raw;  // as read at open (left uninitialised before the read)
    std::vector<uint8_t> buffer;     // as built by a commit
    const uint8_t* data = nullptr;
    size_t size = 0;
};

struct Field {
    std::string name;
    char type = 'S';  // 'S', 'B' or 'I'
};

// An integer vector in the image (section "integer vectors" of the format).
struct IntVector {
    uint32_t pos = 0;    // absolute offset in the image
    uint32_t bytes = 0;  // 0: every entry is 0
    int width = 0;       // bits per entry: 0, 1, 2, 4, 8, 16 or 32
    bool bigEndian = false;

    int32_t Get(const uint8_t* image, uint32_t index) const;
    // Sum of the entries [from, to); negative is set when one of them is negative.
    uint64_t Sum(const uint8_t* image, uint32_t from, uint32_t to, bool& negative) const;
    // For item sizes: the running offset of every kCheckpointStep-th row and the total;
    // false when an entry is negative.
    // everyRow: the offset of every row, plus the total at the end.
    bool Checkpoints(const uint8_t* image, uint32_t rows, bool everyRow, std::vector<uint32_t>& checkpoints,
                     uint64_t& total) const;
};

struct Memo {
    uint32_t row;
    uint32_t pos;  // absolute offset in the image
    uint32_t size;
};

// A column as it lies in the image. A checkpoint every kCheckpointStep rows holds the running
// offset, and the sizes in between are added up. Where it costs no more than the view's string
// bytes (everyRow, chosen at parse), the offset of every row is indexed too, on first use
// (not at open).
struct FrozenColumn {
    static constexpr uint32_t kCheckpointShift = 4;
    static constexpr uint32_t kCheckpointStep = 1u << kCheckpointShift;

    uint32_t dataPos = 0;  // S/B: inline items, absolute offset
    uint32_t dataSize = 0;
    IntVector sizes;                    // S/B: item sizes; I: the values
    std::vector<uint32_t> checkpoints;  // S/B: offset (from dataPos) of row k * kCheckpointStep
    bool everyRow = false;
    mutable std::vector<uint32_t> rowOffsets;  // everyRow: offset of each row, then the end

    // everyRow: the offsets of all rows and the end (rows + 1 entries), built on first use.
    const uint32_t* RowOffsets(const uint8_t* image, uint32_t rows) const
    {
        if (rowOffsets.empty())
            BuildRowOffsets(image, rows);
        return rowOffsets.data();
    }
    void BuildRowOffsets(const uint8_t* image, uint32_t rows) const;
    std::vector<Memo> memos;  // S/B: sorted by row
};

// An item that has been edited or read into the edit form: bytes in the image or in the arena.
struct Cell {
    static constexpr uint32_t kArena = 0x80000000u;
    uint32_t pos = 0;
    uint32_t len = 0;  // kArena set: pos is an arena offset
};

struct Column {
    Field field;
    FrozenColumn frozen;
    std::vector<Cell> cells;    // S/B, when the view is thawed
    std::vector<int32_t> ints;  // I, when the view is thawed
};

struct ViewData {
    std::string name;
    std::vector<Column> columns;
    uint32_t rows = 0;
    bool thawed = false;    // columns use cells/ints instead of the frozen form
    bool modified = false;  // changed since the last commit
    uint32_t stamp = 0;     // changes whenever the frozen form is left or replaced (see c4_StringReader)
    std::shared_ptr<const Image> image;
    std::vector<char> arena;  // bytes of edited items

    const uint8_t* ImageBytes() const { return image ? image->data : nullptr; }
    // The raw item of a string column (value plus its terminating zero, if any).
    std::string_view Item(size_t column, uint32_t row) const;
    // The value: the item without the terminating zero of an S item.
    std::string_view Value(size_t column, uint32_t row) const;
    int32_t Int(size_t column, uint32_t row) const;
    int FindColumn(std::string_view name) const;
    // Switches to the edit form (cells), keeping all values.
    void Thaw();
    // Stores bytes in the arena and returns the cell for them (false when too large).
    bool MakeCell(std::string_view item, Cell& cell);
};

// Reads the items of a string column row by row, from a starting row.
class ItemCursor {
public:
    ItemCursor(const ViewData& view, size_t column, uint32_t startRow);
    std::string_view Next();

private:
    const ViewData& m_view;
    size_t m_column;
    uint32_t m_row;
    uint32_t m_offset = 0;  // frozen: offset of m_row from dataPos
    size_t m_memo = 0;      // frozen: index of the first memo at or after m_row
};

struct ParsedView {
    std::string name;
    std::vector<Field> fields;
    uint32_t rows = 0;
    std::vector<FrozenColumn> columns;
};

struct ParseResult {
    c4_Status status = c4_Status::Ok;
    std::string message;
    uint32_t base = 0;
    std::vector<ParsedView> views;
};

// Reads the storage structure from a whole file image. Never reads outside it, caps every
// count by its size and rejects anything inconsistent.
ParseResult ParseImage(const uint8_t* bytes, size_t size);

// Parses a view description "NAME[field:T,...]"; false when it is not one.
bool ParseViewDescription(std::string_view text, std::string& name, std::vector<Field>& fields);

// Writes a complete storage image holding the views (one-pass layout); prefix (the bytes before
// the storage's base) is copied in front. false when the image would exceed 2 GiB.
bool WriteImage(const std::vector<std::shared_ptr<ViewData>>& views, std::string_view prefix,
                std::vector<uint8_t>& out);

std::string DescribeViews(const std::vector<std::shared_ptr<ViewData>>& views);

// String order of Search/Find: up to the first zero byte, ASCII letters folded to lower case,
// unsigned bytes, shorter prefix first.
int CompareText(std::string_view a, std::string_view b);
// The same order, for a query already cut at its first zero byte (see TextPrefix).
int CompareToQuery(std::string_view item, std::string_view query);
bool EqualsQuery(std::string_view item, std::string_view query);
std::string_view TextPrefix(std::string_view s);
bool EqualNames(std::string_view a, std::string_view b);

}  // namespace pv_storage
