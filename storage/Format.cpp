// The file format: reading the structure of a storage image and writing a fresh one.
#include "storage/StorageInternal.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace pv_storage {

namespace {

constexpr uint64_t kMaxFileSize = INT32_MAX;
constexpr uint32_t kMaxRootWalk = 0xFFFFFF;
// Far beyond any real layout; keeps hostile descriptions from costing quadratic time.
constexpr size_t kMaxFieldsPerList = 1024;

// Width in bits of a vector of `bytes` bytes holding `rows` entries; -1 when no writer makes it.
const int8_t kSmallVectorWidth[7][6] = {
    {8, 16, 1, 32, 2, 4}, {4, 8, 1, 16, 2, -1}, {2, 4, 8, 1, -1, 16},  {2, 4, -1, 8, 1, -1},
    {1, 2, 4, -1, 8, -1}, {1, 2, 4, -1, -1, 8}, {1, 2, -1, 4, -1, -1},
};

int VectorWidth(uint32_t rows, uint32_t bytes)
{
    if (bytes == 0)
        return 0;
    if (rows == 0)
        return -1;
    if (rows <= 7 && bytes <= 6)
        return kSmallVectorWidth[rows - 1][bytes - 1];
    uint64_t width = (uint64_t(bytes) * 8) / rows;
    if (width > 32 || (width & (width - 1)) != 0)
        return -1;
    return static_cast<int>(width);
}

uint32_t Be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint32_t Be24(const uint8_t* p)
{
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

// Reads the numbers of one walk; every read is bounded by the walk's bytes.
class WalkReader {
public:
    WalkReader(const uint8_t* begin, size_t size) : m_p(begin), m_end(begin + size) {}
    bool AtEnd() const { return m_p == m_end; }
    size_t Remaining() const { return static_cast<size_t>(m_end - m_p); }

    bool Number(uint32_t& value)
    {
        if (m_p == m_end || *m_p == 0)  // a negative number never fits a size, count or position
            return false;
        uint64_t v = 0;
        for (int groups = 0;; ++groups) {
            if (m_p == m_end || groups == 5)
                return false;
            uint8_t b = *m_p++;
            v = (v << 7) | (b & 0x7F);
            if (b & 0x80)
                break;
        }
        if (v > UINT32_MAX)
            return false;
        value = static_cast<uint32_t>(v);
        return true;
    }
    bool Bytes(size_t n, std::string_view& out)
    {
        if (Remaining() < n)
            return false;
        out = std::string_view(reinterpret_cast<const char*>(m_p), n);
        m_p += n;
        return true;
    }

private:
    const uint8_t* m_p;
    const uint8_t* m_end;
};

struct FieldSpec {
    std::string name;
    char type = 'S';  // 'S', 'B', 'I' or 'V' (a subview with fields)
    std::vector<FieldSpec> fields;
};

// Parses a comma-separated field list up to the end of the text or a ']' (left unconsumed).
// Depth 0 is the root (views only), depth 1 a view (scalar fields only).
c4_Status ParseFieldList(std::string_view text, size_t& i, int depth, std::vector<FieldSpec>& out, std::string& message)
{
    if (i == text.size() || text[i] == ']')
        return c4_Status::Ok;  // an empty list
    for (;;) {
        FieldSpec field;
        size_t start = i;
        while (i < text.size() && std::strchr(":,[]", text[i]) == nullptr)
            ++i;
        field.name.assign(text.substr(start, i - start));
        if (field.name.empty()) {
            message = "empty property name in the structure description";
            return c4_Status::Corrupt;
        }
        if (i < text.size() && text[i] == '[') {
            if (depth > 0) {
                message = "views nested inside views are not supported";
                return c4_Status::Unsupported;
            }
            ++i;
            field.type = 'V';
            c4_Status status = ParseFieldList(text, i, depth + 1, field.fields, message);
            if (status != c4_Status::Ok)
                return status;
            if (i == text.size() || text[i] != ']') {
                message = "unbalanced brackets in the structure description";
                return c4_Status::Corrupt;
            }
            ++i;
        } else {
            if (i < text.size() && text[i] == ':') {
                if (i + 1 == text.size()) {
                    message = "missing property type in the structure description";
                    return c4_Status::Corrupt;
                }
                char letter = text[i + 1];
                if (letter >= 'a' && letter <= 'z')
                    letter = static_cast<char>(letter - 'a' + 'A');
                i += 2;
                switch (letter) {
                    case 'S':
                    case 'I':
                    case 'B':
                        field.type = letter;
                        break;
                    case 'M':
                        field.type = 'B';
                        break;
                    case 'L':
                    case 'F':
                    case 'D':
                    case 'V':
                        message = std::string("properties of type ") + letter + " are not supported";
                        return c4_Status::Unsupported;
                    default:
                        message = "unknown property type in the structure description";
                        return c4_Status::Corrupt;
                }
            }
            if (depth == 0) {
                message = "properties at the top level are not supported";
                return c4_Status::Unsupported;
            }
        }
        if (out.size() == kMaxFieldsPerList) {
            message = "too many properties in the structure description";
            return c4_Status::Unsupported;
        }
        for (const FieldSpec& other : out) {
            if (EqualNames(other.name, field.name)) {
                message = "a property name occurs twice in the structure description";
                return c4_Status::Unsupported;
            }
        }
        out.push_back(std::move(field));
        if (i == text.size() || text[i] == ']')
            return c4_Status::Ok;
        if (text[i] != ',') {
            message = "malformed structure description";
            return c4_Status::Corrupt;
        }
        ++i;
    }
}

class ImageParser {
public:
    ImageParser(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    ParseResult Run()
    {
        ParseResult result;
        if (m_size == 0)
            return result;  // a new, empty storage
        if (!ParseAll(result)) {
            result.status = m_status;
            result.message = m_message;
            result.views.clear();
        }
        return result;
    }

private:
    bool Fail(const char* message, c4_Status status = c4_Status::Corrupt)
    {
        m_status = status;
        m_message = message;
        return false;
    }

    // A column of the storage: [base + pos, base + pos + size) must lie before the tails.
    bool Ref(WalkReader& walk, uint32_t& pos, uint32_t& size)
    {
        pos = 0;
        if (!walk.Number(size))
            return Fail("malformed column reference");
        if (size == 0)
            return true;
        if (!walk.Number(pos))
            return Fail("malformed column reference");
        uint64_t end = uint64_t(m_base) + pos + size;
        if (end > m_dataEnd)
            return Fail("a column lies outside the file");
        pos += m_base;
        return true;
    }

    bool ParseAll(ParseResult& result)
    {
        if (m_size > kMaxFileSize)
            return Fail("file larger than 2 GiB");
        if (m_size < 8 + 16 + 3)
            return Fail("file too short to be a storage");
        const uint8_t* commit = m_bytes + m_size - 8;
        const uint8_t* skip = commit - 8;
        bool commitIsSkip = (commit[0] & 0xF0) == 0x90 || (commit[0] == 0x80 && Be24(commit + 1) == 0);
        if (commitIsSkip)
            return Fail("the storage is followed by other data");
        if (commit[0] != 0x80)
            return Fail("no commit record at the end of the file");
        bool skipValid = (skip[0] & 0xF0) == 0x90 || (skip[0] == 0x80 && Be24(skip + 1) == 0);
        if (!skipValid)
            return Fail("no skip record before the commit record");
        uint32_t rootLen = Be24(commit + 1);
        uint32_t rootPos = Be32(commit + 4);
        uint32_t skipDistance = Be32(skip + 4);
        uint64_t skipPos = m_size - 16;
        if (skipDistance == 0 || skipDistance > skipPos)
            return Fail("the skip record points outside the file");
        m_base = static_cast<uint32_t>(skipPos - skipDistance);
        m_dataEnd = skipPos;
        if (uint64_t(m_base) + 8 > m_dataEnd)
            return Fail("no room for the header");
        const uint8_t* header = m_bytes + m_base;
        bool magic = (header[0] == 'J' && header[1] == 'L') || (header[0] == 'L' && header[1] == 'J');
        if (!magic || header[2] != 0x1A || (header[3] & 0x40) != 0)
            return Fail("bad header");
        if (header[3] & 0x80)
            return Fail("old-format storage files are not supported", c4_Status::Unsupported);
        m_bigEndian = header[0] == 'L';
        result.base = m_base;

        if (rootLen > kMaxRootWalk || uint64_t(m_base) + rootPos + rootLen > m_dataEnd)
            return Fail("the root walk lies outside the file");
        WalkReader root(m_bytes + m_base + rootPos, rootLen);
        uint32_t reserved, descLen, rootRows;
        std::string_view description;
        if (!root.Number(reserved) || reserved != 0 || !root.Number(descLen) || !root.Bytes(descLen, description) ||
            !root.Number(rootRows))
            return Fail("malformed root walk");
        if (rootRows > 1)
            return Fail("the root has more than one row");

        std::vector<FieldSpec> views;
        size_t at = 0;
        c4_Status status = ParseFieldList(description, at, 0, views, m_message);
        if (status != c4_Status::Ok) {
            m_status = status;
            return false;
        }
        if (at != description.size())
            return Fail("malformed structure description");

        for (const FieldSpec& viewField : views) {
            ParsedView view;
            view.name = viewField.name;
            for (const FieldSpec& f : viewField.fields)
                view.fields.push_back(Field{f.name, f.type});
            if (rootRows == 1) {
                uint32_t walkPos, walkSize;
                if (!Ref(root, walkPos, walkSize))
                    return false;
                if (!ParseViewWalk(walkPos, walkSize, view))
                    return false;
            } else {
                view.columns.resize(view.fields.size());  // a root without rows: every view is empty
            }
            result.views.push_back(std::move(view));
        }
        if (!root.AtEnd())
            return Fail("the root walk has bytes left over");
        return true;
    }

    bool ParseViewWalk(uint32_t pos, uint32_t size, ParsedView& view)
    {
        WalkReader walk(m_bytes + pos, size);
        uint32_t reserved;
        if (!walk.Number(reserved) || reserved != 0 || !walk.Number(view.rows))
            return Fail("malformed view walk");
        // Columns of empty values take no bytes per row, so a small file could claim any number
        // of rows. Editing and rewriting cost rows x columns: cap those cells, over all views,
        // at eight per byte of file (real files hold far fewer).
        uint64_t cells = uint64_t(view.rows) * std::max<size_t>(1, view.fields.size());
        if (view.rows > INT32_MAX || cells > m_cellBudget)
            return Fail("row count too large for the file");
        m_cellBudget -= cells;
        if (view.rows > 0) {
            for (const Field& field : view.fields) {
                FrozenColumn column;
                if (!ParseColumn(walk, field, view.rows, column))
                    return false;
                view.columns.push_back(std::move(column));
            }
            ChooseRowIndexes(view);
        } else {
            view.columns.resize(view.fields.size());
        }
        if (!walk.AtEnd())
            return Fail("a view walk has bytes left over");
        return true;
    }

    // A per-row index for every string column of the view when all of them together cost no
    // more than the view's string bytes (items and sizes): a row read is then one lookup, and
    // memory stays within twice the file. Otherwise only for columns whose own bytes pay for
    // it (keys, mostly); the others add up sizes from the last checkpoint.
    static void ChooseRowIndexes(ParsedView& view)
    {
        uint64_t indexBytes = 0, columnBytes = 0;
        for (size_t c = 0; c < view.columns.size(); ++c) {
            const FrozenColumn& column = view.columns[c];
            if (view.fields[c].type == 'I' || column.dataSize == 0)
                continue;
            indexBytes += (uint64_t(view.rows) + 1) * 4;
            columnBytes += uint64_t(column.dataSize) + column.sizes.bytes;
        }
        const bool all = indexBytes <= columnBytes;
        for (size_t c = 0; c < view.columns.size(); ++c) {
            FrozenColumn& column = view.columns[c];
            if (view.fields[c].type == 'I' || column.dataSize == 0)
                continue;
            column.everyRow = all || (uint64_t(view.rows) + 1) * 4 <= column.dataSize;
        }
    }

    bool Vector(WalkReader& walk, uint32_t rows, IntVector& vec)
    {
        if (!Ref(walk, vec.pos, vec.bytes))
            return false;
        int width = VectorWidth(rows, vec.bytes);
        if (width < 0)
            return Fail("an integer vector has an impossible size");
        vec.width = width;
        vec.bigEndian = m_bigEndian;
        return true;
    }

    bool ParseColumn(WalkReader& walk, const Field& field, uint32_t rows, FrozenColumn& column)
    {
        if (field.type == 'I')
            return Vector(walk, rows, column.sizes);
        if (!Ref(walk, column.dataPos, column.dataSize))
            return false;
        if (column.dataSize > 0) {
            if (!Vector(walk, rows, column.sizes))
                return false;
            // Sizes must be non-negative and add up to the data; keep a running offset
            // every kCheckpointStep rows.
            uint64_t sum = 0;
            if (!column.sizes.Checkpoints(m_bytes, rows, false, column.checkpoints, sum))
                return Fail("negative item size");
            if (sum != column.dataSize)
                return Fail("item sizes do not add up to the column");
        }
        uint32_t memoPos, memoSize;
        if (!Ref(walk, memoPos, memoSize))
            return false;
        WalkReader memos(m_bytes + memoPos, memoSize);
        uint64_t nextRow = 0;
        while (!memos.AtEnd()) {
            uint32_t gap;
            Memo memo;
            if (!memos.Number(gap) || !Ref(memos, memo.pos, memo.size))
                return Fail("malformed memo directory");
            uint64_t row = nextRow + gap;
            if (row >= rows)
                return Fail("memo for a row that does not exist");
            if (memo.size == 0)
                return Fail("empty memo");
            memo.row = static_cast<uint32_t>(row);
            column.memos.push_back(memo);
            nextRow = row + 1;
        }
        return true;
    }

    const uint8_t* m_bytes;
    size_t m_size;
    uint32_t m_base = 0;
    uint64_t m_dataEnd = 0;
    uint64_t m_cellBudget = uint64_t(m_size) * 8 + 65536;
    bool m_bigEndian = false;
    c4_Status m_status = c4_Status::Ok;
    std::string m_message;
};

// ---- writing ----

void PutNumber(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = value & 0x7F;
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        out.push_back(groups[--n]);
    out.push_back(groups[0] | 0x80);
}

void PutRef(std::vector<uint8_t>& walk, uint32_t size, uint32_t pos)
{
    PutNumber(walk, size);
    if (size > 0)
        PutNumber(walk, pos);
}

void PutBe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

int MinimalWidth(int32_t low, int32_t high)
{
    if (low >= 0) {
        if (high == 0)
            return 0;
        if (high <= 1)
            return 1;
        if (high <= 3)
            return 2;
        if (high <= 15)
            return 4;
    }
    if (low >= -128 && high <= 127)
        return 8;
    if (low >= -32768 && high <= 32767)
        return 16;
    return 32;
}

uint32_t VectorBytes(uint32_t rows, int width)
{
    // Sub-byte vectors of 1..4 rows get the sizes by which a reader recognises their width.
    static const uint8_t kPadded[3][4] = {{3, 3, 4, 5}, {5, 5, 1, 1}, {6, 1, 2, 2}};
    if (width == 0 || rows == 0)
        return 0;
    if (width < 8 && rows <= 4)
        return kPadded[width == 1 ? 0 : width == 2 ? 1 : 2][rows - 1];
    return static_cast<uint32_t>((uint64_t(rows) * width + 7) / 8);
}

void PutVector(std::vector<uint8_t>& out, const std::vector<int32_t>& values, int width)
{
    uint32_t rows = static_cast<uint32_t>(values.size());
    size_t start = out.size();
    out.resize(start + VectorBytes(rows, width), 0);
    uint8_t* p = out.data() + start;
    for (uint32_t i = 0; i < rows; ++i) {
        uint32_t v = static_cast<uint32_t>(values[i]);
        switch (width) {
            case 1:
                p[i >> 3] |= uint8_t((v & 1) << (i & 7));
                break;
            case 2:
                p[i >> 2] |= uint8_t((v & 3) << ((i & 3) * 2));
                break;
            case 4:
                p[i >> 1] |= uint8_t((v & 15) << ((i & 1) * 4));
                break;
            case 8:
                p[i] = uint8_t(v);
                break;
            case 16:
                p[2 * i] = uint8_t(v);
                p[2 * i + 1] = uint8_t(v >> 8);
                break;
            case 32:
                for (int b = 0; b < 4; ++b)
                    p[4 * i + b] = uint8_t(v >> (8 * b));
                break;
            default:
                break;
        }
    }
}

void PutVectorColumn(std::vector<uint8_t>& out, std::vector<uint8_t>& walk, size_t base,
                     const std::vector<int32_t>& values)
{
    int32_t low = 0, high = 0;
    for (int32_t v : values) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    int width = MinimalWidth(low, high);
    uint32_t pos = static_cast<uint32_t>(out.size() - base);
    PutVector(out, values, width);
    PutRef(walk, static_cast<uint32_t>(out.size() - base - pos), pos);
}

void PutStringColumn(const ViewData& view, size_t column, std::vector<uint8_t>& out, std::vector<uint8_t>& walk,
                     size_t base)
{
    const uint32_t rows = view.rows;
    const bool isString = view.columns[column].field.type == 'S';
    // An item becomes a memo when it is large, or large for a view of this many rows.
    const uint64_t sharedLimit = 1000000 / (uint64_t(rows) + 1);
    auto itemLength = [&](std::string_view value) -> uint64_t {
        return value.size() + (isString && !value.empty() ? 1 : 0);
    };
    auto isMemo = [&](uint64_t length) {
        return length > 10000 || (length > 100 && length > sharedLimit);
    };
    auto putItem = [&](std::string_view value) {
        out.insert(out.end(), value.begin(), value.end());
        if (isString && !value.empty())
            out.push_back(0);
    };
    auto valueOf = [&](std::string_view item) {
        if (isString && !item.empty() && item.back() == '\0')
            item.remove_suffix(1);
        return item;
    };

    std::vector<uint8_t> directory;
    uint32_t nextMemoRow = 0;
    {
        ItemCursor cursor(view, column, 0);
        for (uint32_t row = 0; row < rows; ++row) {
            std::string_view value = valueOf(cursor.Next());
            uint64_t length = itemLength(value);
            if (!isMemo(length))
                continue;
            uint32_t pos = static_cast<uint32_t>(out.size() - base);
            putItem(value);
            PutNumber(directory, row - nextMemoRow);
            PutRef(directory, static_cast<uint32_t>(length), pos);
            nextMemoRow = row + 1;
        }
    }
    std::vector<int32_t> sizes(rows, 0);
    uint32_t dataPos = static_cast<uint32_t>(out.size() - base);
    {
        ItemCursor cursor(view, column, 0);
        for (uint32_t row = 0; row < rows; ++row) {
            std::string_view value = valueOf(cursor.Next());
            uint64_t length = itemLength(value);
            if (isMemo(length))
                continue;
            putItem(value);
            sizes[row] = static_cast<int32_t>(length);
        }
    }
    uint32_t dataSize = static_cast<uint32_t>(out.size() - base - dataPos);
    PutRef(walk, dataSize, dataPos);
    if (dataSize > 0)
        PutVectorColumn(out, walk, base, sizes);
    uint32_t directoryPos = static_cast<uint32_t>(out.size() - base);
    out.insert(out.end(), directory.begin(), directory.end());
    PutRef(walk, static_cast<uint32_t>(directory.size()), directoryPos);
}

}  // namespace

int32_t IntVector::Get(const uint8_t* image, uint32_t i) const
{
    const uint8_t* p = image + pos;
    switch (width) {
        case 1:
            return (p[i >> 3] >> (i & 7)) & 1;
        case 2:
            return (p[i >> 2] >> ((i & 3) * 2)) & 3;
        case 4:
            return (p[i >> 1] >> ((i & 1) * 4)) & 15;
        case 8:
            return static_cast<int8_t>(p[i]);
        case 16: {
            const uint8_t* q = p + 2 * size_t(i);
            uint16_t v = bigEndian ? uint16_t((q[0] << 8) | q[1]) : uint16_t((q[1] << 8) | q[0]);
            return static_cast<int16_t>(v);
        }
        case 32: {
            const uint8_t* q = p + 4 * size_t(i);
            uint32_t v =
                bigEndian ? Be32(q) : (uint32_t(q[3]) << 24) | (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
            return static_cast<int32_t>(v);
        }
        default:
            return 0;
    }
}

uint64_t IntVector::Sum(const uint8_t* image, uint32_t from, uint32_t to, bool& negative) const
{
    const uint8_t* p = image + pos;
    uint64_t sum = 0;
    switch (width) {
        case 8: {
            uint8_t high = 0;
            for (uint32_t i = from; i < to; ++i) {
                sum += p[i];
                high |= p[i];
            }
            negative = (high & 0x80) != 0;
            return sum;
        }
        case 16: {
            uint16_t high = 0;
            for (uint32_t i = from; i < to; ++i) {
                const uint8_t* q = p + 2 * size_t(i);
                uint16_t v = bigEndian ? uint16_t((q[0] << 8) | q[1]) : uint16_t((q[1] << 8) | q[0]);
                sum += v;
                high |= v;
            }
            negative = (high & 0x8000) != 0;
            return sum;
        }
        default:
            for (uint32_t i = from; i < to; ++i) {
                int32_t v = Get(image, i);
                if (v < 0)
                    negative = true;
                sum += static_cast<uint32_t>(v);
            }
            return sum;
    }
}

namespace {
// One pass over all entries: the running sum before every kCheckpointStep-th row (everyRow:
// before every row, and the total at the end). Fails when an entry has signBit set.
template <class Entry>
bool AccumulateCheckpoints(uint32_t rows, Entry entry, uint32_t signBit, bool everyRow,
                           std::vector<uint32_t>& checkpoints, uint64_t& total)
{
    uint64_t sum = 0;
    uint32_t high = 0;
    if (everyRow) {
        checkpoints.resize(size_t(rows) + 1);
        for (uint32_t i = 0; i < rows; ++i) {
            checkpoints[i] = static_cast<uint32_t>(sum);
            uint32_t v = entry(i);
            sum += v;
            high |= v;
        }
        checkpoints[rows] = static_cast<uint32_t>(sum);
    } else {
        checkpoints.clear();
        checkpoints.reserve(rows / FrozenColumn::kCheckpointStep + 1);
        for (uint32_t row = 0; row < rows; row += FrozenColumn::kCheckpointStep) {
            checkpoints.push_back(static_cast<uint32_t>(sum));
            uint32_t end = rows - row < FrozenColumn::kCheckpointStep ? rows : row + FrozenColumn::kCheckpointStep;
            for (uint32_t i = row; i < end; ++i) {
                uint32_t v = entry(i);
                sum += v;
                high |= v;
            }
        }
    }
    total = sum;
    return (high & signBit) == 0;
}
}  // namespace

bool IntVector::Checkpoints(const uint8_t* image, uint32_t rows, bool everyRow, std::vector<uint32_t>& checkpoints,
                            uint64_t& total) const
{
    const uint8_t* p = image + pos;
    switch (width) {
        case 8:
            return AccumulateCheckpoints(
                rows, [p](uint32_t i) { return uint32_t(p[i]); }, 0x80, everyRow, checkpoints, total);
        case 16:
            if (bigEndian)
                return AccumulateCheckpoints(
                    rows, [p](uint32_t i) { return uint32_t((p[2 * size_t(i)] << 8) | p[2 * size_t(i) + 1]); }, 0x8000,
                    everyRow, checkpoints, total);
            return AccumulateCheckpoints(
                rows, [p](uint32_t i) { return uint32_t((p[2 * size_t(i) + 1] << 8) | p[2 * size_t(i)]); }, 0x8000,
                everyRow, checkpoints, total);
        default:
            return AccumulateCheckpoints(
                rows, [this, image](uint32_t i) { return static_cast<uint32_t>(Get(image, i)); }, 0x80000000u, everyRow,
                checkpoints, total);
    }
}

ParseResult ParseImage(const uint8_t* bytes, size_t size)
{
    return ImageParser(bytes, size).Run();
}

bool ParseViewDescription(std::string_view text, std::string& name, std::vector<Field>& fields)
{
    std::vector<FieldSpec> specs;
    std::string message;
    size_t at = 0;
    if (ParseFieldList(text, at, 0, specs, message) != c4_Status::Ok || at != text.size() || specs.size() != 1 ||
        specs[0].type != 'V')
        return false;
    name = specs[0].name;
    fields.clear();
    for (const FieldSpec& f : specs[0].fields)
        fields.push_back(Field{f.name, f.type});
    return true;
}

std::string DescribeViews(const std::vector<std::shared_ptr<ViewData>>& views)
{
    std::string text;
    for (const auto& view : views) {
        if (!text.empty())
            text += ',';
        text += view->name;
        text += '[';
        for (size_t i = 0; i < view->columns.size(); ++i) {
            if (i)
                text += ',';
            text += view->columns[i].field.name;
            text += ':';
            text += view->columns[i].field.type;
        }
        text += ']';
    }
    return text;
}

namespace {

// What the views take once written, as a rule (more only where cells share an item): reserved at
// once, the image is not moved and its pages are not faulted in again on every doubling.
size_t ImageBytesGuess(const std::vector<std::shared_ptr<ViewData>>& views)
{
    size_t bytes = 4096;
    const Image* counted = nullptr;  // the views of a storage share their image
    for (const auto& view : views) {
        if (view->image && view->image.get() != counted) {
            counted = view->image.get();
            bytes += counted->size;
        }
        bytes += view->arena.size() + size_t(view->rows) * view->columns.size() * 4 + 64;
    }
    return std::min<size_t>(bytes, kMaxFileSize + 4096);
}

}  // namespace

bool WriteImage(const std::vector<std::shared_ptr<ViewData>>& views, std::string_view prefix, std::vector<uint8_t>& out)
{
    out.clear();
    out.reserve(prefix.size() + ImageBytesGuess(views));
    out.insert(out.end(), prefix.begin(), prefix.end());
    const size_t base = out.size();
    out.resize(base + 8, 0);  // the header, filled in last

    std::vector<uint8_t> rootRefs;
    for (const auto& view : views) {
        std::vector<uint8_t> walk;
        PutNumber(walk, 0);
        PutNumber(walk, view->rows);
        if (view->rows > 0) {
            for (size_t c = 0; c < view->columns.size(); ++c) {
                if (view->columns[c].field.type == 'I') {
                    std::vector<int32_t> values(view->rows);
                    for (uint32_t r = 0; r < view->rows; ++r)
                        values[r] = view->Int(c, r);
                    PutVectorColumn(out, walk, base, values);
                } else {
                    PutStringColumn(*view, c, out, walk, base);
                }
                if (out.size() > kMaxFileSize)
                    return false;
            }
        }
        uint32_t walkPos = static_cast<uint32_t>(out.size() - base);
        out.insert(out.end(), walk.begin(), walk.end());
        PutRef(rootRefs, static_cast<uint32_t>(walk.size()), walkPos);
    }

    std::string description = DescribeViews(views);
    std::vector<uint8_t> root;
    PutNumber(root, 0);
    PutNumber(root, static_cast<uint32_t>(description.size()));
    root.insert(root.end(), description.begin(), description.end());
    PutNumber(root, 1);
    root.insert(root.end(), rootRefs.begin(), rootRefs.end());
    if (root.size() > kMaxRootWalk)
        return false;
    uint32_t rootPos = static_cast<uint32_t>(out.size() - base);
    out.insert(out.end(), root.begin(), root.end());

    uint32_t skipPos = static_cast<uint32_t>(out.size() - base);
    uint8_t tails[16] = {0x80, 0, 0, 0, 0, 0, 0, 0, 0x80};
    PutBe32(tails + 4, skipPos);
    tails[9] = uint8_t(root.size() >> 16);
    tails[10] = uint8_t(root.size() >> 8);
    tails[11] = uint8_t(root.size());
    PutBe32(tails + 12, rootPos);
    out.insert(out.end(), tails, tails + 16);
    if (out.size() > kMaxFileSize)
        return false;

    uint8_t* header = out.data() + base;
    header[0] = 'J';
    header[1] = 'L';
    header[2] = 0x1A;
    header[3] = 0;
    PutBe32(header + 4, static_cast<uint32_t>(out.size() - base));
    return true;
}

namespace {
struct FoldTable {
    uint8_t map[256];
    FoldTable()
    {
        for (int i = 0; i < 256; ++i)
            map[i] = static_cast<uint8_t>(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i);
    }
};
const FoldTable kFold;

size_t TextLength(std::string_view s)
{
    const void* zero = s.empty() ? nullptr : std::memchr(s.data(), 0, s.size());
    return zero ? static_cast<size_t>(static_cast<const char*>(zero) - s.data()) : s.size();
}
}  // namespace

int CompareText(std::string_view a, std::string_view b)
{
    size_t na = TextLength(a), nb = TextLength(b);
    size_t n = std::min(na, nb);
    const uint8_t* pa = reinterpret_cast<const uint8_t*>(a.data());
    const uint8_t* pb = reinterpret_cast<const uint8_t*>(b.data());
    for (size_t i = 0; i < n; ++i) {
        uint8_t ca = kFold.map[pa[i]], cb = kFold.map[pb[i]];
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return na < nb ? -1 : na > nb ? 1 : 0;
}

std::string_view TextPrefix(std::string_view s)
{
    return s.substr(0, TextLength(s));
}

int CompareToQuery(std::string_view item, std::string_view query)
{
    const uint8_t* a = reinterpret_cast<const uint8_t*>(item.data());
    const uint8_t* b = reinterpret_cast<const uint8_t*>(query.data());
    const size_t na = item.size(), nb = query.size();
    for (size_t i = 0;; ++i) {
        bool itemEnds = i == na || a[i] == 0;
        if (i == nb)
            return itemEnds ? 0 : 1;
        if (itemEnds)
            return -1;
        uint8_t ca = kFold.map[a[i]], cb = kFold.map[b[i]];
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
}

bool EqualsQuery(std::string_view item, std::string_view query)
{
    const size_t n = query.size();
    if (item.size() < n)
        return false;
    if (item.size() > n && item[n] != '\0')
        return false;
    const uint8_t* a = reinterpret_cast<const uint8_t*>(item.data());
    const uint8_t* b = reinterpret_cast<const uint8_t*>(query.data());
    for (size_t i = 0; i < n; ++i)
        if (kFold.map[a[i]] != kFold.map[b[i]])
            return false;
    return true;
}

bool EqualNames(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (kFold.map[uint8_t(a[i])] != kFold.map[uint8_t(b[i])])
            return false;
    return true;
}

}  // namespace pv_storage
