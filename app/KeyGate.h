// Where the hooks report keys: a message-only window on the thread that put the hook in, which
// does nothing else. A key that the engine's published rules let pass is answered at once and
// handed to the engine afterwards (posted); any other key is the engine's to answer, and the gate
// waits for it. So a key that can only pass never waits for a search, a completion or a save.
//
// When the engine does not take up a key in time, the gate answers for it and keeps the key for
// the engine, which runs such keys before any later one: each key is either answered by the engine
// or by the gate, never both. The gate swallows such a key (but a modifier), and the engine later
// sends it the way it would have (CCompletionEngine::OnSwallowedKey): a stalled engine neither
// doubles nor drops a key, and keys typed meanwhile stay in order. An engine that stays silent for
// seconds is taken for hung: keys then pass, so that typing goes on without it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "app/engine/KeyGateRules.h"
#include "base/WinHandles.h"
#include "wnd/Window.h"

class CKeyGate : public wnd::CWindow {
public:
    // How long the gate waits for the engine to take up a key, and then for its answer: together
    // less than the hook waits for the gate.
    static constexpr UINT kEngineTakeUpMs = 180;
    static constexpr DWORD kEngineAnswerMs = 40;
    // While keys wait for a late engine, the next ones wait only this long: it is still busy.
    static constexpr UINT kLateTakeUpMs = 5;
    static constexpr DWORD kHungAfterMs = 2000;

    // A key the gate answered for the engine, as the hook reported it.
    struct AnsweredKey {
        KeyReport key;
        KeyAnswer answer;
    };

    explicit CKeyGate(HWND engine);
    // Creates the window on the calling thread: the hook's own.
    bool Create();
    HWND Window() const { return Handle(); }

    // Engine thread: the rules as its last piece of work left them.
    void Publish(const KeyGateRules& rules);
    // Engine thread: the keys the gate answered for it, oldest first, taken over.
    std::vector<AnsweredKey> TakeAnsweredKeys();
    // Engine thread, for a key it was sent (serial from the message): false when the gate answered
    // it (it came among TakeAnsweredKeys), true when the engine answers it now.
    bool TakeUp(unsigned serial);
    // Engine thread: its answer to the key it took up last.
    void Answer(KeyAnswer answer);

    // The gate hands a key to the engine with its UTF-16 units (KeyReport::units) in wParam's low
    // 32 bits; a key it asks about has its serial above them.
    static_assert(sizeof(WPARAM) >= 8, "the units and the serial share wParam");
    static unsigned SerialOf(WPARAM wParam) { return static_cast<unsigned>((wParam >> 32) & 0xFFFF); }
    static std::uint32_t UnitsOf(WPARAM wParam) { return static_cast<std::uint32_t>(wParam & 0xFFFFFFFF); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    enum class AskState { Waiting, TakenUp, Answered, GivenUp };
    static constexpr std::size_t kSerialsKept = 256;

    int OnHookKey(WPARAM chars, LPARAM keyInfo);
    // The key's UTF-16 units: the text sent beside its report, else its ANSI bytes converted.
    std::uint32_t UnitsOf(WPARAM chars, LPARAM keyInfo);
    bool OnlyPasses(const KeyReport& key);
    KeyAnswer AskEngine(const KeyReport& key, LPARAM keyInfo);
    // After the engine did not answer in time: its late answer, or the gate's own.
    KeyAnswer AnswerLate(const KeyReport& key);
    // The gate's own answer for a key the engine did not take up (under m_mutex).
    KeyAnswer AnswerForEngine(const KeyReport& key);

    const HWND m_engine;
    CKeyTextPairing m_keyText;        // the hook's thread only
    pvbase::KernelHandle m_answered;  // set when the engine answers a key it took up late
    std::mutex m_mutex;               // guards what follows, up to m_keysAsked
    KeyGateRules m_rules;
    bool m_published = false;
    unsigned m_askSerial = 0;  // the key asked about last, and where it stands
    AskState m_askState = AskState::Answered;
    KeyAnswer m_askAnswer = KeyAnswer::Pass;
    std::vector<AnsweredKey> m_answeredKeys;   // answered for the engine, not yet taken over
    std::deque<unsigned> m_answeredSerials;    // the latest of them, taken over or not
    DWORD m_lateSince = 0;                     // tick of the oldest key not taken over
    std::vector<unsigned> m_swallowedPresses;  // their releases are swallowed too
    std::uint64_t m_keysAsked = 0;             // keys sent to the engine
};
