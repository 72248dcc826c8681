// Embedded storage layer: the part of the Metakit file format that dictionary files use.
//
// A storage is a set of named views (tables) below one root; each view has string (S), byte (B)
// or 32-bit integer (I) columns. Files are read through a caller-supplied c4_FileStrategy, which
// sees every byte read and written with its absolute file offset (a subclass may scramble them).
//
// How a storage uses its file:
//  - At open the whole file is read into memory through the strategy, then the strategy's handle
//    is closed (DataClose). Views are served from that image; edits live in memory beside it.
//    Two storages on the same file therefore never block each other and never see partial writes.
//  - Commit writes a complete fresh image to a sibling temporary file through the same strategy
//    (BeginRewrite, DataWrite..., DataCommit, EndRewrite) and atomically moves it over the file.
//    An interrupted commit leaves the old file untouched.
//  - A file that is not a valid storage is refused (Status() != c4_Status::Ok): its views read as
//    empty and Commit never writes over it. A missing or 0-byte file opens as a new empty storage.
//
// Values returned as std::string_view point into the storage's memory; they stay valid until the
// next change to that view, Commit, or the storage's destruction. Values are byte strings: zero
// bytes inside them are kept. Search and Find compare values up to their first zero byte.
//
// A storage and its views belong to one thread at a time: even reads may build an index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileIo.h"

typedef int32_t t4_i32;
namespace pv_storage {
struct StorageData;
struct ViewData;
}  // namespace pv_storage

// File access for a storage. The base class reads and writes a plain file; subclasses override
// DataRead/DataWrite to transform bytes (they are called with absolute file offsets, and every byte
// the storage reads or writes passes through them) and DataCommit/ResetFileMapping to do nothing.
class c4_FileStrategy {
public:
    c4_FileStrategy();
    virtual ~c4_FileStrategy();
    c4_FileStrategy(const c4_FileStrategy&) = delete;
    c4_FileStrategy& operator=(const c4_FileStrategy&) = delete;

    // True after a successful DataOpen.
    virtual bool IsValid() const;
    // Opens fileName (ANSI path on Windows). mode 0: read-only, the file must exist;
    // mode 1: read-write, a missing file is created empty. Shares read/write/delete with others.
    virtual bool DataOpen(const char* fileName, int mode);
    // Reads up to length bytes at pos into buffer. Returns the count read (short at the end of the
    // file), or -1 on failure. length < 1 reads nothing and returns 0.
    virtual int DataRead(t4_i32 pos, void* buffer, int length);
    // Writes length bytes at pos. Returns false on failure (also remembered: HasFailed()).
    // The base writes only into a rewrite's temporary file (BeginRewrite): the committed file
    // itself is never patched in place.
    virtual bool DataWrite(t4_i32 pos, const void* buffer, int length);
    // Called after all bytes of a commit are written, with the new file size. The base flushes.
    virtual void DataCommit(t4_i32 newSize);
    // Called when the storage no longer relies on earlier reads; the base keeps no mapping.
    virtual void ResetFileMapping();
    // Size of the current file in bytes, or -1 (failure, or larger than 2 GiB - 1).
    virtual t4_i32 FileSize();

    // --- Used by c4_Storage around DataRead/DataWrite; subclasses normally keep these. ---
    // Closes the handle. A later DataRead or FileSize reopens the file read-only.
    virtual void DataClose();
    // Starts a rewrite: creates (truncates) the sibling file FileName() + ".tmp" and directs
    // DataRead/DataWrite/FileSize/DataCommit to it, so a scrambling subclass scrambles it as well.
    virtual bool BeginRewrite();
    // Ends a rewrite. replace = true: flushes the temporary file to disk and atomically moves it
    // over FileName() (fails, leaving the old file as it was, if anything went wrong since
    // BeginRewrite). replace = false: deletes the temporary file. Either way the handle is closed.
    virtual bool EndRewrite(bool replace);

    // The sibling file a rewrite of fileName writes (left behind only by a process that was killed).
    static std::string RewriteName(const std::string& fileName);

    const std::string& FileName() const { return m_fileName; }
    bool IsWritable() const { return m_writable; }
    // True when a read or write failed since DataOpen or BeginRewrite.
    bool HasFailed() const { return m_failed; }
    // Why the last open, rewrite or write failed (None when nothing did): what a failed Commit
    // tells the user.
    pvbase::FileFault Fault() const { return m_fault; }

protected:
    void SetFailed()
    {
        m_failed = true;
        if (m_fault == pvbase::FileFault::None)
            m_fault = pvbase::LastFileFault();
    }

private:
    bool EnsureOpen();

    std::string m_fileName;
    std::string m_tempName;
    bool m_writable = false;
    bool m_valid = false;
    bool m_failed = false;
    bool m_rewriting = false;
    pvbase::FileFault m_fault = pvbase::FileFault::None;
    std::unique_ptr<pvbase::FileHandle> m_file;
};

// Outcome of opening a storage.
enum class c4_Status {
    Ok,           // a valid storage, or a new empty one (missing or 0-byte file)
    NoFile,       // the strategy could not open or create the file
    ReadError,    // reading the file failed
    Corrupt,      // not a valid storage file (bad header or tails, sizes that do not fit, ...)
    Unsupported,  // a valid file that uses parts of the format this layer does not handle
};

class c4_View;
class c4_Row;

// A named property (column) of a view; the name is matched without regard to ASCII case.
class c4_Property {
public:
    c4_Property(char type, const char* name) : m_type(type), m_name(name ? name : "") {}
    char Type() const { return m_type; }
    const char* Name() const { return m_name.c_str(); }

private:
    char m_type;
    std::string m_name;
};

// String property, e.g. c4_StringProp pKey("key").
class c4_StringProp : public c4_Property {
public:
    explicit c4_StringProp(const char* name) : c4_Property('S', name) {}
    // The value in a row of a view (empty when the row or the property does not exist).
    std::string_view Get(const c4_View& view, int row) const;
    // Sets the value in a row of a view; false when the row or the property does not exist.
    bool Set(c4_View& view, int row, std::string_view value) const;
    // A row holding just this value, e.g. view.Search(pKey["word"]) or pKey[k] + pData[d].
    c4_Row operator[](std::string_view value) const;
};

// 32-bit integer property.
class c4_IntProp : public c4_Property {
public:
    explicit c4_IntProp(const char* name) : c4_Property('I', name) {}
    t4_i32 Get(const c4_View& view, int row) const;
    bool Set(c4_View& view, int row, t4_i32 value) const;
    c4_Row operator[](t4_i32 value) const;
};

// A free-standing row of named values, used to add, insert, set and search rows.
class c4_Row {
public:
    c4_Row() = default;
    c4_Row& Set(const c4_StringProp& prop, std::string_view value);
    c4_Row& Set(const c4_IntProp& prop, t4_i32 value);
    // Values of other replace values of the same name.
    c4_Row& operator+=(const c4_Row& other);

    struct Value {
        std::string name;
        char type;  // 'S' or 'I'
        std::string text;
        t4_i32 number = 0;
    };
    const std::vector<Value>& Values() const { return m_values; }
    // The value of the named property, or null.
    const Value* Find(const char* name) const;

private:
    std::vector<Value> m_values;
};
c4_Row operator+(const c4_Row& a, const c4_Row& b);

// Reads one string column of a view, row after row, with less work per read than
// c4_View::GetString (meant for the loops of a search); it reads exactly what GetString reads.
// It is made for the view as it is: after an edit of the view or a commit of its storage it still
// reads correctly, but slowly (IsCurrent() turns false: take a new one). It does not keep the view
// alive: use it only while the view's storage is open.
class c4_StringReader {
public:
    c4_StringReader() = default;
    bool IsCurrent() const { return m_liveStamp && *m_liveStamp == m_stamp; }
    // The value of a row; a row outside the view reads as empty.
    std::string_view Get(int row) const
    {
        std::string_view value;
        return GetQuickly(row, value) ? value : ReadSlowly(row);
    }
    // Get for the rows that it reads with a few loads: false (value untouched) for any other row,
    // a row outside the view included.
    bool GetQuickly(int row, std::string_view& value) const
    {
        if (!m_offsets || static_cast<uint32_t>(row) >= m_rows || *m_liveStamp != m_stamp)
            return false;
        const uint32_t start = m_offsets[row], end = m_offsets[row + 1];
        if (end == start && m_hasMemos)
            return false;
        size_t length = end - start;
        if (length != 0 && m_cutZero && m_bytes[end - 1] == '\0')
            --length;
        value = std::string_view(m_bytes + start, length);
        return true;
    }
    // Asks the memory for a row's place in the column, then (once that has come) for its value,
    // so that reads of scattered rows wait for the memory together instead of one after another.
    void PrefetchPlace(int row) const
    {
#if defined(__GNUC__)
        if (m_offsets && static_cast<uint32_t>(row) < m_rows)
            __builtin_prefetch(m_offsets + row);
#endif
    }
    void PrefetchValue(int row) const
    {
#if defined(__GNUC__)
        if (m_offsets && static_cast<uint32_t>(row) < m_rows && *m_liveStamp == m_stamp)
            __builtin_prefetch(m_bytes + m_offsets[row]);
#endif
    }

private:
    friend class c4_View;
    std::string_view ReadSlowly(int row) const;

    const pv_storage::ViewData* m_view = nullptr;
    const uint32_t* m_liveStamp = nullptr;  // the view's change stamp
    uint32_t m_stamp = 0;                   // ... when this reader was made
    const uint32_t* m_offsets = nullptr;    // per-row offsets of a frozen column; null: general path
    const char* m_bytes = nullptr;          // the column's inline items
    uint32_t m_rows = 0;
    int m_column = -1;
    bool m_cutZero = false;   // S column: a value ends before its item's terminating zero
    bool m_hasMemos = false;  // large items kept apart: an empty inline item may be one of them
};

// An integer column in place: while the view is neither edited nor committed anew (the stamp of
// c4_StringReader), a column whose values lie in the file image as 16-bit little-endian numbers is
// read there, without a copy and without a call per row.
class c4_IntReader {
public:
    c4_IntReader() = default;
    bool IsCurrent() const { return m_liveStamp && *m_liveStamp == m_stamp; }
    // Two bytes per row, little-endian, two's complement; null when the column is not stored so
    // (another width, edited, not current).
    const unsigned char* Packed16() const { return IsCurrent() ? m_packed16 : nullptr; }
    // Every value is 0 (the file holds no bytes for the column).
    bool AllZero() const { return IsCurrent() && m_allZero; }

private:
    friend class c4_View;
    const uint32_t* m_liveStamp = nullptr;
    uint32_t m_stamp = 0;
    const unsigned char* m_packed16 = nullptr;
    bool m_allZero = false;
};

// Rows of string values collected for one c4_View::InsertSorted: the values of each row are
// given in the order of the properties named at construction (the first is the sort key).
class c4_StringRows {
public:
    explicit c4_StringRows(std::vector<c4_StringProp> props);
    // Adds a row; values beyond the properties are ignored, missing ones are empty.
    void Add(std::initializer_list<std::string_view> values);
    // Room for this many rows and value bytes, taken once instead of growing step by step.
    void Reserve(size_t rows, size_t bytes);
    int Size() const { return m_rows; }
    size_t Bytes() const { return m_bytes.size(); }
    bool Empty() const { return m_rows == 0; }
    void Clear();
    const std::vector<c4_StringProp>& Props() const { return m_props; }
    std::string_view Value(int row, int prop) const
    {
        const size_t at = size_t(row) * m_props.size() + size_t(prop);
        return std::string_view(m_bytes.data() + m_offsets[at], m_offsets[at + 1] - m_offsets[at] - 1);
    }

private:
    friend class c4_View;
    // More bytes than one batch may hold (a view's items share 32-bit offsets).
    static constexpr size_t kMaxBytes = 0x7FFFFFFF;

    std::vector<c4_StringProp> m_props;
    std::vector<char> m_bytes;           // each value and a zero byte: kept as a view keeps S items
    std::vector<uint32_t> m_offsets{0};  // where each value starts, then the end
    int m_rows = 0;
    bool m_tooLarge = false;  // a value did not fit and was left empty: the batch is refused
};

// The order of Search and Find on string values (see c4_View::Search): negative, 0 or positive.
int c4_CompareStrings(std::string_view a, std::string_view b);

// A handle to a view of a storage (copies share the same view), or an empty detached view.
class c4_View {
public:
    c4_View();
    ~c4_View();
    c4_View(const c4_View&);
    c4_View& operator=(const c4_View&);

    int GetSize() const;

    int NumProperties() const;
    std::string PropertyName(int column) const;
    char PropertyType(int column) const;       // 'S', 'B' or 'I'
    int FindProperty(const char* name) const;  // column index (ASCII case ignored), or -1

    // Lower bound: the first row that does not sort before the row given, comparing the view's
    // columns in order (a property missing from the query counts as empty / 0). Strings compare
    // up to the first zero byte, ASCII letters folded to lower case, bytes unsigned.
    // Returns 0..GetSize(); rows inserted at this position keep the view sorted.
    int Search(const c4_Row& key) const;
    // First row at or after start whose values equal every property of the query (strings
    // compared as in Search, so without regard to ASCII case), or -1.
    int Find(const c4_Row& query, int start = 0) const;
    // The same as Search(prop[value]) and Find(prop[value], start), without building a row
    // (no allocation: meant for searching on every keystroke).
    int Search(const c4_StringProp& prop, std::string_view value) const;
    int Find(const c4_StringProp& prop, std::string_view value, int start = 0) const;

    // Appends a row; returns its index, or -1 on failure. Properties missing from the row are
    // empty / 0; properties the view does not have are ignored.
    int Add(const c4_Row& row);
    // Inserts count copies of the row before index (0..GetSize()). false on a bad index.
    bool InsertAt(int index, const c4_Row& row, int count = 1);
    // Inserts every row of the batch where Search(first property[its value]) places it, leaving
    // the view exactly as InsertAt(Search(...), row) for each row in batch order would (a row
    // lands before the rows whose key equals its own, later batch rows before earlier ones), in
    // O(n + k log k) for a view kept in that order (integer
    // columns of the new rows hold 0); a view that is not falls back to one insert
    // after the other. false when a value does not fit (on the fast path the view is unchanged).
    // The batch is used up (its bytes may become the view's): it is empty afterwards.
    bool InsertSorted(c4_StringRows&& rows);
    // Removes count rows from index. false on a bad range.
    bool RemoveAt(int index, int count = 1);
    // Sets the properties present in row on row index; other properties keep their values.
    bool SetAt(int index, const c4_Row& row);

    // Typed access by column index (see FindProperty); an out-of-range row or column, or a
    // column of another type, reads as empty / 0 and cannot be set.
    std::string_view GetString(int row, int column) const;
    // A reader of a string column (see c4_StringReader); of another column it reads empty values.
    c4_StringReader StringReader(int column) const;
    bool SetString(int row, int column, std::string_view value);
    t4_i32 GetInt(int row, int column) const;
    // A reader of an integer column (see c4_IntReader).
    c4_IntReader IntReader(int column) const;
    bool SetInt(int row, int column, t4_i32 value);

private:
    friend class c4_Storage;
    explicit c4_View(std::shared_ptr<pv_storage::ViewData> data);
    std::shared_ptr<pv_storage::ViewData> m_data;
};

class c4_Storage {
public:
    // An empty storage in memory, without a file (Commit fails; SaveTo works).
    c4_Storage();
    // Opens the storage in the strategy's file (see the top of this file). mode 0 is read-only
    // (Commit fails), mode 1 read-write. owned: the storage deletes the strategy when destroyed.
    explicit c4_Storage(c4_FileStrategy& strategy, bool owned = false, int mode = 1);
    ~c4_Storage();
    c4_Storage(const c4_Storage&) = delete;
    c4_Storage& operator=(const c4_Storage&) = delete;

    c4_Status Status() const;
    bool IsValid() const { return Status() == c4_Status::Ok; }
    // Why the file was refused (empty when Status() is Ok).
    const std::string& StatusText() const;

    // The view described as "NAME[prop:T,...]" (T: S string, I integer, B bytes). A view missing
    // from the storage is created empty; an existing one keeps its rows, its columns matched by
    // name, and takes this layout (columns not named are dropped at the next commit).
    // Returns an empty detached view for a description that cannot be parsed.
    c4_View GetAs(const char* description);
    // The existing view of that name (ASCII case ignored) as stored, or an empty detached view.
    c4_View View(const char* name) const;
    int NumViews() const;
    std::string ViewName(int index) const;
    // The structure description, e.g. "DBINFO[prop:S,value:S],DBDATA[key:S,data:S]".
    std::string Description() const;

    // True when there are changes that Commit would write.
    bool IsDirty() const;
    // Writes all changes to the file, crash-safely (temporary file + atomic replace).
    // Writes nothing and succeeds when nothing changed. Fails (and writes nothing) for a refused,
    // read-only or file-less storage, and when the file cannot be written; the changes are then
    // still held in memory and a later Commit may succeed.
    bool Commit();
    // The complete file image that Commit would write, in the library's one-pass layout.
    bool SaveTo(std::vector<uint8_t>& image) const;

private:
    std::unique_ptr<pv_storage::StorageData> m_data;
};
