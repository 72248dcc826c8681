// The user's words kept in step with a sync folder (dict/SyncStore.h): what this PC learns, deletes,
// edits and sets is recorded there, and what the merge of every PC's logs says is written into the
// local files the engine uses (AutoLearn.dic, the word pairs of AutoLearn.use, the user's
// dictionaries, the shared settings).
//
// Which dictionaries travel: the user's own files in Libs (kSyncedDictionaries). Which settings:
// those a user wants on every PC (IsSyncedSetting): the selection keys, the feature switches, the
// limits and page size, the learning switches; not the on/off hotkey, not the folder itself, not
// the dictionaries' enable flags nor the application rules (paths of one PC).
//
// Portable: the program's engine thread calls it off the key path; tests call it directly.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/SettingsRecord.h"
#include "dict/SyncStore.h"
#include "dict/UsageModel.h"

class CAutoLearnDictionary;
class CDictionaryFile;

class CSyncedWords {
public:
    static const char* const kSyncedDictionaries[2];
    // Beside the program: the PC's id, the folder and highest clock of the last run, and a copy of
    // the PC's own log as that run left it.
    static const char kPcIdFile[];
    static const char kStateFile[];
    static const char kOwnLogCopyFile[];

    struct Outcome {
        bool dictionariesWritten = false;  // the engine reloads them
        bool settingsChanged = false;      // Settings() holds the merged values to apply and save
    };

    // programDirectory ends in a separator; the dictionaries lie in its Libs folder.
    explicit CSyncedWords(std::string programDirectory);
    ~CSyncedWords();

    // Opens the store of a folder (closing any open one) and brings the local files in step. A
    // folder this program folder did not use last time gets the local words, entries and settings
    // recorded first (merged in, not over); at a later start only local items the merge has never
    // seen are. The PC's own log, gone from the folder it used last time, is put back from its copy
    // first. folderForTests replaces the disk folder. False when the folder cannot be used.
    bool Open(const std::string& folder, CAutoLearnDictionary& autoLearn, const SettingsRecord& settings,
              Outcome& outcome, std::unique_ptr<ISyncFolder> folderForTests = nullptr);

    // Open in two steps. Reading every PC's log takes a while with many words, and touches
    // nothing but the sync folder and this PC's id and last run's state: Prepare may run on a
    // thread of its own. Complete takes it up where the local files are used (the engine thread).
    struct Opening {
        std::string folder;
        std::unique_ptr<ISyncFolder> syncFolder;
        std::unique_ptr<CSyncStore> store;  // null: the folder cannot be used
        bool ranBefore = false;
        std::string lastFolder;
        bool ranWithoutFolder = false;  // since it last used lastFolder
        std::vector<SyncProblem> problems;
    };
    static std::unique_ptr<Opening> Prepare(const std::string& programDirectory, const std::string& folder,
                                            std::unique_ptr<ISyncFolder> folderForTests = nullptr);
    bool Complete(std::unique_ptr<Opening> opening, CAutoLearnDictionary& autoLearn, const SettingsRecord& settings,
                  Outcome& outcome);
    // The usage store whose word pairs travel (AutoLearn.use): set before Open or Complete; it
    // outlives this. rankOf tells what the dictionaries say of a word a pair brings.
    void AttachUsage(CUsageModel* usage, CUsageModel::RankOf rankOf);
    // Off: the merged state stays in the local files.
    void Close();
    // The program runs without the folder: what it learns now is the local files' alone, so the
    // next Open takes them in as a new folder's (beyond the merge), not under it.
    static void ForgetFolder(const std::string& programDirectory);
    bool IsOpen() const { return m_store != nullptr; }
    const std::string& Folder() const { return m_folder; }

    // Reads what other PCs wrote since the last look and applies it.
    Outcome Refresh(CAutoLearnDictionary& autoLearn);

    // This PC learnt a word (the store counted it): recorded, and the local count set to the merge.
    void RecordLearnt(const std::string& word, CAutoLearnDictionary& autoLearn);
    // The usage store counted a pair (its words as it holds them): recorded, the count set to the merge.
    void RecordPairLearnt(std::string_view previous, std::string_view word);
    void RecordForgotten(const std::vector<std::string>& words);
    // The usage store's pair counts beyond the merge (pairs taught from documents): recorded.
    // keepForgotten: none of a word forgotten elsewhere.
    void RecordUsagePairs(bool keepForgotten = false);
    // The user's dictionaries were edited: their differences from the last known entries.
    void RecordDictionaryEdits();
    // Settings saved: the synced values that differ from the last known ones.
    void RecordSettings(const SettingsRecord& settings);
    // The settings with the merged synced values (after an outcome's settingsChanged).
    const SettingsRecord& Settings() const { return m_settings; }

    std::vector<SyncProblem> TakeProblems();
    const CSyncStore* Store() const { return m_store.get(); }

    static bool IsSyncedSetting(const std::string& section, const std::string& key);

private:
    using Entries = std::map<std::string, std::string>;  // key -> data

    std::string DictionaryPath(const std::string& name) const;
    bool ReadDictionary(const std::string& name, Entries& entries) const;
    bool OpenToWrite(const std::string& path, const std::map<std::string, const std::string*>& changes,
                     CDictionaryFile& file) const;
    // Writes the changes into the file and the known entries; true when the file changed.
    bool WriteEntries(const std::string& name, const std::map<std::string, const std::string*>& changes);
    void RecordLocalEntries(bool folderIsNew);
    bool ApplyEntries();
    // keepForgotten: a word forgotten elsewhere stays forgotten (this PC was away from the folder,
    // not new to it).
    void RecordLocalWords(CAutoLearnDictionary& autoLearn, bool keepForgotten);
    void ApplyWords(CAutoLearnDictionary& autoLearn);
    void SetLocalCount(CAutoLearnDictionary& autoLearn, const std::string& word, std::uint64_t count);
    CSyncStore::PairFilter KeepPairFilter() const;
    void ApplyPairs();
    void SetLocalPairCount(std::string_view previous, std::string_view word, std::uint64_t count);
    void RecordLocalSettings(bool folderIsNew);
    bool ApplySettings();
    Outcome ApplyChanges(const std::vector<SyncChange>& changes, CAutoLearnDictionary& autoLearn);
    void SaveRunState() const;
    // What no other PC holds: the own log is copied beside the program when a run leaves the folder
    // (CSyncStore::SetOwnLogCopy puts it back).
    void KeepOwnLogCopy() const;
    static bool LoadRunState(const std::string& programDirectory, std::string& folder, SyncClock& clock,
                             bool* ranWithoutFolder = nullptr);
    static void WriteRunState(const std::string& programDirectory, const std::string& folder, const SyncClock& clock,
                              bool ranWithoutFolder);

    std::string m_programDirectory;
    std::string m_folder;
    std::unique_ptr<ISyncFolder> m_syncFolder;
    std::unique_ptr<CSyncStore> m_store;
    std::map<std::string, Entries> m_known;              // the synced dictionaries as last written or read
    std::map<std::string, std::string> m_knownSettings;  // "section\nkey" -> text
    SettingsRecord m_settings;
    std::vector<SyncProblem> m_problems;
    CUsageModel* m_usage = nullptr;
    CUsageModel::RankOf m_rankOf;
};
