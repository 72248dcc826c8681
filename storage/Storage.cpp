#include "storage/StorageInternal.h"

#include <algorithm>
#include <climits>
#include <cstring>

using pv_storage::Cell;
using pv_storage::Column;
using pv_storage::Field;
using pv_storage::FrozenColumn;
using pv_storage::Image;
using pv_storage::ItemCursor;
using pv_storage::ParseResult;
using pv_storage::ViewData;

namespace pv_storage {

namespace {
const char kNoBytes[1] = {0};
const std::string_view kEmpty(kNoBytes, 0);

bool IsStringType(char type)
{
    return type == 'S' || type == 'B';
}
}  // namespace

// ---- ViewData ----

namespace {

std::string_view ColumnItemSlow(const ViewData& view, const Column& col, uint32_t row);

// The raw item of a row (row < view.rows) of a string column of the view. The common case, a
// frozen column with an index per row, is kept to a few loads: GetString and Search run on
// every keystroke.
inline std::string_view ColumnItem(const ViewData& view, const Column& col, uint32_t row)
{
    const FrozenColumn& f = col.frozen;
    if (!view.thawed && !f.rowOffsets.empty()) {
        const uint32_t* offsets = f.rowOffsets.data();
        uint32_t offset = offsets[row], end = offsets[row + 1];
        if (end != offset)
            return std::string_view(reinterpret_cast<const char*>(view.ImageBytes()) + f.dataPos + offset,
                                    end - offset);
        if (f.memos.empty())
            return kEmpty;  // no large items kept apart: the value is empty
    }
    return ColumnItemSlow(view, col, row);
}

std::string_view ColumnItemSlow(const ViewData& view, const Column& col, uint32_t row)
{
    if (view.thawed) {
        const Cell& cell = col.cells[row];
        uint32_t len = cell.len & ~Cell::kArena;
        if (len == 0)
            return kEmpty;
        const char* base =
            (cell.len & Cell::kArena) ? view.arena.data() : reinterpret_cast<const char*>(view.ImageBytes());
        return std::string_view(base + cell.pos, len);
    }
    const FrozenColumn& f = col.frozen;
    const uint8_t* bytes = view.ImageBytes();
    if (f.everyRow) {
        const uint32_t* offsets = f.RowOffsets(bytes, view.rows);
        uint32_t offset = offsets[row], size = offsets[row + 1] - offset;
        if (size > 0)
            return std::string_view(reinterpret_cast<const char*>(bytes) + f.dataPos + offset, size);
    } else {
        int32_t size = f.sizes.Get(bytes, row);
        if (size > 0) {
            bool negative = false;
            uint32_t offset =
                f.checkpoints[row >> FrozenColumn::kCheckpointShift] +
                static_cast<uint32_t>(f.sizes.Sum(bytes, row & ~(FrozenColumn::kCheckpointStep - 1), row, negative));
            return std::string_view(reinterpret_cast<const char*>(bytes) + f.dataPos + offset,
                                    static_cast<size_t>(size));
        }
    }
    if (f.memos.empty())
        return kEmpty;
    auto memo =
        std::lower_bound(f.memos.begin(), f.memos.end(), row, [](const Memo& m, uint32_t r) { return m.row < r; });
    if (memo != f.memos.end() && memo->row == row)
        return std::string_view(reinterpret_cast<const char*>(bytes) + memo->pos, memo->size);
    return kEmpty;
}

// The value: an S item without its terminating zero.
inline std::string_view ColumnValue(const ViewData& view, const Column& col, uint32_t row)
{
    std::string_view item = ColumnItem(view, col, row);
    if (col.field.type == 'S' && !item.empty() && item.back() == '\0')
        item.remove_suffix(1);
    return item;
}

}  // namespace

std::string_view ViewData::Item(size_t column, uint32_t row) const
{
    if (column >= columns.size() || row >= rows)
        return kEmpty;
    return ColumnItem(*this, columns[column], row);
}

std::string_view ViewData::Value(size_t column, uint32_t row) const
{
    if (column >= columns.size() || row >= rows)
        return kEmpty;
    return ColumnValue(*this, columns[column], row);
}

int32_t ViewData::Int(size_t column, uint32_t row) const
{
    if (column >= columns.size() || row >= rows || columns[column].field.type != 'I')
        return 0;
    if (thawed)
        return columns[column].ints[row];
    return columns[column].frozen.sizes.Get(ImageBytes(), row);
}

int ViewData::FindColumn(std::string_view name) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (EqualNames(columns[i].field.name, name))
            return static_cast<int>(i);
    return -1;
}

void ViewData::Thaw()
{
    if (thawed)
        return;
    ++stamp;
    const uint8_t* bytes = ImageBytes();
    // Room for some inserts, so the first few do not double a large view's cells.
    const size_t capacity = size_t(rows) + rows / 16 + 64;
    for (size_t c = 0; c < columns.size(); ++c) {
        Column& col = columns[c];
        if (col.field.type == 'I') {
            col.ints.reserve(capacity);
            col.ints.resize(rows);
            for (uint32_t r = 0; r < rows; ++r)
                col.ints[r] = col.frozen.sizes.Get(bytes, r);
        } else {
            col.cells.reserve(capacity);
            col.cells.resize(rows);
            ItemCursor cursor(*this, c, 0);
            for (uint32_t r = 0; r < rows; ++r) {
                std::string_view item = cursor.Next();
                Cell& cell = col.cells[r];
                cell.len = static_cast<uint32_t>(item.size());
                cell.pos =
                    item.empty() ? 0 : static_cast<uint32_t>(reinterpret_cast<const uint8_t*>(item.data()) - bytes);
            }
        }
    }
    for (Column& col : columns)
        col.frozen = FrozenColumn();
    thawed = true;
}

bool ViewData::MakeCell(std::string_view item, Cell& cell)
{
    if (item.empty()) {
        cell = Cell();
        return true;
    }
    if (item.size() >= Cell::kArena || arena.size() + item.size() > UINT32_MAX)
        return false;
    cell.pos = static_cast<uint32_t>(arena.size());
    cell.len = static_cast<uint32_t>(item.size()) | Cell::kArena;
    arena.insert(arena.end(), item.begin(), item.end());
    return true;
}

void FrozenColumn::BuildRowOffsets(const uint8_t* image, uint32_t rows) const
{
    uint64_t total = 0;
    sizes.Checkpoints(image, rows, true, rowOffsets, total);  // validated when the file was read
}

// ---- ItemCursor ----

ItemCursor::ItemCursor(const ViewData& view, size_t column, uint32_t startRow)
    : m_view(view), m_column(column), m_row(startRow)
{
    if (view.thawed || column >= view.columns.size() || startRow >= view.rows)
        return;
    const FrozenColumn& f = view.columns[column].frozen;
    if (f.dataSize > 0) {
        bool negative = false;
        m_offset = f.checkpoints[startRow >> FrozenColumn::kCheckpointShift] +
                   static_cast<uint32_t>(f.sizes.Sum(view.ImageBytes(), startRow & ~(FrozenColumn::kCheckpointStep - 1),
                                                     startRow, negative));
    }
    m_memo = static_cast<size_t>(std::lower_bound(f.memos.begin(), f.memos.end(), startRow,
                                                  [](const Memo& m, uint32_t r) { return m.row < r; }) -
                                 f.memos.begin());
}

std::string_view ItemCursor::Next()
{
    if (m_row >= m_view.rows || m_column >= m_view.columns.size())
        return kEmpty;
    if (m_view.thawed)
        return m_view.Item(m_column, m_row++);
    const FrozenColumn& f = m_view.columns[m_column].frozen;
    const uint8_t* bytes = m_view.ImageBytes();
    uint32_t row = m_row++;
    int32_t size = f.sizes.Get(bytes, row);
    if (size > 0) {
        std::string_view item(reinterpret_cast<const char*>(bytes) + f.dataPos + m_offset, static_cast<size_t>(size));
        m_offset += static_cast<uint32_t>(size);
        return item;
    }
    while (m_memo < f.memos.size() && f.memos[m_memo].row < row)
        ++m_memo;
    if (m_memo < f.memos.size() && f.memos[m_memo].row == row) {
        const Memo& m = f.memos[m_memo++];
        return std::string_view(reinterpret_cast<const char*>(bytes) + m.pos, m.size);
    }
    return kEmpty;
}

// ---- the storage ----

struct StorageData {
    c4_FileStrategy* strategy = nullptr;
    bool ownsStrategy = false;
    bool writable = false;
    c4_Status status = c4_Status::Ok;
    std::string message;
    std::shared_ptr<const Image> image;
    uint32_t base = 0;  // where the storage starts in the file; the bytes before it are kept
    std::vector<std::shared_ptr<ViewData>> views;
    bool structureChanged = false;

    bool IsDirty() const
    {
        if (structureChanged)
            return true;
        for (const auto& view : views)
            if (view->modified)
                return true;
        return false;
    }

    std::string_view Prefix() const
    {
        if (!image || base == 0)
            return std::string_view();
        return std::string_view(reinterpret_cast<const char*>(image->data), base);
    }

    std::shared_ptr<ViewData> FindView(std::string_view name) const
    {
        for (const auto& view : views)
            if (EqualNames(view->name, name))
                return view;
        return nullptr;
    }

    // Takes the views of a parsed image. Views already known (after a commit) keep their
    // identity, so c4_View handles held by callers stay attached.
    void Adopt(ParseResult& parsed, std::shared_ptr<const Image> newImage)
    {
        image = std::move(newImage);
        base = parsed.base;
        for (size_t i = 0; i < parsed.views.size(); ++i) {
            pv_storage::ParsedView& pv = parsed.views[i];
            std::shared_ptr<ViewData> view = i < views.size() ? views[i] : nullptr;
            if (!view) {
                view = std::make_shared<ViewData>();
                views.push_back(view);
            }
            view->name = pv.name;
            view->rows = pv.rows;
            view->columns.clear();
            view->columns.resize(pv.fields.size());
            for (size_t c = 0; c < pv.fields.size(); ++c) {
                view->columns[c].field = pv.fields[c];
                if (c < pv.columns.size())
                    view->columns[c].frozen = std::move(pv.columns[c]);
            }
            view->thawed = false;
            view->modified = false;
            ++view->stamp;
            view->image = image;
            std::vector<char>().swap(view->arena);
        }
        structureChanged = false;
    }

    void Load()
    {
        c4_FileStrategy& s = *strategy;
        if (!s.IsValid()) {
            status = c4_Status::NoFile;
            message = "the file could not be opened";
            return;
        }
        s.ResetFileMapping();
        t4_i32 size = s.FileSize();
        if (size < 0) {
            status = c4_Status::ReadError;
            message = "the size of the file could not be read";
            s.DataClose();
            return;
        }
        auto loaded = std::make_shared<Image>();
        loaded->raw.reset(new uint8_t[size > 0 ? size : 1]);
        loaded->data = loaded->raw.get();
        loaded->size = static_cast<size_t>(size);
        const int kChunk = 1 << 20;
        for (t4_i32 pos = 0; pos < size;) {
            int want = std::min<t4_i32>(kChunk, size - pos);
            int got = s.DataRead(pos, loaded->raw.get() + pos, want);
            if (got <= 0 || got > want) {
                status = c4_Status::ReadError;
                message = "the file could not be read";
                s.DataClose();
                return;
            }
            pos += got;
        }
        // Everything is in memory: let go of the file so other storages can replace it.
        s.DataClose();
        ParseResult parsed = pv_storage::ParseImage(loaded->data, loaded->size);
        if (parsed.status != c4_Status::Ok) {
            status = parsed.status;
            message = parsed.message;
            return;
        }
        Adopt(parsed, std::move(loaded));
    }
};

}  // namespace pv_storage

using pv_storage::StorageData;

// ---- properties and rows ----

std::string_view c4_StringProp::Get(const c4_View& view, int row) const
{
    return view.GetString(row, view.FindProperty(Name()));
}

bool c4_StringProp::Set(c4_View& view, int row, std::string_view value) const
{
    return view.SetString(row, view.FindProperty(Name()), value);
}

c4_Row c4_StringProp::operator[](std::string_view value) const
{
    c4_Row row;
    row.Set(*this, value);
    return row;
}

t4_i32 c4_IntProp::Get(const c4_View& view, int row) const
{
    return view.GetInt(row, view.FindProperty(Name()));
}

bool c4_IntProp::Set(c4_View& view, int row, t4_i32 value) const
{
    return view.SetInt(row, view.FindProperty(Name()), value);
}

c4_Row c4_IntProp::operator[](t4_i32 value) const
{
    c4_Row row;
    row.Set(*this, value);
    return row;
}

static c4_Row::Value& RowSlot(std::vector<c4_Row::Value>& values, const char* name)
{
    for (c4_Row::Value& v : values)
        if (pv_storage::EqualNames(v.name, name))
            return v;
    values.push_back(c4_Row::Value{name, 'S', std::string(), 0});
    return values.back();
}

c4_Row& c4_Row::Set(const c4_StringProp& prop, std::string_view value)
{
    c4_Row::Value& slot = RowSlot(m_values, prop.Name());
    slot.type = 'S';
    slot.text.assign(value.data(), value.size());
    slot.number = 0;
    return *this;
}

c4_Row& c4_Row::Set(const c4_IntProp& prop, t4_i32 value)
{
    c4_Row::Value& slot = RowSlot(m_values, prop.Name());
    slot.type = 'I';
    slot.text.clear();
    slot.number = value;
    return *this;
}

c4_Row& c4_Row::operator+=(const c4_Row& other)
{
    for (const Value& v : other.m_values)
        RowSlot(m_values, v.name.c_str()) = v;
    return *this;
}

const c4_Row::Value* c4_Row::Find(const char* name) const
{
    for (const Value& v : m_values)
        if (pv_storage::EqualNames(v.name, name))
            return &v;
    return nullptr;
}

c4_Row operator+(const c4_Row& a, const c4_Row& b)
{
    c4_Row sum = a;
    sum += b;
    return sum;
}

// ---- views ----

c4_View::c4_View() = default;
c4_View::~c4_View() = default;
c4_View::c4_View(const c4_View&) = default;
c4_View& c4_View::operator=(const c4_View&) = default;
c4_View::c4_View(std::shared_ptr<ViewData> data) : m_data(std::move(data)) {}

int c4_View::GetSize() const
{
    return m_data ? static_cast<int>(m_data->rows) : 0;
}

int c4_View::NumProperties() const
{
    return m_data ? static_cast<int>(m_data->columns.size()) : 0;
}

std::string c4_View::PropertyName(int column) const
{
    if (!m_data || column < 0 || column >= NumProperties())
        return std::string();
    return m_data->columns[column].field.name;
}

char c4_View::PropertyType(int column) const
{
    if (!m_data || column < 0 || column >= NumProperties())
        return 0;
    return m_data->columns[column].field.type;
}

int c4_View::FindProperty(const char* name) const
{
    return m_data && name ? m_data->FindColumn(name) : -1;
}

namespace {

// A query value prepared for one column: strings cut at their first zero byte.
struct QueryValue {
    bool present = false;
    std::string_view text;
    int32_t number = 0;
};

QueryValue Prepare(const Column& column, const c4_Row::Value* v)
{
    QueryValue q;
    if (!v || (v->type == 'I') != (column.field.type == 'I'))
        return q;  // missing, or of another kind: compares as empty / 0
    q.present = true;
    q.number = v->number;
    q.text = column.field.type == 'S' ? pv_storage::TextPrefix(v->text) : std::string_view(v->text);
    return q;
}

// The row's value for each column of the view: null where the row has none (or one of
// another kind), which then counts as empty / 0.
std::vector<const c4_Row::Value*> MatchColumns(const ViewData& view, const c4_Row& row)
{
    std::vector<const c4_Row::Value*> match(view.columns.size(), nullptr);
    for (size_t c = 0; c < view.columns.size(); ++c) {
        const c4_Row::Value* v = row.Find(view.columns[c].field.name.c_str());
        if (v && (v->type == 'I') == (view.columns[c].field.type == 'I'))
            match[c] = v;
    }
    return match;
}

int CompareBytes(std::string_view a, std::string_view b)
{
    size_t n = std::min(a.size(), b.size());
    int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int CompareCell(const ViewData& view, size_t column, uint32_t row, const QueryValue& q)
{
    switch (view.columns[column].field.type) {
        case 'I': {
            int32_t a = view.Int(column, row);
            return a < q.number ? -1 : a > q.number ? 1 : 0;
        }
        case 'B':
            return CompareBytes(view.Value(column, row), q.text);
        default:
            return pv_storage::CompareToQuery(view.Item(column, row), q.text);
    }
}

}  // namespace

namespace {

int SearchView(const ViewData& view, const QueryValue* query)
{
    int64_t lo = -1, hi = view.rows;
    while (lo + 1 != hi) {
        int64_t m = (lo + hi) / 2;
        int c = 0;
        for (size_t col = 0; col < view.columns.size() && c == 0; ++col)
            c = CompareCell(view, col, static_cast<uint32_t>(m), query[col]);
        if (c < 0)
            lo = m;
        else
            hi = m;
    }
    return static_cast<int>(hi);
}

// Query values for every column, on the stack for the usual few columns.
class QueryColumns {
public:
    explicit QueryColumns(size_t count) : m_count(count)
    {
        if (count > kLocal)
            m_heap.resize(count);
    }
    QueryValue* data() { return m_count > kLocal ? m_heap.data() : m_local; }

private:
    static constexpr size_t kLocal = 8;
    size_t m_count;
    QueryValue m_local[kLocal];
    std::vector<QueryValue> m_heap;
};

}  // namespace

int c4_View::Search(const c4_Row& key) const
{
    if (!m_data)
        return 0;
    const ViewData& view = *m_data;
    QueryColumns query(view.columns.size());
    for (size_t c = 0; c < view.columns.size(); ++c)
        query.data()[c] = Prepare(view.columns[c], key.Find(view.columns[c].field.name.c_str()));
    return SearchView(view, query.data());
}

int c4_View::Search(const c4_StringProp& prop, std::string_view value) const
{
    if (!m_data)
        return 0;
    const ViewData& view = *m_data;
    QueryColumns query(view.columns.size());
    int column = view.FindColumn(prop.Name());
    if (column >= 0 && view.columns[column].field.type != 'I') {
        QueryValue& q = query.data()[column];
        q.present = true;
        q.text = view.columns[column].field.type == 'S' ? pv_storage::TextPrefix(value) : value;
    }
    return SearchView(view, query.data());
}

int c4_View::Find(const c4_StringProp& prop, std::string_view value, int start) const
{
    if (!m_data)
        return -1;
    const ViewData& view = *m_data;
    if (start < 0)
        start = 0;
    if (static_cast<uint32_t>(start) >= view.rows)
        return -1;
    int column = view.FindColumn(prop.Name());
    if (column < 0)  // every row holds an empty value there
        return pv_storage::TextPrefix(value).empty() ? start : -1;
    const Column& col = view.columns[column];
    if (col.field.type == 'I')
        return -1;
    if (col.field.type == 'B') {
        QueryValue q;
        q.present = true;
        q.text = value;
        for (uint32_t row = static_cast<uint32_t>(start); row < view.rows; ++row)
            if (CompareCell(view, static_cast<size_t>(column), row, q) == 0)
                return static_cast<int>(row);
        return -1;
    }
    std::string_view text = pv_storage::TextPrefix(value);
    ItemCursor cursor(view, static_cast<size_t>(column), static_cast<uint32_t>(start));
    for (uint32_t row = static_cast<uint32_t>(start); row < view.rows; ++row)
        if (pv_storage::EqualsQuery(cursor.Next(), text))
            return static_cast<int>(row);
    return -1;
}

int c4_View::Find(const c4_Row& query, int start) const
{
    if (!m_data)
        return -1;
    const ViewData& view = *m_data;
    if (start < 0)
        start = 0;
    if (static_cast<uint32_t>(start) >= view.rows)
        return -1;
    std::vector<ItemCursor> cursors;  // string terms, read row by row
    std::vector<std::string_view> texts;
    std::vector<std::pair<size_t, QueryValue>> others;
    for (const c4_Row::Value& v : query.Values()) {
        int column = view.FindColumn(v.name);
        if (column < 0) {
            // The view lacks the property: every row holds empty / 0 there.
            bool matchesDefault = v.type == 'I' ? v.number == 0 : pv_storage::TextPrefix(v.text).empty();
            if (!matchesDefault)
                return -1;
            continue;
        }
        const Column& col = view.columns[column];
        if ((v.type == 'I') != (col.field.type == 'I'))
            return -1;  // another kind never matches
        if (col.field.type == 'S') {
            cursors.emplace_back(view, static_cast<size_t>(column), static_cast<uint32_t>(start));
            texts.push_back(pv_storage::TextPrefix(v.text));
        } else {
            others.emplace_back(static_cast<size_t>(column), Prepare(col, &v));
        }
    }
    for (uint32_t row = static_cast<uint32_t>(start); row < view.rows; ++row) {
        bool equal = true;
        for (size_t i = 0; i < cursors.size(); ++i) {
            std::string_view item = cursors[i].Next();  // every cursor advances each row
            if (equal && !pv_storage::EqualsQuery(item, texts[i]))
                equal = false;
        }
        for (size_t i = 0; equal && i < others.size(); ++i)
            equal = CompareCell(view, others[i].first, row, others[i].second) == 0;
        if (equal)
            return static_cast<int>(row);
    }
    return -1;
}

int c4_View::Add(const c4_Row& row)
{
    int index = GetSize();
    return InsertAt(index, row, 1) ? index : -1;
}

bool c4_View::InsertAt(int index, const c4_Row& row, int count)
{
    if (!m_data || index < 0 || count < 0 || static_cast<uint32_t>(index) > m_data->rows ||
        int64_t(m_data->rows) + count > INT32_MAX)
        return false;
    if (count == 0)
        return true;
    ViewData& view = *m_data;
    view.Thaw();
    std::vector<const c4_Row::Value*> values = MatchColumns(view, row);
    std::vector<Cell> cells(view.columns.size());
    for (size_t c = 0; c < view.columns.size(); ++c) {
        const Column& col = view.columns[c];
        if (col.field.type == 'I' || !values[c])
            continue;
        std::string item = values[c]->text;
        if (col.field.type == 'S' && !item.empty())
            item.push_back('\0');
        if (!view.MakeCell(item, cells[c]))
            return false;
    }
    for (size_t c = 0; c < view.columns.size(); ++c) {
        Column& col = view.columns[c];
        if (col.field.type == 'I')
            col.ints.insert(col.ints.begin() + index, count, values[c] ? values[c]->number : 0);
        else
            col.cells.insert(col.cells.begin() + index, count, cells[c]);
    }
    view.rows += static_cast<uint32_t>(count);
    view.modified = true;
    return true;
}

// ---- batches of rows ----

c4_StringRows::c4_StringRows(std::vector<c4_StringProp> props) : m_props(std::move(props)) {}

void c4_StringRows::Add(std::initializer_list<std::string_view> values)
{
    auto value = values.begin();
    for (size_t p = 0; p < m_props.size(); ++p) {
        if (value != values.end()) {
            if (m_bytes.size() + value->size() < kMaxBytes)
                m_bytes.insert(m_bytes.end(), value->data(), value->data() + value->size());
            else
                m_tooLarge = true;
            ++value;
        }
        m_bytes.push_back('\0');
        m_offsets.push_back(static_cast<uint32_t>(m_bytes.size()));
    }
    ++m_rows;
}

void c4_StringRows::Reserve(size_t rows, size_t bytes)
{
    m_bytes.reserve(std::min(bytes + rows * m_props.size(), kMaxBytes));
    m_offsets.reserve(rows * m_props.size() + 1);
}

void c4_StringRows::Clear()
{
    m_bytes.clear();
    m_offsets.assign(1, 0);
    m_rows = 0;
    m_tooLarge = false;
}

int c4_CompareStrings(std::string_view a, std::string_view b)
{
    return pv_storage::CompareText(a, b);
}

namespace {

// The first eight bytes of a string value as Search orders them, as one number: zero bytes
// stand for the end of the value, which sorts before any byte.
uint64_t OrderPrefix(std::string_view value)
{
    uint64_t prefix = 0;
    size_t i = 0;
    for (; i < 8 && i < value.size() && value[i] != '\0'; ++i) {
        uint8_t c = static_cast<uint8_t>(value[i]);
        if (c >= 'A' && c <= 'Z')
            c = static_cast<uint8_t>(c - 'A' + 'a');
        prefix = (prefix << 8) | c;
    }
    return i == 0 ? 0 : prefix << (8 * (8 - i));
}

// The order of CompareText for values already cut at their first zero byte.
int CompareCut(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        uint8_t ca = static_cast<uint8_t>(a[i]), cb = static_cast<uint8_t>(b[i]);
        if (ca == cb)
            continue;
        ca = static_cast<uint8_t>(ca >= 'A' && ca <= 'Z' ? ca + 32 : ca);
        cb = static_cast<uint8_t>(cb >= 'A' && cb <= 'Z' ? cb + 32 : cb);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Batch rows in the order they end up in: by key, and among equal keys the later row first
// (each single insert lands before the rows with its key).
std::vector<uint32_t> InsertionOrder(const c4_StringRows& rows)
{
    const uint32_t count = static_cast<uint32_t>(rows.Size());
    auto keyOf = [&rows](uint32_t row) {
        return pv_storage::TextPrefix(rows.Value(static_cast<int>(row), 0));
    };
    std::vector<uint32_t> order(count);
    // Input in key order (an import of an export): only runs of equal keys turn round.
    uint32_t run = 0;
    bool sorted = true;
    std::string_view next = count > 0 ? keyOf(0) : std::string_view();
    for (uint32_t i = 0; i < count && sorted; ++i) {
        order[i] = i;
        const std::string_view key = next;
        if (i + 1 < count)
            next = keyOf(i + 1);
        const int c = i + 1 < count ? CompareCut(key, next) : -1;
        sorted = c <= 0;
        if (c < 0) {
            std::reverse(order.begin() + run, order.begin() + i + 1);
            run = i + 1;
        }
    }
    if (sorted)
        return order;
    std::vector<std::string_view> keys(count);
    for (uint32_t i = 0; i < count; ++i)
        keys[i] = keyOf(i);
    struct Slot {
        uint64_t prefix;
        uint32_t row;
    };
    std::vector<Slot> slots(count), spare(count);
    for (uint32_t i = 0; i < count; ++i)
        slots[i] = Slot{OrderPrefix(keys[i]), i};
    // By prefix: a stable radix sort, 16 bits a pass, passes where every slot has the same
    // digit skipped. Then the runs of one prefix by the whole key, the later row first.
    std::vector<uint32_t> counts(0x10000);
    for (int shift = 0; shift < 64; shift += 16) {
        std::fill(counts.begin(), counts.end(), 0);
        for (const Slot& slot : slots)
            ++counts[(slot.prefix >> shift) & 0xFFFF];
        if (counts[(slots[0].prefix >> shift) & 0xFFFF] == count)
            continue;
        uint32_t sum = 0;
        for (uint32_t& n : counts) {
            const uint32_t here = n;
            n = sum;
            sum += here;
        }
        for (const Slot& slot : slots)
            spare[counts[(slot.prefix >> shift) & 0xFFFF]++] = slot;
        slots.swap(spare);
    }
    for (uint32_t run = 0; run < count;) {
        uint32_t end = run + 1;
        while (end < count && slots[end].prefix == slots[run].prefix)
            ++end;
        if (end - run > 1) {
            std::sort(slots.begin() + run, slots.begin() + end, [&keys](const Slot& a, const Slot& b) {
                const int c = CompareCut(keys[a.row], keys[b.row]);
                return c != 0 ? c < 0 : a.row > b.row;
            });
        }
        run = end;
    }
    for (uint32_t i = 0; i < count; ++i)
        order[i] = slots[i].row;
    return order;
}

// Whether every row is at the place a Search on the key column alone gives it: keys in order,
// and no integer column (a negative value there would sort before an empty query).
bool KeptInKeyOrder(const ViewData& view, int keyColumn)
{
    if (keyColumn < 0 || view.columns[keyColumn].field.type != 'S')
        return false;
    ItemCursor cursor(view, static_cast<size_t>(keyColumn), 0);
    std::string_view previous = cursor.Next();
    for (uint32_t row = 1; row < view.rows; ++row) {
        std::string_view item = cursor.Next();
        if (pv_storage::CompareText(previous, item) > 0)
            return false;
        previous = item;
    }
    return true;
}

// The first row at or after from whose key does not sort before the key.
uint32_t KeyLowerBound(const ViewData& view, size_t keyColumn, uint32_t from, std::string_view key)
{
    uint32_t lo = from, hi = view.rows;
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (pv_storage::CompareText(view.Item(keyColumn, mid), key) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

}  // namespace

bool c4_View::InsertSorted(c4_StringRows&& rows)
{
    struct UsedUp {
        c4_StringRows& rows;
        ~UsedUp() { rows.Clear(); }
    } usedUp{rows};
    if (!m_data || rows.m_tooLarge || int64_t(m_data->rows) + rows.Size() > INT32_MAX)
        return false;
    if (rows.Empty())
        return true;
    ViewData& view = *m_data;
    const std::vector<c4_StringProp>& props = rows.Props();
    std::vector<int> columnOf(props.size(), -1);  // the view's string column of each batch value
    for (size_t p = 0; p < props.size(); ++p) {
        const int c = view.FindColumn(props[p].Name());
        if (c >= 0 && pv_storage::IsStringType(view.columns[c].field.type))
            columnOf[p] = c;
    }
    if (props.empty() || !KeptInKeyOrder(view, columnOf[0])) {
        for (int i = 0; i < rows.Size(); ++i) {
            c4_Row row;
            for (size_t p = 0; p < props.size(); ++p)
                row.Set(props[p], rows.Value(i, static_cast<int>(p)));
            if (!InsertAt(Search(props[0], rows.Value(i, 0)), row))
                return false;
        }
        return true;
    }
    // The batch's bytes join the arena whole, so they must fit beside what it holds.
    if (uint64_t(view.arena.size()) + rows.m_bytes.size() > UINT32_MAX)
        return false;

    const std::vector<uint32_t> order = InsertionOrder(rows);
    const size_t keyColumn = static_cast<size_t>(columnOf[0]);
    std::vector<uint32_t> places;  // none when every row goes before the end of an empty view
    if (view.rows > 0) {
        places.resize(order.size());
        uint32_t place = 0;
        for (size_t j = 0; j < order.size(); ++j)
            places[j] = place = KeyLowerBound(view, keyColumn, place, rows.Value(order[j], 0));
    }

    view.Thaw();
    // The batch keeps its values as S items are kept. In key order its bytes become arena bytes as
    // they are; else they are copied in the order of the rows, so that the commit reads them in a
    // row rather than all over memory.
    bool inOrder = true;
    for (uint32_t j = 0; j < order.size() && inOrder; ++j)
        inOrder = order[j] == j;
    const uint32_t base = static_cast<uint32_t>(view.arena.size());
    if (inOrder && base == 0)
        view.arena.swap(rows.m_bytes);
    else if (inOrder)
        view.arena.insert(view.arena.end(), rows.m_bytes.begin(), rows.m_bytes.end());
    else
        view.arena.reserve(view.arena.size() + rows.m_bytes.size());
    const size_t columns = view.columns.size();
    std::vector<int> propOf(columns, -1);  // the batch value of each column, if any
    for (size_t p = 0; p < props.size(); ++p) {
        if (columnOf[p] >= 0 && propOf[static_cast<size_t>(columnOf[p])] < 0)
            propOf[static_cast<size_t>(columnOf[p])] = static_cast<int>(p);
    }
    auto cellOf = [&](uint32_t row, size_t column) {
        Cell cell;
        if (propOf[column] < 0)
            return cell;
        const size_t at = size_t(row) * props.size() + size_t(propOf[column]);
        const uint32_t start = rows.m_offsets[at], size = rows.m_offsets[at + 1] - start - 1;
        if (size == 0)
            return cell;
        cell.pos = base + start;
        if (!inOrder) {
            cell.pos = static_cast<uint32_t>(view.arena.size());
            const char* bytes = rows.m_bytes.data() + start;
            view.arena.insert(view.arena.end(), bytes, bytes + size + 1);
        }
        cell.len = (size + (view.columns[column].field.type == 'S' ? 1 : 0)) | Cell::kArena;
        return cell;
    };
    const uint32_t total = view.rows + static_cast<uint32_t>(rows.Size());
    std::vector<std::vector<Cell>> merged(columns);
    std::vector<std::vector<int32_t>> mergedInts(columns);  // integer columns: the new rows hold 0
    for (size_t c = 0; c < columns; ++c) {
        if (view.columns[c].field.type == 'I')
            mergedInts[c].reserve(total);
        else
            merged[c].reserve(size_t(total) + total / 16 + 64);
    }
    uint32_t from = 0;
    for (size_t j = 0; j < order.size(); ++j) {
        const uint32_t place = places.empty() ? 0 : places[j];
        for (size_t c = 0; c < columns; ++c) {
            if (view.columns[c].field.type == 'I') {
                const std::vector<int32_t>& ints = view.columns[c].ints;
                mergedInts[c].insert(mergedInts[c].end(), ints.begin() + from, ints.begin() + place);
                mergedInts[c].push_back(0);
                continue;
            }
            const std::vector<Cell>& cells = view.columns[c].cells;
            if (place != from)
                merged[c].insert(merged[c].end(), cells.begin() + from, cells.begin() + place);
            merged[c].push_back(cellOf(order[j], c));
        }
        from = place;
    }
    for (size_t c = 0; c < columns; ++c) {
        if (view.columns[c].field.type == 'I') {
            const std::vector<int32_t>& ints = view.columns[c].ints;
            mergedInts[c].insert(mergedInts[c].end(), ints.begin() + from, ints.end());
            view.columns[c].ints.swap(mergedInts[c]);
            continue;
        }
        const std::vector<Cell>& cells = view.columns[c].cells;
        merged[c].insert(merged[c].end(), cells.begin() + from, cells.end());
        view.columns[c].cells.swap(merged[c]);
    }
    view.rows = total;
    view.modified = true;
    return true;
}

bool c4_View::RemoveAt(int index, int count)
{
    if (!m_data || index < 0 || count < 0 || int64_t(index) + count > int64_t(m_data->rows))
        return false;
    if (count == 0)
        return true;
    ViewData& view = *m_data;
    view.Thaw();
    for (Column& col : view.columns) {
        if (col.field.type == 'I')
            col.ints.erase(col.ints.begin() + index, col.ints.begin() + index + count);
        else
            col.cells.erase(col.cells.begin() + index, col.cells.begin() + index + count);
    }
    view.rows -= static_cast<uint32_t>(count);
    view.modified = true;
    return true;
}

bool c4_View::SetAt(int index, const c4_Row& row)
{
    if (!m_data || index < 0 || static_cast<uint32_t>(index) >= m_data->rows)
        return false;
    std::vector<const c4_Row::Value*> values = MatchColumns(*m_data, row);
    for (size_t c = 0; c < values.size(); ++c) {
        if (!values[c])
            continue;
        bool ok = values[c]->type == 'I' ? SetInt(index, static_cast<int>(c), values[c]->number)
                                         : SetString(index, static_cast<int>(c), values[c]->text);
        if (!ok)
            return false;
    }
    return true;
}

std::string_view c4_View::GetString(int row, int column) const
{
    if (!m_data || row < 0 || column < 0)
        return pv_storage::kEmpty;
    const ViewData& view = *m_data;
    if (static_cast<uint32_t>(row) >= view.rows || static_cast<size_t>(column) >= view.columns.size())
        return pv_storage::kEmpty;
    const Column& col = view.columns[static_cast<size_t>(column)];
    if (!pv_storage::IsStringType(col.field.type))
        return pv_storage::kEmpty;
    return pv_storage::ColumnValue(view, col, static_cast<uint32_t>(row));
}

c4_StringReader c4_View::StringReader(int column) const
{
    c4_StringReader reader;
    if (!m_data)
        return reader;
    const ViewData& view = *m_data;
    reader.m_view = &view;
    reader.m_liveStamp = &view.stamp;
    reader.m_stamp = view.stamp;
    reader.m_column = column;
    if (view.thawed || column < 0 || static_cast<size_t>(column) >= view.columns.size())
        return reader;
    const Column& col = view.columns[static_cast<size_t>(column)];
    const FrozenColumn& f = col.frozen;
    if (!pv_storage::IsStringType(col.field.type) || !f.everyRow || view.rows == 0 || !view.ImageBytes())
        return reader;
    reader.m_offsets = f.RowOffsets(view.ImageBytes(), view.rows);
    reader.m_bytes = reinterpret_cast<const char*>(view.ImageBytes()) + f.dataPos;
    reader.m_rows = view.rows;
    reader.m_cutZero = col.field.type == 'S';
    reader.m_hasMemos = !f.memos.empty();
    return reader;
}

c4_IntReader c4_View::IntReader(int column) const
{
    c4_IntReader reader;
    if (!m_data)
        return reader;
    const ViewData& view = *m_data;
    reader.m_liveStamp = &view.stamp;
    reader.m_stamp = view.stamp;
    if (view.thawed || column < 0 || static_cast<size_t>(column) >= view.columns.size() || !view.ImageBytes())
        return reader;
    const Column& col = view.columns[static_cast<size_t>(column)];
    const pv_storage::IntVector& values = col.frozen.sizes;
    if (col.field.type != 'I')
        return reader;
    reader.m_allZero = values.bytes == 0;
    if (values.width == 16 && !values.bigEndian && values.bytes >= 2 * uint64_t(view.rows))
        reader.m_packed16 = view.ImageBytes() + values.pos;
    return reader;
}

std::string_view c4_StringReader::ReadSlowly(int row) const
{
    // The checks of GetString.
    if (!m_view || row < 0 || m_column < 0 || static_cast<uint32_t>(row) >= m_view->rows ||
        static_cast<size_t>(m_column) >= m_view->columns.size())
        return pv_storage::kEmpty;
    const Column& col = m_view->columns[static_cast<size_t>(m_column)];
    if (!pv_storage::IsStringType(col.field.type))
        return pv_storage::kEmpty;
    return pv_storage::ColumnValue(*m_view, col, static_cast<uint32_t>(row));
}

bool c4_View::SetString(int row, int column, std::string_view value)
{
    if (!m_data || row < 0 || static_cast<uint32_t>(row) >= m_data->rows || column < 0 || column >= NumProperties() ||
        !pv_storage::IsStringType(m_data->columns[column].field.type))
        return false;
    ViewData& view = *m_data;
    view.Thaw();
    std::string item(value);
    if (view.columns[column].field.type == 'S' && !item.empty())
        item.push_back('\0');
    Cell cell;
    if (!view.MakeCell(item, cell))
        return false;
    view.columns[column].cells[row] = cell;
    view.modified = true;
    return true;
}

t4_i32 c4_View::GetInt(int row, int column) const
{
    if (!m_data || row < 0 || column < 0)
        return 0;
    return m_data->Int(static_cast<size_t>(column), static_cast<uint32_t>(row));
}

bool c4_View::SetInt(int row, int column, t4_i32 value)
{
    if (!m_data || row < 0 || static_cast<uint32_t>(row) >= m_data->rows || column < 0 || column >= NumProperties() ||
        m_data->columns[column].field.type != 'I')
        return false;
    m_data->Thaw();
    m_data->columns[column].ints[row] = value;
    m_data->modified = true;
    return true;
}

// ---- c4_Storage ----

c4_Storage::c4_Storage() : m_data(new StorageData) {}

c4_Storage::c4_Storage(c4_FileStrategy& strategy, bool owned, int mode) : m_data(new StorageData)
{
    m_data->strategy = &strategy;
    m_data->ownsStrategy = owned;
    m_data->writable = mode != 0;
    m_data->Load();
}

c4_Storage::~c4_Storage()
{
    if (m_data->ownsStrategy)
        delete m_data->strategy;
}

c4_Status c4_Storage::Status() const
{
    return m_data->status;
}

const std::string& c4_Storage::StatusText() const
{
    return m_data->message;
}

c4_View c4_Storage::GetAs(const char* description)
{
    std::string name;
    std::vector<Field> fields;
    if (m_data->status != c4_Status::Ok || !description || !pv_storage::ParseViewDescription(description, name, fields))
        return c4_View();
    std::shared_ptr<ViewData> view = m_data->FindView(name);
    if (!view) {
        view = std::make_shared<ViewData>();
        view->name = name;
        view->thawed = true;
        view->image = m_data->image;
        for (const Field& f : fields) {
            Column col;
            col.field = f;
            view->columns.push_back(std::move(col));
        }
        m_data->views.push_back(view);
        m_data->structureChanged = true;
        return c4_View(view);
    }
    bool sameLayout = view->columns.size() == fields.size();
    for (size_t i = 0; sameLayout && i < fields.size(); ++i)
        sameLayout = pv_storage::EqualNames(view->columns[i].field.name, fields[i].name) &&
                     view->columns[i].field.type == fields[i].type;
    if (sameLayout)
        return c4_View(view);

    // Take the requested layout: columns matched by name and type keep their values.
    view->Thaw();
    std::vector<Column> columns;
    for (const Field& f : fields) {
        int old = view->FindColumn(f.name);
        if (old >= 0 && view->columns[old].field.type == f.type) {
            columns.push_back(std::move(view->columns[old]));
            view->columns[old].field.name.clear();  // matched once only
        } else {
            Column col;
            col.field = f;
            if (f.type == 'I')
                col.ints.assign(view->rows, 0);
            else
                col.cells.assign(view->rows, Cell());
            columns.push_back(std::move(col));
        }
    }
    view->columns = std::move(columns);
    view->modified = true;
    return c4_View(view);
}

c4_View c4_Storage::View(const char* name) const
{
    std::shared_ptr<ViewData> view = name ? m_data->FindView(name) : nullptr;
    return view ? c4_View(view) : c4_View();
}

int c4_Storage::NumViews() const
{
    return static_cast<int>(m_data->views.size());
}

std::string c4_Storage::ViewName(int index) const
{
    if (index < 0 || index >= NumViews())
        return std::string();
    return m_data->views[index]->name;
}

std::string c4_Storage::Description() const
{
    return pv_storage::DescribeViews(m_data->views);
}

bool c4_Storage::IsDirty() const
{
    return m_data->IsDirty();
}

bool c4_Storage::SaveTo(std::vector<uint8_t>& image) const
{
    if (m_data->status != c4_Status::Ok)
        return false;
    return pv_storage::WriteImage(m_data->views, m_data->Prefix(), image);
}

bool c4_Storage::Commit()
{
    StorageData& d = *m_data;
    if (d.status != c4_Status::Ok || !d.strategy || !d.writable)
        return false;
    if (!d.IsDirty())
        return true;
    if (d.views.empty())
        return true;  // a storage without views is never written

    auto fresh = std::make_shared<Image>();
    if (!pv_storage::WriteImage(d.views, d.Prefix(), fresh->buffer))
        return false;
    fresh->data = fresh->buffer.data();
    fresh->size = fresh->buffer.size();

    c4_FileStrategy& s = *d.strategy;
    if (!s.BeginRewrite())
        return false;
    bool ok = true;
    const size_t kChunk = 1 << 16;
    for (size_t pos = 0; ok && pos < fresh->size; pos += kChunk) {
        int len = static_cast<int>(std::min(kChunk, fresh->size - pos));
        ok = s.DataWrite(static_cast<t4_i32>(pos), fresh->data + pos, len);
    }
    if (ok)
        s.DataCommit(static_cast<t4_i32>(fresh->size));
    ok = ok && !s.HasFailed();
    if (!s.EndRewrite(ok) || !ok)
        return false;

    // The file now holds the fresh image: serve the views from it.
    ParseResult parsed = pv_storage::ParseImage(fresh->data, fresh->size);
    if (parsed.status != c4_Status::Ok || parsed.views.size() != d.views.size())
        return false;
    d.Adopt(parsed, std::move(fresh));
    return true;
}
