// The program's main window: the prompt under the caret, the receiver of the hook's key
// reports, and the owner of the engine, the dictionaries, the caret tracker and the preview.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ProgramServices.h"
#include "app/SettingsBridge.h"
#include "app/engine/CompletionEngine.h"
#include "app/win/CaretTracker.h"
#include "app/win/PreviewWindow.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/DictionarySet.h"
#include "textout/TimeFormat.h"
#include "wnd/Controls.h"
#include "wnd/Dialog.h"
#include "wnd/Handles.h"

class CPromptDialog : public wnd::CDialog, public IPromptView, public CCaretTracker::IOwner {
public:
    static constexpr UINT_PTR TIMER_STARTUP = 1002;
    static constexpr UINT_PTR TIMER_ACCEPT_INPUT = 1003;
    // While shown: follow a caret that no event reports (the system's caret moves after the key
    // report that showed the prompt).
    static constexpr UINT_PTR TIMER_FOLLOW_CARET = 1004;
    static constexpr UINT kFollowCaretMs = 40;
    // How long the search after a key may wait for the typing thread to take that key.
    static constexpr DWORD kKeyHeadStartMs = 1;
    static constexpr int HOTKEY_ENABLE = 1002;
    static constexpr int kLabelCount = 10;

    CPromptDialog();
    ~CPromptDialog() override;

    // The one prompt window of the program (null before it exists).
    static CPromptDialog* Instance() { return s_instance; }

    // IPromptView
    WindowHandle Handle() const override { return ToHandle(CDialog::Handle()); }
    bool IsPromptVisible() const override { return IsVisible(); }
    void ShowPrompt(bool show) override;
    int ShowRows(const std::vector<PromptRow>& rows, bool pathPage) override;
    void SelectRow(int row) override;
    void ClearRows() override;
    void ShowPreview(const std::string& text, int style) override;
    void AnswerKey(int answer) override;
    void PostSearch() override;
    void PostComplete() override;
    void StartAcceptInputTimer() override;

    // CCaretTracker::IOwner
    HWND OwnerWindow() const override { return CDialog::Handle(); }
    void RefreshPrompt() override;
    void SaveWindowText(HWND window) override;
    void RestoreWindowText(HWND window) override;

    void PlacePreview();
    void ApplySettings();
    void ToggleEnable();
    bool IsEnabled() const { return m_enabled; }

    CCompletionEngine& Engine() { return m_engine; }
    CCaretTracker& Tracker() { return m_caretTracker; }
    CDictionarySet& Dictionaries() { return m_dictionaries; }
    CPreviewWindow& Preview() { return m_preview; }
    HWND List() const { return m_list.Handle(); }
    HWND Label(int i) const { return m_labels[i]; }
    int RowHeight() const { return m_rowHeight; }

    // Tests run without the hook library and the startup timer's loading.
    void SetStartupLoading(bool load) { m_startupLoading = load; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override {}
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void OnTimer(UINT_PTR id);
    void OnStartupTimer();
    void OnClose();
    void OnDestroy();
    void OnSize(int width, int height);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    void OnWindowPosChanging(WINDOWPOS& pos);
    void OnFollowCaret();
    void StopFollowingCaret();
    // Before the window work of a search: gives the thread of a key just answered a moment to take it.
    void LetAnsweredKeyThrough();
    // Where the prompt goes: under the caret, moved to fit its monitor; false when unknown.
    bool PromptPoint(POINT& point);
    // Shown at this point with no other visible window above it: placing it again changes nothing.
    bool IsShownOnTopAt(POINT point) const;
    void ShowAbout();
    void HidePromptWindow();
    void LoadDictionaries();
    void InstallHook();
    void RemoveHook();
    void CreateRowLabels();
    // Whether the list holds exactly these rows.
    bool ListShows(const std::vector<PromptRow>& rows, bool pathPage) const;
    // Empties the list when a ClearRows is still waiting.
    void FinishClearRows();

    static CPromptDialog* s_instance;

    // Services first: the engine refers to them.
    CSettingsBridge m_settingsBridge;
    CDictionarySet m_dictionaries;
    CAutoLearnDictionary m_autoLearn;
    CCaretTracker m_caretTracker;
    CWin32Desktop m_desktop;
    CWin32FileSystem m_files;
    CDictionarySearchAdapter m_dictionarySearch;
    CAutoLearnAdapter m_autoLearnStore;
    CWin32KeyOutput m_output;
    CSystemClock m_clock;
    CCompletionEngine m_engine;

    ProgramSettings m_settings;
    CPreviewWindow m_preview;
    wnd::CListView m_list;
    HWND m_labels[kLabelCount] = {};
    wnd::IconHandle m_icon;
    wnd::ImageListHandle m_images;
    int m_rowHeight = 16;
    bool m_layoutPending = false;
    bool m_fillingList = false;  // our own selection changes are not the user's
    bool m_mayShow = false;      // the window stays hidden until the first prompt
    bool m_enabled = true;
    bool m_hookInstalled = false;
    bool m_startupLoading = true;
    bool m_oleStarted = false;
    std::uint32_t m_firstRun = 1;
    // The rows the list holds, while they are known.
    std::vector<PromptRow> m_shownRows;
    bool m_shownPathPage = false;
    bool m_shownRowsValid = false;
    bool m_clearPending = false;    // ClearRows came while the prompt was up
    bool m_keyUnanswered = false;   // a WM_HOOK_KEY is being handled and not yet answered
    bool m_followingCaret = false;  // TIMER_FOLLOW_CARET runs
    LONGLONG m_answeredAt = 0;      // when the last key was answered early (performance counter)
    // The edit-box rule of the last focus window asked about.
    HWND m_ruleWindow = nullptr;
    int m_ruleVerdict = -1;
    bool m_ruleKnown = false;
};
