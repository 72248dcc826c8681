#include "app/EngineThread.h"

#include <ole2.h>

#include "app/EngineHost.h"
#include "app/ThreadMessages.h"
#include "wnd/Handles.h"

CEngineThread::~CEngineThread()
{
    Stop();
}

bool CEngineThread::Start(HWND viewWindow, HWND promptWindow, bool useHookLibrary)
{
    if (m_thread.joinable())
        return m_window != nullptr;
    wnd::HandleOwner ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready)
        return false;
    m_thread = std::thread(&CEngineThread::Run, this, viewWindow, promptWindow, useHookLibrary, ready.Get());
    ::WaitForSingleObject(ready.Get(), INFINITE);
    if (!m_window) {
        m_thread.join();
        return false;
    }
    return true;
}

void CEngineThread::Stop()
{
    if (!m_thread.joinable())
        return;
    if (m_window)
        ::PostMessageW(m_window, WM_ENGINE_STOP, 0, 0);
    m_thread.join();
    m_window = nullptr;
}

void CEngineThread::Call(const std::function<void(ILearningDesk&)>& work) const
{
    if (m_window)
        ::SendMessageW(m_window, WM_ENGINE_CALL, reinterpret_cast<WPARAM>(&work), 0);
}

void CEngineThread::SetEnabled(bool enabled) const
{
    if (m_window)
        ::SendMessageW(m_window, WM_ENGINE_SET_ENABLED, enabled ? 1 : 0, 0);
}

void CEngineThread::Run(HWND viewWindow, HWND promptWindow, bool useHookLibrary, HANDLE ready)
{
    // The caret query of Microsoft Word goes through COM, on this thread.
    const bool oleStarted = SUCCEEDED(::OleInitialize(nullptr));
    {
        CEngineHost host(viewWindow, promptWindow, &m_latestSerial);
        host.SetHookLibrary(useHookLibrary);
        if (host.Create())
            m_window = host.Window();
        ::SetEvent(ready);
        if (m_window) {
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    if (oleStarted)
        ::OleUninitialize();
}
