// Pennivox.exe started in a program folder and timed until loading is over, for the start-up
// benchmarks (scripts/bench-rules.sh, scripts/bench-startup.sh).
#pragma once

#include <windows.h>

#include <psapi.h>

#include <string>

#include "bench/app/ProgramProcess.h"
#include "bench/editor/BenchTiming.h"

struct ProgramStartup {
    double ms = -1;           // from CreateProcess until the prompt says loading is over; -1: it did not
    double workingSetMb = 0;  // then
    double committedMb = 0;   // private memory committed (page file usage)
};

// Starts FOLDER\Pennivox.exe, waits until its prompt takes the title that ends loading, reads
// its memory and closes it again (lingerMs later: work that goes on after loading).
inline ProgramStartup StartProgram(const std::string& folder, DWORD lingerMs = 0)
{
    ProgramStartup result;
    std::string command = "\"" + folder + "\\Pennivox.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    const double start = Now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info))
        return result;
    HWND prompt = nullptr;
    while (Now() - start < 120000) {
        prompt = FindWindowA("#32770", "Pennivox");  // the prompt is a dialog
        if (OwnedBy(prompt, info)) {
            result.ms = Now() - start;
            PROCESS_MEMORY_COUNTERS memory = {};
            memory.cb = sizeof memory;
            if (GetProcessMemoryInfo(info.hProcess, &memory, memory.cb)) {
                result.workingSetMb = memory.WorkingSetSize / 1048576.0;
                result.committedMb = memory.PagefileUsage / 1048576.0;
            }
            break;
        }
        if (WaitForSingleObject(info.hProcess, 5) == WAIT_OBJECT_0)
            break;
    }
    if (result.ms >= 0)
        Sleep(lingerMs);
    StopProgram(info, prompt, 15000);
    return result;
}
