#include "wnd/LinkStatic.h"

#include <shellapi.h>

#include "base/Utf8Text.h"
#include "wnd/Controls.h"
#include "wnd/MessageBoxes.h"
#include "wnd/WndIds.h"

namespace wnd {

bool CZELStatic::Attach(HWND control)
{
    if (!Subclass(control))
        return false;
    SetLinkTarget(m_target);
    return true;
}

void CZELStatic::SetLinkTarget(const std::string& target)
{
    m_target = target;
    if (!Handle())
        return;
    // Without the notify style a static is transparent to the mouse.
    LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = m_target.empty() ? (style & ~static_cast<LONG_PTR>(SS_NOTIFY)) : (style | SS_NOTIFY);
    ::SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void CZELStatic::SetColours(COLORREF link, COLORREF visited, COLORREF background)
{
    m_linkColour = link;
    m_visitedColour = visited;
    m_background = background;
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, TRUE);
}

void CZELStatic::SetNotification(HWND window, UINT message, WPARAM value)
{
    m_notifyWindow = window;
    m_notifyMessage = message;
    m_notifyValue = value;
}

void CZELStatic::Click()
{
    if (m_notifyWindow && m_notifyMessage)
        ::SendMessageW(m_notifyWindow, m_notifyMessage, m_notifyValue, reinterpret_cast<LPARAM>(Handle()));
    if (m_target.empty())
        return;
    HWND owner = Handle() ? ::GetParent(Handle()) : nullptr;
    const INT_PTR result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(owner, L"open", Widen(m_target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        ::MessageBeep(MB_OK);
        wnd::ShowInfo(owner, ResourceText(IDS_WND_CANNOT_OPEN, {m_target}), MB_ICONINFORMATION);
        return;
    }
    m_visited = true;
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, TRUE);
}

HFONT CZELStatic::LinkFont()
{
    HFONT base = wnd::WindowFont(Handle());
    if (!base)
        base = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (m_underlined && m_underlinedFrom == base)
        return m_underlined.Get();
    LOGFONTW font{};
    if (!::GetObjectW(base, sizeof(font), &font))
        return base;
    font.lfUnderline = TRUE;
    m_underlined.Reset(::CreateFontIndirectW(&font));
    m_underlinedFrom = base;
    return m_underlined ? m_underlined.Get() : base;
}

void CZELStatic::Paint()
{
    wnd::PaintDC dc(Handle());
    RECT client = ClientRect();
    wnd::BrushHandle background(::CreateSolidBrush(m_background));
    ::FillRect(dc.Get(), &client, background.Get());
    wnd::SelectObjectScope font(dc.Get(), LinkFont());
    ::SetBkMode(dc.Get(), TRANSPARENT);
    ::SetTextColor(dc.Get(), m_visited ? m_visitedColour : m_linkColour);
    const LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
    UINT align = DT_LEFT;
    if ((style & SS_TYPEMASK) == SS_CENTER)
        align = DT_CENTER;
    else if ((style & SS_TYPEMASK) == SS_RIGHT)
        align = DT_RIGHT;
    const std::wstring text = Widen(Text());
    ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &client, align | DT_NOPREFIX | DT_WORDBREAK);
}

HCURSOR CZELStatic::Cursor() const
{
    if (!m_handCursor)
        return ::LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR hand = ::LoadCursorW(wnd::ResourceInstance(), MAKEINTRESOURCEW(IDC_HAND_CURSOR));
    return hand ? hand : ::LoadCursorA(nullptr, IDC_HAND);
}

LRESULT CZELStatic::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_target.empty())
        return wnd::CWindow::HandleMessage(msg, wParam, lParam);
    switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR:
            ::SetCursor(Cursor());
            return TRUE;
        case WM_LBUTTONUP:
            Click();
            break;
        default:
            break;
    }
    return wnd::CWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace wnd
