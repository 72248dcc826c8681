#include "app/PromptDialog.h"

#include <algorithm>

#include "app/win/PromptPlacement.h"
#include "base/Utf8Text.h"
#include "wnd/Controls.h"
#include "hook/ZelApi.h"
#include "res/resource.h"

namespace {

bool SameRows(const std::vector<PromptRow>& a, const std::vector<PromptRow>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].text != b[i].text || a[i].image != b[i].image)
            return false;
    return true;
}

// The candidate-kind icons (a strip of square images, magenta where transparent) at `size` pixels:
// the strip is stretched as a whole when the screen is not at 100 %.
HIMAGELIST LoadKindIcons(int size)
{
    HINSTANCE instance = wnd::ResourceInstance();
    auto strip = static_cast<HBITMAP>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(IDB_CANDIDATE_KINDS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info{};
    if (!strip || !::GetObjectW(strip, sizeof info, &info) || info.bmHeight <= 0) {
        if (strip)
            ::DeleteObject(strip);
        return nullptr;
    }
    const int count = info.bmWidth / info.bmHeight;
    if (size != info.bmHeight) {
        ::DeleteObject(strip);
        strip = static_cast<HBITMAP>(::LoadImageW(instance, MAKEINTRESOURCEW(IDB_CANDIDATE_KINDS), IMAGE_BITMAP,
                                                  count * size, size, LR_CREATEDIBSECTION));
        if (!strip)
            return nullptr;
    }
    HIMAGELIST images = ::ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, count, 1);
    if (images)
        ::ImageList_AddMasked(images, strip, RGB(255, 0, 255));
    ::DeleteObject(strip);
    return images;
}

}  // namespace

CPromptDialog::CPromptDialog(IListener& listener, CPreviewWindow& preview)
    : CDialog(IDD_PROMPT), m_listener(listener), m_preview(preview)
{
}

CPromptDialog::~CPromptDialog() = default;

BOOL CPromptDialog::OnInitDialog()
{
    Hide();
    std::string about = wnd::LoadResourceString(IDS_ABOUTBOX);
    HMENU systemMenu = ::GetSystemMenu(CDialog::Handle(), FALSE);
    if (systemMenu && !about.empty()) {
        ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, Widen(about).c_str());
    }
    m_icon.Reset(static_cast<HICON>(
        ::LoadImageW(wnd::ResourceInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.Get()));

    m_images.Reset(LoadKindIcons(wnd::ScaleToWindow(CDialog::Handle(), 16)));
    if (!m_images)
        m_images.Reset(::ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 0, 1));
    CreateList();
    return FALSE;  // no focus for a control: that would activate the prompt
}

void CPromptDialog::CreateList()
{
    // The template's list area becomes one window that draws rows and row numbers itself.
    HWND placeholder = Item(IDC_PROMPT_LIST);
    RECT area = ClientRect();
    if (placeholder) {
        const RECT templateList = ChildRect(placeholder);
        area.bottom = templateList.bottom;
        ::DestroyWindow(placeholder);
    }
    m_list.Create(CDialog::Handle(), IDC_PROMPT_LIST, area);
    m_list.SetFont(wnd::WindowFont(CDialog::Handle()));
    m_list.SetImageList(m_images.Get());
    m_list.SetListener(this);
}

// ---------------------------------------------------------------------------------------------
// Rendering a state

void CPromptDialog::Render(const PromptState& state)
{
    if (!CDialog::Handle())
        return;
    const bool newLabels = state.rowLabels != m_shown.rowLabels;
    if (newLabels)
        m_list.SetRowLabels(state.rowLabels);
    const bool newRows =
        newLabels || !m_rowsShown || state.pathPage != m_shown.pathPage || !SameRows(state.rows, m_shown.rows);
    if (newRows)
        RenderRows(state);
    else if (state.selected != m_shown.selected)
        RenderSelection(state.selected);
    m_shown = state;
    m_rowsShown = true;
    m_preview.SetText(state.preview, state.previewStyle);
    if (!state.visible) {
        Hide();
        return;
    }
    RenderPlace(state);
}

void CPromptDialog::RenderSelection(int row)
{
    m_list.Select(row);
}

void CPromptDialog::RenderRows(const PromptState& state)
{
    std::vector<CPromptList::Row> rows;
    rows.reserve(state.rows.size());
    for (const PromptRow& row : state.rows)
        rows.push_back(CPromptList::Row{row.text, row.image});
    m_list.SetRows(rows, state.pathPage, state.selected);

    // The window is the list plus its frame; it keeps its position. Sizing windows is the slow
    // part: only when the size changes.
    const SIZE list = m_list.PreferredWindowSize(std::max(1, state.pageSize));
    const RECT listRect = ChildRect(m_list.Handle());
    if (listRect.left != 0 || listRect.top != 0 || listRect.right != list.cx || listRect.bottom != list.cy)
        ::SetWindowPos(m_list.Handle(), nullptr, 0, 0, list.cx, list.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT frame{0, 0, list.cx, list.cy};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(CDialog::Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(CDialog::Handle(), GWL_EXSTYLE)));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const RECT window = WindowRect();
    if (window.right - window.left != width || window.bottom - window.top != height) {
        m_layoutPending = true;
        ::SetWindowPos(CDialog::Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_layoutPending = false;  // also when no WM_SIZE came
}

POINT CPromptDialog::PromptPoint(const PromptState& state) const
{
    const RECT window = WindowRect();
    const SIZE size{window.right - window.left, window.bottom - window.top};
    const RECT caret{state.caretLeft, state.caretTop, state.caretRight, state.caretBottom};
    POINT anchor{state.x, state.y};
    if (caret.right > caret.left || caret.bottom > caret.top)
        anchor = POINT{caret.left, caret.top};
    return FitPromptToWorkArea(POINT{state.x, state.y}, size, caret, WorkAreaAt(anchor));
}

void CPromptDialog::RenderPlace(const PromptState& state)
{
    const POINT point = PromptPoint(state);
    m_mayShow = true;
    // Placing a top-most window costs the window system a round of work: spare it when nothing
    // would change.
    if (!IsShownOnTopAt(point))
        ::SetWindowPos(CDialog::Handle(), HWND_TOPMOST, point.x, point.y, 0, 0,
                       SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    PlacePreview();
}

bool CPromptDialog::IsShownOnTopAt(POINT point) const
{
    HWND w = CDialog::Handle();
    if (!IsVisible())
        return false;
    const RECT now = WindowRect();
    if (now.left != point.x || now.top != point.y)
        return false;
    if (!(::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST))
        return false;
    for (HWND above = ::GetWindow(w, GW_HWNDPREV); above; above = ::GetWindow(above, GW_HWNDPREV)) {
        if (above != m_preview.Handle() && ::IsWindowVisible(above))
            return false;
    }
    return true;
}

void CPromptDialog::Hide()
{
    HWND w = CDialog::Handle();
    if (!w)
        return;
    if (IsVisible())
        ::ShowWindow(w, SW_HIDE);
    if (::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST)
        ::SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    m_preview.Hide();
}

void CPromptDialog::PlacePreview()
{
    const int selected = m_list.Selected();
    const RECT row = m_list.RowScreenRect(selected);
    if (selected < 0 || row.bottom <= row.top || !IsVisible()) {
        m_preview.Hide();
        return;
    }
    const RECT list = m_list.WindowRect();
    m_preview.ShowAt(list.right + 3, row.top);
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CPromptDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
                m_listener.OnPromptCommand(ID_TRAY_ABOUT, 0);
                return 0;
            }
            break;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(m_icon.Get());
        case WM_CLOSE:
            m_listener.OnPromptCommand(ID_TRAY_EXIT, 0);
            return 0;
        case WM_SHOWWINDOW:
            if (!wParam)
                m_preview.Hide();
            break;
        case WM_MOVE:
            if (IsVisible() && m_preview.IsVisible())
                PlacePreview();
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

void CPromptDialog::OnRowClicked(int row)
{
    m_shown.selected = row;
    m_listener.OnRowClicked(row, m_shown.pageSerial);
    PlacePreview();
}

void CPromptDialog::OnRowDoubleClicked(int row)
{
    m_listener.OnRowDoubleClicked(row, m_shown.pageSerial);
}

bool CPromptDialog::OnCommand(int id, int, HWND control)
{
    // Tray and test commands that reach the prompt go to whoever runs the program.
    if ((id >= ID_TRAY_FIRST && id <= ID_TRAY_LAST) || id == ID_DEBUG_BUSY_WINDOW_THREAD ||
        id == ID_DEBUG_HANG_ENGINE || id == ID_DEBUG_HANG_ENGINE_AFTER_COMPLETION) {
        m_listener.OnPromptCommand(id, reinterpret_cast<LPARAM>(control));
        return true;
    }
    return false;
}

void CPromptDialog::OnOK()
{
    m_listener.OnPromptCommand(IDOK, 0);
    Hide();
}

void CPromptDialog::OnSize(int width, int height)
{
    if (m_layoutPending || !m_list.Handle())
        return;
    // The user drags the border: the list follows.
    ::SetWindowPos(m_list.Handle(), nullptr, 0, 0, std::max(0, width), std::max(0, height),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlacePreview();
}
