#include "app/Hook32Helper.h"

#include <string>

#include "base/ProgramPaths.h"
#include "hook/host32/Host32Protocol.h"

namespace {

// How long the helper may take to put its hook in before keys are answered again.
const DWORD kHook32StartWaitMs = 3000;
const DWORD kHook32StopWaitMs = 1000;

}  // namespace

bool CHook32Helper::SystemRuns32BitPrograms()
{
    char folder[MAX_PATH];
    const UINT length = ::GetSystemWow64DirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::string kernel = std::string(folder) + "\\kernel32.dll";
    return ::GetFileAttributesA(kernel.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CHook32Helper::Running() const
{
    return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool CHook32Helper::Start(HWND window)
{
    Stop();
    const std::string path = pvbase::ProgramDirectory() + HOST32_EXE_NAME;
    std::string command = "\"" + path + "\" " + std::to_string(reinterpret_cast<ULONG_PTR>(window)) + " " +
                          std::to_string(::GetCurrentProcessId());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    m_process.Reset(info.hProcess);
    ::CloseHandle(info.hThread);
    m_threadId = info.dwThreadId;
    // The helper makes its queue once its hook is in; one that ends first could not put it in.
    ::WaitForInputIdle(m_process.Get(), kHook32StartWaitMs);
    return Running();
}

void CHook32Helper::SetHook(bool installed)
{
    if (Running())
        ::PostThreadMessageA(m_threadId, installed ? WM_HOST32_INSTALL : WM_HOST32_REMOVE, 0, 0);
}

void CHook32Helper::Stop()
{
    if (Running()) {
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        if (::WaitForSingleObject(m_process.Get(), kHook32StopWaitMs) != WAIT_OBJECT_0)
            ::TerminateProcess(m_process.Get(), 1);
    }
    m_process.Reset();
    m_threadId = 0;
}
