// Zel32Host.exe: puts the 32-bit hook in on behalf of the 64-bit main program, which cannot load
// a 32-bit library itself. It lives exactly as long as the main program.
#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "base/WinHandles.h"
#include "hook/host32/Host32Protocol.h"

namespace {

using InstallHookFn = int(WINAPI*)(HWND);
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
        m_install =
            reinterpret_cast<InstallHookFn>(reinterpret_cast<void*>(GetProcAddress(m_module, MAKEINTRESOURCEA(1))));
        m_remove =
            reinterpret_cast<RemoveHookFn>(reinterpret_cast<void*>(GetProcAddress(m_module, MAKEINTRESOURCEA(2))));
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
    void Install(HWND window) { m_install(window); }
    void Remove() { m_remove(); }

private:
    HMODULE m_module;
    InstallHookFn m_install = nullptr;
    RemoveHookFn m_remove = nullptr;
};

// Handles the queued commands; false once WM_QUIT came.
bool HandleCommands(CHookLibrary& hook, HWND window)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            return false;
        if (msg.message == WM_HOST32_INSTALL)
            hook.Install(window);
        else if (msg.message == WM_HOST32_REMOVE)
            hook.Remove();
        else
            DispatchMessageA(&msg);
    }
    return true;
}

int Run(const Arguments& args)
{
    pvbase::KernelHandle owner(OpenProcess(SYNCHRONIZE, FALSE, args.ownerProcessId));
    if (!owner.Get())
        return HOST32_EXIT_NO_OWNER;
    CHookLibrary hook;
    if (!hook.Loaded())
        return HOST32_EXIT_NO_LIBRARY;
    hook.Install(args.window);
    // Only now the queue: the owner waits for it (WaitForInputIdle) before it posts, and then
    // knows that the hook is in.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HANDLE waitFor = owner.Get();
    for (;;) {
        DWORD woken = MsgWaitForMultipleObjects(1, &waitFor, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1 || !HandleCommands(hook, args.window))
            break;  // the owner ended (or the wait failed): the hook goes with it
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
