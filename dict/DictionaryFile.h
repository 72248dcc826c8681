#pragma once
// One open dictionary file: its properties (view DBINFO), its entries (view DBDATA, kept
// sorted by key) and a search cursor that walks the sorted entries directly.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dict/CodePage.h"
#include "dict/DictionaryMatch.h"
#include "dict/EntryText.h"
#include "dict/RankIndex.h"
#include "storage/Storage.h"

class CScramblingFileStrategy;
class IWaitProgress;
struct TextImportReport;

// A query prepared once for the searches of several dictionaries (the merged search).
struct DictionaryQuery {
    // How a word dictionary adapts the letter case of its keys to the query.
    enum LetterCase : unsigned char {
        kAsStored,      // the query does not start with a capital
        kFirstCapital,  // "Th": the first letter of the key becomes a capital
        kAllCapitals,   // "TH": every single-byte small letter of the key becomes a capital
                        // (capitals and letters as the code page has them: "ÜB" too)
    };
    static LetterCase LetterCaseOf(std::string_view query, const CCodePage& codePage);

    void Set(std::string_view query, int searchMode, const CCodePage& codePage);

    std::string_view text;  // as given to Set: read only when a search starts
    std::string lowered;    // lower-cased by the code page
    int mode = MATCH_ANY;
    LetterCase letterCase = kAsStored;
    bool startOnly = false;        // only keys that start with the query match
    bool wordsAndPhrases = false;  // neither word nor phrase keys are left out
    int prefixSlot = -1;           // of the text as a search key of plain keys (see LowerBound)
};

// Entries in their stored form (encoded, and scrambled when encrypted), collected to be added
// together by CDictionaryFile::AddStoredEntries.
class CStoredEntries : public c4_StringRows {
public:
    CStoredEntries() : c4_StringRows({c4_StringProp("key"), c4_StringProp("data")}) {}
    void Add(std::string_view storedKey, std::string_view storedData) { c4_StringRows::Add({storedKey, storedData}); }
};

class CDictionaryFile {
public:
    explicit CDictionaryFile(const CCodePage& codePage = SystemCodePage());
    ~CDictionaryFile();
    CDictionaryFile(const CDictionaryFile&) = delete;
    CDictionaryFile& operator=(const CDictionaryFile&) = delete;

    // Opens the file, creating it when it is missing (unless readOnly), and reads its
    // properties. Fails for an empty path, a file that cannot be opened or created, and a
    // file that is not a dictionary storage (such a file is never written). A read-only
    // dictionary never writes its file; a file that may only be read opens read-only too.
    bool Open(const std::string& path, bool readOnly = false);
    // Commits pending changes and closes. Safe on a closed object.
    void Close();
    bool IsOpen() const { return m_open; }
    bool IsReadOnly() const { return m_readOnly; }
    // Why the last Open failed (empty after a successful one).
    const std::string& OpenError() const { return m_openError; }
    // The same as a fault the user is told (None after a successful Open).
    pvbase::FileFault OpenFault() const { return m_openFault; }
    // Why the last Commit (or WriteInfo) failed: read-only, disk full, ... (None when it did not).
    pvbase::FileFault CommitFault() const { return m_commitFault; }

    // Properties from DBINFO; a missing row keeps the current value.
    void ReadInfo();
    // Properties to DBINFO (one row per property), then commits. False if not written.
    bool WriteInfo();
    // Writes pending changes. False if they could not be written (they are kept).
    bool Commit();

    // Searches: see the search step in DictionaryFile.cpp.
    bool FindFirst(std::string_view query, DictionaryMatch& match, int mode = MATCH_ANY);
    bool FindNext(DictionaryMatch& match);
    bool FindPrevious(DictionaryMatch& match);
    // Whether an entry with exactly this key exists (case ignored), whatever the length
    // limits and word/phrase bits. Positions the cursor for FindNext either way; when the
    // key is not there the stored query becomes empty, so FindNext walks on from the match
    // handed out, or from the first row at or after the key's place when none was.
    bool ContainsKey(std::string_view key, DictionaryMatch& match, int mode = MATCH_START);
    // FindFirst and FindNext handing out just the key as the file holds it (decoded, letter case
    // not adapted), valid until this dictionary's next search step or edit. MatchAtCursor gives
    // the whole match of that row later; CurrentKey its key again (read anew after an edit).
    // Both fail when the last step found nothing.
    bool FindFirstKey(std::string_view query, std::string_view& key, int mode = MATCH_ANY);
    // The query is not copied: it must stay as it is while this search goes on, unless KeepQuery
    // is called before it changes.
    bool FindFirstKey(const DictionaryQuery& query, std::string_view& key);
    // Takes a copy of the query of the last FindFirstKey, so that it may change.
    void KeepQuery();
    bool FindNextKey(std::string_view& key)
    {
        const int quick = StepQuickly(key);
        return quick >= 0 ? quick != 0 : StepToKey(Step::Forwards, false, key);
    }
    bool CurrentKey(std::string_view& key)
    {
        if (!m_currentKeyValid)
            return ReloadCurrentKey(key);
        key = m_currentKey;
        return true;
    }
    bool MatchAtCursor(DictionaryMatch& match);

    // Inserts an entry at its sorted place (keys need not be unique). Does not commit.
    // Fails when the stored key would be empty.
    bool AddEntry(std::string_view key, std::string_view data);
    // Inserts an entry given in its stored form (encoded, and scrambled when encrypted),
    // at its sorted place, with its rank (see Rank). Does not commit. Fails for an empty key.
    bool AddStoredEntry(std::string_view storedKey, std::string_view storedData, int rank = 0);
    // Inserts the entries, none of them with an empty key and all without a rank, each where
    // AddStoredEntry would put it when called for one after the other in their order, in
    // O(n log n) whatever that order (AddStoredEntry moves every row behind the place). Does not
    // commit. The entries are used up: their bytes may become the dictionary's.
    bool AddStoredEntries(CStoredEntries&& entries);
    // How likely a row's word is: 0 none, else 1000 * log10 of its expected count in 10^9 words
    // of text. Kept in an extra column of DBDATA that readers knowing nothing of it pass by; a
    // file without that column has no ranks.
    int Rank(int row) const;
    bool HasRankColumn() const { return m_rankColumn >= 0; }
    static constexpr int kMaxRank = 0xFFFF;

    // Ranked search: the keys that start with the query, those with a rank first (highest
    // first, equal ranks in key order), then those without one in key order. A dictionary that
    // cannot walk by rank (no ranks, shorthands, encoded keys, other modes) answers in key order
    // with rank 0. Positions the cursor like FindFirstKey, so MatchAtCursor and CurrentKey work.
    bool FindFirstRankedKey(const DictionaryQuery& query, std::string_view& key, int& rank);
    bool FindNextRankedKey(std::string_view& key, int& rank);
    std::size_t RankIndexBytes() const { return m_rankIndex.MemoryBytes(); }
    // Removes the first entry whose key equals this one (ASCII case ignored) and commits.
    bool RemoveEntry(std::string_view key);
    // Overwrites key and data of the first entry whose key equals oldKey, in place, and commits.
    bool ReplaceEntry(std::string_view oldKey, std::string_view newKey, std::string_view newData);
    int CountEntries() const;
    // Searches from now on a read-only copy of the entries in memory (dict/CodePageMirror.h): keys
    // and data plain code page text, sorted by `fold` (256 bytes that outlive this object). The
    // file itself is let go.
    bool AdoptMirror(std::unique_ptr<c4_FileStrategy> strategy, std::unique_ptr<c4_Storage> storage,
                     const unsigned char* fold);
    bool IsMirrored() const { return m_mirrorStrategy != nullptr; }
    // A mirror of the keys with capitals beyond ASCII beside the file (MirrorOfCapitals): it
    // offers a key only when such a capital lies within the query's length.
    void SetCapitalsMirror(bool on) { m_capitalsMirror = on; }
    bool IsCapitalsMirror() const { return m_capitalsMirror; }

    // Text exchange (DictionaryText.cpp). Each needs an open dictionary and a path, and takes an
    // optional wait window. Export writes every entry, committed or not, in stored order as tagged
    // lines; the file is replaced only when complete (a failed or cancelled export returns 0 and
    // leaves it as it was). Returns the count written.
    int ExportEntries(const std::string& path, IWaitProgress* wait = nullptr);
    // The imports read ANSI, UTF-8 and UTF-16 files (dict/TextImport.h) as code page text; a
    // file that cannot be read, is empty or is not text changes nothing. The optional report
    // tells which, the file's encoding and the characters the code page lacks.
    // Adds the entries of a tagged file and commits; a cancelled import keeps what it added.
    int ImportEntries(const std::string& path, IWaitProgress* wait = nullptr, TextImportReport* report = nullptr);
    // Adds every word of any text as a key without data and commits.
    int ImportWords(const std::string& path, IWaitProgress* wait = nullptr, TextImportReport* report = nullptr);

    // Entry of a row in stored order, decoded to ANSI text. False for a bad row.
    bool ReadEntry(int row, std::string& key, std::string& data);
    // Entry of a row as stored (encoded, and scrambled when encrypted). False for a bad row.
    bool ReadStoredEntry(int row, std::string_view& key, std::string_view& data) const;
    // Rows of DBINFO as stored.
    int CountInfoRows() const;
    bool ReadInfoRow(int row, std::string_view& prop, std::string_view& value) const;
    // The stored form of a key: the entries are sorted by these.
    void EncodeKey(std::string_view key, std::string& out);
    void EncodeData(std::string_view data, std::string& out);

    // Caption, else the file name of the path, else "UNKNOWN DICTIONARY".
    std::string DisplayName() const;
    const std::string& Caption() const { return m_caption; }
    const std::string& Description() const { return m_description; }
    const std::string& Path() const { return m_path; }
    void SetCaption(const char* text, std::size_t length);
    void SetCaption(std::string_view text) { SetCaption(text.data(), text.size()); }
    void SetDescription(const char* text, std::size_t length);
    void SetDescription(std::string_view text) { SetDescription(text.data(), text.size()); }

    int Type() const { return m_type; }
    void SetType(int type) { m_type = type; }
    int KeyCode() const { return m_keyCode; }
    void SetKeyCode(int code) { m_keyCode = code; }
    int DataCode() const { return m_dataCode; }
    void SetDataCode(int code) { m_dataCode = code; }
    int EditFlags() const { return m_editFlags; }
    void SetEditFlags(int flags) { m_editFlags = flags; }
    int EncryptFlag() const { return m_encrypted; }
    bool IsEncrypted() const { return m_encrypted != 0; }
    void SetEncrypted(bool on) { m_encrypted = on ? 1 : 0; }
    // Whether match data starts with the "----caption----" header.
    bool HasCaptionHeader() const { return m_captionHeader; }
    void SetCaptionHeader(bool on) { m_captionHeader = on; }
    // Word/phrase keys shorter than minimum or longer than maximum are not offered.
    void SetLengthLimits(int minimum, int maximum);
    int MinKeyLength() const { return m_minKeyLength; }
    int MaxKeyLength() const { return m_maxKeyLength; }
    // Row of the current match; -1 before the first row.
    int Cursor() const { return m_cursor; }
    int Mode() const { return m_query->mode; }

private:
    enum class Step { First, Forwards, Backwards };
    bool SearchStep(Step step, DictionaryMatch& match, bool allEntries);
    bool StepToKey(Step step, bool allEntries, std::string_view& key);
    // The usual step forwards of a prefix search, inline (a merged search makes one for every
    // match it hands out): keys stored as typed, a code page without double-byte characters, and a
    // row that the key reader reads on its short path and that no word/phrase bit leaves out.
    // Answers what StepToKey would (1 found, 0 not), or -1 when the general step has to decide.
    int StepQuickly(std::string_view& key)
    {
        if (!m_quickSteps)
            return -1;
        const int row = m_unvisited ? m_cursor : m_cursor + 1;
        std::string_view next;
        if (!m_keyReader.GetQuickly(row, next))
            return -1;
        if (m_type != DICTIONARY_SHORTHAND) {
            const long long length = static_cast<long long>(next.size());
            if (!m_query->wordsAndPhrases || length < m_minKeyLength || length > m_maxKeyLength)
                return -1;
        }
        m_unvisited = false;
        m_cursor = row;
        const bool found = m_codePage.StartsWithLoweredSingleByte(next, m_query->lowered);
        m_onMatch = found;
        m_currentKeyValid = found;
        if (found) {
            m_currentKey = next;
            key = next;
        }
        return found ? 1 : 0;
    }
    bool ReloadCurrentKey(std::string_view& key);
    void StoreQuery(std::string_view query, int mode);
    // Defined (inline) in DictionaryFile.cpp, the only place that calls it.
    inline void BeginSearch(const DictionaryQuery& query);
    std::string_view DecodeKey(std::string_view storedKey);
    bool IsOffered(std::string_view key) const;
    bool MissedByTheFile(std::string_view key) const;
    bool ContainsQuery(std::string_view key);
    void ResetInfo();
    void UpdateCaptionHeader();
    void ReleaseStorage(bool commit);
    bool CommitStorage();
    int FindStoredKey(std::string_view key);
    int LowerBound(std::string_view storedQuery);
    bool PrepareRankIndex();
    bool TakeRankedRow(int row, std::string_view& key);
    void FetchRankedRowsAhead(int row);
    int UpperBoundOfPrefix(std::string_view query, int first);
    int RowBelowBound(const std::string& bound, int first);
    void DropRankIndex()
    {
        m_rankIndex.Clear();
        m_rankIndexBuilt = false;
        m_rankInPlace = false;
    }
    void EntriesChanged()
    {
        DropRankIndex();
        m_probeCache.clear();
        m_prefixRows.reset();
        m_prefixStates.reset();
        m_threeByteBounds.clear();
        m_currentKeyValid = false;
    }

    // One node near the top of the key binary search: the row's key folded as the storage
    // compares it (up to its first zero byte, A-Z as a-z), its first kProbeBytes bytes.
    static constexpr int kProbeBytes = 7;
    struct ProbeSlot {
        unsigned char length = kUnfilled;  // key length, kLonger when cut, kUnfilled when not read yet
        unsigned char bytes[kProbeBytes];
    };
    static constexpr unsigned char kLonger = 0xFE;
    static constexpr unsigned char kUnfilled = 0xFF;
    const ProbeSlot& Probe(long long row, std::size_t node);

    // Where the key search stands after the probes that a query's first two folded bytes
    // decide (node 0: not known yet). Kept per prefix for longer queries; for queries of one or
    // two bytes the answer row + 1 is kept (0: not known yet).
    struct PrefixState {
        std::int32_t lo;
        std::int32_t hi;
        std::uint32_t node;
    };
    PrefixState DescendByPrefix(std::string_view foldedPrefix, bool whole);
    static constexpr std::size_t kPrefixRowSlots = 0x10000 + 0x100;
    static constexpr std::size_t kPrefixStateSlots = 0x10000;
    struct FreeDeleter {
        void operator()(void* block) const { std::free(block); }
    };

    const CCodePage& m_codePage;
    CEntryTextCodec m_codec;

    std::unique_ptr<CScramblingFileStrategy> m_strategy;
    std::unique_ptr<c4_FileStrategy> m_mirrorStrategy;  // of a copy in memory (AdoptMirror)
    const unsigned char* m_fold;                        // the order of the keys: the storage's, or the mirror's
    bool m_capitalsMirror = false;
    std::unique_ptr<c4_Storage> m_storage;
    c4_View m_info;
    c4_View m_data;
    // Row reads of the search; made anew once an edit or commit has left them behind.
    c4_StringReader m_keyReader;
    c4_StringReader m_dataReader;
    int m_keyColumn = -1;
    int m_dataColumn = -1;
    int m_propColumn = -1;
    int m_valueColumn = -1;
    int m_rankColumn = -1;
    bool m_open = false;
    bool m_readOnly = false;
    std::string m_openError;
    pvbase::FileFault m_openFault = pvbase::FileFault::None;
    pvbase::FileFault m_commitFault = pvbase::FileFault::None;

    std::string m_path;
    std::string m_caption;
    std::string m_description;
    std::string m_captionHeaderText;
    int m_type = DICTIONARY_WORDS;
    int m_keyCode = CODE_ANSI;
    int m_dataCode = CODE_ANSI;
    int m_editFlags = 1;
    int m_encrypted = 0;
    bool m_captionHeader = true;
    int m_minKeyLength = 1;
    int m_maxKeyLength = 500;

    // Search state; the buffers keep their capacity from one step to the next.
    const bool m_singleByte;  // the code page has no double-byte characters
    int m_cursor = -1;
    bool m_positioned = false;  // the cursor has been placed for the query
    bool m_unvisited = false;   // ... and stands on a row that the next step looks at first
    bool m_hasQuery = false;
    bool m_quickSteps = false;       // StepQuickly may take the step
    bool m_onMatch = false;          // the last step stopped on a matching row
    bool m_currentKeyValid = false;  // m_currentKey still shows that row's key
    std::string_view m_currentKey;
    DictionaryQuery m_ownQuery;                    // of a search of this dictionary alone
    const DictionaryQuery* m_query = &m_ownQuery;  // or that of a merged search (see KeepQuery)
    std::string m_searchKey;                       // the query as stored keys are: encoded and scrambled
    bool m_plainKeys = true;                       // keys stored as typed (ANSI, not scrambled), as of the last query
    std::string m_foldedQuery;
    std::vector<ProbeSlot> m_probeCache;  // heap order: node 1 is the first probe
    std::unique_ptr<std::uint32_t[], FreeDeleter> m_prefixRows;
    std::unique_ptr<PrefixState[], FreeDeleter> m_prefixStates;
    // The lower bound of three-byte folded keys, for the end of a three-letter prefix's rows.
    static constexpr std::size_t kThreeByteBounds = 4096;  // beyond: dropped and looked up anew
    std::unordered_map<std::uint32_t, int> m_threeByteBounds;
    // Ranked search state: by rank through the index, then the unranked rows in key order.
    CRankIndex m_rankIndex;
    bool m_rankIndexBuilt = false;
    c4_IntReader m_rankReader;
    bool m_rankInPlace = false;  // the index reads the ranks in the file image
    CRankIndex::Walk m_rankWalk;
    unsigned m_rankBatchesFetched = 0;
    bool m_rankedByIndex = false;    // the search walks by rank (else: FindNextKey with rank 0)
    bool m_rankedPhaseDone = false;  // the ranked rows are all out: the unranked ones follow
    int m_rankFirst = 0;
    int m_rankLast = 0;
    int m_rankRow = 0;
    std::string m_keyText;
    std::string m_lowerKey;
    std::string m_dataText;
    std::string m_encoded;
    std::string m_encodedData;
};
