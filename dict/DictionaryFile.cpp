#include "dict/DictionaryFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/Utf8Text.h"
#include "dict/ScramblingFileStrategy.h"
#include "dict/Utf8Case.h"

namespace {

const char kInfoDescription[] = "DBINFO[prop:S,value:S]";
const char kDataDescription[] = "DBDATA[key:S,data:S]";
const char kRankedDataDescription[] = "DBDATA[key:S,data:S,rank:I]";
const char kCapitalsDataDescription[] = "DBDATA[key:S,data:S,rank:I,shown:S]";

const c4_StringProp pProp("prop");
const c4_StringProp pValue("value");
const c4_StringProp pKey("key");
const c4_StringProp pData("data");
const c4_IntProp pRank("rank");

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

}  // namespace

CDictionaryFile::CDictionaryFile(const CCodePage& ansiCodePage)
    : m_codec(ansiCodePage), m_fold(mbtext::AsciiFoldTable()), m_search(*this, ansiCodePage)
{
}

CDictionaryFile::~CDictionaryFile()
{
    Close();
}

void CDictionaryFile::ResetInfo()
{
    m_type = DICTIONARY_WORDS;
    m_keyCode = CODE_ANSI;
    m_dataCode = CODE_ANSI;
    m_editFlags = 1;
    m_encrypted = 0;
    m_caption.clear();
    m_description.clear();
    m_captionHeader = true;
}

bool CDictionaryFile::Open(const std::string& path, bool readOnly)
{
    Close();
    m_openError.clear();
    m_openFault = pvbase::FileFault::Other;
    m_commitFault = pvbase::FileFault::None;
    if (path.empty()) {
        m_openError = "no file name";
        return false;
    }
    // Properties missing from this file take their defaults, not the last file's values.
    ResetInfo();
    m_path = path;
    UpdateCaptionHeader();

    auto strategy = std::make_unique<CScramblingFileStrategy>(path.c_str(), !readOnly);
    if (!readOnly && !strategy->IsValid() && strategy->Fault() == pvbase::FileFault::ReadOnly) {
        // A file that may only be read is still offered; it is never written.
        readOnly = true;
        strategy = std::make_unique<CScramblingFileStrategy>(path.c_str(), false);
    }
    if (!strategy->IsValid()) {
        m_openError = readOnly ? "cannot open the file" : "cannot open or create the file";
        m_openFault = strategy->Fault();
        return false;
    }
    auto storage = std::make_unique<c4_Storage>(*strategy, false, readOnly ? 0 : 1);
    if (!storage->IsValid()) {
        // A damaged file is refused and left exactly as it is.
        m_openError = "not a dictionary file";
        if (!storage->StatusText().empty())
            m_openError += " (" + storage->StatusText() + ")";
        m_openFault = storage->Status() == c4_Status::ReadError ? strategy->Fault() : pvbase::FileFault::Damaged;
        return false;
    }
    c4_View info = storage->GetAs(kInfoDescription);
    // The rank column is kept where the file has it and added only when a rank is written.
    const bool ranked = storage->View("DBDATA").FindProperty("rank") >= 0;
    c4_View data = storage->GetAs(ranked ? kRankedDataDescription : kDataDescription);
    const int propColumn = info.FindProperty("prop");
    const int valueColumn = info.FindProperty("value");
    const int keyColumn = data.FindProperty("key");
    const int dataColumn = data.FindProperty("data");
    if (propColumn < 0 || valueColumn < 0 || keyColumn < 0 || dataColumn < 0) {
        m_openError = "not a dictionary file (views cannot be made)";
        m_openFault = pvbase::FileFault::Damaged;
        return false;
    }
    m_openFault = pvbase::FileFault::None;

    m_strategy = std::move(strategy);
    m_storage = std::move(storage);
    m_info = info;
    m_data = data;
    m_propColumn = propColumn;
    m_valueColumn = valueColumn;
    m_keyColumn = keyColumn;
    m_dataColumn = dataColumn;
    m_rankColumn = data.FindProperty("rank");
    m_readOnly = readOnly;
    m_open = true;
    m_search.Unplace();

    // A new file (nothing in it yet) keeps what the user enters whole: UTF-8.
    m_isNew = m_info.GetSize() == 0 && m_data.GetSize() == 0;
    if (m_isNew) {
        m_keyCode = CODE_UTF8;
        m_dataCode = CODE_UTF8;
    }
    ReadInfo();
    if (m_type == DICTIONARY_SHORTHAND)
        m_captionHeader = false;
    return true;
}

void CDictionaryFile::ReleaseStorage(bool commit)
{
    if (m_storage && commit && !m_readOnly)
        CommitStorage();
    m_search.StorageReleased();
    m_info = c4_View();
    m_data = c4_View();
    m_rankColumn = -1;
    m_shownColumn = -1;
    m_storage.reset();
    m_strategy.reset();
    m_mirrorStrategy.reset();
    m_fold = mbtext::AsciiFoldTable();
}

void CDictionaryFile::Close()
{
    ReleaseStorage(m_open);
    m_open = false;
    m_readOnly = false;
    m_description.clear();
    m_caption.clear();
    m_path.clear();
    m_search.Forget();
    UpdateCaptionHeader();
}

bool CDictionaryFile::Commit()
{
    if (!m_open || m_readOnly) {
        m_commitFault = m_open ? pvbase::FileFault::ReadOnly : pvbase::FileFault::Other;
        return false;
    }
    return CommitStorage();
}

bool CDictionaryFile::CommitStorage()
{
    // A new file's first entries go with its properties: a file without them is read as ANSI,
    // and those entries would come back garbled.
    if (m_isNew && m_info.GetSize() == 0 && m_data.GetSize() > 0)
        StoreInfoRows();
    m_search.Committed();
    if (m_storage->Commit()) {
        m_commitFault = pvbase::FileFault::None;
        return true;
    }
    m_commitFault = m_readOnly ? pvbase::FileFault::ReadOnly : m_strategy->Fault();
    if (m_commitFault == pvbase::FileFault::None)
        m_commitFault = pvbase::FileFault::Other;
    return false;
}

void CDictionaryFile::ReadInfo()
{
    if (!m_open)
        return;
    auto find = [this](const char* name, std::string_view& value) {
        const int row = m_info.Find(pProp[name]);
        if (row < 0)
            return false;
        value = m_info.GetString(row, m_valueColumn);
        return true;
    };
    std::string_view value;
    if (find(kTypeProp, value))
        m_type = ParseNumber(value);
    if (find(kKeyCodeProp, value))
        m_keyCode = ParseNumber(value);
    if (find(kDataCodeProp, value))
        m_dataCode = ParseNumber(value);
    if (find(kEditProp, value))
        m_editFlags = ParseNumber(value);
    if (find(kEncryptProp, value))
        m_encrypted = ParseNumber(value);
    if (find(kCaptionProp, value))
        DecodeProperty(value, m_caption);
    if (find(kDescriptionProp, value))
        DecodeProperty(value, m_description);
    UpdateCaptionHeader();
}

bool CDictionaryFile::WriteInfo()
{
    if (!m_open || m_readOnly) {
        m_commitFault = m_open ? pvbase::FileFault::ReadOnly : pvbase::FileFault::Other;
        return false;
    }
    const bool stored = StoreInfoRows();
    return CommitStorage() && stored;
}

bool CDictionaryFile::StoreInfoRows()
{
    auto write = [this](const char* name, std::string_view value) {
        const int row = m_info.Find(pProp[name]);
        if (row >= 0)
            return m_info.SetAt(row, pValue[value]);
        return m_info.Add(pProp[name] + pValue[value]) >= 0;
    };
    bool ok = write(kTypeProp, std::to_string(m_type));
    ok = write(kKeyCodeProp, std::to_string(m_keyCode)) && ok;
    ok = write(kDataCodeProp, std::to_string(m_dataCode)) && ok;
    ok = write(kEditProp, std::to_string(m_editFlags)) && ok;
    ok = write(kEncryptProp, std::to_string(m_encrypted)) && ok;
    std::string stored;
    if (!m_caption.empty())
        ok = write(kCaptionProp, EncodeProperty(m_caption, stored)) && ok;
    if (!m_description.empty())
        ok = write(kDescriptionProp, EncodeProperty(m_description, stored)) && ok;
    return ok;
}

// Texts of DBINFO are in the keys' encoding: UTF-8 in a file of UTF-8 keys, else ANSI (a UTF-16
// file keeps them ANSI, as readers of the format expect one byte per character there).
void CDictionaryFile::DecodeProperty(std::string_view stored, std::string& out)
{
    const bool utf8 = NormalizeEntryTextCode(m_keyCode) == CODE_UTF8 && utf8case::IsValid(stored);
    m_codec.Decode(utf8 ? CODE_UTF8 : CODE_ANSI, false, stored, out);
}

const std::string& CDictionaryFile::EncodeProperty(std::string_view text, std::string& out)
{
    m_codec.Encode(NormalizeEntryTextCode(m_keyCode) == CODE_UTF8 ? CODE_UTF8 : CODE_ANSI, false, text, out);
    return out;
}

std::string CDictionaryFile::DisplayName() const
{
    if (!m_caption.empty())
        return m_caption;
    if (!m_path.empty()) {
        const std::size_t cut = m_path.find_last_of("\\/");
        return cut == std::string::npos ? m_path : m_path.substr(cut + 1);
    }
    return "UNKNOWN DICTIONARY";
}

void CDictionaryFile::UpdateCaptionHeader()
{
    m_captionHeaderText = "----" + DisplayName() + "----\r\n";
}

void CDictionaryFile::SetCaption(const char* text, std::size_t length)
{
    m_caption.assign(text ? text : "", text ? length : 0);
    UpdateCaptionHeader();
}

void CDictionaryFile::SetDescription(const char* text, std::size_t length)
{
    m_description.assign(text ? text : "", text ? length : 0);
}

void CDictionaryFile::SetLengthLimits(int minimum, int maximum)
{
    m_minKeyLength = minimum;
    m_maxKeyLength = maximum;
}

DictionaryRowsLayout CDictionaryFile::Layout() const
{
    DictionaryRowsLayout layout;
    layout.fold = m_fold;
    layout.type = m_type;
    layout.keyCode = m_keyCode;
    layout.dataCode = m_dataCode;
    layout.encrypted = m_encrypted != 0;
    layout.shownKeys = m_shownColumn >= 0;
    layout.capitalsMirror = m_capitalsMirror;
    layout.captionHeader = m_captionHeader;
    layout.minKeyLength = m_minKeyLength;
    layout.maxKeyLength = m_maxKeyLength;
    return layout;
}

int CDictionaryFile::CountEntries() const
{
    return m_open ? m_data.GetSize() : 0;
}

bool CDictionaryFile::AdoptMirror(std::unique_ptr<c4_FileStrategy> strategy, std::unique_ptr<c4_Storage> storage)
{
    if (!m_open || !storage || !storage->IsValid())
        return false;
    const c4_View stored = storage->View("DBDATA");
    const bool ranked = stored.FindProperty("rank") >= 0;
    const bool shown = stored.FindProperty("shown") >= 0;
    c4_View info = storage->GetAs(kInfoDescription);
    c4_View data =
        storage->GetAs(shown ? kCapitalsDataDescription : (ranked ? kRankedDataDescription : kDataDescription));
    m_search.EntriesChanged();
    m_search.DropReaders();
    m_info = info;
    m_data = data;
    m_propColumn = info.FindProperty("prop");
    m_valueColumn = info.FindProperty("value");
    m_keyColumn = data.FindProperty("key");
    m_dataColumn = data.FindProperty("data");
    m_rankColumn = data.FindProperty("rank");
    m_shownColumn = data.FindProperty("shown");
    // The file's own storage goes before the strategy it reads through.
    m_storage = std::move(storage);
    m_strategy.reset();
    m_mirrorStrategy = std::move(strategy);
    m_readOnly = true;
    m_keyCode = CODE_UTF8;
    m_dataCode = CODE_UTF8;
    m_encrypted = 0;
    m_search.Unplace();
    return true;
}

void CDictionaryFile::EncodeKey(std::string_view key, std::string& out)
{
    m_codec.Encode(m_keyCode, m_encrypted != 0, key, out);
}

void CDictionaryFile::EncodeData(std::string_view data, std::string& out)
{
    m_codec.Encode(m_dataCode, m_encrypted != 0, data, out);
}

bool CDictionaryFile::CanHold(std::string_view text) const
{
    const CCodePage& ansi = m_codec.CodePage();
    const bool ansiKeys = NormalizeEntryTextCode(m_keyCode) == CODE_ANSI;
    const bool ansiData = NormalizeEntryTextCode(m_dataCode) == CODE_ANSI;
    if ((!ansiKeys && !ansiData) || ansi.IsUtf8())
        return true;
    std::u16string wide;
    Utf8ToUtf16(text, wide);
    std::string bytes;
    int lacking = 0;
    return wide.empty() || (ansi.FromUtf16Counted(wide, bytes, lacking) && lacking == 0);
}

bool CDictionaryFile::ReadStoredEntry(int row, std::string_view& key, std::string_view& data) const
{
    if (!m_open || row < 0 || row >= m_data.GetSize())
        return false;
    key = m_data.GetString(row, m_keyColumn);
    data = m_data.GetString(row, m_dataColumn);
    return true;
}

bool CDictionaryFile::ReadEntry(int row, std::string& key, std::string& data)
{
    std::string_view storedKey, storedData;
    if (!ReadStoredEntry(row, storedKey, storedData))
        return false;
    if (m_shownColumn >= 0)
        storedKey = m_data.GetString(row, m_shownColumn);
    m_codec.Decode(m_keyCode, m_encrypted != 0, storedKey, key);
    m_codec.Decode(m_dataCode, m_encrypted != 0, storedData, data);
    return true;
}

int CDictionaryFile::CountInfoRows() const
{
    return m_open ? m_info.GetSize() : 0;
}

bool CDictionaryFile::ReadInfoRow(int row, std::string_view& prop, std::string_view& value) const
{
    if (!m_open || row < 0 || row >= m_info.GetSize())
        return false;
    prop = m_info.GetString(row, m_propColumn);
    value = m_info.GetString(row, m_valueColumn);
    return true;
}

// ---------------------------------------------------------------- editing

bool CDictionaryFile::AddEntry(std::string_view key, std::string_view data)
{
    if (!m_open || m_readOnly)
        return false;
    EncodeKey(key, m_encoded);
    EncodeData(data, m_encodedData);
    return AddStoredEntry(m_encoded, m_encodedData);
}

bool CDictionaryFile::AddStoredEntries(CStoredEntries&& entries)
{
    if (!m_open || m_readOnly) {
        entries.Clear();
        return false;
    }
    for (int i = 0; i < entries.Size(); ++i) {
        if (entries.Value(i, 0).empty()) {
            entries.Clear();
            return false;
        }
    }
    m_search.EntriesChanged();
    return m_data.InsertSorted(std::move(entries));
}

bool CDictionaryFile::AddStoredEntry(std::string_view storedKey, std::string_view storedData, int rank)
{
    if (!m_open || m_readOnly || storedKey.empty())
        return false;
    rank = rank < 0 ? 0 : (rank > kMaxRank ? kMaxRank : rank);
    if (rank != 0 && m_rankColumn < 0) {
        m_data = m_storage->GetAs(kRankedDataDescription);
        m_keyColumn = m_data.FindProperty("key");
        m_dataColumn = m_data.FindProperty("data");
        m_rankColumn = m_data.FindProperty("rank");
        m_search.DropReaders();
    }
    int position = m_data.Search(pKey[storedKey]);
    if (position < 0)
        position = 0;
    m_search.EntriesChanged();
    if (m_rankColumn < 0)
        return m_data.InsertAt(position, pKey[storedKey] + pData[storedData]);
    return m_data.InsertAt(position, pKey[storedKey] + pData[storedData] + pRank[rank]);
}

int CDictionaryFile::Rank(int row) const
{
    if (!m_open || m_rankColumn < 0)
        return 0;
    const int rank = m_data.GetInt(row, m_rankColumn);
    return rank < 0 ? 0 : (rank > kMaxRank ? kMaxRank : rank);
}

int CDictionaryFile::FindStoredKey(std::string_view key)
{
    EncodeKey(key, m_encoded);
    if (m_encoded.empty())
        return -1;
    return m_data.Find(pKey[m_encoded]);
}

bool CDictionaryFile::RemoveEntry(std::string_view key, EditCommit commit)
{
    if (!m_open || m_readOnly)
        return false;
    const int row = FindStoredKey(key);
    if (row < 0)
        return false;
    m_search.EntriesChanged();
    if (!m_data.RemoveAt(row))
        return false;
    return commit == EditCommit::Later || CommitStorage();
}

bool CDictionaryFile::ReplaceEntry(std::string_view oldKey, std::string_view newKey, std::string_view newData,
                                   EditCommit commit)
{
    if (!m_open || m_readOnly)
        return false;
    const int row = FindStoredKey(oldKey);
    if (row < 0)
        return false;
    EncodeKey(newKey, m_encoded);
    if (m_encoded.empty())
        return false;
    m_codec.Encode(m_dataCode, m_encrypted != 0, newData, m_encodedData);
    m_search.EntriesChanged();
    if (!m_data.SetAt(row, pKey[m_encoded] + pData[m_encodedData]))
        return false;
    return commit == EditCommit::Later || CommitStorage();
}
