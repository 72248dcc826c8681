#include "dict/DictionaryCursor.h"

#include <algorithm>
#include <cstring>

#include "dict/Utf8Case.h"

CDictionaryCursor::CDictionaryCursor(const IDictionaryRows& rows, const CCodePage& ansiCodePage)
    : m_rows(rows), m_codePage(Utf8CodePage()), m_codec(ansiCodePage), m_singleByte(!Utf8CodePage().HasLeadBytes())
{
}

namespace {

// Where the query may occur in a key under a match mode.
bool ModeAccepts(int mode, std::size_t at, std::size_t queryLength, std::size_t keyLength)
{
    if (mode == MATCH_ANY)
        return true;
    const bool atStart = at == 0;
    const bool atEnd = at + queryLength == keyLength;
    if (mode & MATCH_START)
        return atStart;
    if (mode & MATCH_INSIDE)
        return !atStart && !atEnd;
    if (mode & MATCH_END)
        return atEnd;
    return false;
}

// The order of keys (folded by `fold`, bytes unsigned) against a query folded already.
int CompareStoredKeys(const unsigned char* fold, std::string_view key, std::string_view foldedQuery)
{
    const std::size_t n = key.size() < foldedQuery.size() ? key.size() : foldedQuery.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char a = fold[static_cast<unsigned char>(key[i])];
        const unsigned char b = static_cast<unsigned char>(foldedQuery[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return key.size() < foldedQuery.size() ? -1 : (key.size() > foldedQuery.size() ? 1 : 0);
}

// The same for two folded texts.
int CompareFolded(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    const int order = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (order != 0)
        return order;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// Where the lower bound of a one- or two-byte search key without zero bytes is kept (see
// LowerBound), or -1 for any other key.
int PrefixSlot(std::string_view searchKey, const unsigned char* fold = mbtext::AsciiFoldTable())
{
    if (searchKey.empty() || searchKey.size() > 2 || searchKey[0] == '\0' || searchKey.back() == '\0')
        return -1;
    const unsigned char b0 = fold[static_cast<unsigned char>(searchKey[0])];
    return searchKey.size() == 1 ? 0x10000 + b0 : (b0 << 8) + fold[static_cast<unsigned char>(searchKey[1])];
}

// One step down the key search tree: right of the probed row when its key sorts before the query.
template <typename Row, typename Node>
inline void GoDown(int order, Row probed, Row& lo, Row& hi, Node& node)
{
    if (order < 0) {
        lo = probed;
        node = 2 * node + 1;
    } else {
        hi = probed;
        node = 2 * node;
    }
}

std::string_view CutAtZero(std::string_view text)
{
    const std::size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

}  // namespace

DictionaryQuery::LetterCase DictionaryQuery::LetterCaseOf(std::string_view query, const CCodePage& codePage)
{
    const int capitals = codePage.LeadingCapitals(query);
    return capitals == 0 ? kAsStored : (capitals == 1 ? kFirstCapital : kAllCapitals);
}

void DictionaryQuery::Set(std::string_view query, int searchMode, const CCodePage& codePage)
{
    text = query;
    // clear + append: the buffer keeps its capacity, and a short copy costs less than assign.
    lowered.clear();
    lowered.append(query.data(), query.size());
    codePage.Lower(lowered);
    // A query is the start of a word: a capital sigma that ends it goes on as the small sigma of
    // the middle of a word, not as the final one (whose keys sort apart).
    constexpr std::string_view kCapitalSigma = "\xCE\xA3", kFinalSigma = "\xCF\x82";
    if (codePage.IsUtf8() && query.size() >= 2 && query.substr(query.size() - 2) == kCapitalSigma &&
        std::string_view(lowered).substr(lowered.size() - 2) == kFinalSigma)
        lowered.back() = '\x83';
    mode = searchMode;
    letterCase = LetterCaseOf(query, codePage);
    startOnly = mode != MATCH_ANY && (mode & MATCH_START);
    wordsAndPhrases = (mode & MATCH_WORDS) && (mode & MATCH_PHRASES);
    prefixSlot = PrefixSlot(lowered);
}

// The lower bound of a stored key in DBDATA, probe for probe the storage's own Search (so the
// answer is the same even on a file whose order is broken): rows before it have smaller keys.
// The probes near the top of the search tree, which every search makes, read a folded prefix
// kept from an earlier search instead of the row. The probes that the query's first two bytes
// alone decide are skipped too: the node where they lead is kept per two-byte prefix.
int CDictionaryCursor::LowerBound(std::string_view storedQuery)
{
    // Keys and the query count up to their first zero byte (the storage compares C strings).
    const std::string_view cut = CutAtZero(storedQuery);
    const int rows = m_rows.CountEntries();
    const unsigned char* fold = m_layout.fold;
    if (m_probeCache.empty() && rows > 0) {
        std::size_t slots = 2;
        while (slots <= static_cast<std::size_t>(rows) && slots < (std::size_t{1} << 16))
            slots <<= 1;
        m_probeCache.assign(slots, ProbeSlot());
    }
    if (rows > 0 && !cut.empty() && cut.size() <= 2) {
        // The first two bytes decide every probe: the answer itself is kept.
        if (!m_prefixRows) {
            // calloc: the pages of prefixes never looked up stay untouched.
            m_prefixRows.reset(static_cast<std::uint32_t*>(std::calloc(kPrefixRowSlots, sizeof(std::uint32_t))));
        }
        if (m_prefixRows) {
            char folded[2];
            for (std::size_t i = 0; i < cut.size(); ++i)
                folded[i] = static_cast<char>(fold[static_cast<unsigned char>(cut[i])]);
            const auto b0 = static_cast<unsigned char>(folded[0]);
            const std::size_t slot =
                cut.size() == 1 ? 0x10000 + b0 : (std::size_t{b0} << 8) + static_cast<unsigned char>(folded[1]);
            std::uint32_t& known = m_prefixRows[slot];
            if (known == 0)
                known = static_cast<std::uint32_t>(DescendByPrefix(std::string_view(folded, cut.size()), true).hi) + 1;
            return static_cast<int>(known - 1);
        }
    }
    m_foldedQuery.clear();
    m_foldedQuery.append(cut.data(), cut.size());
    for (char& c : m_foldedQuery)
        c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
    const std::string_view query = m_foldedQuery;
    long long lo = -1, hi = rows;
    std::size_t node = 1;
    if (query.size() > 2 && rows > 0) {
        if (!m_prefixStates)
            m_prefixStates.reset(static_cast<PrefixState*>(std::calloc(kPrefixStateSlots, sizeof(PrefixState))));
        if (m_prefixStates) {
            const std::size_t slot =
                (std::size_t{static_cast<unsigned char>(query[0])} << 8) + static_cast<unsigned char>(query[1]);
            PrefixState& known = m_prefixStates[slot];
            if (known.node == 0)
                known = DescendByPrefix(query.substr(0, 2), false);
            lo = known.lo;
            hi = known.hi;
            node = known.node;
        }
    }
    while (lo + 1 != hi) {
        const long long m = (lo + hi) / 2;
        int order;
        if (node < m_probeCache.size()) {
            const ProbeSlot& slot = Probe(m, node);
            if (slot.length != kLonger) {
                order = CompareFolded(std::string_view(reinterpret_cast<const char*>(slot.bytes), slot.length), query);
            } else {
                order = CompareFolded(std::string_view(reinterpret_cast<const char*>(slot.bytes), kProbeBytes),
                                      query.substr(0, kProbeBytes));
                if (order == 0 && query.size() <= kProbeBytes)
                    order = 1;  // the key is longer than the query it starts with
                else if (order == 0)
                    order = CompareStoredKeys(fold, CutAtZero(m_keyReader.Get(static_cast<int>(m))), query);
            }
        } else {
            order = CompareStoredKeys(fold, CutAtZero(m_keyReader.Get(static_cast<int>(m))), query);
        }
        GoDown(order, m, lo, hi, node);
    }
    return static_cast<int>(hi);
}

const CDictionaryCursor::ProbeSlot& CDictionaryCursor::Probe(long long row, std::size_t node)
{
    ProbeSlot& slot = m_probeCache[node];
    if (slot.length == kUnfilled) {
        const std::string_view key = CutAtZero(m_keyReader.Get(static_cast<int>(row)));
        const std::size_t kept = key.size() < kProbeBytes ? key.size() : kProbeBytes;
        const unsigned char* fold = m_layout.fold;
        for (std::size_t i = 0; i < kept; ++i)
            slot.bytes[i] = fold[static_cast<unsigned char>(key[i])];
        slot.length = key.size() <= kProbeBytes ? static_cast<unsigned char>(key.size()) : kLonger;
    }
    return slot;
}

// Follows the probes whose outcome the folded prefix decides for every query starting with it
// (for the prefix itself when whole) and returns where the search stands before the first one
// it does not decide, or where it ends.
CDictionaryCursor::PrefixState CDictionaryCursor::DescendByPrefix(std::string_view prefix, bool whole)
{
    std::int32_t lo = -1, hi = m_rows.CountEntries();
    const unsigned char* fold = m_layout.fold;
    std::uint32_t node = 1;
    while (lo + 1 != hi) {
        const auto m = static_cast<std::int32_t>((static_cast<long long>(lo) + hi) / 2);
        unsigned char head[kProbeBytes];
        std::size_t headLength;  // more than the prefix when the key is longer
        if (node < m_probeCache.size()) {
            const ProbeSlot& slot = Probe(m, node);
            headLength = slot.length;
            std::memcpy(head, slot.bytes, slot.length < kProbeBytes ? slot.length : kProbeBytes);
        } else {
            const std::string_view key = CutAtZero(m_keyReader.Get(static_cast<int>(m)));
            headLength = key.size();
            for (std::size_t i = 0; i < prefix.size() && i < key.size(); ++i)
                head[i] = fold[static_cast<unsigned char>(key[i])];
        }
        int order = 0;
        const std::size_t common = headLength < prefix.size() ? headLength : prefix.size();
        for (std::size_t i = 0; i < common && order == 0; ++i) {
            const auto b = static_cast<unsigned char>(prefix[i]);
            if (head[i] != b)
                order = head[i] < b ? -1 : 1;
        }
        if (order == 0 && headLength < prefix.size())
            order = -1;  // a key that the prefix starts with sorts before the query
        if (order == 0) {
            if (!whole)
                break;  // the bytes after the prefix decide
            order = 1;  // the key equals the query or starts with it: the search goes left
        }
        GoDown(order, m, lo, hi, node);
    }
    return PrefixState{lo, hi, node};
}

void CDictionaryCursor::StoreQuery(std::string_view query, int mode)
{
    m_ownQuery.Set(query, mode, m_codePage);
    BeginSearch(m_ownQuery);
}

// Takes the query and places the cursor on the first row that may match.
inline void CDictionaryCursor::BeginSearch(const DictionaryQuery& query)
{
    m_query = &query;
    m_hasQuery = true;
    m_positioned = false;
    m_unvisited = false;
    m_quickSteps = false;
    m_cursor = -1;
    m_layout = m_rows.Layout();
    // The stored keys are encoded (and scrambled): so must the key that is looked up be.
    const bool encrypted = m_layout.encrypted;
    const int keyCode = m_layout.keyCode;
    m_plainKeys = !encrypted && keyCode == CODE_UTF8;
    if (!m_rows.IsOpen())
        return;
    if (!m_keyReader.IsCurrent())
        m_keyReader = m_rows.KeyReader();
    if (m_layout.shownKeys && !m_shownReader.IsCurrent())
        m_shownReader = m_rows.ShownReader();
    // UTF-8 keys are looked up by the query in small letters: a capital beyond ASCII sorts apart
    // from its small letter (what a file's order misses, a capitals mirror has). An exact key
    // (ContainsKey) is placed as the storage's own search places it: by the query as given,
    // unless the keys are a capitals mirror's small letters.
    const bool asTyped = m_lookUpAsTyped && !m_layout.shownKeys;
    m_foldedWalk = asTyped;
    std::string_view searchKey = asTyped ? query.text : std::string_view(query.lowered);
    if (!m_plainKeys) {
        // ANSI keys as typed are looked up in small letters too; encoded or scrambled ones as given.
        const bool ansiAsTyped = !encrypted && NormalizeEntryTextCode(keyCode) == CODE_ANSI;
        m_codec.Encode(keyCode, encrypted, ansiAsTyped && !asTyped ? std::string_view(query.lowered) : query.text,
                       m_searchKey);
        searchKey = m_searchKey;
    }
    int row = 0;
    if (!searchKey.empty()) {
        // A one- or two-byte key whose lower bound is known already is not looked up again.
        const unsigned char* fold = m_layout.fold;
        const int slot = m_plainKeys && !asTyped && fold == mbtext::AsciiFoldTable() ? query.prefixSlot
                                                                                     : PrefixSlot(searchKey, fold);
        if (slot >= 0 && m_prefixRows && m_prefixRows[slot] != 0)
            row = static_cast<int>(m_prefixRows[slot] - 1);
        else
            row = LowerBound(searchKey);
    }
    m_cursor = row < 0 ? 0 : row;
    m_positioned = true;
    m_unvisited = true;
    m_quickSteps = m_plainKeys && query.startOnly && m_singleByte && !m_layout.capitalsMirror;
}

bool CDictionaryCursor::FindFirstKey(std::string_view query, std::string_view& key, int mode)
{
    StoreQuery(query, mode);
    return StepToKey(Step::First, false, key);
}

void CDictionaryCursor::KeepQuery()
{
    if (m_query == &m_ownQuery)
        return;
    m_ownQuery = *m_query;
    m_ownQuery.text = std::string_view();
    m_query = &m_ownQuery;
}

bool CDictionaryCursor::FindFirstKey(const DictionaryQuery& query, std::string_view& key)
{
    BeginSearch(query);
    const int quick = StepQuickly(key);
    return quick >= 0 ? quick != 0 : StepToKey(Step::First, false, key);
}

bool CDictionaryCursor::FindFirst(std::string_view query, DictionaryMatch& match, int mode)
{
    StoreQuery(query, mode);
    return SearchStep(Step::First, match, false);
}

bool CDictionaryCursor::FindNext(DictionaryMatch& match)
{
    return SearchStep(Step::Forwards, match, false);
}

bool CDictionaryCursor::FindPrevious(DictionaryMatch& match)
{
    return SearchStep(Step::Backwards, match, false);
}

bool CDictionaryCursor::ContainsKey(std::string_view key, DictionaryMatch& match, int mode)
{
    bool found = false;
    const auto lookUp = [&](bool asTyped) {
        m_lookUpAsTyped = asTyped;
        StoreQuery(key, mode);
        m_lookUpAsTyped = false;
        found = SearchStep(Step::First, match, true);
        // The key as stored: the match's is adapted to the query's capitals ("ß" as "SS").
        std::string_view stored;
        return found && CurrentKey(stored) && m_codePage.CompareNoCase(stored, key) == 0;
    };
    // Placed as the storage places the key; a key with a capital beyond ASCII may be stored in
    // small letters, which sort elsewhere. When neither is there the cursor stands where the
    // storage's search stands.
    if (lookUp(true))
        return true;
    if (utf8case::HasCapitalBeyondAscii(key) && !m_layout.shownKeys) {
        if (lookUp(false))
            return true;
        lookUp(true);
    }
    // An empty query walks on from where the key would be: after the match handed out, or
    // from the row at the key's place when there was none (so FindNext does not skip it).
    m_ownQuery.lowered.clear();
    m_ownQuery.letterCase = DictionaryQuery::kAsStored;
    if (!found && m_positioned && m_cursor >= 0)
        --m_cursor;
    return false;
}

// One step of a search: moves the cursor over rows that are skipped until a row matches
// or the walk ends. Rows are sorted, so the matching rows follow each other and the walk
// ends at the first visited row that does not contain the query. allEntries: no row is
// skipped for its length or for the word/phrase bits.
bool CDictionaryCursor::SearchStep(Step step, DictionaryMatch& match, bool allEntries)
{
    std::string_view key;
    if (!StepToKey(step, allEntries, key)) {
        match.Clear(m_layout.type);
        return false;
    }
    return MatchAtCursor(match);
}

bool CDictionaryCursor::StepToKey(Step step, bool allEntries, std::string_view& found)
{
    m_onMatch = false;
    m_currentKeyValid = false;
    if (!m_hasQuery || !m_rows.IsOpen() || !m_positioned)
        return false;

    const int count = m_rows.CountEntries();
    const int direction = step == Step::Backwards ? -1 : 1;
    int cursor = m_unvisited ? m_cursor : m_cursor + direction;
    m_unvisited = false;
    const bool filtered = m_layout.type != DICTIONARY_SHORTHAND && !allEntries;

    for (;; cursor += direction) {
        if (cursor < 0) {
            m_cursor = -1;
            return false;
        }
        if (cursor >= count) {
            m_cursor = count;
            return false;
        }
        std::string_view key = m_keyReader.Get(cursor);
        if (!m_plainKeys)
            key = DecodeKey(key);
        if (filtered && !IsOffered(key))
            continue;
        m_cursor = cursor;

        if (m_query->startOnly) {
            // Only an occurrence at the start is accepted: the first one, if there is one.
            const bool starts = m_singleByte && !m_foldedWalk
                                    ? m_codePage.StartsWithLoweredSingleByte(key, m_query->lowered)
                                    : m_codePage.StartsWithLowered(key, m_query->lowered);
            if (!starts)
                return false;
        } else if (!ContainsQuery(key)) {
            return false;
        }
        if (m_layout.shownKeys) {
            key = m_shownReader.Get(cursor);
            if (m_layout.capitalsMirror && !MissedByTheFile(key))
                continue;
        }

        m_currentKey = key;
        m_currentKeyValid = true;
        m_onMatch = true;
        found = key;
        return true;
    }
}

std::string_view CDictionaryCursor::DecodeKey(std::string_view storedKey)
{
    m_codec.Decode(m_layout.keyCode, m_layout.encrypted, storedKey, m_keyText);
    return m_keyText;
}

// Whether a capitals mirror's key (as shown) is one its file's search misses: a capital beyond
// ASCII among its first characters, as many as the query has.
bool CDictionaryCursor::MissedByTheFile(std::string_view key) const
{
    const std::string& query = m_query->lowered;
    std::size_t end = 0;
    for (std::size_t at = 0; at < query.size() && end < key.size(); at += m_codePage.CharLength(query, at))
        end += m_codePage.CharLength(key, end);
    return utf8case::HasCapitalBeyondAscii(key.substr(0, end));
}

// Whether a word/phrase key is offered at all: its length and the word/phrase bits.
bool CDictionaryCursor::IsOffered(std::string_view key) const
{
    const long long length = static_cast<long long>(key.size());
    if (length < m_layout.minKeyLength || length > m_layout.maxKeyLength)
        return false;
    if (m_query->wordsAndPhrases)
        return true;
    const bool phrase = key.find(' ') != std::string_view::npos;
    return (m_query->mode & (phrase ? MATCH_PHRASES : MATCH_WORDS)) != 0;
}

// Whether the query occurs in the key where the mode lets it (modes other than at the start).
bool CDictionaryCursor::ContainsQuery(std::string_view key)
{
    m_lowerKey.assign(key.data(), key.size());
    m_codePage.Lower(m_lowerKey);
    const std::string& query = m_query->lowered;
    const std::size_t at = m_codePage.FindAtCharBoundary(m_lowerKey, query);
    if (at == std::string::npos)
        return false;
    return ModeAccepts(m_query->mode, at, query.size(), m_lowerKey.size());
}

bool CDictionaryCursor::ReloadCurrentKey(std::string_view& key)
{
    // An edit since the step: the row under the cursor is read again.
    if (!m_onMatch || !m_rows.IsOpen() || m_cursor < 0 || m_cursor >= m_rows.CountEntries())
        return false;
    m_currentKey = m_layout.shownKeys ? m_shownReader.Get(m_cursor) : m_keyReader.Get(m_cursor);
    if (m_layout.encrypted || m_layout.keyCode != CODE_UTF8)
        m_currentKey = DecodeKey(m_currentKey);
    m_currentKeyValid = true;
    key = m_currentKey;
    return true;
}

// The match of the row under the cursor.
bool CDictionaryCursor::MatchAtCursor(DictionaryMatch& match)
{
    match.data.clear();
    const int type = m_layout.type;
    match.type = type;
    std::string_view key;
    if (!CurrentKey(key)) {
        match.key.clear();
        return false;
    }
    match.key.clear();
    match.key.append(key.data(), key.size());
    match.ownCapital = m_codePage.LeadingCapitals(match.key) > 0;
    const DictionaryQuery::LetterCase letterCase = m_query->letterCase;
    if (letterCase != DictionaryQuery::kAsStored && type == DICTIONARY_WORDS)
        m_codePage.AdaptCase(match.key, letterCase == DictionaryQuery::kAllCapitals ? 2 : 1);

    // The data column's reader is made at the first match handed out, not with the key's.
    std::string_view data;
    if (!m_dataReader.GetQuickly(m_cursor, data)) {
        if (!m_dataReader.IsCurrent())
            m_dataReader = m_rows.DataReader();
        data = m_dataReader.Get(m_cursor);
    }
    if (data.empty())
        return true;
    if (m_layout.encrypted || m_layout.dataCode != CODE_UTF8) {
        m_codec.Decode(m_layout.dataCode, m_layout.encrypted, data, m_dataText);
        data = m_dataText;
    }
    if (!data.empty()) {
        if (type != DICTIONARY_SHORTHAND && m_layout.captionHeader)
            match.data.append(m_rows.CaptionHeaderText());
        match.data.append(data.data(), data.size());
    }
    return true;
}

// ---------------------------------------------------------------- ranked search

bool CDictionaryCursor::PrepareRankIndex()
{
    if (!m_rows.HasRankColumn())
        return false;
    // Ranks read in place follow the file image: a commit that replaced it takes them anew.
    if (m_rankIndexBuilt && (!m_rankInPlace || m_rankReader.IsCurrent()))
        return !m_rankIndex.Empty();
    m_rankIndexBuilt = true;
    m_rankReader = m_rows.RankReader();
    m_rankInPlace = false;
    if (m_rankReader.AllZero()) {
        m_rankIndex.Clear();
    } else if (const unsigned char* packed = m_rankReader.Packed16()) {
        m_rankIndex.Attach(packed, static_cast<std::size_t>(m_rows.CountEntries()));
        m_rankInPlace = true;
    } else {
        std::vector<std::uint16_t> ranks(static_cast<std::size_t>(m_rows.CountEntries()));
        for (std::size_t row = 0; row < ranks.size(); ++row)
            ranks[row] = static_cast<std::uint16_t>(m_rows.Rank(static_cast<int>(row)));
        m_rankIndex.Build(std::move(ranks));
    }
    return !m_rankIndex.Empty();
}

// The first row after those whose keys start with the (plain, single-byte) query, from the
// first row that may (its lower bound). A short range is found by probing forward from there,
// among keys that the page reads next anyway; a long one by the cached binary search.
int CDictionaryCursor::UpperBoundOfPrefix(std::string_view query, int first)
{
    std::string bound(CutAtZero(query));
    const unsigned char* fold = m_layout.fold;
    for (char& c : bound)
        c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
    while (!bound.empty() && static_cast<unsigned char>(bound.back()) == 0xFF)
        bound.pop_back();
    const int rows = m_rows.CountEntries();
    if (bound.empty())
        return rows;
    bound.back() = static_cast<char>(static_cast<unsigned char>(bound.back()) + 1);
    if (bound.size() <= 2)
        return LowerBound(bound);
    if (bound.size() > 3)
        return RowBelowBound(bound, first);
    // Three bytes, as the one- and two-byte ones in LowerBound: the answer is kept.
    const std::uint32_t slot = (std::uint32_t{static_cast<unsigned char>(bound[0])} << 16) |
                               (std::uint32_t{static_cast<unsigned char>(bound[1])} << 8) |
                               static_cast<unsigned char>(bound[2]);
    const auto known = m_threeByteBounds.find(slot);
    if (known != m_threeByteBounds.end())
        return known->second;
    if (m_threeByteBounds.size() >= kThreeByteBounds)
        m_threeByteBounds.clear();
    return m_threeByteBounds[slot] = RowBelowBound(bound, first);
}

// The first row from `first` on whose folded key is not below the bound.
int CDictionaryCursor::RowBelowBound(const std::string& bound, int first)
{
    const int rows = m_rows.CountEntries();
    const unsigned char* fold = m_layout.fold;
    constexpr int kForwardRows = 16;
    auto below = [&](int row) {
        return CompareStoredKeys(fold, CutAtZero(m_keyReader.Get(row)), bound) < 0;
    };
    // Rows up to lo are below the bound, rows from hi on are not.
    int lo = first - 1, hi = rows;
    for (int step = 1; lo + step < rows; step *= 2) {
        if (step > kForwardRows)
            return LowerBound(bound);
        if (!below(lo + step)) {
            hi = lo + step;
            break;
        }
        lo += step;
    }
    while (lo + 1 < hi) {
        const int m = lo + (hi - lo) / 2;
        (below(m) ? lo : hi) = m;
    }
    return hi;
}

bool CDictionaryCursor::FindFirstRankedKey(const DictionaryQuery& query, std::string_view& key, int& rank)
{
    rank = 0;
    m_rankedByIndex = false;
    BeginSearch(query);
    if (!m_rows.IsOpen() || !m_plainKeys || !m_singleByte || !query.startOnly || m_layout.type != DICTIONARY_WORDS ||
        query.text.empty() || !PrepareRankIndex())
        return StepToKey(Step::First, false, key);
    m_rankedByIndex = true;
    m_rankedPhaseDone = false;
    m_rankFirst = m_cursor;
    // The prefix as BeginSearch looked it up: in small letters (a capital beyond ASCII sorts apart).
    m_rankLast = UpperBoundOfPrefix(query.lowered, m_rankFirst);
    m_rankRow = m_rankFirst;
    m_rankWalk.Start(m_rankIndex, m_rankFirst, m_rankLast);
    m_rankBatchesFetched = 0;
    return FindNextRankedKey(key, rank);
}

// The rows of a batch are scattered: their keys and data are asked for all at once.
void CDictionaryCursor::FetchRankedRowsAhead(int row)
{
    const std::size_t count = std::min<std::size_t>(m_rankWalk.Pending(), 7);
    m_keyReader.PrefetchPlace(row);
    m_dataReader.PrefetchPlace(row);
    for (std::size_t i = 0; i < count; ++i) {
        m_keyReader.PrefetchPlace(m_rankWalk.PendingRow(i));
        m_dataReader.PrefetchPlace(m_rankWalk.PendingRow(i));
    }
    m_keyReader.PrefetchValue(row);
    m_dataReader.PrefetchValue(row);
    for (std::size_t i = 0; i < count; ++i) {
        m_keyReader.PrefetchValue(m_rankWalk.PendingRow(i));
        m_dataReader.PrefetchValue(m_rankWalk.PendingRow(i));
    }
}

// Puts the cursor on a row of the ranked walk when it is offered and matches.
bool CDictionaryCursor::TakeRankedRow(int row, std::string_view& key)
{
    std::string_view stored = m_keyReader.Get(row);
    if (!IsOffered(stored) || !m_codePage.StartsWithLoweredSingleByte(stored, m_query->lowered))
        return false;
    if (m_layout.shownKeys) {
        stored = m_shownReader.Get(row);
        if (m_layout.capitalsMirror && !MissedByTheFile(stored))
            return false;
    }
    m_cursor = row;
    m_unvisited = false;
    m_onMatch = true;
    m_currentKey = stored;
    m_currentKeyValid = true;
    key = stored;
    return true;
}

bool CDictionaryCursor::FindNextRankedKey(std::string_view& key, int& rank)
{
    rank = 0;
    if (!m_rankedByIndex)
        return FindNextKey(key);
    m_onMatch = false;
    m_currentKeyValid = false;
    int row = 0;
    while (!m_rankedPhaseDone) {
        if (!m_rankWalk.Next(row, rank)) {
            m_rankedPhaseDone = true;
            break;
        }
        if (m_rankWalk.Batches() != m_rankBatchesFetched) {
            m_rankBatchesFetched = m_rankWalk.Batches();
            FetchRankedRowsAhead(row);
        }
        if (TakeRankedRow(row, key))
            return true;
    }
    rank = 0;
    for (; m_rankRow < m_rankLast; ++m_rankRow) {
        if (m_rankIndex.RankOf(static_cast<std::size_t>(m_rankRow)) == 0 && TakeRankedRow(m_rankRow, key)) {
            ++m_rankRow;
            return true;
        }
    }
    return false;
}
