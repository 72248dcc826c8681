// The engine thread's side of the program: a message-only window that the keyboard hook reports
// to, and the owner of everything a key needs — the completion engine with its typed text, the
// dictionaries, the AutoLearn store, the caret tracker and the rules. It hands each message to the
// part that owns its work: keys to the key pacer and the engine, what the prompt shows to the
// prompt-state builder (which hands it to the window thread as a PromptState), learning to the
// hand-over, the hooks to the hook switch.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/EngineWorkLog.h"
#include "app/FileProblemTeller.h"
#include "app/HookSwitch.h"
#include "app/KeyPacer.h"
#include "app/LearningDesk.h"
#include "app/LearningHandOver.h"
#include "app/ProgramServices.h"
#include "app/PromptStateBuilder.h"
#include "app/SettingsBridge.h"
#include "app/SyncHandOver.h"
#include "app/engine/EngineCore.h"
#include "app/win/CaretTracker.h"
#include "textout/TimeFormat.h"
#include "wnd/Window.h"

class CEngineHost : public wnd::CWindow, public CCaretTracker::IOwner, public ILearningDesk {
public:
    // viewWindow receives the states and the loading report; promptWindow is the prompt itself
    // (the engine never completes into it). latestSerial tells the window thread which state is
    // the newest, so it can skip older ones.
    CEngineHost(HWND viewWindow, HWND promptWindow, std::atomic<unsigned>* latestSerial);
    ~CEngineHost() override;

    // Creates the message-only window on the calling thread.
    bool Create();
    // The message-only window the hook reports to.
    HWND Window() const { return wnd::CWindow::Handle(); }
    // Tests run without the hook library.
    void SetHookLibrary(bool use) { m_hooks.UseHookLibrary(use); }

    // CCaretTracker::IOwner
    HWND OwnerWindow() const override { return wnd::CWindow::Handle(); }
    void RefreshPrompt() override;
    void SaveWindowText(HWND window) override;
    void RestoreWindowText(HWND window) override;

    CCompletionEngine& Engine() { return m_core.Engine(); }
    CCaretTracker& Tracker() { return m_caretTracker; }
    CDictionarySet& Dictionaries() { return m_core.Dictionaries(); }
    CPromptStateBuilder& Prompt() { return m_prompt; }
    // ILearningDesk
    CLearningHandOver& Learning() override { return m_learning; }
    CSyncHandOver& Sync() override { return m_sync; }
    int RankOf(const std::string& word) override { return Dictionaries().RankOf(word); }

    // Runs work on the engine thread of window and waits for it: for tests, which look at the
    // whole host. The program's window thread reaches only the learning desk (CEngineThread::Call).
    static void RunOnHost(HWND window, const std::function<void(CEngineHost&)>& work);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    static const char* WorkKind(UINT msg);
    static std::uint32_t WorkDetail(UINT msg, WPARAM wParam, LPARAM lParam);
    int OnHookKey(WPARAM report, LPARAM keyInfo);
    void OnPassedKey(WPARAM units, LPARAM keyInfo);
    // Runs the passed keys still queued, in order.
    void TakePassedKeys();
    // Those, then the keys the gate answered because the engine was late.
    void TakeWaitingKeys();
    void PublishGateRules();
    int OnSearch();
    int OnComplete();
    // Before a search: the release of the last press, if it is about to come, is handled first.
    void WaitForRelease();
    void OnLoad();
    // False when no dictionary could be loaded.
    bool LoadDictionaries();
    void TellAutoLearnProblem();
    void ApplySettings();
    // The sync folder's store follows the settings; what another PC changed is taken up.
    void FollowSyncFolder();
    void TakeUpSync(const CSyncedWords::Outcome& outcome);
    void SetEnabled(bool enabled);
    // While the prompt shows: hidden when one of this program's windows is in front.
    void StepAsideForOwnWindow();
    void OnRowClicked(int row, unsigned pageSerial, bool doubleClick);
    void OnTimer(UINT_PTR id);
    void OnStop();

    HWND m_viewWindow;
    HWND m_promptWindow;
    CEngineWorkLog m_workLog;
    CFileProblemTeller m_problems;
    CHookSwitch m_hooks;

    // Services first: the engine refers to them.
    CSettingsBridge m_settingsBridge;
    CCaretTracker m_caretTracker;
    CWin32Desktop m_desktop;
    CBackgroundFileSystem m_files;
    CWin32KeyOutput m_output;
    CSystemClock m_clock;
    CPromptStateBuilder m_prompt;
    CKeyPacer m_pacer;
    CEngineCore m_core;
    CCompletionEngine& m_engine;
    CLearningHandOver m_learning;
    CSyncHandOver m_sync;
    bool m_loaded = false;

    std::uint64_t m_keysDecided = 0;          // keys the engine answered itself
    DWORD m_hangAfterCompletionMs = 0;        // a test's stall, armed for the next completion
    std::optional<KeyGateRules> m_gateRules;  // published last

    // The edit-box rule of the last focus window asked about.
    HWND m_ruleWindow = nullptr;
    int m_ruleVerdict = -1;
    bool m_ruleKnown = false;
};
