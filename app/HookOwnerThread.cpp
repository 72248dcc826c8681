#include "app/HookOwnerThread.h"

#include "hook/ZelApi.h"

namespace {

const UINT kInstall = WM_APP + 1;
const UINT kRemove = WM_APP + 2;

}  // namespace

bool CHookOwnerThread::Install(HWND engine)
{
    return Start(engine) && Run(kInstall);
}

bool CHookOwnerThread::Remove()
{
    return !m_thread || Run(kRemove);
}

void CHookOwnerThread::Stop()
{
    if (!m_thread)
        return;
    ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);  // the loop takes the hook out as it ends
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
    m_threadId = 0;
    m_gate.reset();
}

bool CHookOwnerThread::Start(HWND engine)
{
    if (m_thread)
        return true;
    m_done.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!m_done)
        return false;
    m_gate = std::make_unique<CKeyGate>(engine);
    m_thread.Reset(::CreateThread(nullptr, 0, Loop, this, 0, &m_threadId));
    if (!m_thread) {
        m_gate.reset();
        return false;
    }
    ::WaitForSingleObject(m_done.Get(), INFINITE);  // its queue and the gate are there
    if (!m_gate->Window()) {
        Stop();
        return false;
    }
    return true;
}

bool CHookOwnerThread::Run(UINT command)
{
    if (!::PostThreadMessageA(m_threadId, command, 0, 0))
        return false;
    // The hook's thread may be asking this one about a key meanwhile: it is answered.
    const HANDLE done = m_done.Get();
    while (::MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

DWORD WINAPI CHookOwnerThread::Loop(LPVOID self)
{
    auto* owner = static_cast<CHookOwnerThread*>(self);
    MSG msg;
    ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const bool created = owner->m_gate->Create();
    ::SetEvent(owner->m_done.Get());
    if (!created)
        return 0;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kInstall)
            ::InstallHook(owner->m_gate->Window());
        else if (msg.message == kRemove)
            ::RemoveHook();
        else
            ::DispatchMessageA(&msg);
        if (msg.message == kInstall || msg.message == kRemove)
            ::SetEvent(owner->m_done.Get());
    }
    ::RemoveHook();
    owner->m_gate->Destroy();
    return 0;
}
