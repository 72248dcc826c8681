// A Pennivox.exe started by a benchmark: whether a window is its own, and closing it again.
#pragma once

#include <windows.h>

inline bool OwnedBy(HWND window, const PROCESS_INFORMATION& process)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return window && pid == process.dwProcessId;
}

// Asks the program to close through `window` (may be null), ends it after waitMs, and lets go of
// its handles.
inline void StopProgram(PROCESS_INFORMATION& process, HWND window, DWORD waitMs)
{
    if (!process.hProcess)
        return;
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, waitMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = {};
}
