#include "app/HookOwnerThread.h"

#include "hook/ZelApi.h"

namespace {

const UINT kInstall = WM_APP + 1;
const UINT kRemove = WM_APP + 2;

}  // namespace

bool CHookOwnerThread::Install(HWND receiver)
{
    return Run(kInstall, receiver);
}

bool CHookOwnerThread::Remove()
{
    return !m_thread || Run(kRemove, nullptr);
}

void CHookOwnerThread::Stop()
{
    if (!m_thread)
        return;
    ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);  // the loop takes the hook out as it ends
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
    m_threadId = 0;
}

bool CHookOwnerThread::Start()
{
    if (m_thread)
        return true;
    m_done.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!m_done)
        return false;
    m_thread.Reset(::CreateThread(nullptr, 0, Loop, this, 0, &m_threadId));
    if (!m_thread)
        return false;
    ::WaitForSingleObject(m_done.Get(), INFINITE);  // its queue is there: commands can be posted
    return true;
}

bool CHookOwnerThread::Run(UINT command, HWND receiver)
{
    if (!Start() || !::PostThreadMessageA(m_threadId, command, 0, reinterpret_cast<LPARAM>(receiver)))
        return false;
    ::WaitForSingleObject(m_done.Get(), INFINITE);
    return true;
}

DWORD WINAPI CHookOwnerThread::Loop(LPVOID self)
{
    auto* owner = static_cast<CHookOwnerThread*>(self);
    MSG msg;
    ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    ::SetEvent(owner->m_done.Get());
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kInstall)
            ::InstallHook(reinterpret_cast<HWND>(msg.lParam));
        else if (msg.message == kRemove)
            ::RemoveHook();
        else
            ::DispatchMessageA(&msg);
        if (msg.message == kInstall || msg.message == kRemove)
            ::SetEvent(owner->m_done.Get());
    }
    ::RemoveHook();
    return 0;
}
