#include "app/Hook32Helper.h"

#include <string>

#include "base/ProgramPaths.h"
#include "base/Utf8Text.h"
#include "hook/host32/Host32Protocol.h"

namespace {

// How long the helper may take to put its hook in before keys are answered again.
const DWORD kHook32StartWaitMs = 3000;
const DWORD kHook32StopWaitMs = 1000;

}  // namespace

bool CHook32Helper::SystemRuns32BitPrograms()
{
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemWow64DirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::wstring kernel = std::wstring(folder, length) + L"\\kernel32.dll";
    return ::GetFileAttributesW(kernel.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CHook32Helper::Running() const
{
    return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool CHook32Helper::Start(HWND window)
{
    Stop();
    const std::wstring path = Widen(pvbase::ProgramDirectory() + HOST32_EXE_NAME);
    std::wstring command = L"\"" + path + L"\" " + std::to_wstring(reinterpret_cast<ULONG_PTR>(window)) + L" " +
                           std::to_wstring(::GetCurrentProcessId());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
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
        ::PostThreadMessageW(m_threadId, installed ? WM_HOST32_INSTALL : WM_HOST32_REMOVE, 0, 0);
}

void CHook32Helper::Stop()
{
    if (Running()) {
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        if (::WaitForSingleObject(m_process.Get(), kHook32StopWaitMs) != WAIT_OBJECT_0)
            ::TerminateProcess(m_process.Get(), 1);
    }
    m_process.Reset();
    m_threadId = 0;
}
