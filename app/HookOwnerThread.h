// The thread that puts the program's global hook in and takes it out. Windows calls a global hook
// for programs of the other bitness in the thread that installed it; there the hook only passes
// their keys on, and a thread that does nothing else answers at once, where the engine thread
// would first finish a search.
#pragma once

#include <windows.h>

#include "base/WinHandles.h"

class CHookOwnerThread {
public:
    ~CHookOwnerThread() { Stop(); }
    // Each returns once the hook is in that state; false when the thread could not be started.
    bool Install(HWND receiver);
    bool Remove();
    // Takes the hook out and ends the thread.
    void Stop();

private:
    bool Start();
    bool Run(UINT command, HWND receiver);
    static DWORD WINAPI Loop(LPVOID self);

    pvbase::KernelHandle m_thread;
    pvbase::KernelHandle m_done;  // set when a command was carried out, and once the queue is ready
    DWORD m_threadId = 0;
};
