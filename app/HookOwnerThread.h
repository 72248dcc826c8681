// The thread that puts the program's global hook in and takes it out, and where the hooks report
// keys (CKeyGate). Windows calls a global hook for programs of the other bitness in the thread
// that installed it; there the hook only passes their keys on, and a thread that does nothing
// else answers at once, where the engine thread would first finish a search.
#pragma once

#include <windows.h>

#include <memory>

#include "app/KeyGate.h"
#include "base/WinHandles.h"

class CHookOwnerThread {
public:
    ~CHookOwnerThread() { Stop(); }
    // Each returns once the hook is in that state; false when the thread could not be started.
    // The keys go to the gate, which hands them to `engine`.
    bool Install(HWND engine);
    bool Remove();
    // Takes the hook out and ends the thread.
    void Stop();
    // Where the hooks report (null before the thread started).
    HWND GateWindow() const { return m_gate ? m_gate->Window() : nullptr; }
    CKeyGate* Gate() const { return m_gate.get(); }

private:
    bool Start(HWND engine);
    bool Run(UINT command);
    static DWORD WINAPI Loop(LPVOID self);

    std::unique_ptr<CKeyGate> m_gate;  // its window lives on the thread
    pvbase::KernelHandle m_thread;
    pvbase::KernelHandle m_done;  // set when a command was carried out, and once the queue is ready
    DWORD m_threadId = 0;
};
