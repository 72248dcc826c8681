// What typing taught, handed over on the engine thread: to the disk a while after it changed (on a
// thread of its own, so that no key waits for the disk), and to and from the AutoLearn page.
#pragma once

#include <windows.h>

#include "app/ThreadMessages.h"

#include <memory>
#include <thread>
#include <vector>

#include "app/engine/EngineCore.h"
#include "dict/TaughtWords.h"

class CLearningHandOver {
public:
    static constexpr UINT kSaveUsageMs = 30000;

    explicit CLearningHandOver(CEngineCore& core) : m_core(core) {}
    ~CLearningHandOver() { WaitForWriter(); }
    CLearningHandOver(const CLearningHandOver&) = delete;
    CLearningHandOver& operator=(const CLearningHandOver&) = delete;

    // Takes over a store built (and opened) beside AutoLearn.dic: moves its file over
    // AutoLearn.dic and learns into it from now on. False, with the old store kept, when the file
    // cannot be moved. Quick: the store was read on the caller's thread.
    bool AdoptAutoLearn(std::unique_ptr<CAutoLearnDictionary> store) { return m_core.AdoptAutoLearn(std::move(store)); }
    const std::vector<AutoLearnRecord>& LearntWords() { return m_core.AutoLearn().Records(); }
    // Delete All on the AutoLearn page: what typing taught goes too.
    bool ForgetUsage();
    // Words taught from documents: counted into the usage store, which is then written.
    void Teach(const CTaughtWords& taught, const CTaughtWords::RankOf& rankOf);
    // Words deleted on the AutoLearn page: their counts and pairs go, and the file is written anew.
    void ForgetWords(const std::vector<std::string>& words);

    // The engine window, whose timer saves (nullptr: none any more).
    void AttachWindow(HWND window) { m_window = window; }
    // After a search: the save is due kSaveUsageMs after the first change.
    void ScheduleSave();
    // TIMER_SAVE_USAGE.
    void OnSaveTimer();
    void WaitForWriter();

private:
    void SaveInBackground();
    HWND m_window = nullptr;

    CEngineCore& m_core;
    bool m_saveScheduled = false;
    std::thread m_writer;
};
