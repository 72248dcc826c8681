// Owning wrappers for Win32 handles: each closes its handle exactly once, in its destructor.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace wnd {

// A move-only owner of one handle. Traits give the empty value and the release function.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : m_handle(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Empty(); }
    Handle Release()
    {
        Handle h = m_handle;
        m_handle = Traits::Empty();
        return h;
    }
    void Reset(Handle h = Traits::Empty())
    {
        if (m_handle != Traits::Empty() && m_handle != h)
            Traits::Close(m_handle);
        m_handle = h;
    }

private:
    Handle m_handle = Traits::Empty();
};

namespace traits {
template <class H, class Fn, Fn Closer>
struct Simple {
    using Handle = H;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { Closer(h); }
};
struct Kernel {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h)
    {
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
};
struct File {  // CreateFile reports failure as INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h)
    {
        if (h)
            ::CloseHandle(h);
    }
};
struct FindFile {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
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

using HandleOwner = UniqueHandle<traits::Kernel>;  // mutex, event, file, process
using FileOwner = UniqueHandle<traits::File>;
using FindHandle = UniqueHandle<traits::FindFile>;
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

// The clipboard, open for the life of the object. Check IsOpen(): another program may hold it.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : m_open(::OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession()
    {
        if (m_open)
            ::CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

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
