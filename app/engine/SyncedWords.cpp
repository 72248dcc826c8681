#include "app/engine/SyncedWords.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <set>
#include <tuple>
#include <unordered_map>

#include "base/FileIo.h"
#include "config/ProfileText.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/DictionaryCopy.h"
#include "dict/DictionaryFile.h"

const char* const CSyncedWords::kSyncedDictionaries[2] = {"UserDictionary.lib", "UserShortHands.lib"};
const char CSyncedWords::kPcIdFile[] = "SyncPc.id";
const char CSyncedWords::kStateFile[] = "SyncRun.state";
const char CSyncedWords::kOwnLogCopyFile[] = "SyncOwn.pvsync";

namespace {

using SettingTexts = std::map<std::string, std::string>;

std::string SettingName(const std::string& section, const std::string& key)
{
    return section + "\n" + key;
}

// The settings' text forms, as Config.ini holds them.
struct SettingsTextWriter {
    SettingTexts texts;
    void WriteText(const char* section, const char* key, const char* value)
    {
        texts[SettingName(section, key)] = value;
    }
};

// Reads the settings back from those texts, with CProfileFile's text forms.
struct SettingsTextReader {
    const SettingTexts& texts;
    const std::string* Find(const char* section, const char* key) const
    {
        const auto found = texts.find(SettingName(section, key));
        return found == texts.end() ? nullptr : &found->second;
    }
    std::string ReadText(const char* section, const char* key, const char* fallback) const
    {
        const std::string* text = Find(section, key);
        return text ? *text : std::string(fallback ? fallback : "");
    }
    std::uint32_t ReadUnsigned(const char* section, const char* key, std::uint32_t fallback, int radix = 10) const
    {
        const std::string* text = Find(section, key);
        return text && !text->empty() ? ProfileText::ParseUnsigned(*text, radix) : fallback;
    }
    bool ReadBool(const char* section, const char* key, bool fallback) const
    {
        const std::string* text = Find(section, key);
        return text ? ProfileText::ParseBool(*text, fallback) : fallback;
    }
    std::size_t ReadBytes(const char* section, const char* key, void* buffer, std::size_t size,
                          std::size_t offset = 0) const
    {
        const std::string* text = Find(section, key);
        return text ? ProfileText::DecodeBytes(*text, buffer, size, offset) : 0;
    }
};

// Every value's text (the reader needs the ones that do not travel too).
SettingTexts AllTextsOf(const SettingsRecord& settings)
{
    SettingsTextWriter writer;
    WriteSettings(writer, settings_sections::kAll, settings);
    return writer.texts;
}

SettingTexts TextsOf(const SettingsRecord& settings)
{
    SettingTexts texts = AllTextsOf(settings);
    for (auto it = texts.begin(); it != texts.end();) {
        const std::size_t split = it->first.find('\n');
        if (CSyncedWords::IsSyncedSetting(it->first.substr(0, split), it->first.substr(split + 1)))
            ++it;
        else
            it = texts.erase(it);
    }
    return texts;
}

bool FileExists(const std::string& path)
{
    return pvbase::FileHandle::Open(path, pvbase::OpenMode::ReadOnly) != nullptr;
}

std::int32_t ClampedCount(std::uint64_t count)
{
    return static_cast<std::int32_t>(std::min<std::uint64_t>(count, INT32_MAX));
}

bool IsSyncedDictionary(const std::string& name)
{
    for (const char* synced : CSyncedWords::kSyncedDictionaries)
        if (name == synced)
            return true;
    return false;
}

}  // namespace

bool CSyncedWords::IsSyncedSetting(const std::string& section, const std::string& key)
{
    // The on/off hotkey may clash with another program of one PC; the folder is a path of one PC.
    if (key == "dwEnableZel" || key == "strSyncFolder")
        return false;
    return section == settings_sections::kAutoLearn || section == settings_sections::kHotKeys ||
           section == settings_sections::kOthers;
}

CSyncedWords::CSyncedWords(std::string programDirectory) : m_programDirectory(std::move(programDirectory)) {}

CSyncedWords::~CSyncedWords()
{
    Close();
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

std::unique_ptr<CSyncedWords::Opening> CSyncedWords::Prepare(const std::string& programDirectory,
                                                             const std::string& folder,
                                                             std::unique_ptr<ISyncFolder> folderForTests)
{
    auto opening = std::make_unique<Opening>();
    opening->folder = folder;
    if (folder.empty())
        return opening;
    SyncPcId own;
    LoadOrMakeSyncPcId(programDirectory + kPcIdFile, own);
    opening->syncFolder = folderForTests ? std::move(folderForTests) : std::make_unique<CDiskSyncFolder>(folder);
    opening->store = std::make_unique<CSyncStore>(*opening->syncFolder, own);
    SyncClock lastClock;
    opening->ranBefore = LoadRunState(programDirectory, opening->lastFolder, lastClock, &opening->ranWithoutFolder);
    opening->store->Observe(lastClock);
    if (opening->ranBefore && opening->lastFolder == folder) {
        const std::string copy = programDirectory + kOwnLogCopyFile;
        opening->store->SetOwnLogCopy([copy](std::string& bytes) { return pvbase::ReadWholeFile(copy, bytes); });
    }
    if (!opening->store->Open()) {
        opening->problems.push_back({opening->store->OwnLogName(), "the sync folder cannot be written: " + folder});
        if (!opening->store->IsWritable() && opening->store->State().ItemCount() == 0) {
            opening->store.reset();
            opening->syncFolder.reset();
        }
    }
    return opening;
}

bool CSyncedWords::Open(const std::string& folder, CAutoLearnDictionary& autoLearn, const SettingsRecord& settings,
                        Outcome& outcome, std::unique_ptr<ISyncFolder> folderForTests)
{
    return Complete(Prepare(m_programDirectory, folder, std::move(folderForTests)), autoLearn, settings, outcome);
}

bool CSyncedWords::Complete(std::unique_ptr<Opening> opening, CAutoLearnDictionary& autoLearn,
                            const SettingsRecord& settings, Outcome& outcome)
{
    Close();
    outcome = Outcome();
    m_settings = settings;
    if (!opening)
        return false;
    for (SyncProblem& problem : opening->problems)
        m_problems.push_back(std::move(problem));
    if (!opening->store)
        return false;
    m_syncFolder = std::move(opening->syncFolder);
    m_store = std::move(opening->store);
    m_store->SetPairFilter(KeepPairFilter());
    m_folder = opening->folder;
    const bool folderIsNew = !opening->ranBefore || opening->lastFolder != m_folder;
    // Back after running without it: what was learnt meanwhile goes in as with a new folder, but
    // deletions and edits made elsewhere meanwhile are newer than the local files.
    const bool returning = !folderIsNew && opening->ranWithoutFolder;

    for (const char* name : kSyncedDictionaries)
        ReadDictionary(name, m_known[name]);
    if (folderIsNew || returning) {
        RecordLocalWords(autoLearn, returning);
        RecordUsagePairs(returning);
    }
    RecordLocalEntries(folderIsNew);
    RecordLocalSettings(folderIsNew);

    ApplyWords(autoLearn);
    ApplyPairs();
    outcome.dictionariesWritten = ApplyEntries();
    outcome.settingsChanged = ApplySettings();
    SaveRunState();
    return true;
}

void CSyncedWords::AttachUsage(CUsageModel* usage, CUsageModel::RankOf rankOf)
{
    m_usage = usage;
    m_rankOf = std::move(rankOf);
    if (m_store)
        m_store->SetPairFilter(KeepPairFilter());
}

void CSyncedWords::Close()
{
    if (m_store) {
        SaveRunState();
        KeepOwnLogCopy();
    }
    m_store.reset();
    m_syncFolder.reset();
    m_known.clear();
    m_knownSettings.clear();
    m_folder.clear();
}

bool CSyncedWords::LoadRunState(const std::string& programDirectory, std::string& folder, SyncClock& clock,
                                bool* ranWithoutFolder)
{
    std::string text;
    if (!pvbase::ReadWholeFile(programDirectory + kStateFile, text))
        return false;
    // Line 1: the folder; line 2: the highest clock's wall time and counter.
    const std::size_t end = text.find('\n');
    if (end == std::string::npos)
        return false;
    folder = text.substr(0, end);
    unsigned long long wall = 0;
    unsigned counter = 0;
    if (std::sscanf(text.c_str() + end + 1, "%llu %u", &wall, &counter) == 2) {
        clock.wall = wall;
        clock.counter = counter;
    }
    // Line 3, when there: "off", the program ran without the folder since.
    if (ranWithoutFolder)
        *ranWithoutFolder = text.find("\noff\n", end) != std::string::npos;
    return true;
}

void CSyncedWords::ForgetFolder(const std::string& programDirectory)
{
    std::string folder;
    SyncClock clock;
    bool off = false;
    if (LoadRunState(programDirectory, folder, clock, &off) && !off)
        WriteRunState(programDirectory, folder, clock, true);
}

void CSyncedWords::WriteRunState(const std::string& programDirectory, const std::string& folder, const SyncClock& clock,
                                 bool ranWithoutFolder)
{
    const std::string text = folder + "\n" + std::to_string(clock.wall) + " " + std::to_string(clock.counter) + "\n" +
                             (ranWithoutFolder ? "off\n" : "");
    pvbase::WriteFileAtomically(programDirectory + kStateFile, text);
}

void CSyncedWords::SaveRunState() const
{
    WriteRunState(m_programDirectory, m_folder, m_store->HighestClock(), false);
}

void CSyncedWords::KeepOwnLogCopy() const
{
    const std::int64_t size = m_store->OwnLogSize();
    std::string bytes;
    if (!m_store->IsWritable() || size <= 0 || !m_syncFolder->Read(m_store->OwnLogName(), 0, size, bytes) ||
        static_cast<std::int64_t>(bytes.size()) != size)
        return;
    pvbase::WriteFileAtomically(m_programDirectory + kOwnLogCopyFile, bytes);
}

// ---------------------------------------------------------------------------------------------
// Refreshing

CSyncedWords::Outcome CSyncedWords::Refresh(CAutoLearnDictionary& autoLearn)
{
    if (!m_store)
        return {};
    const SyncClock before = m_store->HighestClock();
    const Outcome outcome = ApplyChanges(m_store->Refresh(), autoLearn);
    if (m_store->HighestClock() != before)
        SaveRunState();
    return outcome;
}

CSyncedWords::Outcome CSyncedWords::ApplyChanges(const std::vector<SyncChange>& changes,
                                                 CAutoLearnDictionary& autoLearn)
{
    Outcome outcome;
    std::map<std::string, std::map<std::string, const std::string*>> entries;
    bool settings = false;
    for (const SyncChange& change : changes) {
        switch (change.kind) {
            case SyncKind::LearntWord:
                SetLocalCount(autoLearn, change.first, change.present ? change.count : 0);
                if (!change.present && m_usage && !m_store->State().Forgotten(change.first).IsZero())
                    m_usage->Forget({change.first});  // its counts and pairs go as on the page
                break;
            case SyncKind::LearntPair:
                SetLocalPairCount(change.first, change.second, change.present ? change.count : 0);
                break;
            case SyncKind::Entry:
                if (IsSyncedDictionary(change.first))
                    entries[change.first][change.second] = change.present ? &change.value : nullptr;
                break;
            case SyncKind::Setting:
                settings = settings || IsSyncedSetting(change.first, change.second);
                break;
            default:
                break;
        }
    }
    for (const auto& [name, edits] : entries)
        outcome.dictionariesWritten = WriteEntries(name, edits) || outcome.dictionariesWritten;
    if (settings)
        outcome.settingsChanged = ApplySettings();
    return outcome;
}

std::vector<SyncProblem> CSyncedWords::TakeProblems()
{
    std::vector<SyncProblem> problems = std::move(m_problems);
    m_problems.clear();
    if (m_store)
        for (SyncProblem& problem : m_store->TakeProblems())
            problems.push_back(std::move(problem));
    return problems;
}

// ---------------------------------------------------------------------------------------------
// Learnt words

void CSyncedWords::RecordLocalWords(CAutoLearnDictionary& autoLearn, bool keepForgotten)
{
    // What this PC learnt beyond the merge: all of it the first time, what came while off later.
    const CSyncState& state = m_store->State();
    for (const AutoLearnRecord& record : autoLearn.Records()) {
        if (record.count <= 0 || record.text.empty())
            continue;
        const std::uint64_t merged = state.LearntCount(record.text);
        if (keepForgotten && merged == 0 && !state.Forgotten(record.text).IsZero())
            continue;
        if (static_cast<std::uint64_t>(record.count) > merged)
            m_store->Learn(record.text, static_cast<std::uint64_t>(record.count) - merged);
    }
}

void CSyncedWords::ApplyWords(CAutoLearnDictionary& autoLearn)
{
    const CSyncState& state = m_store->State();
    // The local counts in one hash map first: a hundred thousand words are compared at each start.
    std::unordered_map<std::string_view, std::int32_t> local;
    local.reserve(autoLearn.Records().size());
    for (const AutoLearnRecord& record : autoLearn.Records())
        local.emplace(record.text, record.count);
    std::vector<std::pair<std::string, std::int32_t>> counts;  // set after the walk: setting may add records
    state.ForEachLearntWord([&](std::string_view word, std::uint64_t count) {
        const auto found = local.find(word);
        const std::int32_t known = found != local.end() ? found->second : autoLearn.CountOf(word);
        if (known != ClampedCount(count))
            counts.emplace_back(word, ClampedCount(count));
    });
    local.clear();
    for (const auto& [word, count] : counts)
        autoLearn.SetCount(word, count);
    // Forgotten elsewhere; a word the merge has simply not seen yet (a log half delivered) stays.
    if (state.ForgottenWordCount() == 0)
        return;
    std::vector<std::string> forgotten;
    for (const AutoLearnRecord& record : autoLearn.Records())
        if (state.LearntCount(record.text) == 0 && !state.Forgotten(record.text).IsZero())
            forgotten.push_back(record.text);
    for (const std::string& word : forgotten)
        autoLearn.Remove(word);
    if (m_usage)
        m_usage->Forget(forgotten);
}

void CSyncedWords::SetLocalCount(CAutoLearnDictionary& autoLearn, const std::string& word, std::uint64_t count)
{
    if (count == 0)
        autoLearn.Remove(word);
    else if (autoLearn.CountOf(word) != ClampedCount(count))
        autoLearn.SetCount(word, ClampedCount(count));
}

void CSyncedWords::RecordLearnt(const std::string& word, CAutoLearnDictionary& autoLearn)
{
    if (!m_store || word.empty() || !m_store->Learn(word))
        return;
    SetLocalCount(autoLearn, word, m_store->State().LearntCount(word));
}

void CSyncedWords::RecordForgotten(const std::vector<std::string>& words)
{
    if (!m_store)
        return;
    for (const std::string& word : words)
        m_store->Forget(word);
}

// ---------------------------------------------------------------------------------------------
// Word pairs

CSyncStore::PairFilter CSyncedWords::KeepPairFilter() const
{
    // A compaction keeps the pairs the usage store holds: the log is bounded as the store is.
    CUsageModel* usage = m_usage;
    if (!usage)
        return nullptr;
    return [usage](std::string_view first, std::string_view second) {
        return usage->PairCount(first, second) > 0;
    };
}

void CSyncedWords::RecordUsagePairs(bool keepForgotten)
{
    if (!m_usage || !m_store)
        return;
    const CSyncState& state = m_store->State();
    auto forgotten = [&](std::string_view word) {
        return state.LearntCount(word) == 0 && !state.Forgotten(word).IsZero();
    };
    std::vector<CSyncStore::PairTimes> beyond;
    m_usage->ForEachPair([&](std::string_view first, std::string_view second, std::uint32_t count) {
        if (keepForgotten && (forgotten(first) || forgotten(second)))
            return;
        const std::uint64_t merged = state.PairCount(first, second);
        if (count > merged)
            beyond.push_back({std::string(first), std::string(second), count - merged});
    });
    m_store->LearnPairs(beyond);
}

void CSyncedWords::ApplyPairs()
{
    if (!m_usage)
        return;
    const CSyncState& state = m_store->State();
    std::vector<std::tuple<std::string, std::string, std::uint32_t>> counts;  // set after the walks
    if (state.PairItemCount() != 0)
        state.ForEachLearntPair([&](std::string_view first, std::string_view second, std::uint64_t count) {
            const auto merged = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, UINT32_MAX));
            if (m_usage->PairCount(first, second) != merged)
                counts.emplace_back(first, second, merged);
        });
    // Pairs of a word forgotten elsewhere; a pair the merge has simply not seen yet stays.
    if (state.ForgottenWordCount() != 0)
        m_usage->ForEachPair([&](std::string_view first, std::string_view second, std::uint32_t) {
            if (state.PairCount(first, second) == 0 && !state.PairForgotten(first, second).IsZero())
                counts.emplace_back(first, second, 0);
        });
    for (const auto& [first, second, count] : counts)
        m_usage->SetPairCount(first, second, count, m_rankOf);
}

void CSyncedWords::SetLocalPairCount(std::string_view previous, std::string_view word, std::uint64_t count)
{
    if (m_usage)
        m_usage->SetPairCount(previous, word, static_cast<std::uint32_t>(std::min<std::uint64_t>(count, UINT32_MAX)),
                              m_rankOf);
}

void CSyncedWords::RecordPairLearnt(std::string_view previous, std::string_view word)
{
    if (!m_store || previous.empty() || word.empty() || !m_store->LearnPair(previous, word))
        return;
    SetLocalPairCount(previous, word, m_store->State().PairCount(previous, word));
}

// ---------------------------------------------------------------------------------------------
// Dictionary entries

std::string CSyncedWords::DictionaryPath(const std::string& name) const
{
    // The program folder's own separator: a backslash on Windows, a slash in native tests.
    const char separator = !m_programDirectory.empty() && m_programDirectory.back() == '/' ? '/' : '\\';
    return m_programDirectory + "Libs" + separator + name;
}

bool CSyncedWords::ReadDictionary(const std::string& name, Entries& entries) const
{
    entries.clear();
    CDictionaryFile file;
    if (!file.Open(DictionaryPath(name), true))
        return false;
    std::string key, data;
    const int rows = file.CountEntries();
    for (int row = 0; row < rows; ++row)
        if (file.ReadEntry(row, key, data))
            entries.emplace(key, data);  // a repeated key: its first entry, as lookups find it
    return true;
}

void CSyncedWords::RecordLocalEntries(bool folderIsNew)
{
    // Entries the merge never saw; when the folder is new, each local one that differs from it.
    const CSyncState& state = m_store->State();
    for (const auto& [name, entries] : m_known) {
        for (const auto& [key, data] : entries) {
            const std::string* merged = state.Entry(name, key);
            const bool unseen = state.StampOf(SyncKind::Entry, name, key).IsZero();
            if (unseen || (folderIsNew && (!merged || *merged != data)))
                m_store->SetEntry(name, key, data);
        }
    }
}

void CSyncedWords::RecordDictionaryEdits()
{
    if (!m_store)
        return;
    for (auto& [name, known] : m_known) {
        Entries now;
        ReadDictionary(name, now);
        for (const auto& [key, data] : now) {
            const auto before = known.find(key);
            if (before == known.end() || before->second != data)
                m_store->SetEntry(name, key, data);
        }
        for (const auto& [key, data] : known)
            if (now.find(key) == now.end())
                m_store->DeleteEntry(name, key);
        known = std::move(now);
    }
}

bool CSyncedWords::ApplyEntries()
{
    const CSyncState& state = m_store->State();
    std::map<std::string, std::map<std::string, const std::string*>> changes;
    state.ForEachEntry([&](std::string_view name, std::string_view key, const std::string& data) {
        const auto known = m_known.find(std::string(name));
        if (known == m_known.end())
            return;
        const auto local = known->second.find(std::string(key));
        if (local == known->second.end() || local->second != data)
            changes[known->first][std::string(key)] = &data;
    });
    for (const auto& [name, entries] : m_known)
        for (const auto& [key, data] : entries)
            if (!state.Entry(name, key) && !state.StampOf(SyncKind::Entry, name, key).IsZero())
                changes[name][key] = nullptr;  // deleted elsewhere
    bool written = false;
    for (const auto& [name, edits] : changes)
        written = WriteEntries(name, edits) || written;
    return written;
}

// An ANSI file that cannot hold a merged text (another PC's script) becomes UTF-8 first: stored
// with its characters lost, the entry would differ from the merge again at every start.
bool CSyncedWords::OpenToWrite(const std::string& path, const std::map<std::string, const std::string*>& changes,
                               CDictionaryFile& file) const
{
    if (!FileExists(path) || !file.Open(path) || file.IsReadOnly())
        return false;
    const bool fits = std::all_of(changes.begin(), changes.end(), [&](const auto& change) {
        return file.CanHold(change.first) && (!change.second || file.CanHold(*change.second));
    });
    if (fits)
        return true;
    file.Close();
    return CopyAsUtf8(path, path) && file.Open(path) && !file.IsReadOnly();
}

bool CSyncedWords::WriteEntries(const std::string& name, const std::map<std::string, const std::string*>& changes)
{
    const auto known = m_known.find(name);
    if (known == m_known.end() || changes.empty())
        return false;
    CDictionaryFile file;
    if (!OpenToWrite(DictionaryPath(name), changes, file)) {
        m_problems.push_back({DictionaryPath(name), "the merged entries cannot be written there"});
        return false;
    }
    // Every change first, then one commit: a commit writes the whole file.
    using Commit = CDictionaryFile::EditCommit;
    Entries& entries = known->second;
    Entries written = entries;
    CStoredEntries added;
    std::string storedKey, storedData;
    for (const auto& [key, data] : changes) {
        const auto local = entries.find(key);
        if (!data) {
            if (local == entries.end() || file.RemoveEntry(key, Commit::Later))
                written.erase(key);
        } else if (local == entries.end()) {
            file.EncodeKey(key, storedKey);
            file.EncodeData(*data, storedData);
            if (storedKey.empty())
                continue;  // no key the file can hold
            added.Add(storedKey, storedData);
            written[key] = *data;
        } else if (local->second == *data || file.ReplaceEntry(key, key, *data, Commit::Later)) {
            written[key] = *data;
        }
    }
    if ((added.Size() > 0 && !file.AddStoredEntries(std::move(added))) || !file.Commit()) {
        // The file keeps its entries; the next change or start tries again.
        m_problems.push_back({DictionaryPath(name), "the merged entries cannot be written there"});
        return false;
    }
    file.Close();
    const bool changed = written != entries;
    entries = std::move(written);
    return changed;
}

// ---------------------------------------------------------------------------------------------
// Settings

void CSyncedWords::RecordLocalSettings(bool folderIsNew)
{
    m_knownSettings = TextsOf(m_settings);
    const SettingTexts defaults = TextsOf(SettingsRecord());
    const CSyncState& state = m_store->State();
    for (const auto& [name, text] : m_knownSettings) {
        const std::size_t split = name.find('\n');
        const std::string section = name.substr(0, split), key = name.substr(split + 1);
        const bool unseen = state.StampOf(SyncKind::Setting, section, key).IsZero();
        const std::string* merged = state.Setting(section, key);
        // Defaults of a PC that never chose are no choice: a new folder takes the user's values.
        if (unseen || (folderIsNew && merged && *merged != text && text != defaults.at(name)))
            m_store->SetSetting(section, key, text);
    }
}

void CSyncedWords::RecordSettings(const SettingsRecord& settings)
{
    m_settings = settings;
    if (!m_store)
        return;
    for (const auto& [name, text] : TextsOf(settings)) {
        std::string& known = m_knownSettings[name];
        if (known == text)
            continue;
        known = text;
        const std::size_t split = name.find('\n');
        m_store->SetSetting(name.substr(0, split), name.substr(split + 1), text);
    }
}

bool CSyncedWords::ApplySettings()
{
    SettingTexts texts = AllTextsOf(m_settings);
    bool changed = false;
    m_store->State().ForEachSetting([&](std::string_view section, std::string_view key, const std::string& value) {
        const std::string name = SettingName(std::string(section), std::string(key));
        const auto local = texts.find(name);
        if (local != texts.end() && IsSyncedSetting(std::string(section), std::string(key)) && local->second != value) {
            local->second = value;
            changed = true;
        }
    });
    if (!changed)
        return false;
    const SettingsTextReader reader{texts};
    for (const char* section : {settings_sections::kAutoLearn, settings_sections::kHotKeys, settings_sections::kOthers})
        ReadSettings(reader, section, m_settings);
    m_knownSettings = TextsOf(m_settings);
    return true;
}
