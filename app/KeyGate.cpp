#include "app/KeyGate.h"

#include "app/ThreadMessages.h"
#include "hook/HookMessages.h"

namespace {
const char kGateWindowClass[] = "PennivoxKeyGate";
}

bool CKeyGate::Create()
{
    if (!wnd::RegisterWindowClass(kGateWindowClass))
        return false;
    RECT none{};
    return wnd::CWindow::Create(kGateWindowClass, "", 0, 0, none, HWND_MESSAGE);
}

void CKeyGate::Publish(const KeyGateRules& rules)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_rules = rules;
    m_published = true;
}

LRESULT CKeyGate::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_HOOK_KEY)
        return OnHookKey(wParam, lParam);
    return wnd::CWindow::HandleMessage(msg, wParam, lParam);
}

bool CKeyGate::OnlyPasses(const KeyReport& key)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    // Rules published before the engine was done with the last key it was asked about may not
    // show what that key started (a completion, keys held back).
    return m_published && m_rules.keysDecided >= m_keysAsked && m_rules.OnlyPasses(key);
}

int CKeyGate::OnHookKey(WPARAM chars, LPARAM keyInfo)
{
    const KeyReport key = KeyReport::FromHook(static_cast<unsigned>(chars), static_cast<unsigned>(keyInfo));
    if (OnlyPasses(key)) {
        ::PostMessageA(m_engine, WM_ENGINE_KEY_PASSED, chars, keyInfo);
        return 1;
    }
    ++m_keysAsked;
    DWORD_PTR answer = 1;
    if (!::SendMessageTimeoutA(m_engine, WM_HOOK_KEY, chars, keyInfo, SMTO_NORMAL, kEngineAnswerTimeoutMs, &answer))
        return 1;  // as the hook does with a program that does not answer
    return answer == 0 ? 0 : 1;
}
