// The sync folder on the engine thread: the store opened when the setting names a folder (and
// again when it changes), a refresh at start-up and every kRefreshMs on a timer of its own, and
// the local changes recorded as they happen (learning, the AutoLearn page, the editor, Options).
// Every PC's log is read on a thread of its own (start-up does not wait for a big folder); the
// engine thread then takes the store up (WM_ENGINE_SYNC_PREPARED). Words learnt meanwhile wait
// for it; an editor commit or an AutoLearn page save waits until it is taken up.
// What another PC changed is written into the local files here: the dictionaries are then
// reloaded and merged settings saved and applied by the host. Never on a key's path: timers and
// posted messages only.
#pragma once

#include <windows.h>

#include <future>
#include <set>
#include <string>
#include <vector>

#include "app/engine/SyncedWords.h"

class CEngineCore;
class CFileProblemTeller;

class CSyncHandOver {
public:
    static constexpr UINT_PTR TIMER_SYNC_REFRESH = 1007;
    static constexpr UINT kRefreshMs = 2000;

    CSyncHandOver(CEngineCore& core, CFileProblemTeller& problems) : m_core(core), m_problems(problems) {}
    CSyncHandOver(const CSyncHandOver&) = delete;
    CSyncHandOver& operator=(const CSyncHandOver&) = delete;

    // The settings now in force (start-up, Options saved): opens, closes or moves the store when
    // the folder changed, else records the synced settings that changed. What came of it is in
    // the outcome.
    CSyncedWords::Outcome Follow(HWND window, const std::string& programDirectory, const SettingsRecord& settings);
    // WM_ENGINE_SYNC_PREPARED: the store read on its thread is opened here.
    CSyncedWords::Outcome OnPrepared(WPARAM serial);
    // TIMER_SYNC_REFRESH.
    CSyncedWords::Outcome OnRefreshTimer();
    void RecordLearnt(const std::string& word);
    // The usage store counted a pair of words.
    void RecordPairLearnt(std::string_view previous, std::string_view word);
    // Documents taught the usage store: the pairs they brought.
    void AfterTeaching();
    // The AutoLearn page's save: the words that left the store are forgotten everywhere.
    void BeforeAutoLearnAdopted();
    void AfterAutoLearnAdopted();
    // The editor committed: WM_ENGINE_RELOAD_DICTIONARIES.
    void RecordDictionaryEdits();
    const SettingsRecord& MergedSettings() const { return m_words ? m_words->Settings() : m_noSettings; }
    void Stop(HWND window);

private:
    bool IsPreparing() const { return m_preparing.valid(); }
    void StartPreparing(HWND window, const std::string& folder);
    // Takes the store up now (waiting for its reading): before a change that must not be lost.
    CSyncedWords::Outcome FinishPreparing();
    CSyncedWords::Outcome TakeUp(std::unique_ptr<CSyncedWords::Opening> opening);
    void GiveUpPreparing();
    void TellProblems();

    CEngineCore& m_core;
    CFileProblemTeller& m_problems;
    std::unique_ptr<CSyncedWords> m_words;
    std::string m_programDirectory;
    std::set<std::string> m_wordsBeforeAdoption;
    SettingsRecord m_noSettings;

    HWND m_window = nullptr;
    std::future<std::unique_ptr<CSyncedWords::Opening>> m_preparing;
    WPARAM m_preparingSerial = 0;
    std::string m_preparingFolder;
    SettingsRecord m_preparingSettings;  // the latest settings, taken up with the store
    std::vector<std::string> m_learntWhilePreparing;
    std::vector<std::pair<std::string, std::string>> m_pairsWhilePreparing;
    CSyncedWords::Outcome m_heldOutcome;  // of a take-up no message asked for: with the next refresh
};
