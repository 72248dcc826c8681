// Where the hooks report keys: a message-only window on the thread that put the hook in, which
// does nothing else. A key that the engine's published rules let pass is answered at once and
// handed to the engine afterwards (posted); any other key is the engine's to answer, and the gate
// waits for it. So a key that can only pass never waits for a search, a completion or a save.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>

#include "app/engine/KeyGateRules.h"
#include "wnd/Window.h"

class CKeyGate : public wnd::CWindow {
public:
    // How long the gate waits for the engine's answer: less than the hook waits for the gate, so
    // the engine's answer, or this gate's, always reaches the hook.
    static constexpr UINT kEngineAnswerTimeoutMs = 200;

    explicit CKeyGate(HWND engine) : m_engine(engine) {}
    // Creates the window on the calling thread: the hook's own.
    bool Create();
    HWND Window() const { return Handle(); }
    // Engine thread: the rules as its last piece of work left them.
    void Publish(const KeyGateRules& rules);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    int OnHookKey(WPARAM chars, LPARAM keyInfo);
    bool OnlyPasses(const KeyReport& key);

    const HWND m_engine;
    std::mutex m_mutex;
    KeyGateRules m_rules;  // under m_mutex
    bool m_published = false;
    std::uint64_t m_keysAsked = 0;  // keys handed to the engine to answer (gate thread only)
};
