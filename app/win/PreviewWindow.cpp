#include "app/win/PreviewWindow.h"

#include <windowsx.h>

#include "base/Utf8Text.h"

namespace {

const char kPreviewClass[] = "PennivoxPreview";

struct PreviewColours {
    COLORREF background, border, text, light;
};

PreviewColours ColoursFor(int style)
{
    if (style == CPreviewWindow::kStyleShorthand)
        return {RGB(100, 100, 228), RGB(200, 200, 200), RGB(255, 255, 255), RGB(180, 180, 200)};
    return {RGB(255, 255, 191), RGB(130, 130, 130), RGB(64, 64, 64), RGB(255, 255, 255)};
}

COLORREF Darker(COLORREF c)
{
    return RGB(GetRValue(c) * 2 / 3, GetGValue(c) * 2 / 3, GetBValue(c) * 2 / 3);
}

const UINT kTextFlags = DT_NOPREFIX | DT_EXPANDTABS;

}  // namespace

CPreviewWindow::CPreviewWindow()
{
    m_font.Reset(::CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Arial"));
}

bool CPreviewWindow::Create(HWND parent)
{
    if (!wnd::RegisterWindowClass(kPreviewClass))
        return false;
    RECT rect{10, 10, 10 + 250, 10 + 200};
    return CWindow::Create(kPreviewClass, "", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, rect,
                           parent);
}

SIZE CPreviewWindow::MeasuredSize() const
{
    SIZE size{2 * kMargin, 2 * kMargin};
    if (m_text.empty())
        return size;
    wnd::ClientDC dc(Handle());
    if (!dc.Get())
        return size;
    wnd::SelectObjectScope font(dc.Get(), m_font.Get());
    RECT r{0, 0, 0, 0};
    ::DrawTextW(dc.Get(), m_wideText.c_str(), static_cast<int>(m_wideText.size()), &r, kTextFlags | DT_CALCRECT);
    size.cx += r.right - r.left;
    size.cy += r.bottom - r.top;
    return size;
}

void CPreviewWindow::FitToText()
{
    if (!Handle())
        return;
    SIZE size = MeasuredSize();
    RECT now = WindowRect();
    if (now.right - now.left == size.cx && now.bottom - now.top == size.cy)
        return;
    ::SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPreviewWindow::SetText(const std::string& text, int style)
{
    if (text == m_text && style == m_style)
        return;  // the same preview for the next key: nothing to measure or paint
    m_text = text;
    m_wideText = Widen(text);
    m_style = style;
    if (!Handle())
        return;
    if (m_text.empty()) {
        Hide();
        return;
    }
    FitToText();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void CPreviewWindow::Show(bool show, int x, int y)
{
    if (!Handle())
        return;
    if (!show || m_text.empty()) {
        if (IsVisible())
            ::ShowWindow(Handle(), SW_HIDE);
        m_buttonDown = m_dragging = false;
        return;
    }
    if (IsVisible())
        return;
    FitToText();
    ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CPreviewWindow::ShowAt(int x, int y)
{
    if (!IsVisible()) {
        Show(true, x, y);
        return;
    }
    // Moved while shown, not hidden and shown again: that would blink on every key.
    const RECT now = WindowRect();
    if (now.left != x || now.top != y)
        ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CPreviewWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_LBUTTONDOWN:
            OnLButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_CAPTURECHANGED:
            m_buttonDown = m_dragging = false;
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                Hide();
                return 0;
            }
            break;
        default:
            break;
    }
    return CWindow::HandleMessage(msg, wParam, lParam);
}

void CPreviewWindow::OnPaint()
{
    wnd::PaintDC paint(Handle());
    HDC dc = paint.Get();
    if (!dc)
        return;
    FitToText();
    RECT client = ClientRect();
    PreviewColours colours = ColoursFor(m_style);

    wnd::BrushHandle background(::CreateSolidBrush(colours.background));
    ::FillRect(dc, &client, background.Get());
    wnd::BrushHandle border(::CreateSolidBrush(colours.border));
    ::FrameRect(dc, &client, border.Get());
    // A light edge top and left, a darker one bottom and right, inside the border.
    wnd::PenHandle light(::CreatePen(PS_SOLID, 1, colours.light));
    wnd::PenHandle dark(::CreatePen(PS_SOLID, 1, Darker(colours.background)));
    {
        wnd::SelectObjectScope pen(dc, light.Get());
        ::MoveToEx(dc, client.left + 1, client.bottom - 2, nullptr);
        ::LineTo(dc, client.left + 1, client.top + 1);
        ::LineTo(dc, client.right - 1, client.top + 1);
    }
    {
        wnd::SelectObjectScope pen(dc, dark.Get());
        ::MoveToEx(dc, client.left + 1, client.bottom - 2, nullptr);
        ::LineTo(dc, client.right - 2, client.bottom - 2);
        ::LineTo(dc, client.right - 2, client.top);
    }
    wnd::SelectObjectScope font(dc, m_font.Get());
    ::SetTextColor(dc, colours.text);
    ::SetBkMode(dc, TRANSPARENT);
    RECT text = client;
    ::InflateRect(&text, -kMargin, -kMargin);
    ::DrawTextW(dc, m_wideText.c_str(), static_cast<int>(m_wideText.size()), &text, kTextFlags);
}

void CPreviewWindow::OnLButtonDown(POINT client)
{
    m_buttonDown = true;
    m_dragging = false;
    m_dragStartClient = client;
    POINT screen = client;
    ::ClientToScreen(Handle(), &screen);
    m_dragStartScreen = screen;
    ::SetCapture(Handle());
}

void CPreviewWindow::OnMouseMove(POINT client)
{
    if (!m_buttonDown)
        return;
    POINT screen = client;
    ::ClientToScreen(Handle(), &screen);
    int dx = screen.x - m_dragStartScreen.x, dy = screen.y - m_dragStartScreen.y;
    if (!m_dragging && (abs(dx) >= ::GetSystemMetrics(SM_CXDRAG) || abs(dy) >= ::GetSystemMetrics(SM_CYDRAG)))
        m_dragging = true;
    if (m_dragging) {
        // Keep the point that was grabbed under the pointer.
        ::SetWindowPos(Handle(), nullptr, screen.x - m_dragStartClient.x, screen.y - m_dragStartClient.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CPreviewWindow::OnLButtonUp(POINT client)
{
    if (!m_buttonDown)
        return;
    bool dragging = m_dragging;
    if (dragging)
        OnMouseMove(client);
    m_buttonDown = m_dragging = false;
    if (::GetCapture() == Handle())
        ::ReleaseCapture();
    if (!dragging)
        Hide();
}
