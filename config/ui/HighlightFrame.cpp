#include "config/ui/HighlightFrame.h"

#include <new>

#include "wnd/Handles.h"

const char kFrameEdgeClass[] = "RectWndClass";
namespace {
const wchar_t kFrameEdgeClassW[] = L"RectWndClass";
}  // namespace

RECT FrameEdgeRect(const FrameStyle& style, int side)
{
    const RECT& r = style.rect;
    const int g = style.gap;
    const int band = style.thickness + 2;
    switch (side) {
        case kFrameLeft:
            return {r.left - g - band, r.top - g, r.left - g, r.bottom + g};
        case kFrameTop:
            return {r.left - g - band, r.top - g - band, r.right + g + band, r.top - g};
        case kFrameRight:
            return {r.right + g, r.top - g, r.right + g + band, r.bottom + g};
        default:
            return {r.left - g - band, r.bottom + g, r.right + g + band, r.bottom + g + band};
    }
}

namespace {

HINSTANCE g_frameInstance = nullptr;

class CFrameEdgeWindow {
public:
    CFrameEdgeWindow(int side, const FrameStyle& style) : m_side(side), m_style(&style) {}
    ~CFrameEdgeWindow()
    {
        if (m_hwnd)
            ::DestroyWindow(m_hwnd);
    }
    CFrameEdgeWindow(const CFrameEdgeWindow&) = delete;
    CFrameEdgeWindow& operator=(const CFrameEdgeWindow&) = delete;

    bool Create();
    void Move() const
    {
        const RECT rect = FrameEdgeRect(*m_style, m_side);
        ::SetWindowPos(m_hwnd, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       SWP_NOACTIVATE);
    }
    void Show(bool show) const { ::ShowWindow(m_hwnd, show ? SW_SHOWNA : SW_HIDE); }
    void Repaint() const { ::InvalidateRect(m_hwnd, nullptr, TRUE); }

private:
    static bool RegisterOnce();
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc) const;

    HWND m_hwnd = nullptr;
    int m_side;
    const FrameStyle* m_style;
};

bool CFrameEdgeWindow::RegisterOnce()
{
    WNDCLASSW existing;
    if (::GetClassInfoW(g_frameInstance, kFrameEdgeClassW, &existing))
        return true;
    WNDCLASSW wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_SAVEBITS;
    wc.lpfnWndProc = &CFrameEdgeWindow::WindowProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = g_frameInstance;
    wc.lpszClassName = kFrameEdgeClassW;
    return ::RegisterClassW(&wc) != 0;
}

bool CFrameEdgeWindow::Create()
{
    if (!RegisterOnce())
        return false;
    ::CreateWindowExW(WS_EX_TOOLWINDOW, kFrameEdgeClassW, L"", WS_POPUP, 1, 1, 1, 1, nullptr, nullptr, g_frameInstance,
                      this);
    return m_hwnd != nullptr;
}

LRESULT CALLBACK CFrameEdgeWindow::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* edge = reinterpret_cast<CFrameEdgeWindow*>(::GetWindowLongPtrW(window, 0));
    if (msg == WM_NCCREATE) {
        edge = static_cast<CFrameEdgeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        edge->m_hwnd = window;
        ::SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(edge));
    }
    if (msg == WM_NCDESTROY && edge) {
        edge->m_hwnd = nullptr;
        ::SetWindowLongPtrW(window, 0, 0);
    }
    return edge ? edge->HandleMessage(msg, wParam, lParam) : ::DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CFrameEdgeWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_NCHITTEST:
            return HTTRANSPARENT;  // clicks reach the window beneath
        case WM_ERASEBKGND:
            Paint(reinterpret_cast<HDC>(wParam));
            return 1;
        default:
            return ::DefWindowProcW(m_hwnd, msg, wParam, lParam);
    }
}

void CFrameEdgeWindow::Paint(HDC dc) const
{
    RECT client;
    ::GetClientRect(m_hwnd, &client);
    const int width = client.right;
    const int height = client.bottom;
    {
        wnd::BrushHandle brush(::CreateSolidBrush(m_style->color));
        ::FillRect(dc, &client, brush.Get());
    }
    wnd::SelectObjectScope pen(dc, ::GetStockObject(BLACK_PEN));
    auto line = [dc](int x0, int y0, int x1, int y1) {
        ::MoveToEx(dc, x0, y0, nullptr);
        ::LineTo(dc, x1, y1);
    };
    line(0, 0, 0, height);
    line(width - 1, 0, width - 1, height);
    const int inset = m_style->thickness + 1;
    if (m_side == kFrameTop) {
        line(0, 0, width, 0);
        line(inset, height - 1, width - inset, height - 1);
    } else if (m_side == kFrameBottom) {
        line(0, height - 1, width, height - 1);
        line(inset, 0, width - inset, 0);
    }
}

class CHighlightFrame : public IHighlightFrame {
public:
    CHighlightFrame()
        : m_edges{{kFrameLeft, m_style}, {kFrameTop, m_style}, {kFrameRight, m_style}, {kFrameBottom, m_style}}
    {
    }
    bool Create()
    {
        for (CFrameEdgeWindow& edge : m_edges) {
            if (!edge.Create())
                return false;
        }
        return true;
    }

    void SetRect(const RECT& rect) override
    {
        m_style.rect = rect;
        MoveIfVisible();
    }
    void Show(bool show) override
    {
        if (show == m_visible)
            return;
        m_visible = show;
        if (show)
            MoveEdges();
        for (CFrameEdgeWindow& edge : m_edges)
            edge.Show(show);
    }
    void SetColor(COLORREF color) override
    {
        m_style.color = color;
        if (m_visible) {
            for (CFrameEdgeWindow& edge : m_edges)
                edge.Repaint();
        }
    }
    void SetThickness(int pixels) override
    {
        m_style.thickness = pixels;
        MoveIfVisible();
    }
    void SetGap(int pixels) override
    {
        m_style.gap = pixels;
        MoveIfVisible();
    }

private:
    void MoveEdges()
    {
        for (CFrameEdgeWindow& edge : m_edges)
            edge.Move();
    }
    void MoveIfVisible()
    {
        if (m_visible)
            MoveEdges();
    }

    FrameStyle m_style;  // before the edges, which point at it
    CFrameEdgeWindow m_edges[4];
    bool m_visible = false;
};

}  // namespace

std::unique_ptr<IHighlightFrame> CreateHighlightFrame(HINSTANCE instance)
{
    g_frameInstance = instance;
    std::unique_ptr<CHighlightFrame> frame(new (std::nothrow) CHighlightFrame());
    if (!frame || !frame->Create())
        return nullptr;
    return frame;
}
