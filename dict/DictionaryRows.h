// What a dictionary file lets its readers see: its entries as stored, row by row, and the
// properties that say how to read them. The search cursor (DictionaryCursor.h) and the mirrors
// (CodePageMirror.h) read a file through this and nothing else; CDictionaryFile implements it.
//
// Rows:
//  - Rows 0..CountEntries()-1 are in the order of their stored keys: each byte compared through
//    the layout's fold (the storage's order, A-Z as a-z; a mirror's is the same), up to a key's
//    first zero byte.
//  - Keys and data are stored encoded (the layout's keyCode and dataCode: ANSI in AnsiCodePage(),
//    UTF-8, UTF-16) and scrambled when encrypted; a mirror's are plain UTF-8.
//  - A capitals mirror keys its rows by their small letters and keeps the key to show beside
//    each (shownKeys, ShownReader).
//
// Reading:
//  - Values handed out point into the file's memory: valid until the file's next edit, commit,
//    mirror or close. Readers (KeyReader, ...) stop being current at the same moments
//    (c4_StringReader::IsCurrent): take new ones then. The file tells its cursor when that is.
//  - Nothing here changes the file; a reader may still build an index inside the storage, so a
//    file and its readers belong to one thread at a time.
#pragma once

#include <string>
#include <string_view>

#include "storage/Storage.h"

class CCodePage;

// How the rows are to be read, handed out whole: a search takes it once when it starts.
struct DictionaryRowsLayout {
    const unsigned char* fold = nullptr;  // the byte order of the keys (256 entries)
    int type = 0;                         // DBTYPE
    int keyCode = 0;
    int dataCode = 0;
    bool encrypted = false;
    bool shownKeys = false;  // the rows show another key (ShownReader): a capitals mirror's
    bool capitalsMirror = false;
    bool captionHeader = false;  // match data starts with CaptionHeaderText()
    // Word/phrase keys shorter than minimum or longer than maximum are not offered.
    int minKeyLength = 0;
    int maxKeyLength = 0;
};

class IDictionaryRows {
public:
    virtual bool IsOpen() const = 0;
    virtual int CountEntries() const = 0;
    virtual DictionaryRowsLayout Layout() const = 0;

    // Readers of the columns, row by row; the fast way for walks over many rows.
    virtual c4_StringReader KeyReader() const = 0;
    virtual c4_StringReader DataReader() const = 0;
    virtual c4_StringReader ShownReader() const = 0;
    virtual bool HasRankColumn() const = 0;
    virtual c4_IntReader RankReader() const = 0;
    // How likely a row's word is (0 none, up to kMaxRank); 0 without a rank column.
    virtual int Rank(int row) const = 0;
    static constexpr int kMaxRank = 0xFFFF;

    // One row at a time, as stored. False for a bad row.
    virtual bool ReadStoredEntry(int row, std::string_view& key, std::string_view& data) const = 0;
    // Rows of DBINFO as stored.
    virtual bool ReadInfoRow(int row, std::string_view& prop, std::string_view& value) const = 0;

    virtual const CCodePage& AnsiCodePage() const = 0;
    virtual bool IsMirrored() const = 0;
    // The "----caption----" header of match data (see DictionaryRowsLayout::captionHeader).
    virtual const std::string& CaptionHeaderText() const = 0;

protected:
    ~IDictionaryRows() = default;
};
