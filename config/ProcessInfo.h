// Which executable a process (or the process behind a window) runs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "base/WinHandles.h"

class CProcessInfo {
public:
    struct ProcessRecord {
        std::string path;  // full executable path, UTF-8
        DWORD processId = 0;
    };

    enum class Source {
        Automatic,  // the process-status library on NT systems, snapshots elsewhere
        Snapshot,   // tool-help snapshots (only executable names on NT systems)
    };

    explicit CProcessInfo(Source source = Source::Automatic);
    ~CProcessInfo();

    CProcessInfo(const CProcessInfo&) = delete;
    CProcessInfo& operator=(const CProcessInfo&) = delete;

    // Loads PSAPI.DLL and VDMDBG.DLL from the system directory. True when both libraries and
    // all their entry points were found (always true where they are not needed).
    bool Init();
    // Lists every process that can be opened and queried.
    void Enumerate();
    const std::vector<ProcessRecord>& Processes() const { return m_processes; }

    // Fresh enumeration each time; empty when the process is not listed.
    std::string ImagePathOfProcess(DWORD processId);
    std::string ImagePathOfWindow(HWND window);
    // Buffer forms: copy (cut to size - 1 bytes, zero-terminated) and return the length.
    std::size_t ImagePathOfProcess(DWORD processId, char* buffer, std::size_t size);
    std::size_t ImagePathOfWindow(HWND window, char* buffer, std::size_t size);

    bool IsNtFamily() const { return m_ntFamily; }

private:
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    using GetModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    using VdmEnumTaskWowExFn = INT(WINAPI*)(DWORD, void*, LPARAM);

    void EnumerateWithPsapi();
    void EnumerateWithSnapshot();

    bool m_ntFamily = true;
    pvbase::ModuleHandle m_psapi;
    pvbase::ModuleHandle m_vdmdbg;
    EnumProcessesFn m_enumProcesses = nullptr;
    EnumProcessModulesFn m_enumProcessModules = nullptr;
    GetModuleFileNameExFn m_getModuleFileNameEx = nullptr;
    GetModuleBaseNameFn m_getModuleBaseName = nullptr;
    VdmEnumTaskWowExFn m_vdmEnumTaskWowEx = nullptr;
    std::vector<ProcessRecord> m_processes;
};
