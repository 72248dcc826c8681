// The program's keyboard hook and the 32-bit helper's, put in and taken out together.
#pragma once

#include <windows.h>

#include <vector>

#include "app/Hook32Helper.h"
#include "app/HookOwnerThread.h"

class CFileProblemTeller;

class CHookSwitch {
public:
    // A helper that cannot start is told through `problems`.
    explicit CHookSwitch(CFileProblemTeller& problems) : m_problems(problems) {}
    // Tests run without the hook library.
    void UseHookLibrary(bool use) { m_useHookLibrary = use; }
    // Puts the hooks in, reporting to `window` through the key gate, or takes them out.
    void Set(HWND window, bool enabled);
    // The key gate's side of the engine (CKeyGate); without the hook library, no gate.
    void PublishRules(const KeyGateRules& rules)
    {
        if (CKeyGate* gate = m_hook.Gate())
            gate->Publish(rules);
    }
    std::vector<CKeyGate::AnsweredKey> TakeAnsweredKeys()
    {
        CKeyGate* gate = m_hook.Gate();
        return gate ? gate->TakeAnsweredKeys() : std::vector<CKeyGate::AnsweredKey>();
    }
    bool TakeUpKey(unsigned serial)
    {
        CKeyGate* gate = m_hook.Gate();
        return !gate || gate->TakeUp(serial);
    }
    void AnswerKey(KeyAnswer answer)
    {
        if (CKeyGate* gate = m_hook.Gate())
            gate->Answer(answer);
    }
    // Takes the hooks out and ends the helper (at exit).
    void Stop();
    // Whether the hooks are meant to be in: reports that come while they are out are from hooks
    // nobody could take out (Wine keeps those of a helper that was killed).
    bool Installed() const { return m_installed; }

private:
    // The helper started (or told to put its hook in again); told when it cannot start.
    void Enable32BitHook(HWND window);

    CFileProblemTeller& m_problems;
    bool m_useHookLibrary = true;
    bool m_installed = false;
    CHookOwnerThread m_hook;
    CHook32Helper m_hook32;
};
