#include "app/EngineHost.h"
#include "app/ThreadPost.h"

#include <functional>
#include <memory>
#include <string>

#include "app/ThreadMessages.h"
#include "base/ProgramPaths.h"
#include "base/WindowTree.h"
#include "config/AppSettings.h"
#include "base/Utf8Text.h"
#include "dict/CodePage.h"
#include "wnd/Window.h"

namespace {

const char kEngineWindowClass[] = "PennivoxEngine";

PlatformServices MakePlatform(IPromptView* view, IEngineScheduler* scheduler, IFocusTracker* focus, IDesktop* desktop,
                              IFileSystem* files, IKeyOutput* output, const CClock* clock)
{
    return PlatformServices{view, scheduler, focus, desktop, files, output, clock, &Utf8CodePage(), &SystemCodePage()};
}

}  // namespace

CEngineHost::CEngineHost(HWND viewWindow, HWND promptWindow, std::atomic<unsigned>* latestSerial)
    : m_viewWindow(viewWindow),
      m_promptWindow(promptWindow),
      m_problems(viewWindow),
      m_hooks(m_problems),
      m_desktop([this](HWND w) { return m_settingsBridge.IsAppEnabled(w); }),
      m_prompt(viewWindow, promptWindow, latestSerial, m_caretTracker),
      m_core(MakePlatform(&m_prompt, &m_pacer, &m_caretTracker, &m_desktop, &m_files, &m_output, &m_clock),
             m_settingsBridge.EnableStore()),
      m_engine(m_core.Engine()),
      m_learning(m_core),
      m_sync(m_core, m_problems)
{
    m_caretTracker.SetEditBoxRule([this](HWND w) {
        // The rule walks the control's parents in the other process: once per focus window, not per key.
        if (!m_ruleKnown || w != m_ruleWindow) {
            m_ruleWindow = w;
            m_ruleVerdict = m_settingsBridge.EditBoxRule(w);
            m_ruleKnown = true;
        }
        return m_ruleVerdict;
    });
    m_core.SetAutoLearnWriteFailedHandler([this] { TellAutoLearnProblem(); });
    m_core.SetLearntHandler([this](const std::string& word) { m_sync.RecordLearnt(word); });
    m_engine.Usage().SetPairLearntHandler(
        [this](std::string_view previous, std::string_view word) { m_sync.RecordPairLearnt(previous, word); });
    ApplySettings();
}

CEngineHost::~CEngineHost()
{
    if (wnd::CWindow::Handle())
        OnStop();
}

bool CEngineHost::Create()
{
    if (!wnd::RegisterWindowClass(kEngineWindowClass))
        return false;
    RECT none{};
    if (!wnd::CWindow::Create(kEngineWindowClass, "", 0, 0, none, HWND_MESSAGE))
        return false;
    m_files.SetNotifyWindow(Window());
    m_pacer.AttachWindow(Window());
    m_pacer.SetWorkLog(&m_workLog);
    m_pacer.SetAnswerSink([this](KeyAnswer answer) { m_hooks.AnswerKey(answer); });
    m_prompt.AttachWindow(Window());
    m_learning.AttachWindow(Window());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CEngineHost::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const CEngineWorkLog::Entry entry(m_workLog, WorkKind(msg), WorkDetail(msg, wParam, lParam));
    const LRESULT result = OnMessage(msg, wParam, lParam);
    const CEngineWorkLog::Entry publishing(m_workLog, "publish", 0);
    PublishGateRules();
    m_prompt.Publish();
    return result;
}

void CEngineHost::PublishGateRules()
{
    KeyGateRules rules = m_engine.GateRules();
    rules.keysDecided = m_keysDecided;
    if (!m_gateRules || rules != *m_gateRules) {
        m_gateRules = rules;
        m_hooks.PublishRules(rules);
    }
}

const char* CEngineHost::WorkKind(UINT msg)
{
    switch (msg) {
        case WM_HOOK_KEY:
            return "key";
        case WM_ENGINE_KEY_PASSED:
            return "passed";
        case WM_PROMPT_SEARCH:
            return "search";
        case WM_PROMPT_COMPLETE:
            return "complete";
        case WM_TIMER:
            return "timer";
        case WM_ENGINE_CALL:
        case WM_ENGINE_HOST_CALL:
            return "call";
        default:
            return "message";
    }
}

std::uint32_t CEngineHost::WorkDetail(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_HOOK_KEY || msg == WM_ENGINE_KEY_PASSED)
        return static_cast<std::uint32_t>(lParam);  // virtual key << 8, release flag
    return msg == WM_TIMER ? static_cast<std::uint32_t>(wParam) : msg;
}

LRESULT CEngineHost::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_HOOK_KEY:
            return OnHookKey(wParam, lParam);
        case WM_ENGINE_KEY_PASSED:
            OnPassedKey(wParam, lParam);
            return 0;
        case WM_ENGINE_KEYS_ANSWERED:
            TakeWaitingKeys();
            return 0;
        case WM_PROMPT_SEARCH:
            return OnSearch();
        case WM_PROMPT_COMPLETE:
            return OnComplete();
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_ENGINE_LOAD:
            OnLoad();
            return 0;
        case WM_ENGINE_APPLY_SETTINGS:
            ApplySettings();
            FollowSyncFolder();
            return 0;
        case WM_ENGINE_SYNC_PREPARED:
            TakeUpSync(m_sync.OnPrepared(wParam));
            return 0;
        case WM_ENGINE_RELOAD_DICTIONARIES:
            m_sync.RecordDictionaryEdits();
            LoadDictionaries();
            m_problems.TellUnloadedDictionaries(m_core.Dictionaries());
            return 0;
        case WM_ENGINE_SET_ENABLED:
            SetEnabled(wParam != 0);
            return 0;
        case WM_ENGINE_ROW_CLICKED:
        case WM_ENGINE_ROW_DOUBLE_CLICKED:
            OnRowClicked(static_cast<int>(wParam), static_cast<unsigned>(lParam), msg == WM_ENGINE_ROW_DOUBLE_CLICKED);
            return 0;
        case WM_ENGINE_DEBUG_HANG:
            if (lParam == 1)
                m_hangAfterCompletionMs = static_cast<DWORD>(wParam);
            else
                ::Sleep(static_cast<DWORD>(wParam));
            return 0;
        case WM_ENGINE_STOP:
            OnStop();
            return 0;
        case WM_ENGINE_FOLDER_LISTED:
            m_files.TakeListing(threadpost::TakePosted<FolderListing>(lParam));
            m_engine.SearchAgain();
            return 0;
        case WM_ENGINE_CALL:
            if (wParam)
                (*reinterpret_cast<const std::function<void(ILearningDesk&)>*>(wParam))(*this);
            return 0;
        case WM_ENGINE_HOST_CALL:
            if (wParam)
                (*reinterpret_cast<const std::function<void(CEngineHost&)>*>(wParam))(*this);
            return 0;
        default:
            return wnd::CWindow::HandleMessage(msg, wParam, lParam);
    }
}

int CEngineHost::OnHookKey(WPARAM report, LPARAM keyInfo)
{
    // The keys that came before this one go first.
    TakeWaitingKeys();
    if (!m_hooks.TakeUpKey(CKeyGate::SerialOf(report)))
        return 1;  // the gate answered it, and it came among the waiting keys
    ++m_keysDecided;
    const KeyReport key = KeyReport::FromHook(CKeyGate::UnitsOf(report), static_cast<unsigned>(keyInfo));
    m_pacer.NoteKey(key);
    KeyAnswer answer = KeyAnswer::Pass;
    if (m_hooks.Installed())  // switched off: every key passes untouched
        answer = m_pacer.Report([&] { return m_engine.OnHookKey(key); });
    m_hooks.AnswerKey(answer);
    return static_cast<int>(answer);
}

void CEngineHost::TakeWaitingKeys()
{
    TakePassedKeys();
    for (const CKeyGate::AnsweredKey& answered : m_hooks.TakeAnsweredKeys()) {
        ++m_keysDecided;
        const CEngineWorkLog::Entry entry(m_workLog, "answered-by-gate", answered.key.vk);
        if (!m_hooks.Installed()) {
            // Switched off meanwhile: a key the gate swallowed still reaches the target.
            if (answered.answer == KeyAnswer::Swallow && !KeyGateRules::IsOwnInputMarkerKey(answered.key.vk))
                m_engine.TypeAgain(answered.key);
        } else if (answered.answer == KeyAnswer::Pass) {
            m_engine.OnPassedKey(answered.key);
        } else {
            m_engine.OnSwallowedKey(answered.key);
        }
    }
}

void CEngineHost::OnPassedKey(WPARAM units, LPARAM keyInfo)
{
    const KeyReport key = KeyReport::FromHook(CKeyGate::UnitsOf(units), static_cast<unsigned>(keyInfo));
    m_pacer.NoteKey(key);
    if (m_hooks.Installed())
        m_engine.OnPassedKey(key);
}

void CEngineHost::TakePassedKeys()
{
    MSG msg;
    while (::PeekMessageW(&msg, Window(), WM_ENGINE_KEY_PASSED, WM_ENGINE_KEY_PASSED, PM_REMOVE)) {
        const CEngineWorkLog::Entry entry(m_workLog, "passed", static_cast<std::uint32_t>(msg.lParam));
        OnPassedKey(msg.wParam, msg.lParam);
    }
}

int CEngineHost::OnSearch()
{
    if (m_engine.HasQueuedSearches())
        WaitForRelease();
    m_engine.SearchTyped();
    m_learning.ScheduleSave();
    return 0;
}

void CEngineHost::WaitForRelease()
{
    for (LONGLONG left = m_pacer.ReleaseWaitUs(); left > 0; left = m_pacer.ReleaseWaitUs()) {
        const DWORD ms = static_cast<DWORD>((left + 999) / 1000);
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_POSTMESSAGE | QS_SENDMESSAGE) != WAIT_OBJECT_0)
            return;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // runs the keys sent
        TakePassedKeys();
    }
}

int CEngineHost::OnComplete()
{
    const bool typed = m_engine.RunQueuedCompletion();
    if (typed && m_hangAfterCompletionMs) {
        ::Sleep(m_hangAfterCompletionMs);
        m_hangAfterCompletionMs = 0;
    }
    return typed ? 1 : 0;
}

void CEngineHost::OnTimer(UINT_PTR id)
{
    if (m_pacer.OnTimer(id, m_engine))
        return;
    if (id == TIMER_SAVE_USAGE)
        m_learning.OnSaveTimer();
    else if (id == TIMER_FOLLOW_CARET) {
        StepAsideForOwnWindow();
        m_prompt.OnFollowCaretTimer();
    } else if (id == CSyncHandOver::TIMER_SYNC_REFRESH)
        TakeUpSync(m_sync.OnRefreshTimer());
}

// ---------------------------------------------------------------------------------------------
// Loading, settings, switching

void CEngineHost::OnLoad()
{
    const bool noDictionary = !LoadDictionaries();
    m_core.BringPagesIn();
    const std::string directory = m_settingsBridge.ProgramDirectory();
    if (!directory.empty())
        m_core.OpenAutoLearn(pvbase::AutoLearnPath(directory));
    m_problems.TellUnloadedDictionaries(m_core.Dictionaries());
    m_problems.TellUnsavableFolder(directory, m_core.AutoLearn());
    if (!directory.empty() && !m_core.AutoLearn().IsOpen())
        TellAutoLearnProblem();
    m_loaded = true;
    FollowSyncFolder();
    SetEnabled(true);
    m_caretTracker.Start(this);
    m_caretTracker.SyncFocus();  // a control focused before start-up raises no event for us
    ::PostMessageW(m_viewWindow, WM_VIEW_LOADED, noDictionary ? 1 : 0, 0);
}

bool CEngineHost::LoadDictionaries()
{
    m_engine.ClearCandidates();
    const std::string directory = m_settingsBridge.ProgramDirectory();
    if (directory.empty())
        return true;  // no program path: nothing is loaded, nothing is said
    ::CreateDirectoryW(Widen(pvbase::LibsDirectory(directory)).c_str(), nullptr);  // an existing one stays
    return m_core.LoadDictionaries(pvbase::DictionaryPattern(directory));
}

void CEngineHost::TellAutoLearnProblem()
{
    m_problems.TellAutoLearnProblem(m_settingsBridge.ProgramDirectory(), m_core.AutoLearn());
}

void CEngineHost::ApplySettings()
{
    m_ruleKnown = false;  // the rules may have changed
    m_core.ApplySettings(m_settingsBridge.Load());
    m_prompt.SetPageSize(m_engine.PageSize());
    m_prompt.SetRowLabels(IndexKeyLabels(m_core.Settings()));
}

void CEngineHost::FollowSyncFolder()
{
    if (m_loaded)
        TakeUpSync(m_sync.Follow(Window(), m_settingsBridge.ProgramDirectory(), m_core.Settings()));
}

void CEngineHost::TakeUpSync(const CSyncedWords::Outcome& outcome)
{
    if (outcome.dictionariesWritten) {
        LoadDictionaries();
        m_problems.TellUnloadedDictionaries(m_core.Dictionaries());
    }
    if (outcome.settingsChanged) {
        // Saved as the Options pages save them, then taken up as after the dialog.
        CAppSettings& file = m_settingsBridge.Settings();
        file.LoadAll();
        CopySettings(settings_sections::kAll, m_sync.MergedSettings(), file.Values());
        file.Values().strSyncFolder = m_core.Settings().strSyncFolder;
        file.Values().dwEnableZel = m_core.Settings().dwEnableZel;
        file.SaveAutoLearn();
        file.SaveHotKeys();
        file.SaveOthers();
        ApplySettings();
    }
}

void CEngineHost::StepAsideForOwnWindow()
{
    // The tray menu or another window of this program came to the front, which no key tells of:
    // the prompt makes way. The typed text stays; the next key in the target shows it again.
    const HWND front = ::GetForegroundWindow();
    DWORD process = 0;
    if (!front || !::GetWindowThreadProcessId(front, &process) || process != ::GetCurrentProcessId())
        return;
    const HWND top = pvbase::TopLevelWindow(front);
    if (top == m_promptWindow || top == Window())
        return;
    // The window the prompt serves (in this process only in tests) is no reason to step aside.
    for (HWND target : {m_caretTracker.FocusHwnd(), m_caretTracker.EventCaretWindow()}) {
        if (target && pvbase::TopLevelWindow(target) == top)
            return;
    }
    m_prompt.ShowPrompt(false);
    m_prompt.Publish();
}

void CEngineHost::SetEnabled(bool enabled)
{
    TakeWaitingKeys();              // they came while it was on
    m_engine.RestoreWindowText(0);  // forget the typed text
    m_hooks.Set(Window(), enabled);
    m_prompt.ShowPrompt(false);
}

void CEngineHost::OnRowClicked(int row, unsigned pageSerial, bool doubleClick)
{
    if (!m_prompt.IsOnPage(row, pageSerial))
        return;  // a page that is gone
    if (doubleClick) {
        m_engine.OnRowDoubleClicked(row);
        return;
    }
    m_prompt.PickRow(row);
    m_engine.OnRowSelected(row);
}

void CEngineHost::OnStop()
{
    m_hooks.Stop();
    m_caretTracker.Stop();
    m_learning.WaitForWriter();
    m_sync.Stop(Window());
    m_core.Close();
    m_workLog.Write();
    m_prompt.StopFollowingCaret();
    Destroy();
    // Nothing more is posted or timed on the window that is gone.
    m_pacer.AttachWindow(nullptr);
    m_prompt.AttachWindow(nullptr);
    m_learning.AttachWindow(nullptr);
    ::PostQuitMessage(0);
}

// ---------------------------------------------------------------------------------------------
// The caret tracker's notifications (from its event callback, outside any message of ours)

void CEngineHost::RefreshPrompt()
{
    const CEngineWorkLog::Entry entry(m_workLog, "caret", 0);
    m_prompt.FollowCaret();
    m_prompt.Publish();
}

void CEngineHost::SaveWindowText(HWND window)
{
    const CEngineWorkLog::Entry entry(m_workLog, "focus-left", 0);
    m_engine.SaveWindowText(ToHandle(window));
    m_prompt.Publish();
}

void CEngineHost::RestoreWindowText(HWND window)
{
    const CEngineWorkLog::Entry entry(m_workLog, "focus-came", 0);
    m_ruleKnown = false;  // a new focus window; its handle may be a reused one
    m_engine.RestoreWindowText(ToHandle(window));
    m_prompt.Publish();
}

void CEngineHost::RunOnHost(HWND window, const std::function<void(CEngineHost&)>& work)
{
    ::SendMessageW(window, WM_ENGINE_HOST_CALL, reinterpret_cast<WPARAM>(&work), 0);
}
