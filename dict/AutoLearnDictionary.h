#pragma once
// The learnt-words store: AutoLearn.dic, a flat file of 516-byte records (see AutoLearnRecord.h),
// texts in UTF-8 behind a marker record; a file of the old ANSI layout is converted once on Open.
//
// The file is the truth. Every record is also kept in memory with an ordered index of the
// texts, so that learning and suggestions answer without reading the file on each keystroke;
// every change is written to the file at once and the memory copy follows only what the
// file accepted. Results and their order are those of a record-by-record walk of the file.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileIo.h"
#include "dict/AutoLearnFile.h"
#include "dict/AutoLearnRecord.h"
#include "dict/AutoLearnWordRules.h"

class CCodePage;

// Answers whether the loaded dictionaries already hold a text exactly as typed (same bytes,
// same case); such texts are not learnt. The engine's adapter runs the dictionary set's merged
// search with mode 0x29, shorthands included, and compares the first match's key with the text.
class IKnownWords {
public:
    virtual ~IKnownWords() = default;
    virtual bool HoldsExactly(const std::string& text) = 0;
};

enum class LearnOutcome {
    NotLearnt,    // closed, disabled, no separator at the end, too short, known to a dictionary
    Counted,      // an existing record's count went up by one
    Added,        // a new record with count 1 was appended
    WriteFailed,  // the file refused the change; file and memory are as before
};

class CAutoLearnDictionary {
public:
    CAutoLearnDictionary() = default;
    ~CAutoLearnDictionary() = default;
    CAutoLearnDictionary(const CAutoLearnDictionary&) = delete;
    CAutoLearnDictionary& operator=(const CAutoLearnDictionary&) = delete;

    // Opens or creates the file without truncating it and reads every record. A partial record
    // at the end (length not a multiple of 516) is cut off the file. A file that may only be
    // read is opened for suggestions; learning then reports WriteFailed. A file of more than
    // 2,000,000 records (about 1 GB) is refused and left untouched.
    // A file without the UTF-8 marker holds ANSI texts: they are converted (see SetLegacyCodePage)
    // and, when the file may be written, a converted file is written complete beside it and then
    // moved over it. Should that fail (full disk, folder that takes no files, a crash), the old
    // file stays as it was, the store offers the converted texts but learns nothing (WriteFault
    // says why), and the next Open tries again. A read-only file is converted in memory only.
    bool Open(const std::string& path);
    void Close();
    // Empties the file (creates it when it is not open). False, with nothing changed, on failure.
    bool Truncate();

    bool IsOpen() const { return m_open; }
    bool IsWritable() const { return m_open && m_file.IsWritable() && m_marked; }
    // Whether the last Open found the old ANSI layout, and whether it rewrote the file in UTF-8.
    bool FoundAnsiFile() const { return m_foundAnsi; }
    bool ConvertedFile() const { return m_foundAnsi && m_marked; }
    // The code page of files of the old layout: the system's ANSI code page unless set (not owned).
    void SetLegacyCodePage(const CCodePage* codePage) { m_legacyCodePage = codePage; }
    // Why the last Open failed to open the file, and why the last write failed (None: it did not).
    pvbase::FileFault OpenFault() const { return m_openFault; }
    pvbase::FileFault WriteFault() const { return m_writeFault; }
    const std::string& Path() const { return m_path; }
    // The open file was renamed (a store built beside AutoLearn.dic and moved over it).
    void FileMoved(std::string path) { m_path = std::move(path); }
    std::size_t RecordCount() const { return m_records.size(); }

    // Settings, as the settings model holds them. The separators are taken as SetSeparators
    // takes them, with tab, carriage return and line feed added, so that Enter and Tab end a
    // word from start-up on and not only after the AutoLearn page was confirmed.
    void ApplySettings(bool enabled, unsigned minWordLength, std::string_view separators);
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }
    void SetMinWordLength(unsigned length) { m_minWordLength = length; }
    unsigned MinWordLength() const { return m_minWordLength; }
    void SetOfferThreshold(std::int32_t threshold) { m_offerThreshold = threshold; }
    std::int32_t OfferThreshold() const { return m_offerThreshold; }
    // Separators become the text followed by tab, carriage return and line feed; an empty
    // text leaves them as they are.
    void SetSeparators(std::string_view separators) { m_rules.SetSeparators(separators); }
    const std::string& Separators() const { return m_rules.Separators(); }
    const CAutoLearnWordRules& WordRules() const { return m_rules; }
    // Up to how many records sharing a prefix are answered from the index; beyond that the
    // records are walked in file order (tuning only: results are the same either way).
    void SetIndexedPrefixLimit(std::size_t limit)
    {
        m_indexedPrefixLimit = limit;
        m_plan.valid = false;
    }
    // Not owned; null for none.
    void SetKnownWords(IKnownWords* knownWords) { m_knownWords = knownWords; }

    // Walking the records, oldest first.
    void MoveFirst();
    void MoveNext();
    bool IsEnd() const { return !m_open || m_current >= m_records.size(); }
    std::size_t CurrentIndex() const { return m_current; }
    std::int32_t CurrentCount() const { return m_currentCount; }
    const std::string& CurrentText() const { return m_currentText; }
    void SetCurrent(std::int32_t count, std::string_view text);
    // Writes the current count and text over the current record.
    bool UpdateCurrent();
    // Writes the current count and text as a new last record, which becomes the current one.
    bool Append();

    // True when the text's last character is a separator.
    bool EndsWithSeparator(std::string_view text) const { return m_rules.EndsWithSeparator(text); }
    // Counts the last word of a typed text that has just been ended by a separator.
    LearnOutcome Learn(std::string_view typedText);
    // Learnt texts that begin with the prefix (same case) and were learnt at least
    // offer-threshold times, in file order; empty text when there are no more.
    std::string FirstSuggestion(std::string_view prefix);
    std::string NextSuggestion(std::string_view prefix);

    // Adds the record's count to the first record holding its text (stored form, sum held to 32
    // bits) and makes that one current, or appends the record. False when the write failed.
    bool CountIn(const AutoLearnRecord& record);

    // The count of the first record holding the text (stored form), 0 when none does.
    std::int32_t CountOf(std::string_view text) const;
    // Sets that count, appending a record when none holds the text. False when the write failed.
    bool SetCount(std::string_view text, std::int32_t count);
    // Removes every record of the text: the last record takes each one's place and the file is cut
    // by one record (a crash between the two leaves a duplicate, which counts as one). False when
    // a write failed.
    bool Remove(std::string_view text);

    // Every record as memory holds it.
    const std::vector<AutoLearnRecord>& Records() const { return m_records; }

private:
    bool ReadRecords(std::uint64_t count);
    void ConvertAnsiRecords();
    bool RewriteInUtf8();
    bool MarkEmptyFile();
    std::int64_t OffsetOf(std::size_t index) const
    {
        return static_cast<std::int64_t>(index + (m_marked ? 1 : 0)) * static_cast<std::int64_t>(kAutoLearnRecordSize);
    }
    void LoadCurrent();
    void SetRecordText(std::size_t index, std::string text);
    void BuildIndex();
    bool WriteRecord(std::size_t index, std::int32_t count, const std::string& text);
    void IndexAdd(const std::string& text, std::uint32_t index);
    void IndexRemove(const std::string& text, std::uint32_t index);
    std::size_t FindSuggestionFrom(std::size_t from, std::string_view prefix);
    void PlanSuggestions(std::string_view prefix);
    void Changed() { ++m_generation; }
    bool Offered(const AutoLearnRecord& record, std::string_view prefix) const;

    std::string m_path;
    CAutoLearnFile m_file;
    pvbase::FileFault m_openFault = pvbase::FileFault::None;
    pvbase::FileFault m_writeFault = pvbase::FileFault::None;
    bool m_open = false;
    bool m_marked = false;     // the file starts with the UTF-8 marker: records may be written
    bool m_foundAnsi = false;  // the last Open read the old layout
    const CCodePage* m_legacyCodePage = nullptr;
    std::vector<AutoLearnRecord> m_records;
    // The first four bytes of each record's text, packed: a common prefix is looked for here
    // first, in a small contiguous array instead of the records.
    std::vector<std::uint32_t> m_heads;
    // Text -> indices of the records holding it, ascending (duplicates come from imports).
    std::map<std::string, std::vector<std::uint32_t>, std::less<>> m_index;
    std::uint64_t m_generation = 0;  // goes up with every change of the records
    // How the last prefix is answered: from its few hits (ascending record indices) or, for a
    // common prefix, by walking the records. Valid while generation and threshold are unchanged.
    struct SuggestionPlan {
        bool valid = false;
        std::string prefix;
        std::int32_t threshold = 0;
        std::uint64_t generation = 0;
        bool walk = false;
        std::vector<std::uint32_t> hits;
    } m_plan;
    std::size_t m_current = 0;
    std::int32_t m_currentCount = 0;
    std::string m_currentText;

    unsigned m_minWordLength = 3;
    std::int32_t m_offerThreshold = 1;
    std::size_t m_indexedPrefixLimit = 64;
    bool m_enabled = true;
    CAutoLearnWordRules m_rules;
    IKnownWords* m_knownWords = nullptr;
};
