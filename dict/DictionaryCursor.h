#pragma once
// The search cursor of a dictionary file: the query, the row it stands on, and the caches that
// make a search fast (the key search's probes and prefixes, the rank index and its walk). It reads
// the file through its rows (DictionaryRows.h) only.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dict/CodePage.h"
#include "dict/DictionaryMatch.h"
#include "dict/DictionaryRows.h"
#include "dict/EntryText.h"
#include "dict/RankIndex.h"
#include "storage/Storage.h"

// A query prepared once for the searches of several dictionaries (the merged search).
struct DictionaryQuery {
    // How a word dictionary adapts the letter case of its keys to the query.
    enum LetterCase : unsigned char {
        kAsStored,      // the query does not start with a capital
        kFirstCapital,  // "Th": the first letter of the key becomes a capital
        kAllCapitals,   // "TH": every small letter of the key becomes a capital ("ÜB" too)
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

// Owned by its dictionary file (CDictionaryFile::Search), which tells it of edits, commits and
// storage that goes. The entries' text is UTF-8. A search takes the file's properties (type,
// length limits, encoding) when it starts.
class CDictionaryCursor {
public:
    // ansiCodePage: what the file's ANSI keys are encoded in (the query is, to look them up).
    CDictionaryCursor(const IDictionaryRows& rows, const CCodePage& ansiCodePage);
    CDictionaryCursor(const CDictionaryCursor&) = delete;
    CDictionaryCursor& operator=(const CDictionaryCursor&) = delete;

    // Searches: see the search step in DictionaryCursor.cpp.
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
    inline bool FindNextKey(std::string_view& key);
    bool CurrentKey(std::string_view& key)
    {
        if (!m_currentKeyValid)
            return ReloadCurrentKey(key);
        key = m_currentKey;
        return true;
    }
    bool MatchAtCursor(DictionaryMatch& match);
    // Ranked search: the keys that start with the query, those with a rank first (highest
    // first, equal ranks in key order), then those without one in key order. A dictionary that
    // cannot walk by rank (no ranks, shorthands, encoded keys, other modes) answers in key order
    // with rank 0. Positions the cursor like FindFirstKey, so MatchAtCursor and CurrentKey work.
    bool FindFirstRankedKey(const DictionaryQuery& query, std::string_view& key, int& rank);
    bool FindNextRankedKey(std::string_view& key, int& rank);
    std::size_t RankIndexBytes() const { return m_rankIndex.MemoryBytes(); }
    // Reads every rank now (a few milliseconds per million rows), so that no first search pays it.
    void SumUpRanks()
    {
        if (PrepareRankIndex())
            m_rankIndex.SumUpAll();
    }
    // Row of the current match; -1 before the first row.
    int Row() const { return m_cursor; }
    int Mode() const { return m_query->mode; }

    // From the file. The rows changed: every cache goes.
    void EntriesChanged()
    {
        DropRankIndex();
        m_probeCache.clear();
        m_prefixRows.reset();
        m_prefixStates.reset();
        m_threeByteBounds.clear();
        m_currentKeyValid = false;
    }
    // The columns were made anew: the row reads are too.
    void DropReaders()
    {
        m_keyReader = c4_StringReader();
        m_shownReader = c4_StringReader();
        m_dataReader = c4_StringReader();
    }
    // A commit serves the rows from a fresh image: the key under the cursor is read anew, and
    // ranks read in place are let go.
    void Committed()
    {
        m_currentKeyValid = false;
        if (m_rankInPlace)
            DropRankIndex();
    }
    // The storage goes (the rows and caches go with it).
    void StorageReleased()
    {
        EntriesChanged();
        DropReaders();
        m_rankReader = c4_IntReader();
    }
    // Other rows: no search goes on.
    void Unplace()
    {
        m_cursor = -1;
        m_positioned = false;
        m_unvisited = false;
        m_hasQuery = false;
        m_quickSteps = false;
        m_onMatch = false;
    }
    // The file closed: not even a query is left.
    void Forget()
    {
        Unplace();
        KeepQuery();
        m_ownQuery.lowered.clear();
        m_ownQuery.letterCase = DictionaryQuery::kAsStored;
    }

private:
    enum class Step { First, Forwards, Backwards };
    bool SearchStep(Step step, DictionaryMatch& match, bool allEntries);
    bool StepToKey(Step step, bool allEntries, std::string_view& key);
    // The usual step forwards of a prefix search, inline (a merged search makes one for every
    // match it hands out): keys stored as typed, a code page without double-byte characters, and a
    // row that the key reader reads on its short path and that no word/phrase bit leaves out.
    // Answers what StepToKey would (1 found, 0 not), or -1 when the general step has to decide.
    inline int StepQuickly(std::string_view& key);
    bool ReloadCurrentKey(std::string_view& key);
    void StoreQuery(std::string_view query, int mode);
    // Defined (inline) in DictionaryCursor.cpp, the only place that calls it.
    inline void BeginSearch(const DictionaryQuery& query);
    std::string_view DecodeKey(std::string_view storedKey);
    bool IsOffered(std::string_view key) const;
    bool MissedByTheFile(std::string_view key) const;
    bool ContainsQuery(std::string_view key);
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

    const IDictionaryRows& m_rows;
    const CCodePage& m_codePage;    // of the entries' text: UTF-8
    CEntryTextCodec m_codec;        // the query encoded as the keys are, keys and data decoded
    DictionaryRowsLayout m_layout;  // taken when a search starts
    // Row reads of the search; made anew once an edit or commit has left them behind.
    c4_StringReader m_keyReader;
    c4_StringReader m_dataReader;
    c4_StringReader m_shownReader;  // of a capitals mirror

    // The buffers keep their capacity from one step to the next.
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
    bool m_plainKeys = true;                       // keys stored as UTF-8, not scrambled, as of the last query
    bool m_lookUpAsTyped = false;                  // the next BeginSearch places by the query as given
    bool m_foldedWalk = false;                     // ... and the walk compares keys folded whole
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
};

inline int CDictionaryCursor::StepQuickly(std::string_view& key)
{
    if (!m_quickSteps)
        return -1;
    const int row = m_unvisited ? m_cursor : m_cursor + 1;
    std::string_view next;
    if (!m_keyReader.GetQuickly(row, next))
        return -1;
    if (m_layout.type != DICTIONARY_SHORTHAND) {
        const long long length = static_cast<long long>(next.size());
        if (!m_query->wordsAndPhrases || length < m_layout.minKeyLength || length > m_layout.maxKeyLength)
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

inline bool CDictionaryCursor::FindNextKey(std::string_view& key)
{
    const int quick = StepQuickly(key);
    return quick >= 0 ? quick != 0 : StepToKey(Step::Forwards, false, key);
}
