#pragma once
// One open dictionary file: its properties (view DBINFO), its entries (view DBDATA, kept
// sorted by key) and a search cursor that walks the sorted entries directly (Search()). The
// cursor and the mirrors read the file through its rows (DictionaryRows.h).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "dict/CodePage.h"
#include "dict/DictionaryCursor.h"
#include "dict/DictionaryMatch.h"
#include "dict/DictionaryRows.h"
#include "dict/EntryText.h"
#include "storage/Storage.h"

class CScramblingFileStrategy;

// Entries in their stored form (encoded, and scrambled when encrypted), collected to be added
// together by CDictionaryFile::AddStoredEntries.
class CStoredEntries : public c4_StringRows {
public:
    CStoredEntries() : c4_StringRows({c4_StringProp("key"), c4_StringProp("data")}) {}
    void Add(std::string_view storedKey, std::string_view storedData) { c4_StringRows::Add({storedKey, storedData}); }
};

class CDictionaryFile final : public IDictionaryRows {
public:
    // ansiCodePage: what the file's ANSI texts are read and written in (the format does not say).
    explicit CDictionaryFile(const CCodePage& ansiCodePage = SystemCodePage());
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
    bool IsOpen() const override { return m_open; }
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

    // The search of this dictionary: its query and the row it stands on.
    CDictionaryCursor& Search() { return m_search; }
    const CDictionaryCursor& Search() const { return m_search; }

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
    int Rank(int row) const override;
    bool HasRankColumn() const override { return m_rankColumn >= 0; }
    // Whether an edit commits at once, or leaves it to a Commit after many (each commit writes
    // the whole file).
    enum class EditCommit { Now, Later };
    // Removes the first entry whose key equals this one (ASCII case ignored) and commits.
    bool RemoveEntry(std::string_view key, EditCommit commit = EditCommit::Now);
    // Overwrites key and data of the first entry whose key equals oldKey, in place, and commits.
    bool ReplaceEntry(std::string_view oldKey, std::string_view newKey, std::string_view newData,
                      EditCommit commit = EditCommit::Now);
    int CountEntries() const override;
    // Searches from now on a read-only copy of the entries in memory (dict/CodePageMirror.h): keys
    // and data plain UTF-8, sorted as the storage sorts them (or, with a "shown" column beside the
    // keys, keys in small letters and the keys to show there). The file itself is let go.
    bool AdoptMirror(std::unique_ptr<c4_FileStrategy> strategy, std::unique_ptr<c4_Storage> storage);
    bool IsMirrored() const override { return m_mirrorStrategy != nullptr; }
    // A mirror of the keys with capitals beyond ASCII beside the file (MirrorOfCapitals): it
    // offers a key only when such a capital lies within the query's length.
    void SetCapitalsMirror(bool on) { m_capitalsMirror = on; }
    bool IsCapitalsMirror() const { return m_capitalsMirror; }

    // Entry of a row in stored order, decoded to UTF-8. False for a bad row.
    bool ReadEntry(int row, std::string& key, std::string& data);
    // Entry of a row as stored (encoded, and scrambled when encrypted). False for a bad row.
    bool ReadStoredEntry(int row, std::string_view& key, std::string_view& data) const override;
    // Rows of DBINFO as stored.
    int CountInfoRows() const;
    bool ReadInfoRow(int row, std::string_view& prop, std::string_view& value) const override;
    // The stored form of a key: the entries are sorted by these.
    void EncodeKey(std::string_view key, std::string& out);
    void EncodeData(std::string_view data, std::string& out);
    // Whether the text is stored without loss: an ANSI file lacks the characters its code page lacks.
    bool CanHold(std::string_view text) const;

    // Caption, else the file name of the path, else "UNKNOWN DICTIONARY".
    std::string DisplayName() const;
    const std::string& Caption() const { return m_caption; }
    const std::string& Description() const { return m_description; }
    const std::string& Path() const { return m_path; }
    // The text of entries, keys and properties as this object gives and takes them: UTF-8.
    const CCodePage& CodePage() const { return Utf8CodePage(); }
    // What ANSI values of the file are read and written in.
    const CCodePage& AnsiCodePage() const override { return m_codec.CodePage(); }
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
    const std::string& CaptionHeaderText() const override { return m_captionHeaderText; }
    void SetCaptionHeader(bool on) { m_captionHeader = on; }
    // Word/phrase keys shorter than minimum or longer than maximum are not offered.
    void SetLengthLimits(int minimum, int maximum);
    int MinKeyLength() const { return m_minKeyLength; }
    int MaxKeyLength() const { return m_maxKeyLength; }

    // The rows as the cursor and the mirrors read them.
    DictionaryRowsLayout Layout() const override;
    c4_StringReader KeyReader() const override { return m_data.StringReader(m_keyColumn); }
    c4_StringReader DataReader() const override { return m_data.StringReader(m_dataColumn); }
    c4_StringReader ShownReader() const override { return m_data.StringReader(m_shownColumn); }
    c4_IntReader RankReader() const override { return m_data.IntReader(m_rankColumn); }

private:
    void ResetInfo();
    void UpdateCaptionHeader();
    void DecodeProperty(std::string_view stored, std::string& out);
    const std::string& EncodeProperty(std::string_view text, std::string& out);
    void ReleaseStorage(bool commit);
    bool CommitStorage();
    bool StoreInfoRows();
    int FindStoredKey(std::string_view key);

    CEntryTextCodec m_codec;

    std::unique_ptr<CScramblingFileStrategy> m_strategy;
    std::unique_ptr<c4_FileStrategy> m_mirrorStrategy;  // of a copy in memory (AdoptMirror)
    const unsigned char* m_fold;                        // the order of the keys: the storage's, or the mirror's
    bool m_capitalsMirror = false;
    bool m_isNew = false;  // nothing was in the file when it was opened
    std::unique_ptr<c4_Storage> m_storage;
    c4_View m_info;
    c4_View m_data;
    int m_keyColumn = -1;
    int m_dataColumn = -1;
    int m_propColumn = -1;
    int m_valueColumn = -1;
    int m_rankColumn = -1;
    int m_shownColumn = -1;  // of a capitals mirror: the keys as the file holds them
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

    std::string m_encoded;
    std::string m_encodedData;
    CDictionaryCursor m_search;
};
