#include "hook/host32/ThreadHooks.h"

namespace {

// Window events carry no context: the one instance of this single-threaded helper receives them.
CThreadHooks* g_following = nullptr;

BOOL IsWow64(HANDLE process)
{
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64;
}

}  // namespace

void CThreadHooks::Start()
{
    if (m_running)
        return;
    m_running = true;
    g_following = this;
    const DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    m_windowEvents = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_FOCUS, nullptr, OnWindowEvent, 0, 0, flags);
    m_foregroundEvents =
        SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnWindowEvent, 0, 0, flags);
    EnumWindows(OnTopLevelWindow, reinterpret_cast<LPARAM>(this));
}

void CThreadHooks::Stop()
{
    if (m_windowEvents)
        UnhookWinEvent(m_windowEvents);
    if (m_foregroundEvents)
        UnhookWinEvent(m_foregroundEvents);
    m_windowEvents = m_foregroundEvents = nullptr;
    for (auto& entry : m_threads)
        if (entry.second.hook)
            UnhookWindowsHookEx(entry.second.hook);
    m_threads.clear();
    m_running = false;
    if (g_following == this)
        g_following = nullptr;
}

void CThreadHooks::Sweep()
{
    if (!m_running)
        return;
    for (auto it = m_threads.begin(); it != m_threads.end();) {
        if (WaitForSingleObject(it->second.handle.Get(), 0) == WAIT_OBJECT_0) {
            if (it->second.hook)
                UnhookWindowsHookEx(it->second.hook);
            it = m_threads.erase(it);
        } else {
            ++it;
        }
    }
    EnumWindows(OnTopLevelWindow, reinterpret_cast<LPARAM>(this));
}

void CThreadHooks::Cover(DWORD threadId, DWORD processId)
{
    if (!m_running || !threadId || m_threads.count(threadId))
        return;
    Thread thread;
    thread.handle.Reset(OpenThread(SYNCHRONIZE, FALSE, threadId));
    if (!thread.handle)
        return;  // gone already, or not ours to open: a later event tries again
    if (m_serves(processId))
        thread.hook = m_install(m_receiver, threadId);
    m_threads.emplace(threadId, std::move(thread));
}

bool CThreadHooks::SameBitness(DWORD processId)
{
    pvbase::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    // On 64-bit Windows a 32-bit process runs under WOW64: the same bitness means the same answer.
    return process && IsWow64(process.Get()) == IsWow64(GetCurrentProcess());
}

void CThreadHooks::CoverWindow(HWND window)
{
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(window, &processId);
    Cover(threadId, processId);
}

void CALLBACK CThreadHooks::OnWindowEvent(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD)
{
    if (g_following && window)
        g_following->CoverWindow(window);
}

BOOL CALLBACK CThreadHooks::OnTopLevelWindow(HWND window, LPARAM self)
{
    reinterpret_cast<CThreadHooks*>(self)->CoverWindow(window);
    return TRUE;
}
