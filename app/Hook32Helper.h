// Zel32Host.exe beside the program: it puts the 32-bit copy of the hook in for the same window, so
// 32-bit applications report their keys too. It ends by itself when this process ends.
#pragma once

#include <windows.h>

#include "base/WinHandles.h"

class CHook32Helper {
public:
    ~CHook32Helper() { Stop(); }
    // False when 64-bit Windows runs no 32-bit programs (no WOW64): there is nothing to serve.
    static bool SystemRuns32BitPrograms();
    bool Running() const;
    // Starts the helper with its hook in for `window`; false when it could not start.
    bool Start(HWND window);
    // Puts the helper's hook in or takes it out.
    void SetHook(bool installed);
    // Ends the helper, which takes its hook out; waits at most a second.
    void Stop();

private:
    pvbase::KernelHandle m_process;
    DWORD m_threadId = 0;
};
