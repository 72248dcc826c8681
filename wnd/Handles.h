// Owning wrappers for Win32 handles: each closes its handle exactly once, in its destructor.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "base/WinHandles.h"

namespace wnd {

// The generic owner and the kernel-side owners live in base/; the window-system ones are here.
using pvbase::UniqueHandle;

namespace traits {
template <class H, class Fn, Fn Closer>
using Simple = pvbase::NullEmptyTraits<H, Fn, Closer>;
inline void DeleteGdi(HGDIOBJ h)
{
    ::DeleteObject(h);
}
inline void DestroyIconHandle(HICON h)
{
    ::DestroyIcon(h);
}
inline void DestroyMenuHandle(HMENU h)
{
    ::DestroyMenu(h);
}
inline void DestroyOwnedWindow(HWND h)
{
    ::DestroyWindow(h);
}
inline void UnhookHook(HHOOK h)
{
    ::UnhookWindowsHookEx(h);
}
inline void UnhookEvent(HWINEVENTHOOK h)
{
    ::UnhookWinEvent(h);
}
inline void DestroyImages(HIMAGELIST h)
{
    ::ImageList_Destroy(h);
}
}  // namespace traits

using HandleOwner = pvbase::KernelHandle;  // mutex, event, file, process
using FileOwner = pvbase::FileHandleOwner;
using FindHandle = pvbase::FindHandle;
using GdiObject = UniqueHandle<traits::Simple<HGDIOBJ, void (*)(HGDIOBJ), &traits::DeleteGdi>>;
using FontHandle = UniqueHandle<traits::Simple<HFONT, void (*)(HGDIOBJ), &traits::DeleteGdi>>;
using BrushHandle = UniqueHandle<traits::Simple<HBRUSH, void (*)(HGDIOBJ), &traits::DeleteGdi>>;
using PenHandle = UniqueHandle<traits::Simple<HPEN, void (*)(HGDIOBJ), &traits::DeleteGdi>>;
using BitmapHandle = UniqueHandle<traits::Simple<HBITMAP, void (*)(HGDIOBJ), &traits::DeleteGdi>>;
using IconHandle = UniqueHandle<traits::Simple<HICON, void (*)(HICON), &traits::DestroyIconHandle>>;
using MenuHandle = UniqueHandle<traits::Simple<HMENU, void (*)(HMENU), &traits::DestroyMenuHandle>>;
using WindowOwner = UniqueHandle<traits::Simple<HWND, void (*)(HWND), &traits::DestroyOwnedWindow>>;
using HookHandle = UniqueHandle<traits::Simple<HHOOK, void (*)(HHOOK), &traits::UnhookHook>>;
using WinEventHookHandle = UniqueHandle<traits::Simple<HWINEVENTHOOK, void (*)(HWINEVENTHOOK), &traits::UnhookEvent>>;
using ImageListHandle = UniqueHandle<traits::Simple<HIMAGELIST, void (*)(HIMAGELIST), &traits::DestroyImages>>;

using ClipboardSession = pvbase::ClipboardSession;

// GetDC/ReleaseDC for a window (or the screen with a null window).
class ClientDC {
public:
    explicit ClientDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~ClientDC()
    {
        if (m_dc)
            ::ReleaseDC(m_window, m_dc);
    }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// BeginPaint/EndPaint for WM_PAINT.
class PaintDC {
public:
    explicit PaintDC(HWND window) : m_window(window) { m_dc = ::BeginPaint(window, &m_paint); }
    ~PaintDC() { ::EndPaint(m_window, &m_paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return m_dc; }
    const RECT& Invalid() const { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc = nullptr;
};

// Selects an object into a device context and puts the previous one back.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~SelectObjectScope()
    {
        if (m_previous && m_previous != HGDI_ERROR)
            ::SelectObject(m_dc, m_previous);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

}  // namespace wnd
