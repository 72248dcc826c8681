// The engine thread's side of the program: a message-only window that the keyboard hook reports
// to, and the owner of everything a key needs — the completion engine with its typed text, the
// dictionaries, the AutoLearn store, the caret tracker and the rules. It answers each key before
// any other work and hands what the prompt must show to the window thread as a PromptState.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "app/ProgramServices.h"
#include "app/PromptState.h"
#include "app/SettingsBridge.h"
#include "app/engine/EngineCore.h"
#include "app/win/CaretTracker.h"
#include "base/WinHandles.h"
#include "textout/TimeFormat.h"
#include "wnd/Window.h"

// Zel32Host.exe beside the program: it puts the 32-bit copy of the hook in for the same window, so
// 32-bit applications report their keys too. It ends by itself when this process ends.
class CHook32Helper {
public:
    ~CHook32Helper() { Stop(); }
    // False when 64-bit Windows runs no 32-bit programs (no WOW64): there is nothing to serve.
    static bool SystemRuns32BitPrograms();
    bool Running() const;
    // Starts the helper with its hook in for `window`; false when it could not start.
    bool Start(HWND window);
    // Puts the helper's hook in or takes it out.
    void SetHook(bool installed);
    // Ends the helper, which takes its hook out; waits at most a second.
    void Stop();

private:
    pvbase::KernelHandle m_process;
    DWORD m_threadId = 0;
};

class CEngineHost : public wnd::CWindow, public IPromptView, public IEngineScheduler, public CCaretTracker::IOwner {
public:
    static constexpr UINT_PTR TIMER_ACCEPT_INPUT = 1003;
    // While shown: follow a caret that no event reports.
    static constexpr UINT_PTR TIMER_FOLLOW_CARET = 1004;
    static constexpr UINT kFollowCaretMs = 40;
    // How long keys typed behind a completion wait at most for the target to take its output. A
    // busy machine may take a few hundred milliseconds for a long output; giving up earlier lets a
    // key typed meanwhile overtake the ones held back.
    static constexpr UINT_PTR TIMER_OWN_INPUT = 1005;
    static constexpr UINT kOwnInputWaitMs = 1000;
    // What typing taught is written this long after it changed, on a thread of its own.
    static constexpr UINT_PTR TIMER_SAVE_USAGE = 1006;
    static constexpr UINT kSaveUsageMs = 30000;
    // Releases that came this soon after their press's answer are waited for before a search, by
    // their last gap plus a margin, at most kMaxHeadStartUs.
    static constexpr LONGLONG kQuickReleaseUs = 5000;
    static constexpr LONGLONG kReleaseMarginUs = 1000;
    static constexpr LONGLONG kMaxHeadStartUs = 3000;

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
    void SetHookLibrary(bool use) { m_useHookLibrary = use; }
    // Takes over a store built (and opened) beside AutoLearn.dic: moves its file over
    // AutoLearn.dic and learns into it from now on. False, with the old store kept, when the file
    // cannot be moved. Quick: the store was read on the caller's thread.
    bool AdoptAutoLearn(std::unique_ptr<CAutoLearnDictionary> store) { return m_core.AdoptAutoLearn(std::move(store)); }
    const std::vector<AutoLearnRecord>& LearntWords() { return m_core.AutoLearn().Records(); }
    // Delete All on the AutoLearn page: what typing taught goes too.
    bool ForgetUsage();

    // IPromptView
    WindowHandle Handle() const override { return ToHandle(m_promptWindow); }
    bool IsPromptVisible() const override { return m_state.visible; }
    void ShowPrompt(bool show) override;
    int ShowRows(const std::vector<PromptRow>& rows, bool pathPage) override;
    void SelectRow(int row) override;
    void ClearRows() override;
    void ShowPreview(const std::string& text, int style) override;

    // IEngineScheduler
    void AnswerKey(int answer) override;
    void PostSearch() override;
    void PostComplete() override;
    void StartAcceptInputTimer() override;
    void StartOwnInputTimer() override;

    // CCaretTracker::IOwner
    HWND OwnerWindow() const override { return wnd::CWindow::Handle(); }
    void RefreshPrompt() override;
    void SaveWindowText(HWND window) override;
    void RestoreWindowText(HWND window) override;

    CCompletionEngine& Engine() { return m_core.Engine(); }
    CCaretTracker& Tracker() { return m_caretTracker; }
    CDictionarySet& Dictionaries() { return m_core.Dictionaries(); }
    const PromptState& State() const { return m_state; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    int OnHookKey(WPARAM chars, LPARAM keyInfo);
    // Before a search's work: lets a key report that is about to come be answered first.
    void LetNextKeyIn();
    void NoteReleaseGap(const KeyReport& key);
    static LONGLONG MicrosecondsNow();
    void OnLoad();
    // False when no dictionary could be loaded.
    bool LoadDictionaries();
    // What could not be loaded, or cannot be saved where the program lies: told once per file.
    void TellUnloadedDictionaries();
    void TellUnsavableFolder();
    void TellAutoLearnProblem();
    void TellFileProblem(const std::string& file, const std::string& text);
    void ApplySettings();
    void SetEnabled(bool enabled);
    // The helper started (or told to put its hook in again); said once when it cannot start.
    void Enable32BitHook();
    void OnRowClicked(int row, unsigned pageSerial, bool doubleClick);
    void OnTimer(UINT_PTR id);
    void OnStop();
    void StopFollowingCaret();
    void ScheduleUsageSave();
    void SaveUsageInBackground();
    void WaitForUsageWriter();
    // Hands the prompt's state to the window thread when it changed.
    void Publish();

    HWND m_viewWindow;
    HWND m_promptWindow;
    std::atomic<unsigned>* m_latestSerial;
    bool m_useHookLibrary = true;
    bool m_hookInstalled = false;
    CHook32Helper m_hook32;
    bool m_hook32FailureTold = false;

    // Services first: the engine refers to them.
    CSettingsBridge m_settingsBridge;
    CCaretTracker m_caretTracker;
    CWin32Desktop m_desktop;
    CBackgroundFileSystem m_files;
    CWin32KeyOutput m_output;
    CSystemClock m_clock;
    CEngineCore m_core;
    CCompletionEngine& m_engine;

    bool m_usageSaveScheduled = false;
    std::thread m_usageWriter;

    PromptState m_state;
    bool m_changed = false;
    bool m_keyUnanswered = false;  // a WM_HOOK_KEY is being handled and not yet answered
    bool m_followingCaret = false;
    LONGLONG m_answeredAt = 0;  // when the last key was answered early (microseconds)
    unsigned m_pressKey = 0;    // the last key pressed, and when its press was answered
    LONGLONG m_pressAnsweredAt = 0;
    LONGLONG m_releaseGapUs = kQuickReleaseUs + 1;  // from a press's answer to its release's report
    // The edit-box rule of the last focus window asked about.
    HWND m_ruleWindow = nullptr;
    int m_ruleVerdict = -1;
    bool m_ruleKnown = false;
    std::set<std::string> m_toldFiles;  // files whose trouble the user was told
};
