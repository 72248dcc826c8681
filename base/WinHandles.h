#pragma once
// Owners of the kernel-side handles that several subsystems hold: kernel objects, files,
// find searches, registry keys, loaded modules, file mappings and their views.

#include <windows.h>

#include "base/UniqueHandle.h"

namespace pvbase {

namespace traits {
struct Kernel {  // mutex, event, process, thread, file mapping; null when empty
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
inline void CloseRegistryKey(HKEY key)
{
    ::RegCloseKey(key);
}
inline void ReleaseModule(HMODULE module)
{
    ::FreeLibrary(module);
}
inline void ReleaseView(void* view)
{
    ::UnmapViewOfFile(view);
}
}  // namespace traits

using KernelHandle = UniqueHandle<traits::Kernel>;
using FileMappingHandle = KernelHandle;  // CreateFileMapping reports failure as null
using FileHandleOwner = UniqueHandle<traits::File>;
using FindHandle = UniqueHandle<traits::FindFile>;
using RegistryKey = UniqueHandle<NullEmptyTraits<HKEY, void (*)(HKEY), &traits::CloseRegistryKey>>;
using ModuleHandle = UniqueHandle<NullEmptyTraits<HMODULE, void (*)(HMODULE), &traits::ReleaseModule>>;
using MappedView = UniqueHandle<NullEmptyTraits<void*, void (*)(void*), &traits::ReleaseView>>;

// The clipboard, open for the life of the object. Another program may hold it for a moment
// (viewers, managers): `tries` attempts `retryMs` apart. Check IsOpen().
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner, int tries = 1, DWORD retryMs = 0)
    {
        for (int attempt = 0; attempt < tries && !m_open; ++attempt) {
            if (attempt > 0)
                ::Sleep(retryMs);
            m_open = ::OpenClipboard(owner) != FALSE;
        }
    }
    ~ClipboardSession()
    {
        if (m_open)
            ::CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};

}  // namespace pvbase
