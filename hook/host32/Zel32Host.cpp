// Zel32Host.exe: puts the 32-bit hook in on behalf of the 64-bit main program, which cannot load
// a 32-bit library itself: one hook in each thread of a 32-bit program (CThreadHooks). It lives
// exactly as long as the main program.
#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "base/WinHandles.h"
#include "hook/host32/Host32Protocol.h"
#include "hook/host32/ThreadHooks.h"
#include "hook/ZelApi.h"

namespace {

using RemoveHookFn = void(WINAPI*)();

struct Arguments {
    HWND window = nullptr;
    DWORD ownerProcessId = 0;
};

bool ParseNumber(const char* text, unsigned long& value)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    value = strtoul(text, &end, 10);
    return errno == 0 && *end == '\0' && value != 0;
}

bool ParseArguments(int argc, char** argv, Arguments& args)
{
    unsigned long window = 0, process = 0;
    if (argc != 3 || !ParseNumber(argv[1], window) || !ParseNumber(argv[2], process))
        return false;
    args.window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(window));
    args.ownerProcessId = process;
    return true;
}

class CHookLibrary {
public:
    CHookLibrary() : m_module(LoadLibraryA(PV_ZEL_FILE))
    {
        if (!m_module)
            return;
        m_install = reinterpret_cast<CThreadHooks::InstallFn>(
            reinterpret_cast<void*>(GetProcAddress(m_module, MAKEINTRESOURCEA(ZEL_ORDINAL_INSTALL_THREAD_HOOK))));
        m_remove = reinterpret_cast<RemoveHookFn>(
            reinterpret_cast<void*>(GetProcAddress(m_module, MAKEINTRESOURCEA(ZEL_ORDINAL_REMOVE_HOOK))));
    }
    ~CHookLibrary()
    {
        if (m_remove)
            m_remove();
        if (m_module)
            FreeLibrary(m_module);
    }
    CHookLibrary(const CHookLibrary&) = delete;
    CHookLibrary& operator=(const CHookLibrary&) = delete;

    bool Loaded() const { return m_install && m_remove; }
    CThreadHooks::InstallFn ThreadInstaller() const { return m_install; }
    // Forgets the main window: a hook that outlives its removal lets every key pass.
    void Forget() { m_remove(); }

private:
    HMODULE m_module;
    CThreadHooks::InstallFn m_install = nullptr;
    RemoveHookFn m_remove = nullptr;
};

// Threads whose windows came up unseen (an event lost) are found by this sweep.
const UINT kSweepMs = 1000;

// Handles the queued commands; false once WM_QUIT came.
bool HandleCommands(CHookLibrary& library, CThreadHooks& hooks)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            return false;
        if (msg.message == WM_HOST32_INSTALL) {
            hooks.Start();
        } else if (msg.message == WM_HOST32_REMOVE) {
            hooks.Stop();
            library.Forget();
        } else if (msg.message == WM_TIMER && !msg.hwnd) {
            hooks.Sweep();
        } else {
            DispatchMessageA(&msg);
        }
    }
    return true;
}

int Run(const Arguments& args)
{
    pvbase::KernelHandle owner(OpenProcess(SYNCHRONIZE, FALSE, args.ownerProcessId));
    if (!owner.Get())
        return HOST32_EXIT_NO_OWNER;
    CHookLibrary library;
    if (!library.Loaded())
        return HOST32_EXIT_NO_LIBRARY;
    CThreadHooks hooks(library.ThreadInstaller(), args.window);
    hooks.Start();
    SetTimer(nullptr, 0, kSweepMs, nullptr);
    // Only now a look at the queue: the owner waits for it (WaitForInputIdle) before it posts,
    // and then knows that the hooks are in.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HANDLE waitFor = owner.Get();
    for (;;) {
        DWORD woken = MsgWaitForMultipleObjects(1, &waitFor, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1 || !HandleCommands(library, hooks))
            break;  // the owner ended (or the wait failed): the hooks go with it
    }
    return HOST32_EXIT_DONE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Arguments args;
    if (!ParseArguments(__argc, __argv, args))
        return HOST32_EXIT_USAGE;
    return Run(args);
}
