#include "app/HookSwitch.h"

#include "app/FileProblemTeller.h"

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
    // The teller says it once, however often switching on tries again.
    if (CHook32Helper::SystemRuns32BitPrograms() && !m_hook32.Start(window))
        m_problems.TellNo32BitHelper();
#else
    (void)window;
#endif
}
