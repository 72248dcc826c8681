#pragma once
// The learnt words as the AutoLearn page shows and edits them, newest first. Edits stay here
// until the list is written back as a whole new AutoLearn.dic.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/FileIo.h"
#include "dict/AutoLearnRecord.h"

class CAutoLearnList {
public:
    // Told the lines done every 10 lines; false cancels.
    using Progress = std::function<bool(int done)>;

    // The records of a store, oldest first as the file keeps them.
    void Assign(std::vector<AutoLearnRecord> oldestFirst);
    int Count() const { return static_cast<int>(m_records.size()); }
    // Row 0 is the newest record.
    const AutoLearnRecord& Row(int row) const { return m_records[Index(row)]; }
    // A new record with count 1 on top (row 0).
    void InsertTop(std::string text);
    // An edited text restarts at count 1.
    void SetText(int row, std::string text);
    void Remove(std::vector<int> rows);
    void Clear() { m_records.clear(); }
    // Words taught from documents: a text the list holds gets the count added, a new one goes on
    // top. Returns the new rows.
    int AddRecords(const std::vector<AutoLearnRecord>& records);
    // The texts removed or edited away since the last call (or Assign) that no row holds now.
    std::vector<std::string> TakeRemovedTexts();

    // Tab-separated lines, "text<TAB>count", in ANSI (the system's code page), UTF-8 or UTF-16,
    // up to the end or the first empty line: a text the
    // list holds gets the line's count added, a new one goes on top. Lines are read up to a bound
    // (longer ones are cut; a stored text holds 511 bytes). Returns the lines taken; -1 when the
    // file cannot be opened.
    int ImportText(const std::string& path, const Progress& progress = {});
    // "text<TAB>count" lines (CR LF) in UTF-8 after a byte-order mark, oldest first, written beside
    // the file and moved over it.
    // Returns the lines written; -1 when it failed or progress cancelled it: the file is then left
    // as it was and nothing is left beside it. fault: why it failed (None when cancelled).
    int ExportText(const std::string& path, const Progress& progress = {}, pvbase::FileFault* fault = nullptr) const;
    // A new store file (created or emptied) in UTF-8 with the records, oldest first; rows with an
    // empty text are left out. The caller moves it over AutoLearn.dic once it is complete.
    bool WriteStoreFile(const std::string& path) const;

private:
    // Adds record's count to the row holding its text, or a new row; true when it is new.
    bool AddCount(std::unordered_map<std::string, std::size_t>& listed, AutoLearnRecord record);
    std::unordered_map<std::string, std::size_t> ListedTexts() const;
    std::size_t Index(int row) const { return m_records.size() - 1 - static_cast<std::size_t>(row); }

    std::vector<AutoLearnRecord> m_records;  // oldest first, as the file
    std::vector<std::string> m_removedTexts;
};
