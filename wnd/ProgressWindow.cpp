#include "wnd/ProgressWindow.h"

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "base/Utf8Text.h"
#include "wnd/Controls.h"
#include "wnd/MessagePump.h"

namespace wnd {

namespace {

const char kClassName[] = "PvProgressWindow";
const char kCancelLabel[] = " &Cancel ";
const int kMargin = 10;
const int kTextLines = 4;

HFONT CreateMessageFont()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return nullptr;
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

SIZE TextSize(HWND window, HFONT font, const char* text)
{
    wnd::ClientDC dc(window);
    wnd::SelectObjectScope select(dc.Get(), font);
    SIZE size{};
    const std::wstring wide = Widen(text);
    ::GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

}  // namespace

CProgressWindow::CProgressWindow(const ProgressWindowOptions& options) : m_options(options)
{
    Open();
}

CProgressWindow::~CProgressWindow()
{
    EndModal();
    Destroy();  // while the object still takes the window's messages: the position is saved
}

bool CProgressWindow::Open()
{
    if (Created())
        return true;
    m_shownPercentage = 0;  // a new window shows the base title
    if (!CreateWindowAndControls(m_options.smoothBar)) {
        Destroy();
        return false;
    }
    LayOut();
    PlaceWindow();
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    return true;
}

bool CProgressWindow::CreateWindowAndControls(bool smoothBar)
{
    wnd::InitCommonControlsOnce();
    HBRUSH face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    if (!wnd::RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, nullptr, face,
                                  ::LoadCursorA(nullptr, IDC_APPSTARTING)))
        return false;
    m_font.Reset(CreateMessageFont());
    RECT rect{0, 0, 300, 100};
    if (!Create(kClassName, m_options.title.c_str(), WS_POPUP | WS_CAPTION, WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, rect,
                m_options.owner))
        return false;
    m_text = CreateChild("STATIC", "", SS_LEFT | SS_LEFTNOWORDWRAP | SS_NOPREFIX, kTextId);
    m_bar = CreateChild("msctls_progress32", "", smoothBar ? PBS_SMOOTH : 0, kBarId);
    m_cancelButton = CreateChild("BUTTON", kCancelLabel, BS_PUSHBUTTON | WS_TABSTOP, kCancelId);
    if (!m_text || !m_bar || !m_cancelButton) {
        m_cancelButton = nullptr;
        return false;
    }
    ::SendMessageW(m_bar, PBM_SETRANGE32, static_cast<WPARAM>(m_lower), m_upper);
    ::SendMessageW(m_bar, PBM_SETSTEP, static_cast<WPARAM>(m_step), 0);
    return true;
}

HWND CProgressWindow::CreateChild(const char* className, const char* text, DWORD style, int id)
{
    HWND child = ::CreateWindowExW(0, Widen(className).c_str(), Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                                   0, 10, 10, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (child && m_font)
        wnd::SetControlFont(child, m_font.Get());
    return child;
}

void CProgressWindow::LayOut()
{
    HFONT font = m_font ? m_font.Get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const SIZE line = TextSize(Handle(), font, "Xg");
    const SIZE label = TextSize(Handle(), font, kCancelLabel);
    const int textHeight = line.cy * kTextLines;
    const int buttonWidth = label.cx + 8 * ::GetSystemMetrics(SM_CXEDGE);
    const int buttonHeight = line.cy + 5 * ::GetSystemMetrics(SM_CYEDGE);
    const int rowTop = kMargin + textHeight + kMargin;
    const int buttonLeft = kLayoutWidth - kMargin - buttonWidth;

    ::MoveWindow(m_text, kMargin, kMargin, kLayoutWidth - 2 * kMargin, textHeight, FALSE);
    ::MoveWindow(m_cancelButton, buttonLeft, rowTop, buttonWidth, buttonHeight, FALSE);
    ::MoveWindow(m_bar, kMargin, rowTop, buttonLeft - 2 * kMargin, buttonHeight, FALSE);

    RECT frame{0, 0, kLayoutWidth, rowTop + buttonHeight + kMargin};
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    ::SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CProgressWindow::PlaceWindow()
{
    const RECT window = WindowRect();
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = 0;
    int y = 0;
    if (m_options.position && m_options.position->Recall(x, y)) {
        // A position from a larger screen than the present one is not used.
        if (::MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL)) {
            ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return;
        }
    }
    HMONITOR monitor = ::MonitorFromWindow(m_options.owner, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(monitor, &info);
    const RECT& area = info.rcWork;
    ::SetWindowPos(Handle(), nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CProgressWindow::MakeModal()
{
    if (m_modal || !Open())
        return;
    if (m_options.owner)
        ::EnableWindow(m_options.owner, FALSE);
    ::EnableWindow(Handle(), TRUE);
    m_modal = true;
}

void CProgressWindow::EndModal()
{
    if (!m_modal)
        return;
    m_modal = false;
    if (m_options.owner)
        ::EnableWindow(m_options.owner, TRUE);
}

void CProgressWindow::SetRange(int lower, int upper, int step)
{
    m_lower = lower;
    m_upper = upper;
    m_step = step;
    if (!Created())
        return;
    ::SendMessageW(m_bar, PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
    ::SendMessageW(m_bar, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void CProgressWindow::SetPosition(int position)
{
    m_position = position;
    if (!Created())
        return;
    if (!IsVisible())
        Show();
    UpdatePercentage();
}

void CProgressWindow::UpdatePercentage()
{
    const long long span = static_cast<long long>(m_upper) - m_lower;
    const int percentage = span > 0 ? static_cast<int>(static_cast<long long>(m_position) * 100 / span) : 0;
    if (percentage != m_shownPercentage) {
        m_shownPercentage = percentage;
        wnd::CWindow::SetText(m_options.title + " [" + std::to_string(percentage) + "%]");
    }
    ::SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(m_position), 0);
}

void CProgressWindow::SetText(const char* format, ...)
{
    if (!Created() || !format)
        return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    wnd::SetTextOf(m_text, text.data());
}

void CProgressWindow::Clear()
{
    m_position = 0;
    m_cancelled = false;
    if (!Created())
        return;
    wnd::SetTextOf(m_text, "");
    UpdatePercentage();
}

void CProgressWindow::Show()
{
    if (Created())
        ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
}

void CProgressWindow::Hide()
{
    if (Created())
        ::ShowWindow(Handle(), SW_HIDE);
}

void CProgressWindow::ProcessMessages(bool escCancels)
{
    if (!Created())
        return;
    if (m_modal && !IsWindowOrChild(Handle(), ::GetFocus()))
        ::SetFocus(m_cancelButton);
    MSG msg;
    while (!m_cancelled) {
        const WaitingMessage waiting = TakeWaitingMessage(msg);
        if (waiting != WaitingMessage::Taken)
            return;
        const bool esc = msg.message == WM_CHAR && msg.wParam == VK_ESCAPE && IsWindowOrChild(Handle(), msg.hwnd);
        if ((esc && escCancels) || (m_modal && IsButtonUpOver(msg, m_cancelButton))) {
            Cancel();
            return;
        }
        DispatchTakenMessage(msg);
    }
}

void CProgressWindow::Cancel()
{
    m_cancelled = true;
    Hide();
    if (m_modal) {
        EndModal();
        Destroy();
    }
    if (m_options.owner)
        ::SetForegroundWindow(m_options.owner);
}

bool CProgressWindow::OnCommand(int id, int code, HWND)
{
    if (id != kCancelId || code != BN_CLICKED)
        return false;
    Cancel();
    return true;
}

void CProgressWindow::SavePosition()
{
    if (!m_options.position || !m_cancelButton)
        return;
    const RECT window = WindowRect();
    m_options.position->Remember(window.left, window.top);
}

LRESULT CProgressWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_CLOSE:
            Cancel();
            return 0;
        case WM_DESTROY:
            SavePosition();
            EndModal();
            break;
        default:
            break;
    }
    return wnd::CWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace wnd
