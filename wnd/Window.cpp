#include "wnd/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "base/TextPattern.h"
#include "base/Utf8Text.h"
#include "wnd/Language.h"

namespace wnd {
namespace {

const wchar_t kObjectProperty[] = L"PvWindowObject";
HINSTANCE g_resourceInstance = nullptr;

}  // namespace

HINSTANCE ResourceInstance()
{
    return g_resourceInstance ? g_resourceInstance : ::GetModuleHandleW(nullptr);
}

void SetResourceInstance(HINSTANCE instance)
{
    g_resourceInstance = instance;
}

bool RegisterWindowClass(const char* className, UINT classStyle, HICON icon, HBRUSH background, HCURSOR cursor)
{
    const std::wstring name = Widen(className ? className : "");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, name.c_str(), &wc))
        return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    // A window created through CWindow::Create finds its object on WM_NCCREATE.
    wc.lpfnWndProc = &CWindow::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor ? cursor : ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name.c_str();
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

CWindow::~CWindow()
{
    if (m_previousProc)
        Unsubclass();
    if (m_hwnd && ::IsWindow(m_hwnd)) {
        HWND window = m_hwnd;
        DetachHandle();  // the object is going: no more messages to it
        ::DestroyWindow(window);
    }
}

CWindow* CWindow::FromHandle(HWND window)
{
    return window ? static_cast<CWindow*>(::GetPropW(window, kObjectProperty)) : nullptr;
}

void CWindow::AttachHandle(HWND window)
{
    m_hwnd = window;
    ::SetPropW(window, kObjectProperty, this);
}

void CWindow::DetachHandle()
{
    if (m_hwnd)
        ::RemovePropW(m_hwnd, kObjectProperty);
    m_hwnd = nullptr;
}

bool CWindow::Create(const char* className, const char* title, DWORD style, DWORD exStyle, const RECT& rect,
                     HWND parent, HMENU menuOrId)
{
    if (m_hwnd)
        return false;
    const std::wstring wideClass = Widen(className ? className : "");
    const std::wstring wideTitle = Widen(title ? title : "");
    HWND window = ::CreateWindowExW(exStyle, wideClass.c_str(), wideTitle.c_str(), style, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId,
                                    ::GetModuleHandleW(nullptr), this);
    return window != nullptr && m_hwnd == window;
}

bool CWindow::Subclass(HWND window)
{
    if (m_hwnd || !window || FromHandle(window))
        return false;
    AttachHandle(window);
    m_previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindow::SubclassProc)));
    if (!m_previousProc) {
        DetachHandle();
        return false;
    }
    return true;
}

void CWindow::Unsubclass()
{
    if (!m_previousProc || !m_hwnd)
        return;
    ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    m_previousProc = nullptr;
    DetachHandle();
}

void CWindow::Destroy()
{
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

std::string CWindow::Text() const
{
    return WindowText(m_hwnd);
}

void CWindow::SetText(const std::string& text) const
{
    SetTextOf(m_hwnd, text);
}

RECT CWindow::WindowRect() const
{
    RECT r{};
    if (m_hwnd)
        ::GetWindowRect(m_hwnd, &r);
    return r;
}

RECT CWindow::ClientRect() const
{
    RECT r{};
    if (m_hwnd)
        ::GetClientRect(m_hwnd, &r);
    return r;
}

RECT CWindow::ChildRect(HWND child) const
{
    RECT r{};
    if (child && ::GetWindowRect(child, &r))
        ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LRESULT CWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
                return 0;
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && OnNotify(*header, result))
                return result;
            break;
        }
        default:
            break;
    }
    return DefaultProcessing(msg, wParam, lParam);
}

LRESULT CWindow::DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_previousProc)
        return ::CallWindowProcW(m_previousProc, m_hwnd, msg, wParam, lParam);
    return ::DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

LRESULT CWindow::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    try {
        return HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // A failing handler must not unwind into the system; the message gets its default handling.
        try {
            return DefaultProcessing(msg, wParam, lParam);
        } catch (...) {
            return 0;
        }
    }
}

LRESULT CALLBACK CWindow::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = create ? static_cast<CWindow*>(create->lpCreateParams) : nullptr;
        if (self)
            self->AttachHandle(window);
    } else {
        self = FromHandle(window);
    }
    if (!self)
        return ::DefWindowProcW(window, msg, wParam, lParam);
    LRESULT result = self->Dispatch(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        self->DetachHandle();
        self->OnFinalMessage();
    }
    return result;
}

LRESULT CALLBACK CWindow::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWindow* self = FromHandle(window);
    if (!self || !self->m_previousProc)
        return ::DefWindowProcW(window, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        WNDPROC previous = self->m_previousProc;
        self->Unsubclass();
        self->OnFinalMessage();
        return ::CallWindowProcW(previous, window, msg, wParam, lParam);
    }
    return self->Dispatch(msg, wParam, lParam);
}

void FitDialogToWorkArea(HWND dialog, HWND stretchy)
{
    RECT window{}, list{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!stretchy || !::GetWindowRect(dialog, &window) || !::GetWindowRect(stretchy, &list) ||
        !::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& area = monitor.rcWork;
    const int excess =
        std::min<int>((window.bottom - window.top) - (area.bottom - area.top), (list.bottom - list.top) * 2 / 3);
    if (excess <= 0)
        return;
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&list), 2);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (child == stretchy)
            ::SetWindowPos(child, nullptr, 0, 0, r.right - r.left, r.bottom - r.top - excess,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        else if (r.top >= list.bottom)
            ::SetWindowPos(child, nullptr, r.left, r.top - excess, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int width = window.right - window.left, height = window.bottom - window.top - excess;
    ::SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int WindowDpi(HWND window)
{
    // Newer systems tell per window; older ones have one system value.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = window && dpiForWindow ? dpiForWindow(window) : 0;
    if (dpi == 0) {
        HDC screen = ::GetDC(nullptr);
        dpi = screen ? static_cast<UINT>(::GetDeviceCaps(screen, LOGPIXELSY)) : 0;
        if (screen)
            ::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

int ScaleToWindow(HWND window, int length96)
{
    return ::MulDiv(length96, WindowDpi(window), USER_DEFAULT_SCREEN_DPI);
}

std::string LoadResourceString(UINT id)
{
    return Narrow(LoadUiString(id));
}

std::string ResourceText(UINT id, std::initializer_list<std::string> arguments)
{
    return pvbase::FillPlaceholders(LoadResourceString(id), arguments);
}

std::string WindowText(HWND window)
{
    if (!window)
        return {};
    int length = ::GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int n = ::GetWindowTextW(window, buffer.data(), length + 1);
    return Narrow(std::wstring_view(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0));
}

bool SetTextOf(HWND window, const std::string& text)
{
    return window && ::SetWindowTextW(window, Widen(text).c_str()) != FALSE;
}

}  // namespace wnd
