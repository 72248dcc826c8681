#include "app/EngineHost.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "app/ThreadMessages.h"
#include "app/win/InputMethod.h"
#include "base/FileIo.h"
#include "base/ProgramPaths.h"
#include "dict/CodePage.h"
#include "hook/ZelApi.h"
#include "hook/host32/Host32Protocol.h"
#include "wnd/MessageBoxes.h"
#include "wnd/Window.h"

namespace {

const char kEngineWindowClass[] = "PennivoxEngine";

PlatformServices MakePlatform(IPromptView* view, IFocusTracker* focus, IDesktop* desktop, IFileSystem* files,
                              IKeyOutput* output, const CClock* clock)
{
    PlatformServices s;
    s.view = view;
    s.focus = focus;
    s.desktop = desktop;
    s.files = files;
    s.output = output;
    s.clock = clock;
    s.codePage = &SystemCodePage();
    return s;
}

// How long the helper may take to put its hook in before keys are answered again.
const DWORD kHook32StartWaitMs = 3000;
const DWORD kHook32StopWaitMs = 1000;

// On a thread of its own: the engine thread never waits for a message box.
DWORD WINAPI TellNo32BitPrompts(LPVOID)
{
    wnd::ShowInfo(nullptr,
                  "Pennivox could not start " HOST32_EXE_NAME
                  ". 32-bit applications will get no prompts; "
                  "all others work as usual.",
                  MB_ICONWARNING);
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The 32-bit helper

bool CHook32Helper::SystemRuns32BitPrograms()
{
    char folder[MAX_PATH];
    const UINT length = ::GetSystemWow64DirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::string kernel = std::string(folder) + "\\kernel32.dll";
    return ::GetFileAttributesA(kernel.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CHook32Helper::Running() const
{
    return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool CHook32Helper::Start(HWND window)
{
    Stop();
    const std::string path = pvbase::ProgramDirectory() + HOST32_EXE_NAME;
    std::string command = "\"" + path + "\" " + std::to_string(reinterpret_cast<ULONG_PTR>(window)) + " " +
                          std::to_string(::GetCurrentProcessId());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    m_process.Reset(info.hProcess);
    ::CloseHandle(info.hThread);
    m_threadId = info.dwThreadId;
    // The helper makes its queue once its hook is in; one that ends first could not put it in.
    ::WaitForInputIdle(m_process.Get(), kHook32StartWaitMs);
    return Running();
}

void CHook32Helper::SetHook(bool installed)
{
    if (Running())
        ::PostThreadMessageA(m_threadId, installed ? WM_HOST32_INSTALL : WM_HOST32_REMOVE, 0, 0);
}

void CHook32Helper::Stop()
{
    if (Running()) {
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        if (::WaitForSingleObject(m_process.Get(), kHook32StopWaitMs) != WAIT_OBJECT_0)
            ::TerminateProcess(m_process.Get(), 1);
    }
    m_process.Reset();
    m_threadId = 0;
}

// ---------------------------------------------------------------------------------------------

CEngineHost::CEngineHost(HWND viewWindow, HWND promptWindow, std::atomic<unsigned>* latestSerial)
    : m_viewWindow(viewWindow),
      m_promptWindow(promptWindow),
      m_latestSerial(latestSerial),
      m_desktop([this](HWND w) { return m_settingsBridge.IsAppEnabled(w); }),
      m_core(MakePlatform(this, &m_caretTracker, &m_desktop, &m_files, &m_output, &m_clock),
             m_settingsBridge.EnableStore()),
      m_engine(m_core.Engine())
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
    return true;
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CEngineHost::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = OnMessage(msg, wParam, lParam);
    Publish();
    return result;
}

LRESULT CEngineHost::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_HOOK_KEY:
            return OnHookKey(wParam, lParam);
        case WM_PROMPT_SEARCH: {
            if (m_engine.HasQueuedSearches())
                LetNextKeyIn();
            const LRESULT shown = m_engine.SearchTyped();
            ScheduleUsageSave();
            return shown;
        }
        case WM_PROMPT_SELECT:
            return m_engine.MoveSelection(static_cast<int>(wParam));
        case WM_PROMPT_COMPLETE:
            return m_engine.RunQueuedCompletion();
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_ENGINE_LOAD:
            OnLoad();
            return 0;
        case WM_ENGINE_APPLY_SETTINGS:
            ApplySettings();
            return 0;
        case WM_ENGINE_RELOAD_DICTIONARIES:
            LoadDictionaries();
            TellUnloadedDictionaries();
            return 0;
        case WM_ENGINE_SET_ENABLED:
            SetEnabled(wParam != 0);
            return 0;
        case WM_ENGINE_ROW_CLICKED:
        case WM_ENGINE_ROW_DOUBLE_CLICKED:
            OnRowClicked(static_cast<int>(wParam), static_cast<unsigned>(lParam), msg == WM_ENGINE_ROW_DOUBLE_CLICKED);
            return 0;
        case WM_ENGINE_DEBUG_HANG:
            ::Sleep(static_cast<DWORD>(wParam));
            return 0;
        case WM_ENGINE_STOP:
            OnStop();
            return 0;
        case WM_ENGINE_FOLDER_LISTED:
            m_files.TakeListing(std::unique_ptr<FolderListing>(reinterpret_cast<FolderListing*>(lParam)));
            m_engine.SearchAgain();
            return 0;
        case WM_ENGINE_CALL:
            if (wParam)
                (*reinterpret_cast<const std::function<void(CEngineHost&)>*>(wParam))(*this);
            return 0;
        default:
            return wnd::CWindow::HandleMessage(msg, wParam, lParam);
    }
}

int CEngineHost::OnHookKey(WPARAM chars, LPARAM keyInfo)
{
    const bool outerUnanswered = m_keyUnanswered;
    m_keyUnanswered = true;
    m_answeredAt = 0;
    m_caretTracker.SyncFocus();
    const int answer = m_engine.OnHookKey(static_cast<unsigned>(chars), static_cast<unsigned>(keyInfo));
    m_keyUnanswered = outerUnanswered;
    NoteReleaseGap(static_cast<unsigned>(keyInfo));
    return answer;
}

LONGLONG CEngineHost::MicrosecondsNow()
{
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return now.QuadPart / frequency.QuadPart * 1000000 +
           now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

void CEngineHost::AnswerKey(int answer)
{
    if (!m_keyUnanswered)
        return;
    m_keyUnanswered = false;
    // The hook's thread waits in SendMessageTimeout until this answer: its key reaches the target
    // while the engine goes on with the prompt.
    if (::InSendMessage() && ::ReplyMessage(answer))
        m_answeredAt = MicrosecondsNow();
}

void CEngineHost::NoteReleaseGap(unsigned keyInfo)
{
    const unsigned vk = (keyInfo >> 8) & 0xFF;
    if ((keyInfo & 0x0F) == 0) {
        m_pressKey = vk;
        m_pressAnsweredAt = m_answeredAt;
    } else if (vk == m_pressKey && m_pressAnsweredAt) {
        m_releaseGapUs = MicrosecondsNow() - m_pressAnsweredAt;
        m_pressAnsweredAt = 0;
    }
}

void CEngineHost::LetNextKeyIn()
{
    const LONGLONG answeredAt = m_answeredAt;
    m_answeredAt = 0;
    // Keys released right after their press (fast rollover typing, scanners, automation): the
    // release is on its way and is answered before the search's work rather than after it. A
    // typist who holds keys longer gets the search at once.
    if (!answeredAt || m_releaseGapUs > kQuickReleaseUs)
        return;
    const LONGLONG waitUntil = answeredAt + std::min(m_releaseGapUs + kReleaseMarginUs, kMaxHeadStartUs);
    const LONGLONG left = waitUntil - MicrosecondsNow();
    if (left > 0 && ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>((left + 999) / 1000), QS_SENDMESSAGE,
                                                  0) == WAIT_OBJECT_0) {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // runs the sent reports
    }
}

void CEngineHost::OnTimer(UINT_PTR id)
{
    if (id == TIMER_ACCEPT_INPUT) {
        ::KillTimer(wnd::CWindow::Handle(), TIMER_ACCEPT_INPUT);
        m_engine.OnAcceptInputTimer();
    } else if (id == TIMER_OWN_INPUT) {
        ::KillTimer(wnd::CWindow::Handle(), TIMER_OWN_INPUT);
        m_engine.OnOwnInputTimer();
    } else if (id == TIMER_SAVE_USAGE) {
        ::KillTimer(wnd::CWindow::Handle(), TIMER_SAVE_USAGE);
        m_usageSaveScheduled = false;
        SaveUsageInBackground();
    } else if (id == TIMER_FOLLOW_CARET) {
        if (!m_state.visible)
            StopFollowingCaret();
        else
            ShowPrompt(true);
    }
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
    TellUnloadedDictionaries();
    TellUnsavableFolder();
    if (!directory.empty() && !m_core.AutoLearn().IsOpen())
        TellAutoLearnProblem();
    SetEnabled(true);
    m_caretTracker.Start(this);
    m_caretTracker.SyncFocus();  // a control focused before start-up raises no event for us
    ::PostMessageA(m_viewWindow, WM_VIEW_LOADED, noDictionary ? 1 : 0, 0);
}

bool CEngineHost::LoadDictionaries()
{
    m_engine.ClearCandidates();
    const std::string directory = m_settingsBridge.ProgramDirectory();
    if (directory.empty())
        return true;  // no program path: nothing is loaded, nothing is said
    ::CreateDirectoryA(pvbase::LibsDirectory(directory).c_str(), nullptr);  // an existing one stays
    return m_core.LoadDictionaries(pvbase::DictionaryPattern(directory));
}

void CEngineHost::TellFileProblem(const std::string& file, const std::string& text)
{
    if (!m_toldFiles.insert(file).second)
        return;
    auto message = std::make_unique<std::string>(text);
    if (::PostMessageA(m_viewWindow, WM_VIEW_FILE_PROBLEM, 0, reinterpret_cast<LPARAM>(message.get())))
        message.release();
}

void CEngineHost::TellUnloadedDictionaries()
{
    std::string list;
    for (int i = 0; i < m_core.Dictionaries().Count(); ++i) {
        const CDictionaryFile& dictionary = m_core.Dictionaries().Dictionary(i);
        const std::string& path = m_core.Dictionaries().PathAt(i);
        if (!dictionary.IsOpen() && m_toldFiles.insert(path).second)
            list += "\r\n" + path + ": " + pvbase::FileFaultReason(dictionary.OpenFault());
    }
    if (!list.empty())
        TellFileProblem(list, "These dictionaries could not be loaded; their words are not offered:" + list);
}

void CEngineHost::TellUnsavableFolder()
{
    const std::string directory = m_settingsBridge.ProgramDirectory();
    if (directory.empty())
        return;
    const pvbase::FileFault programFault = pvbase::FolderWriteFault(directory);
    const pvbase::FileFault libsFault = pvbase::FolderWriteFault(pvbase::LibsDirectory(directory));
    if (programFault == pvbase::FileFault::None && libsFault == pvbase::FileFault::None)
        return;
    std::string lost = programFault != pvbase::FileFault::None ? "changed options" : "";
    if (libsFault != pvbase::FileFault::None)
        lost += lost.empty() ? "dictionary changes" : ", dictionary changes";
    // Said here for the learnt words too, when they cannot be written either.
    const std::string autoLearnPath = pvbase::AutoLearnPath(directory);
    if (!m_core.AutoLearn().IsWritable() && m_toldFiles.insert(autoLearnPath).second)
        lost += " and learnt words";
    const pvbase::FileFault fault = programFault != pvbase::FileFault::None ? programFault : libsFault;
    TellFileProblem(directory, std::string("Pennivox cannot save in its folder (") + pvbase::FileFaultReason(fault) +
                                   "):\r\n" + directory + "\r\nIt works with what is there, but " + lost +
                                   " will not be kept.");
}

void CEngineHost::TellAutoLearnProblem()
{
    if (m_core.AutoLearn().IsOpen()) {
        TellFileProblem(m_core.AutoLearn().Path(), "Learnt words cannot be saved to " + m_core.AutoLearn().Path() + ": " +
                                                 pvbase::FileFaultReason(m_core.AutoLearn().WriteFault()) +
                                                 ".\r\nThe words learnt before are still offered.");
        return;
    }
    const std::string path = pvbase::AutoLearnPath(m_settingsBridge.ProgramDirectory());
    TellFileProblem(path, "The learnt words could not be loaded from " + path + ": " +
                              pvbase::FileFaultReason(m_core.AutoLearn().OpenFault()) + ".\r\nNothing is learnt.");
}

void CEngineHost::ApplySettings()
{
    m_ruleKnown = false;  // the rules may have changed
    m_core.ApplySettings(m_settingsBridge.Load());
    std::vector<std::string> labels = IndexKeyLabels(m_core.Settings());
    if (labels != m_state.rowLabels) {
        m_state.rowLabels = std::move(labels);
        m_changed = true;
    }
}

void CEngineHost::SetEnabled(bool enabled)
{
    m_engine.RestoreWindowText(0);  // forget the typed text
    if (m_useHookLibrary) {
        if (enabled) {
            ::InstallHook(wnd::CWindow::Handle());
            Enable32BitHook();
        } else if (m_hookInstalled) {
            ::RemoveHook();
            m_hook32.SetHook(false);
        }
    }
    m_hookInstalled = enabled;
    ShowPrompt(false);
}

void CEngineHost::Enable32BitHook()
{
#ifdef PV_WITH_HOOK32
    if (m_hook32.Running()) {
        m_hook32.SetHook(true);
        return;
    }
    if (!CHook32Helper::SystemRuns32BitPrograms() || m_hook32.Start(wnd::CWindow::Handle()) || m_hook32FailureTold)
        return;
    m_hook32FailureTold = true;
    pvbase::KernelHandle thread(::CreateThread(nullptr, 0, TellNo32BitPrompts, nullptr, 0, nullptr));
#endif
}

void CEngineHost::OnRowClicked(int row, unsigned pageSerial, bool doubleClick)
{
    if (pageSerial != m_state.pageSerial || row < 0 || row >= static_cast<int>(m_state.rows.size()))
        return;  // a page that is gone
    if (doubleClick) {
        m_engine.OnRowDoubleClicked(row);
        return;
    }
    m_state.selected = row;
    m_changed = true;
    m_engine.OnRowSelected(row);
}

void CEngineHost::OnStop()
{
    if (m_hookInstalled && m_useHookLibrary)
        ::RemoveHook();
    m_hook32.Stop();
    m_hookInstalled = false;
    m_caretTracker.Stop();
    WaitForUsageWriter();
    m_core.Close();
    StopFollowingCaret();
    Destroy();
    ::PostQuitMessage(0);
}

// ---------------------------------------------------------------------------------------------
// What typing taught: written a while after it changed, on a thread of its own, so that no key
// waits for the disk.

void CEngineHost::ScheduleUsageSave()
{
    if (m_usageSaveScheduled || !m_engine.Usage().IsDirty())
        return;
    m_usageSaveScheduled = ::SetTimer(wnd::CWindow::Handle(), TIMER_SAVE_USAGE, kSaveUsageMs, nullptr) != 0;
}

void CEngineHost::SaveUsageInBackground()
{
    CUsageModel& usage = m_engine.Usage();
    if (!usage.IsDirty() || usage.Path().empty())
        return;
    WaitForUsageWriter();
    m_usageWriter =
        std::thread([path = usage.Path(), bytes = usage.Snapshot()] { pvbase::WriteFileAtomically(path, bytes); });
}

void CEngineHost::WaitForUsageWriter()
{
    if (m_usageWriter.joinable())
        m_usageWriter.join();
}

bool CEngineHost::ForgetUsage()
{
    WaitForUsageWriter();
    return m_core.ForgetUsage();
}

// ---------------------------------------------------------------------------------------------
// The prompt's state

void CEngineHost::ShowPrompt(bool show)
{
    if (!show || ForegroundHasInputMethod()) {
        if (m_state.visible) {
            m_state.visible = false;
            m_changed = true;
        }
        return;
    }
    POINT point = m_caretTracker.GetCaretPoint();
    if (point.x == 0 || point.y == 0)
        return;  // no caret known: a hidden prompt stays hidden, a shown one where it is
    const RECT caret = m_caretTracker.LastCaretRect();
    if (!m_state.visible || m_state.x != point.x || m_state.y != point.y || m_state.caretLeft != caret.left ||
        m_state.caretTop != caret.top || m_state.caretRight != caret.right || m_state.caretBottom != caret.bottom) {
        m_state.visible = true;
        m_state.x = point.x;
        m_state.y = point.y;
        m_state.caretLeft = caret.left;
        m_state.caretTop = caret.top;
        m_state.caretRight = caret.right;
        m_state.caretBottom = caret.bottom;
        m_changed = true;
    }
    // Started once while shown: the system's caret moves after the key that showed the prompt.
    if (!m_followingCaret)
        m_followingCaret = ::SetTimer(wnd::CWindow::Handle(), TIMER_FOLLOW_CARET, kFollowCaretMs, nullptr) != 0;
}

void CEngineHost::StopFollowingCaret()
{
    if (wnd::CWindow::Handle())
        ::KillTimer(wnd::CWindow::Handle(), TIMER_FOLLOW_CARET);
    m_followingCaret = false;
}

int CEngineHost::ShowRows(const std::vector<PromptRow>& rows, bool pathPage)
{
    m_state.rows = rows;
    m_state.pathPage = pathPage;
    m_state.pageSize = m_engine.PageSize();
    m_state.selected = rows.empty() ? -1 : 0;
    ++m_state.pageSerial;
    m_changed = true;
    return static_cast<int>(rows.size());
}

void CEngineHost::SelectRow(int row)
{
    if (m_state.selected != row) {
        m_state.selected = row;
        m_changed = true;
    }
}

void CEngineHost::ClearRows()
{
    if (m_state.rows.empty())
        return;
    m_state.rows.clear();
    m_state.selected = -1;
    ++m_state.pageSerial;
    m_changed = true;
}

void CEngineHost::ShowPreview(const std::string& text, int style)
{
    if (m_state.preview != text || m_state.previewStyle != style) {
        m_state.preview = text;
        m_state.previewStyle = style;
        m_changed = true;
    }
}

void CEngineHost::Publish()
{
    if (!m_changed)
        return;
    m_changed = false;
    ++m_state.serial;
    if (m_latestSerial)
        m_latestSerial->store(m_state.serial, std::memory_order_release);
    auto* copy = new PromptState(m_state);
    if (!::PostMessageA(m_viewWindow, WM_VIEW_PROMPT_STATE, 0, reinterpret_cast<LPARAM>(copy)))
        delete copy;
}

void CEngineHost::PostSearch()
{
    Post(WM_PROMPT_SEARCH);
}
void CEngineHost::PostComplete()
{
    Post(WM_PROMPT_COMPLETE);
}
void CEngineHost::StartAcceptInputTimer()
{
    ::SetTimer(wnd::CWindow::Handle(), TIMER_ACCEPT_INPUT, CCompletionEngine::kAcceptInputDelayMs, nullptr);
}

void CEngineHost::StartOwnInputTimer()
{
    ::SetTimer(wnd::CWindow::Handle(), TIMER_OWN_INPUT, kOwnInputWaitMs, nullptr);
}

// ---------------------------------------------------------------------------------------------
// The caret tracker's notifications (from its event callback, outside any message of ours)

void CEngineHost::RefreshPrompt()
{
    if (m_state.visible)
        ShowPrompt(true);
    Publish();
}

void CEngineHost::SaveWindowText(HWND window)
{
    m_engine.SaveWindowText(ToHandle(window));
    Publish();
}

void CEngineHost::RestoreWindowText(HWND window)
{
    m_ruleKnown = false;  // a new focus window; its handle may be a reused one
    m_engine.RestoreWindowText(ToHandle(window));
    Publish();
}
