#include "app/HookSwitch.h"

#include "base/WinHandles.h"
#include "hook/host32/Host32Protocol.h"
#include "res/resource.h"
#include "wnd/MessageBoxes.h"
#include "wnd/Window.h"

namespace {

// On a thread of its own: the engine thread never waits for a message box.
DWORD WINAPI TellNo32BitPrompts(LPVOID)
{
    wnd::ShowInfo(nullptr, wnd::ResourceText(IDS_NO_32BIT_HOST, {HOST32_EXE_NAME}), MB_ICONWARNING);
    return 0;
}

}  // namespace

void CHookSwitch::Set(HWND window, bool enabled)
{
    if (m_useHookLibrary) {
        if (enabled) {
            m_hook.Install(window);
            Enable32BitHook(m_hook.GateWindow());
        } else if (m_installed) {
            m_hook.Remove();
            m_hook32.SetHook(false);
        }
    }
    m_installed = enabled;
}

void CHookSwitch::Stop()
{
    m_hook.Stop();
    m_hook32.Stop();
    m_installed = false;
}

void CHookSwitch::Enable32BitHook(HWND window)
{
#ifdef PV_WITH_HOOK32
    if (m_hook32.Running()) {
        m_hook32.SetHook(true);
        return;
    }
    if (!CHook32Helper::SystemRuns32BitPrograms() || m_hook32.Start(window) || m_hook32FailureTold)
        return;
    m_hook32FailureTold = true;
    pvbase::KernelHandle thread(::CreateThread(nullptr, 0, TellNo32BitPrompts, nullptr, 0, nullptr));
#else
    (void)window;
#endif
}
