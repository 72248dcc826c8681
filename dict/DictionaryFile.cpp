#include "dict/DictionaryFile.h"

#include <cstdlib>
#include <cstring>

#include "dict/ScramblingFileStrategy.h"

namespace {

const char kInfoDescription[] = "DBINFO[prop:S,value:S]";
const char kDataDescription[] = "DBDATA[key:S,data:S]";

const c4_StringProp pProp("prop");
const c4_StringProp pValue("value");
const c4_StringProp pKey("key");
const c4_StringProp pData("data");

const char kTypeProp[] = "DBTYPE";
const char kKeyCodeProp[] = "KEYCODE";
const char kDataCodeProp[] = "DATACODE";
const char kEditProp[] = "DBEDIT";
const char kEncryptProp[] = "DBEncrypt";
const char kCaptionProp[] = "DBCAPTION";
const char kDescriptionProp[] = "DBDESCRIPTION";

// Plain decimal conversion: leading blanks, a sign, digits; anything else reads as 0.
int ParseNumber(std::string_view text)
{
    std::string copy(text);
    return static_cast<int>(std::strtol(copy.c_str(), nullptr, 10));
}

bool IsCapital(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool IsSmall(char c)
{
    return c >= 'a' && c <= 'z';
}

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

}  // namespace

DictionaryQuery::LetterCase DictionaryQuery::LetterCaseOf(std::string_view query)
{
    if (query.empty() || !IsCapital(query[0]))
        return kAsStored;
    return query.size() >= 2 && IsCapital(query[1]) ? kAllCapitals : kFirstCapital;
}

CDictionaryFile::CDictionaryFile(const CCodePage& codePage)
    : codePage_(codePage), codec_(codePage), singleByte_(!codePage.HasLeadBytes())
{
}

CDictionaryFile::~CDictionaryFile()
{
    Close();
}

void CDictionaryFile::ResetInfo()
{
    type_ = DICTIONARY_WORDS;
    keyCode_ = CODE_ANSI;
    dataCode_ = CODE_ANSI;
    editFlags_ = 1;
    encrypted_ = 0;
    caption_.clear();
    description_.clear();
    captionHeader_ = true;
}

bool CDictionaryFile::Open(const std::string& path, bool readOnly)
{
    Close();
    openError_.clear();
    if (path.empty()) {
        openError_ = "no file name";
        return false;
    }
    // Properties missing from this file take their defaults, not the last file's values.
    ResetInfo();
    path_ = path;
    UpdateCaptionHeader();

    auto strategy = std::make_unique<CScramblingFileStrategy>(path.c_str(), !readOnly);
    if (!strategy->IsValid()) {
        openError_ = readOnly ? "cannot open the file" : "cannot open or create the file";
        return false;
    }
    auto storage = std::make_unique<c4_Storage>(*strategy, false, readOnly ? 0 : 1);
    if (!storage->IsValid()) {
        // A damaged file is refused and left exactly as it is.
        openError_ = "not a dictionary file";
        if (!storage->StatusText().empty())
            openError_ += " (" + storage->StatusText() + ")";
        return false;
    }
    c4_View info = storage->GetAs(kInfoDescription);
    c4_View data = storage->GetAs(kDataDescription);
    const int propColumn = info.FindProperty("prop");
    const int valueColumn = info.FindProperty("value");
    const int keyColumn = data.FindProperty("key");
    const int dataColumn = data.FindProperty("data");
    if (propColumn < 0 || valueColumn < 0 || keyColumn < 0 || dataColumn < 0) {
        openError_ = "not a dictionary file (views cannot be made)";
        return false;
    }

    strategy_ = std::move(strategy);
    storage_ = std::move(storage);
    info_ = info;
    data_ = data;
    propColumn_ = propColumn;
    valueColumn_ = valueColumn;
    keyColumn_ = keyColumn;
    dataColumn_ = dataColumn;
    readOnly_ = readOnly;
    open_ = true;
    cursor_ = -1;
    positioned_ = false;
    hasQuery_ = false;

    ReadInfo();
    if (type_ == DICTIONARY_SHORTHAND)
        captionHeader_ = false;
    return true;
}

void CDictionaryFile::ReleaseStorage(bool commit)
{
    EntriesChanged();
    if (storage_ && commit && !readOnly_)
        storage_->Commit();
    keyReader_ = c4_StringReader();
    dataReader_ = c4_StringReader();
    info_ = c4_View();
    data_ = c4_View();
    storage_.reset();
    strategy_.reset();
}

void CDictionaryFile::Close()
{
    ReleaseStorage(open_);
    open_ = false;
    readOnly_ = false;
    description_.clear();
    caption_.clear();
    path_.clear();
    onMatch_ = false;
    KeepQuery();
    ownQuery_.lowered.clear();
    ownQuery_.letterCase = DictionaryQuery::kAsStored;
    hasQuery_ = false;
    positioned_ = false;
    unvisited_ = false;
    quickSteps_ = false;
    cursor_ = -1;
    UpdateCaptionHeader();
}

bool CDictionaryFile::Commit()
{
    if (!open_ || readOnly_)
        return false;
    return CommitStorage();
}

bool CDictionaryFile::CommitStorage()
{
    // A commit serves the rows from a fresh image: the key under the cursor is read anew.
    currentKeyValid_ = false;
    return storage_->Commit();
}

void CDictionaryFile::ReadInfo()
{
    if (!open_)
        return;
    auto find = [this](const char* name, std::string_view& value) {
        const int row = info_.Find(pProp[name]);
        if (row < 0)
            return false;
        value = info_.GetString(row, valueColumn_);
        return true;
    };
    std::string_view value;
    if (find(kTypeProp, value))
        type_ = ParseNumber(value);
    if (find(kKeyCodeProp, value))
        keyCode_ = ParseNumber(value);
    if (find(kDataCodeProp, value))
        dataCode_ = ParseNumber(value);
    if (find(kEditProp, value))
        editFlags_ = ParseNumber(value);
    if (find(kEncryptProp, value))
        encrypted_ = ParseNumber(value);
    if (find(kCaptionProp, value))
        caption_.assign(value.data(), value.size());
    if (find(kDescriptionProp, value))
        description_.assign(value.data(), value.size());
    UpdateCaptionHeader();
}

bool CDictionaryFile::WriteInfo()
{
    if (!open_ || readOnly_)
        return false;
    auto write = [this](const char* name, std::string_view value) {
        const int row = info_.Find(pProp[name]);
        if (row >= 0)
            return info_.SetAt(row, pValue[value]);
        return info_.Add(pProp[name] + pValue[value]) >= 0;
    };
    bool ok = write(kTypeProp, std::to_string(type_));
    ok = write(kKeyCodeProp, std::to_string(keyCode_)) && ok;
    ok = write(kDataCodeProp, std::to_string(dataCode_)) && ok;
    ok = write(kEditProp, std::to_string(editFlags_)) && ok;
    ok = write(kEncryptProp, std::to_string(encrypted_)) && ok;
    if (!caption_.empty())
        ok = write(kCaptionProp, caption_) && ok;
    if (!description_.empty())
        ok = write(kDescriptionProp, description_) && ok;
    return CommitStorage() && ok;
}

std::string CDictionaryFile::DisplayName() const
{
    if (!caption_.empty())
        return caption_;
    if (!path_.empty()) {
        const std::size_t cut = path_.find_last_of("\\/");
        return cut == std::string::npos ? path_ : path_.substr(cut + 1);
    }
    return "UNKNOWN DICTIONARY";
}

void CDictionaryFile::UpdateCaptionHeader()
{
    captionHeaderText_ = "----" + DisplayName() + "----\r\n";
}

void CDictionaryFile::SetCaption(const char* text, std::size_t length)
{
    caption_.assign(text ? text : "", text ? length : 0);
    UpdateCaptionHeader();
}

void CDictionaryFile::SetDescription(const char* text, std::size_t length)
{
    description_.assign(text ? text : "", text ? length : 0);
}

void CDictionaryFile::SetLengthLimits(int minimum, int maximum)
{
    minKeyLength_ = minimum;
    maxKeyLength_ = maximum;
}

int CDictionaryFile::CountEntries() const
{
    return open_ ? data_.GetSize() : 0;
}

void CDictionaryFile::EncodeKey(std::string_view key, std::string& out)
{
    codec_.Encode(keyCode_, encrypted_ != 0, key, out);
}

bool CDictionaryFile::ReadStoredEntry(int row, std::string_view& key, std::string_view& data) const
{
    if (!open_ || row < 0 || row >= data_.GetSize())
        return false;
    key = data_.GetString(row, keyColumn_);
    data = data_.GetString(row, dataColumn_);
    return true;
}

bool CDictionaryFile::ReadEntry(int row, std::string& key, std::string& data)
{
    std::string_view storedKey, storedData;
    if (!ReadStoredEntry(row, storedKey, storedData))
        return false;
    codec_.Decode(keyCode_, encrypted_ != 0, storedKey, key);
    codec_.Decode(dataCode_, encrypted_ != 0, storedData, data);
    return true;
}

int CDictionaryFile::CountInfoRows() const
{
    return open_ ? info_.GetSize() : 0;
}

bool CDictionaryFile::ReadInfoRow(int row, std::string_view& prop, std::string_view& value) const
{
    if (!open_ || row < 0 || row >= info_.GetSize())
        return false;
    prop = info_.GetString(row, propColumn_);
    value = info_.GetString(row, valueColumn_);
    return true;
}

// ---------------------------------------------------------------- editing

bool CDictionaryFile::AddEntry(std::string_view key, std::string_view data)
{
    if (!open_ || readOnly_)
        return false;
    EncodeKey(key, encoded_);
    codec_.Encode(dataCode_, encrypted_ != 0, data, encodedData_);
    return AddStoredEntry(encoded_, encodedData_);
}

bool CDictionaryFile::AddStoredEntry(std::string_view storedKey, std::string_view storedData)
{
    if (!open_ || readOnly_ || storedKey.empty())
        return false;
    int position = data_.Search(pKey[storedKey]);
    if (position < 0)
        position = 0;
    EntriesChanged();
    return data_.InsertAt(position, pKey[storedKey] + pData[storedData]);
}

int CDictionaryFile::FindStoredKey(std::string_view key)
{
    EncodeKey(key, encoded_);
    if (encoded_.empty())
        return -1;
    return data_.Find(pKey[encoded_]);
}

bool CDictionaryFile::RemoveEntry(std::string_view key)
{
    if (!open_ || readOnly_)
        return false;
    const int row = FindStoredKey(key);
    if (row < 0)
        return false;
    EntriesChanged();
    if (!data_.RemoveAt(row))
        return false;
    return CommitStorage();
}

bool CDictionaryFile::ReplaceEntry(std::string_view oldKey, std::string_view newKey, std::string_view newData)
{
    if (!open_ || readOnly_)
        return false;
    const int row = FindStoredKey(oldKey);
    if (row < 0)
        return false;
    EncodeKey(newKey, encoded_);
    if (encoded_.empty())
        return false;
    codec_.Encode(dataCode_, encrypted_ != 0, newData, encodedData_);
    EntriesChanged();
    if (!data_.SetAt(row, pKey[encoded_] + pData[encodedData_]))
        return false;
    return CommitStorage();
}

// ---------------------------------------------------------------- searching

namespace {

unsigned char Fold(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// The storage's order of keys (A-Z folded, bytes unsigned) against a query folded already.
int CompareStoredKeys(std::string_view key, std::string_view foldedQuery)
{
    const std::size_t n = key.size() < foldedQuery.size() ? key.size() : foldedQuery.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char a = Fold(static_cast<unsigned char>(key[i]));
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
int PrefixSlot(std::string_view searchKey)
{
    if (searchKey.empty() || searchKey.size() > 2 || searchKey[0] == '\0' || searchKey.back() == '\0')
        return -1;
    const unsigned char b0 = Fold(static_cast<unsigned char>(searchKey[0]));
    return searchKey.size() == 1 ? 0x10000 + b0 : (b0 << 8) + Fold(static_cast<unsigned char>(searchKey[1]));
}

std::string_view CutAtZero(std::string_view text)
{
    const std::size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

}  // namespace

void DictionaryQuery::Set(std::string_view query, int searchMode, const CCodePage& codePage)
{
    text = query;
    // clear + append: the buffer keeps its capacity, and a short copy costs less than assign.
    lowered.clear();
    lowered.append(query.data(), query.size());
    codePage.Lower(lowered);
    mode = searchMode;
    letterCase = LetterCaseOf(query);
    startOnly = mode != MATCH_ANY && (mode & MATCH_START);
    wordsAndPhrases = (mode & MATCH_WORDS) && (mode & MATCH_PHRASES);
    prefixSlot = PrefixSlot(query);
}

// The lower bound of a stored key in DBDATA, probe for probe the storage's own Search (so the
// answer is the same even on a file whose order is broken): rows before it have smaller keys.
// The probes near the top of the search tree, which every search makes, read a folded prefix
// kept from an earlier search instead of the row. The probes that the query's first two bytes
// alone decide are skipped too: the node where they lead is kept per two-byte prefix.
int CDictionaryFile::LowerBound(std::string_view storedQuery)
{
    // Keys and the query count up to their first zero byte (the storage compares C strings).
    const std::string_view cut = CutAtZero(storedQuery);
    const int rows = data_.GetSize();
    if (probeCache_.empty() && rows > 0) {
        std::size_t slots = 2;
        while (slots <= static_cast<std::size_t>(rows) && slots < (std::size_t{1} << 16))
            slots <<= 1;
        probeCache_.assign(slots, ProbeSlot());
    }
    if (rows > 0 && !cut.empty() && cut.size() <= 2) {
        // The first two bytes decide every probe: the answer itself is kept.
        if (!prefixRows_) {
            // calloc: the pages of prefixes never looked up stay untouched.
            prefixRows_.reset(static_cast<std::uint32_t*>(std::calloc(kPrefixRowSlots, sizeof(std::uint32_t))));
        }
        if (prefixRows_) {
            char folded[2];
            for (std::size_t i = 0; i < cut.size(); ++i)
                folded[i] = static_cast<char>(Fold(static_cast<unsigned char>(cut[i])));
            const auto b0 = static_cast<unsigned char>(folded[0]);
            const std::size_t slot =
                cut.size() == 1 ? 0x10000 + b0 : (std::size_t{b0} << 8) + static_cast<unsigned char>(folded[1]);
            std::uint32_t& known = prefixRows_[slot];
            if (known == 0)
                known = static_cast<std::uint32_t>(DescendByPrefix(std::string_view(folded, cut.size()), true).hi) + 1;
            return static_cast<int>(known - 1);
        }
    }
    foldedQuery_.clear();
    foldedQuery_.append(cut.data(), cut.size());
    for (char& c : foldedQuery_)
        c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    const std::string_view query = foldedQuery_;
    long long lo = -1, hi = rows;
    std::size_t node = 1;
    if (query.size() > 2 && rows > 0) {
        if (!prefixStates_)
            prefixStates_.reset(static_cast<PrefixState*>(std::calloc(kPrefixStateSlots, sizeof(PrefixState))));
        if (prefixStates_) {
            const std::size_t slot = (std::size_t{static_cast<unsigned char>(query[0])} << 8) + static_cast<unsigned char>(query[1]);
            PrefixState& known = prefixStates_[slot];
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
        if (node < probeCache_.size()) {
            const ProbeSlot& slot = Probe(m, node);
            if (slot.length != kLonger) {
                order = CompareFolded(std::string_view(reinterpret_cast<const char*>(slot.bytes), slot.length), query);
            } else {
                order = CompareFolded(std::string_view(reinterpret_cast<const char*>(slot.bytes), kProbeBytes),
                                      query.substr(0, kProbeBytes));
                if (order == 0 && query.size() <= kProbeBytes)
                    order = 1;  // the key is longer than the query it starts with
                else if (order == 0)
                    order = CompareStoredKeys(CutAtZero(keyReader_.Get(static_cast<int>(m))), query);
            }
        } else {
            order = CompareStoredKeys(CutAtZero(keyReader_.Get(static_cast<int>(m))), query);
        }
        if (order < 0) {
            lo = m;
            node = 2 * node + 1;
        } else {
            hi = m;
            node = 2 * node;
        }
    }
    return static_cast<int>(hi);
}

const CDictionaryFile::ProbeSlot& CDictionaryFile::Probe(long long row, std::size_t node)
{
    ProbeSlot& slot = probeCache_[node];
    if (slot.length == kUnfilled) {
        const std::string_view key = CutAtZero(keyReader_.Get(static_cast<int>(row)));
        const std::size_t kept = key.size() < kProbeBytes ? key.size() : kProbeBytes;
        for (std::size_t i = 0; i < kept; ++i)
            slot.bytes[i] = Fold(static_cast<unsigned char>(key[i]));
        slot.length = key.size() <= kProbeBytes ? static_cast<unsigned char>(key.size()) : kLonger;
    }
    return slot;
}

// Follows the probes whose outcome the folded prefix decides for every query starting with it
// (for the prefix itself when whole) and returns where the search stands before the first one
// it does not decide, or where it ends.
CDictionaryFile::PrefixState CDictionaryFile::DescendByPrefix(std::string_view prefix, bool whole)
{
    std::int32_t lo = -1, hi = data_.GetSize();
    std::uint32_t node = 1;
    while (lo + 1 != hi) {
        const auto m = static_cast<std::int32_t>((static_cast<long long>(lo) + hi) / 2);
        unsigned char head[kProbeBytes];
        std::size_t headLength;  // more than the prefix when the key is longer
        if (node < probeCache_.size()) {
            const ProbeSlot& slot = Probe(m, node);
            headLength = slot.length;
            std::memcpy(head, slot.bytes, slot.length < kProbeBytes ? slot.length : kProbeBytes);
        } else {
            const std::string_view key = CutAtZero(keyReader_.Get(static_cast<int>(m)));
            headLength = key.size();
            for (std::size_t i = 0; i < prefix.size() && i < key.size(); ++i)
                head[i] = Fold(static_cast<unsigned char>(key[i]));
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
        if (order < 0) {
            lo = m;
            node = 2 * node + 1;
        } else {
            hi = m;
            node = 2 * node;
        }
    }
    return PrefixState{lo, hi, node};
}

void CDictionaryFile::StoreQuery(std::string_view query, int mode)
{
    ownQuery_.Set(query, mode, codePage_);
    BeginSearch(ownQuery_);
}

// Takes the query and places the cursor on the first row that may match.
inline void CDictionaryFile::BeginSearch(const DictionaryQuery& query)
{
    query_ = &query;
    hasQuery_ = true;
    positioned_ = false;
    unvisited_ = false;
    quickSteps_ = false;
    cursor_ = -1;
    // The stored keys are encoded (and scrambled): so must the key that is looked up be.
    // (NormalizeEntryTextCode reads every other code as ANSI.)
    plainKeys_ = encrypted_ == 0 && keyCode_ != CODE_UTF8 && keyCode_ != CODE_UTF16;
    if (!open_)
        return;
    if (!keyReader_.IsCurrent())
        keyReader_ = data_.StringReader(keyColumn_);
    std::string_view searchKey = query.text;
    if (!plainKeys_) {
        EncodeKey(query.text, searchKey_);
        searchKey = searchKey_;
    }
    int row = 0;
    if (!searchKey.empty()) {
        // A one- or two-byte key whose lower bound is known already is not looked up again.
        const int slot = plainKeys_ ? query.prefixSlot : PrefixSlot(searchKey);
        if (slot >= 0 && prefixRows_ && prefixRows_[slot] != 0)
            row = static_cast<int>(prefixRows_[slot] - 1);
        else
            row = LowerBound(searchKey);
    }
    cursor_ = row < 0 ? 0 : row;
    positioned_ = true;
    unvisited_ = true;
    quickSteps_ = plainKeys_ && query.startOnly && singleByte_;
}

bool CDictionaryFile::FindFirstKey(std::string_view query, std::string_view& key, int mode)
{
    StoreQuery(query, mode);
    return StepToKey(Step::First, false, key);
}

void CDictionaryFile::KeepQuery()
{
    if (query_ == &ownQuery_)
        return;
    ownQuery_ = *query_;
    ownQuery_.text = std::string_view();
    query_ = &ownQuery_;
}

bool CDictionaryFile::FindFirstKey(const DictionaryQuery& query, std::string_view& key)
{
    BeginSearch(query);
    const int quick = StepQuickly(key);
    return quick >= 0 ? quick != 0 : StepToKey(Step::First, false, key);
}

bool CDictionaryFile::FindFirst(std::string_view query, DictionaryMatch& match, int mode)
{
    StoreQuery(query, mode);
    return SearchStep(Step::First, match, false);
}

bool CDictionaryFile::FindNext(DictionaryMatch& match)
{
    return SearchStep(Step::Forwards, match, false);
}

bool CDictionaryFile::FindPrevious(DictionaryMatch& match)
{
    return SearchStep(Step::Backwards, match, false);
}

bool CDictionaryFile::ContainsKey(std::string_view key, DictionaryMatch& match, int mode)
{
    StoreQuery(key, mode);
    const bool found = SearchStep(Step::First, match, true);
    if (found && codePage_.CompareNoCase(match.key, key) == 0)
        return true;
    // An empty query walks on from where the key would be: after the match handed out, or
    // from the row at the key's place when there was none (so FindNext does not skip it).
    ownQuery_.lowered.clear();
    ownQuery_.letterCase = DictionaryQuery::kAsStored;
    if (!found && positioned_ && cursor_ >= 0)
        --cursor_;
    return false;
}

// One step of a search: moves the cursor over rows that are skipped until a row matches
// or the walk ends. Rows are sorted, so the matching rows follow each other and the walk
// ends at the first visited row that does not contain the query. allEntries: no row is
// skipped for its length or for the word/phrase bits.
bool CDictionaryFile::SearchStep(Step step, DictionaryMatch& match, bool allEntries)
{
    std::string_view key;
    if (!StepToKey(step, allEntries, key)) {
        match.Clear(type_);
        return false;
    }
    return MatchAtCursor(match);
}

bool CDictionaryFile::StepToKey(Step step, bool allEntries, std::string_view& found)
{
    onMatch_ = false;
    currentKeyValid_ = false;
    if (!hasQuery_ || !open_ || !positioned_)
        return false;

    const int count = data_.GetSize();
    const int direction = step == Step::Backwards ? -1 : 1;
    int cursor = unvisited_ ? cursor_ : cursor_ + direction;
    unvisited_ = false;
    const bool filtered = type_ != DICTIONARY_SHORTHAND && !allEntries;

    for (;; cursor += direction) {
        if (cursor < 0) {
            cursor_ = -1;
            return false;
        }
        if (cursor >= count) {
            cursor_ = count;
            return false;
        }
        std::string_view key = keyReader_.Get(cursor);
        if (!plainKeys_)
            key = DecodeKey(key);
        if (filtered && !IsOffered(key))
            continue;
        cursor_ = cursor;

        if (query_->startOnly) {
            // Only an occurrence at the start is accepted: the first one, if there is one.
            const bool starts = singleByte_ ? codePage_.StartsWithLoweredSingleByte(key, query_->lowered)
                                            : codePage_.StartsWithLowered(key, query_->lowered);
            if (!starts)
                return false;
        } else if (!ContainsQuery(key)) {
            return false;
        }

        currentKey_ = key;
        currentKeyValid_ = true;
        onMatch_ = true;
        found = key;
        return true;
    }
}

std::string_view CDictionaryFile::DecodeKey(std::string_view storedKey)
{
    codec_.Decode(keyCode_, encrypted_ != 0, storedKey, keyText_);
    return keyText_;
}

// Whether a word/phrase key is offered at all: its length and the word/phrase bits.
bool CDictionaryFile::IsOffered(std::string_view key) const
{
    const long long length = static_cast<long long>(key.size());
    if (length < minKeyLength_ || length > maxKeyLength_)
        return false;
    if (query_->wordsAndPhrases)
        return true;
    const bool phrase = key.find(' ') != std::string_view::npos;
    return (query_->mode & (phrase ? MATCH_PHRASES : MATCH_WORDS)) != 0;
}

// Whether the query occurs in the key where the mode lets it (modes other than at the start).
bool CDictionaryFile::ContainsQuery(std::string_view key)
{
    lowerKey_.assign(key.data(), key.size());
    codePage_.Lower(lowerKey_);
    const std::string& query = query_->lowered;
    const std::size_t at = codePage_.FindAtCharBoundary(lowerKey_, query);
    if (at == std::string::npos)
        return false;
    return ModeAccepts(query_->mode, at, query.size(), lowerKey_.size());
}

bool CDictionaryFile::ReloadCurrentKey(std::string_view& key)
{
    // An edit since the step: the row under the cursor is read again.
    if (!onMatch_ || !open_ || cursor_ < 0 || cursor_ >= data_.GetSize())
        return false;
    currentKey_ = keyReader_.Get(cursor_);
    if (encrypted_ != 0 || NormalizeEntryTextCode(keyCode_) != CODE_ANSI)
        currentKey_ = DecodeKey(currentKey_);
    currentKeyValid_ = true;
    key = currentKey_;
    return true;
}

// The match of the row under the cursor.
bool CDictionaryFile::MatchAtCursor(DictionaryMatch& match)
{
    match.data.clear();
    match.type = type_;
    std::string_view key;
    if (!CurrentKey(key)) {
        match.key.clear();
        return false;
    }
    match.key.clear();
    match.key.append(key.data(), key.size());
    const DictionaryQuery::LetterCase letterCase = query_->letterCase;
    if (letterCase != DictionaryQuery::kAsStored && type_ == DICTIONARY_WORDS) {
        std::string& text = match.key;
        if (letterCase == DictionaryQuery::kAllCapitals) {
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (codePage_.IsLeadByte(static_cast<unsigned char>(text[i])))
                    ++i;  // double-byte character: its trail byte is no letter
                else if (IsSmall(text[i]))
                    text[i] = static_cast<char>(text[i] - 32);
            }
        } else if (!text.empty() && IsSmall(text[0])) {
            text[0] = static_cast<char>(text[0] - 32);
        }
    }

    // The data column's reader is made at the first match handed out, not with the key's.
    std::string_view data;
    if (!dataReader_.GetQuickly(cursor_, data)) {
        if (!dataReader_.IsCurrent())
            dataReader_ = data_.StringReader(dataColumn_);
        data = dataReader_.Get(cursor_);
    }
    if (data.empty())
        return true;
    // As NormalizeEntryTextCode reads the code: any other one is ANSI.
    const bool plainData = encrypted_ == 0 && dataCode_ != CODE_UTF8 && dataCode_ != CODE_UTF16;
    if (!plainData) {
        codec_.Decode(dataCode_, encrypted_ != 0, data, dataText_);
        data = dataText_;
    }
    if (!data.empty()) {
        if (captionHeader_ && type_ != DICTIONARY_SHORTHAND)
            match.data.append(captionHeaderText_);
        match.data.append(data.data(), data.size());
    }
    return true;
}
