#include "app/PromptDialog.h"

#include <ole2.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "app/win/InputMethod.h"
#include "app/win/PromptPlacement.h"
#include "dict/CodePage.h"
#include "hook/HookMessages.h"
#include "hook/ZelApi.h"
#include "res/resource.h"

namespace {

const char kErrorCaption[] = "Pennivox - ERROR";
const COLORREF kSelectedBackground = RGB(49, 106, 197);
const int kRowIconMargin = 2;
const int kRowTextOffset = kRowIconMargin + 16 + 4;

EngineServices MakeServices(IPromptView* view, IFocusTracker* focus, IDesktop* desktop, IFileSystem* files,
                            IDictionarySearch* dictionaries, IAutoLearnStore* autoLearn, IKeyOutput* output,
                            const CClock* clock)
{
    EngineServices s;
    s.view = view;
    s.focus = focus;
    s.desktop = desktop;
    s.files = files;
    s.dictionaries = dictionaries;
    s.autoLearn = autoLearn;
    s.output = output;
    s.clock = clock;
    s.codePage = &SystemCodePage();
    return s;
}

UINT HotkeyModifiers(std::uint32_t enableHotkey)
{
    UINT flags = (enableHotkey >> 16) & 0xFF;
    UINT mods = 0;
    if (flags & HOTKEYF_SHIFT)
        mods |= MOD_SHIFT;
    if (flags & HOTKEYF_CONTROL)
        mods |= MOD_CONTROL;
    if (flags & HOTKEYF_ALT)
        mods |= MOD_ALT;
    return mods;
}

int WidestRowText(HWND list, const std::vector<PromptRow>& rows)
{
    wnd::ClientDC dc(list);
    wnd::SelectObjectScope font(dc.Get(), wnd::WindowFont(list));
    int widest = 0;
    for (const PromptRow& row : rows) {
        SIZE size{};
        if (::GetTextExtentPoint32A(dc.Get(), row.text.c_str(), static_cast<int>(row.text.size()), &size))
            widest = std::max<int>(widest, size.cx);
    }
    return widest;
}

}  // namespace

CPromptDialog* CPromptDialog::s_instance = nullptr;

CPromptDialog::CPromptDialog()
    : CDialog(IDD_PROMPT),
      m_dictionaries(m_settingsBridge.EnableStore()),
      m_desktop([this](HWND w) { return m_settingsBridge.IsAppEnabled(w); }),
      m_dictionarySearch(m_dictionaries),
      m_autoLearnStore(m_autoLearn),
      m_engine(MakeServices(this, &m_caretTracker, &m_desktop, &m_files, &m_dictionarySearch, &m_autoLearnStore,
                            &m_output, &m_clock))
{
    s_instance = this;
    m_caretTracker.SetEditBoxRule([this](HWND w) {
        // No rule applies before the window exists.
        if (!CDialog::Handle())
            return -1;
        // The rule walks the control's parents in the other process: once per focus window, not per key.
        if (!m_ruleKnown || w != m_ruleWindow) {
            m_ruleWindow = w;
            m_ruleVerdict = m_settingsBridge.EditBoxRule(w);
            m_ruleKnown = true;
        }
        return m_ruleVerdict;
    });
}

CPromptDialog::~CPromptDialog()
{
    m_caretTracker.Stop();
    if (s_instance == this)
        s_instance = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Start-up

BOOL CPromptDialog::OnInitDialog()
{
    m_oleStarted = SUCCEEDED(::OleInitialize(nullptr));  // the Word caret query needs COM
    ShowPrompt(false);

    // Programs report their caret to accessibility clients only while a screen reader is said to run.
    ::SystemParametersInfoA(SPI_SETSCREENREADER, TRUE, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    ::PostMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETSCREENREADER, 0);

    std::string about = wnd::LoadResourceString(IDS_ABOUTBOX);
    HMENU systemMenu = ::GetSystemMenu(CDialog::Handle(), FALSE);
    if (systemMenu && !about.empty()) {
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }

    m_icon.Reset(static_cast<HICON>(
        ::LoadImageA(wnd::ResourceInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.Get()));

    ApplySettings();

    m_list.Attach(Item(IDC_PROMPT_LIST));
    m_list.InsertColumn(0, "", LVCFMT_LEFT, 100);
    m_images.Reset(::ImageList_LoadImageA(wnd::ResourceInstance(), MAKEINTRESOURCEA(IDB_CANDIDATE_KINDS), 16, 1,
                                          RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
    if (!m_images) {
        m_images.Reset(::ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 0, 1));
    }
    m_list.SetImageList(m_images.Get(), LVSIL_SMALL);

    // Not owned by the prompt: under Wine an owned top-most window keeps its owner from becoming top-most.
    m_preview.Create(nullptr);
    m_preview.SetText("", CPreviewWindow::kStyleNormal);

    // The tray icon is added here once the tray code exists.

    CreateRowLabels();
    ::SetTimer(CDialog::Handle(), TIMER_STARTUP, 0, nullptr);
    return FALSE;  // no focus for a control: that would activate the prompt
}

void CPromptDialog::CreateRowLabels()
{
    m_list.DeleteAllItems();
    m_list.InsertItem(0, "");
    RECT row{};
    if (m_list.ItemRect(0, row))
        m_rowHeight = std::max<int>(1, row.bottom - row.top);
    m_list.DeleteAllItems();
    RECT listRect = ChildRect(m_list.Handle());
    HFONT font = wnd::WindowFont(CDialog::Handle());
    for (int i = 0; i < kLabelCount; ++i) {
        char text[4];
        wsprintfA(text, "%d", (i + 1) % 10);
        int top = listRect.top + m_rowHeight * i;
        m_labels[i] =
            ::CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_CENTER, 0, top,
                              std::max<int>(0, listRect.left - 5), m_rowHeight, CDialog::Handle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xFFFF)), wnd::ResourceInstance(), nullptr);
        if (m_labels[i])
            wnd::SetControlFont(m_labels[i], font);
    }
    ::SetWindowPos(m_list.Handle(), nullptr, listRect.left, listRect.top, listRect.right - listRect.left,
                   static_cast<int>(m_rowHeight * 10.5), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPromptDialog::OnStartupTimer()
{
    HidePromptWindow();
    ::KillTimer(CDialog::Handle(), TIMER_STARTUP);
    if (!m_startupLoading)
        return;
    LoadDictionaries();
    InstallHook();
    m_caretTracker.Start(this);
    // The title shows nowhere (no caption); it tells tools and tests that loading is over.
    SetText("Pennivox");
}

void CPromptDialog::LoadDictionaries()
{
    char path[MAX_PATH] = "";
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;  // no program path: nothing is loaded, nothing is said
    std::string directory(path, n);
    directory.resize(directory.rfind('\\') == std::string::npos ? 0 : directory.rfind('\\'));
    std::string pattern = directory + wnd::LoadResourceString(IDS_LIBS_PATTERN);
    ::CreateDirectoryA((directory + "\\libs").c_str(), nullptr);

    if (!m_dictionaries.LoadFolder(pattern, false)) {
        int answer = ::MessageBoxA(CDialog::Handle(), wnd::LoadResourceString(IDS_NO_DICTIONARY).c_str(), kErrorCaption,
                                   MB_ICONSTOP | MB_OKCANCEL);
        // OK opens the Dictionaries Manager once it exists; until then both answers go on without.
        (void)answer;
    }
    m_engine.FindCandidates("a");
    m_engine.ClearCandidates();

    std::string learnt = pattern.substr(0, pattern.size() - std::strlen("*.lib")) + "AutoLearn.dic";
    m_autoLearn.Open(learnt);
    m_autoLearn.SetKnownWords(&m_dictionarySearch);
    m_autoLearn.ApplySettings(m_settings.enableAutoLearn, m_settings.minLearnLength, m_settings.separators);
}

void CPromptDialog::ApplySettings()
{
    m_settings = m_settingsBridge.Load();
    m_ruleKnown = false;       // the rules may have changed
    m_shownRowsValid = false;  // and the page size with them
    m_engine.ApplySettings(m_settings.engine);
    m_dictionaries.SetLengthLimits(static_cast<int>(m_settings.minWordLength),
                                   static_cast<int>(m_settings.maxWordLength));
    m_autoLearn.ApplySettings(m_settings.enableAutoLearn, m_settings.minLearnLength, m_settings.separators);

    // A changed hotkey must replace the old one, so the old registration goes first.
    ::UnregisterHotKey(CDialog::Handle(), HOTKEY_ENABLE);
    ::RegisterHotKey(CDialog::Handle(), HOTKEY_ENABLE, HotkeyModifiers(m_settings.enableHotkey),
                     m_settings.enableHotkey & 0xFF);
    m_firstRun = m_settingsBridge.TakeFirstRun();
}

void CPromptDialog::InstallHook()
{
    ::InstallHook(CDialog::Handle());
    m_hookInstalled = true;
}

void CPromptDialog::RemoveHook()
{
    ::RemoveHook();
    m_hookInstalled = false;
}

void CPromptDialog::ToggleEnable()
{
    m_engine.RestoreWindowText(0);  // forget the typed text
    if (m_enabled) {
        RemoveHook();
        m_enabled = false;
    } else {
        InstallHook();
        m_enabled = true;
    }
    ShowPrompt(false);
}

// ---------------------------------------------------------------------------------------------
// Showing and placing

void CPromptDialog::HidePromptWindow()
{
    FinishClearRows();
    HWND w = CDialog::Handle();
    ::ShowWindow(w, SW_HIDE);
    ::SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

bool CPromptDialog::PromptPoint(POINT& point)
{
    point = m_caretTracker.GetCaretPoint();
    if (point.x == 0 || point.y == 0)
        return false;
    RECT window = WindowRect();
    SIZE size{window.right - window.left, window.bottom - window.top};
    RECT caret = m_caretTracker.LastCaretRect();
    POINT anchor = point;
    if (caret.right > caret.left || caret.bottom > caret.top)
        anchor = POINT{caret.left, caret.top};
    point = FitPromptToWorkArea(point, size, caret, WorkAreaAt(anchor));
    return true;
}

void CPromptDialog::ShowPrompt(bool show)
{
    HWND w = CDialog::Handle();
    if (!w)
        return;
    if (!show || ForegroundHasInputMethod()) {
        HidePromptWindow();
        return;
    }
    POINT point{};
    if (!PromptPoint(point))
        return;
    m_mayShow = true;
    // Placing a top-most window costs the window system a round of work on every key; spare it
    // when nothing would change.
    if (!IsShownOnTopAt(point))
        ::SetWindowPos(w, HWND_TOPMOST, point.x, point.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    if (IsVisible()) {
        PlacePreview();
        // Started once while shown: restarting it on every key would have it fire at the same
        // moment after each key, just when a steady typist's next key comes.
        if (!m_followingCaret)
            m_followingCaret = ::SetTimer(w, TIMER_FOLLOW_CARET, kFollowCaretMs, nullptr) != 0;
    }
}

bool CPromptDialog::IsShownOnTopAt(POINT point) const
{
    HWND w = CDialog::Handle();
    if (!IsVisible())
        return false;
    const RECT now = WindowRect();
    if (now.left != point.x || now.top != point.y)
        return false;
    if (!(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST))
        return false;
    for (HWND above = ::GetWindow(w, GW_HWNDPREV); above; above = ::GetWindow(above, GW_HWNDPREV)) {
        if (above != m_preview.Handle() && ::IsWindowVisible(above))
            return false;
    }
    return true;
}

void CPromptDialog::StopFollowingCaret()
{
    ::KillTimer(CDialog::Handle(), TIMER_FOLLOW_CARET);
    m_followingCaret = false;
}

void CPromptDialog::OnFollowCaret()
{
    if (!IsVisible()) {
        StopFollowingCaret();
        return;
    }
    RECT now = WindowRect();
    POINT point{};
    if (!PromptPoint(point))
        return;
    if (point.x != now.left || point.y != now.top)
        ShowPrompt(true);
}

void CPromptDialog::RefreshPrompt()
{
    if (IsVisible())
        ShowPrompt(true);
}

bool CPromptDialog::ListShows(const std::vector<PromptRow>& rows, bool pathPage) const
{
    if (!m_shownRowsValid || pathPage != m_shownPathPage || rows.size() != m_shownRows.size())
        return false;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].text != m_shownRows[i].text || rows[i].image != m_shownRows[i].image)
            return false;
    return true;
}

int CPromptDialog::ShowRows(const std::vector<PromptRow>& rows, bool pathPage)
{
    // The same rows again (the next letter of a word often finds them): only the selection goes
    // back to the top; no refill, no new layout.
    if (m_clearPending && !rows.empty() && ListShows(rows, pathPage) &&
        m_list.ItemCount() == static_cast<int>(rows.size())) {
        m_clearPending = false;
        m_fillingList = true;
        m_list.Select(0);
        m_list.EnsureVisible(0);
        m_fillingList = false;
        return static_cast<int>(rows.size());
    }
    m_clearPending = false;
    m_shownRowsValid = false;
    m_layoutPending = true;
    m_fillingList = true;
    HWND list = m_list.Handle();
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    m_list.DeleteAllItems();
    int inserted = 0;
    for (const PromptRow& row : rows) {
        if (m_list.InsertItem(inserted, row.text, row.image, inserted) < 0)
            break;
        ++inserted;
    }
    if (inserted > 0) {
        m_list.Select(0);
        m_list.EnsureVisible(0);
    }

    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
    PromptLayoutInput in;
    // Rows are drawn by us: make sure the icon and the widest text fit.
    in.columnWidth = std::max(m_list.ColumnWidth(0), WidestRowText(list, rows) + kRowTextOffset);
    RECT row{};
    in.rowHeight = (inserted > 0 && m_list.ItemRect(0, row)) ? row.bottom - row.top : m_rowHeight;
    in.rowCount = inserted;
    in.pageSize = std::max(1, m_engine.PageSize());
    in.pathPage = pathPage;
    in.scrollBarWidth = ::GetSystemMetrics(SM_CXHSCROLL);
    RECT listRect = ChildRect(list);
    in.listTop = listRect.top;
    in.labelRight = m_labels[0] ? ChildRect(m_labels[0]).right : 0;
    PromptLayoutResult out = LayOutPromptPage(in);

    m_list.SetColumnWidth(0, out.columnWidth);
    // Moving, sizing and showing windows is the slow part under a window manager: only what changed.
    if (listRect.left != out.listLeft || listRect.right - listRect.left != out.listWidth ||
        listRect.bottom - listRect.top != out.listHeight)
        ::SetWindowPos(list, nullptr, out.listLeft, listRect.top, out.listWidth, out.listHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    for (int i = 0; i < kLabelCount; ++i) {
        if (!m_labels[i])
            continue;
        const bool shown = (::GetWindowLongPtrA(m_labels[i], GWL_STYLE) & WS_VISIBLE) != 0;
        if (shown != (i < out.visibleLabels))
            ::ShowWindow(m_labels[i], shown ? SW_HIDE : SW_SHOWNA);
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    const RECT window = WindowRect();
    if (window.right - window.left != out.windowWidth || window.bottom - window.top != out.windowHeight)
        ::SetWindowPos(CDialog::Handle(), nullptr, 0, 0, out.windowWidth, out.windowHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_layoutPending = false;  // also when the size did not change and no WM_SIZE came
    m_fillingList = false;
    if (inserted == 0)
        m_preview.Hide();
    if (inserted == static_cast<int>(rows.size())) {
        m_shownRows = rows;
        m_shownPathPage = pathPage;
        m_shownRowsValid = true;
    }
    return inserted;
}

void CPromptDialog::SelectRow(int row)
{
    FinishClearRows();
    m_fillingList = true;
    m_list.Select(row);
    m_list.EnsureVisible(row);
    m_fillingList = false;
    PlacePreview();
}

void CPromptDialog::ClearRows()
{
    // While the prompt is up, a new search usually follows at once: the rows wait for it, so
    // that the same rows need not be refilled and laid out again.
    if (IsVisible() && m_shownRowsValid) {
        m_clearPending = true;
        return;
    }
    m_clearPending = true;
    FinishClearRows();
}

void CPromptDialog::FinishClearRows()
{
    if (!m_clearPending)
        return;
    m_clearPending = false;
    m_shownRowsValid = false;
    m_fillingList = true;
    m_list.DeleteAllItems();
    m_fillingList = false;
}

void CPromptDialog::ShowPreview(const std::string& text, int style)
{
    m_preview.SetText(text, style);
    if (!text.empty() && IsVisible())
        PlacePreview();
}

void CPromptDialog::PlacePreview()
{
    FinishClearRows();
    int selected = m_list.SelectedIndex();
    RECT row{};
    if (selected < 0 || !m_list.ItemRect(selected, row)) {
        m_preview.Hide();
        return;
    }
    RECT list{};
    ::GetWindowRect(m_list.Handle(), &list);
    POINT top{row.left, row.top};
    ::ClientToScreen(m_list.Handle(), &top);
    m_preview.Hide();
    if (IsVisible())
        m_preview.Show(true, list.right + 3, top.y);
}

void CPromptDialog::AnswerKey(int answer)
{
    if (!m_keyUnanswered)
        return;
    m_keyUnanswered = false;
    // The hook's thread waits in SendMessageTimeout until this answer: its key reaches the target
    // while we go on with the prompt.
    if (::InSendMessage() && ::ReplyMessage(answer)) {
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        m_answeredAt = now.QuadPart;
    }
}

void CPromptDialog::LetAnsweredKeyThrough()
{
    const LONGLONG answeredAt = m_answeredAt;
    m_answeredAt = 0;
    if (!answeredAt)
        return;
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    if ((now.QuadPart - answeredAt) * 1000 >= frequency.QuadPart * kKeyHeadStartMs)
        return;
    // The typing thread has just been answered and still has to take its key; our window work
    // (list, sizes, placement) competes with it for the window system. Anything sent to us (the
    // next key) ends the wait: it is handled after the search, as it would have been anyway.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, kKeyHeadStartMs, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
}

void CPromptDialog::PostSearch()
{
    Post(WM_PROMPT_SEARCH);
}
void CPromptDialog::PostComplete()
{
    Post(WM_PROMPT_COMPLETE);
}
void CPromptDialog::StartAcceptInputTimer()
{
    ::SetTimer(CDialog::Handle(), TIMER_ACCEPT_INPUT, 100, nullptr);
}

void CPromptDialog::SaveWindowText(HWND window)
{
    m_engine.SaveWindowText(ToHandle(window));
}
void CPromptDialog::RestoreWindowText(HWND window)
{
    m_ruleKnown = false;  // a new focus window; its handle may be a reused one
    m_engine.RestoreWindowText(ToHandle(window));
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CPromptDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
                ShowAbout();
                return 0;
            }
            break;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(m_icon.Get());
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            break;
        case WM_SHOWWINDOW:
            if (!wParam) {
                m_preview.Hide();  // the tray's default item is set here once the tray exists
                StopFollowingCaret();
            }
            break;
        case WM_MOVE:
            if (IsVisible() && m_preview.IsVisible())
                PlacePreview();
            break;
        case WM_TIMER:
            OnTimer(wParam);
            break;
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_LBUTTONUP:
            ::ActivateTarget();
            break;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;  // the prompt never takes the focus from the target
        case WM_WINDOWPOSCHANGING:
            OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
            break;
        case WM_DRAWITEM:
            if (wParam == IDC_PROMPT_LIST) {
                OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            break;
        case WM_HOTKEY:
            if (wParam == HOTKEY_ENABLE)
                ToggleEnable();
            return 0;
        case WM_PROMPT_SEARCH:
            if (m_engine.HasQueuedSearches())
                LetAnsweredKeyThrough();
            return m_engine.SearchTyped();
        case WM_PROMPT_SELECT:
            return m_engine.MoveSelection(static_cast<int>(wParam));
        case WM_HOOK_KEY: {
            const bool outerUnanswered = m_keyUnanswered;
            m_keyUnanswered = true;
            const int answer = m_engine.OnHookKey(static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
            m_keyUnanswered = outerUnanswered;
            return answer;
        }
        case WM_PROMPT_COMPLETE:
            return m_engine.CompleteSelection();
        default:
            break;
    }
    return CDialog::HandleMessage(msg, wParam, lParam);
}

void CPromptDialog::OnWindowPosChanging(WINDOWPOS& pos)
{
    // The template is visible; the dialog manager would show it right after creation.
    if (!m_mayShow && (pos.flags & SWP_SHOWWINDOW)) {
        pos.flags &= ~SWP_SHOWWINDOW;
        pos.flags |= SWP_NOACTIVATE;
    }
}

bool CPromptDialog::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.idFrom != IDC_PROMPT_LIST)
        return false;
    FinishClearRows();
    result = 0;
    const UINT code = header.code;
    if (code == static_cast<UINT>(-302))
        return true;
    if (code == LVN_ITEMCHANGED) {
        const NMLISTVIEW& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (!m_fillingList && change.uNewState == (LVIS_FOCUSED | LVIS_SELECTED)) {
            m_engine.OnRowSelected(change.iItem);
            PlacePreview();
        }
        return true;
    }
    if (code == NM_DBLCLK) {
        int selected = m_list.SelectedIndex();
        if (selected >= 0)
            m_engine.OnRowDoubleClicked(selected);
        return true;
    }
    return false;
}

bool CPromptDialog::OnCommand(int id, int, HWND)
{
    switch (id) {
        case ID_TRAY_EXIT:
            EndDialog(IDCANCEL);
            return true;
        case ID_TRAY_ABOUT:
            ShowAbout();
            return true;
        case ID_TRAY_ENABLE:
            ToggleEnable();
            return true;
        default:
            return false;
    }
}

void CPromptDialog::OnOK()
{
    InstallHook();
    HidePromptWindow();
}

void CPromptDialog::OnTimer(UINT_PTR id)
{
    if (id == TIMER_STARTUP) {
        OnStartupTimer();
    } else if (id == TIMER_FOLLOW_CARET) {
        OnFollowCaret();
    } else if (id == TIMER_ACCEPT_INPUT) {
        m_engine.OnAcceptInputTimer();
        ::KillTimer(CDialog::Handle(), TIMER_ACCEPT_INPUT);
    }
}

void CPromptDialog::OnClose()
{
    RemoveHook();
    m_enabled = false;
    EndDialog(IDCANCEL);
}

void CPromptDialog::OnDestroy()
{
    m_engine.ClearCandidates();
    if (m_hookInstalled || m_startupLoading)
        RemoveHook();
    m_caretTracker.Stop();
    m_dictionaries.CloseAll();
    m_autoLearn.Close();
    ::UnregisterHotKey(CDialog::Handle(), HOTKEY_ENABLE);
    m_preview.Destroy();
    if (m_oleStarted)
        ::OleUninitialize();
    m_oleStarted = false;
    if (!IsModal())
        ::PostQuitMessage(0);
}

void CPromptDialog::OnSize(int width, int height)
{
    if (m_layoutPending) {
        m_layoutPending = false;
        return;
    }
    if (!m_list.Handle())
        return;
    RECT list = ChildRect(m_list.Handle());
    ::SetWindowPos(m_list.Handle(), nullptr, 0, 0, std::max<int>(0, width - list.left),
                   std::max<int>(0, height - list.top), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlacePreview();
}

void CPromptDialog::OnDrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.itemID == static_cast<UINT>(-1))
        return;
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    bool listFocused = ::GetFocus() == m_list.Handle();
    COLORREF background = RGB(255, 255, 255), text = RGB(0, 0, 0);
    if (selected) {
        background = listFocused ? ::GetSysColor(COLOR_ACTIVECAPTION) : kSelectedBackground;
        text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    wnd::BrushHandle brush(::CreateSolidBrush(background));
    ::FillRect(dc, &r, brush.Get());

    LVITEMA info{};
    char buffer[1024] = "";
    info.mask = LVIF_TEXT | LVIF_IMAGE;
    info.iItem = static_cast<int>(item.itemID);
    info.pszText = buffer;
    info.cchTextMax = sizeof(buffer);
    ::SendMessageA(m_list.Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
    if (m_images && info.iImage >= 0) {
        int y = r.top + ((r.bottom - r.top) - 16) / 2;
        ::ImageList_Draw(m_images.Get(), info.iImage, dc, r.left + kRowIconMargin, y, ILD_TRANSPARENT);
    }
    RECT textRect = r;
    textRect.left += kRowTextOffset;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, text);
    ::DrawTextA(dc, buffer, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CPromptDialog::ShowAbout()
{
    wnd::CDialog about(IDD_ABOUTBOX);
    about.DoModal(CDialog::Handle());
}
