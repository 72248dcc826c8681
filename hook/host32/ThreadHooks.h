// The helper's hooks: one in each thread with a window in a process of the helper's own bitness.
// A global hook would not do: under Wine a global hook whose library cannot be loaded into a
// process ends the hook chain there, so a second global hook of the other bitness silences the
// main program's hook in every program of its bitness. Hooks in single threads come before the
// global ones in each chain and are only ever put where their library loads.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

#include "base/WinHandles.h"

class CThreadHooks {
public:
    using InstallFn = HHOOK(WINAPI*)(HWND receiver, DWORD threadId);
    // Whether the threads of a process are ours to hook.
    using ServesFn = std::function<bool(DWORD processId)>;

    CThreadHooks(InstallFn install, HWND receiver, ServesFn serves = SameBitness)
        : m_install(install), m_receiver(receiver), m_serves(std::move(serves))
    {
    }
    ~CThreadHooks() { Stop(); }
    CThreadHooks(const CThreadHooks&) = delete;
    CThreadHooks& operator=(const CThreadHooks&) = delete;

    // Hooks every thread that has a top-level window now and, from then on, each thread that
    // creates, shows or focuses a window (the window events arrive in this thread's queue).
    void Start();
    // Takes every hook out and stops following windows.
    void Stop();
    // Drops threads that ended and looks for windows whose events were missed.
    void Sweep();
    // A thread seen with a window of process `processId`: hooked once, when it is served.
    void Cover(DWORD threadId, DWORD processId);
    // Threads seen and not yet ended, hooked or not.
    std::size_t ThreadsSeen() const { return m_threads.size(); }

    // The processes a helper serves: those of its own bitness, where its library loads.
    static bool SameBitness(DWORD processId);

private:
    struct Thread {
        pvbase::KernelHandle handle;  // held, so that the id is not given to another thread
        HHOOK hook = nullptr;         // null: not ours to serve, or the system refused
    };

    static void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD threadId, DWORD);
    static BOOL CALLBACK OnTopLevelWindow(HWND window, LPARAM self);
    void CoverWindow(HWND window);

    InstallFn m_install;
    HWND m_receiver;
    ServesFn m_serves;
    bool m_running = false;
    HWINEVENTHOOK m_windowEvents = nullptr;
    HWINEVENTHOOK m_foregroundEvents = nullptr;
    std::map<DWORD, Thread> m_threads;
};
