// The engine's side of the key gate: which keys act on a shown prompt, which presses the prompt
// took (their releases go the same way), the keys held back behind a completion's output with the
// focus changes that wait with them, and the marker key that tells when the target has taken
// that output. It only keeps this state; the engine decides when to hold back and what to replay.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <vector>

#include "app/engine/EngineTypes.h"
#include "app/engine/KeyGateRules.h"
#include "app/engine/KeyReport.h"

class CEngineKeyGate {
public:
    // The keys that the engine sends behind each completion's output, one after the other
    // (unassigned in the system's list); a report of the one sent last tells that the target has
    // taken the output.
    static constexpr unsigned kOwnInputMarkerKeys[] = {0xE8, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D};
    static constexpr unsigned kEscapeKey = 0x1B;

    // What a key does to a shown prompt: move the selection on its press, complete a row on its
    // release, or hide the prompt. code is the selection code (EngineTypes.h).
    struct PromptKey {
        enum Action { NONE, MOVE, CHOOSE, HIDE } action = NONE;
        int code = 0;
    };
    // What waits behind a completion's output, in the order it came.
    struct DeferredEvent {
        enum Kind { Key, SaveText, RestoreText } kind;
        KeyReport key;
        WindowHandle window;
    };

    // The prompt keys of the settings; a key given two roles keeps the stronger.
    void AssignPromptKeys(const SelectionKeys& keys);
    PromptKey PromptKeyOf(unsigned vk) const { return vk < m_promptKeys.size() ? m_promptKeys[vk] : PromptKey(); }
    bool IsPromptKey(unsigned vk) const { return vk < m_promptKeySet.size() && m_promptKeySet[vk]; }

    // Records the fate of a press (true: the prompt takes it) and returns it; a release answers
    // whether its press was taken, and closes it.
    bool TakePress(unsigned vk, bool take);
    bool TakeRelease(unsigned vk);
    bool IsTaken(unsigned vk) const;

    // While keys are held back: whether this one passes all the same (a modifier, the release of a
    // press that reached the target); holding those back would leave a key down in the target.
    bool PassesWhileHoldingBack(const KeyReport& key) const;
    // Holds a key back behind the output; a release closes its press (and the repeats of it), so
    // a later press of the same key keeps its own release.
    void HoldBack(const KeyReport& key);
    bool IsHeldBack(unsigned vk) const;
    void ForgetHeldBack(unsigned vk);
    void DeferFocusChange(DeferredEvent::Kind kind, WindowHandle window);
    void DeferKey(const KeyReport& key);
    // The events that waited, in order; none wait afterwards.
    std::vector<DeferredEvent> TakeDeferred();

    // The next marker to send behind an output: each differs from the one before, so one that
    // comes after the wait gave up on it does not end the wait for the next.
    unsigned NextOwnInputMarker();
    // A report of a marker: true when it is the one awaited, which ends the wait.
    bool MarkerEndsWait(const KeyReport& key);
    // The wait ends without its marker (timer); whether it was waiting.
    bool EndOwnInputWait();
    bool AwaitingOwnInput() const { return m_awaitingOwnInput; }

    // The rules that let the hook thread answer keys without the engine.
    KeyGateRules Rules(bool holdingBack, bool afterAddedBlank) const;

private:
    std::array<PromptKey, 256> m_promptKeys{};  // by virtual key
    std::bitset<256> m_promptKeySet;            // the keys with a role there
    std::vector<unsigned> m_takenKeys;          // pressed and taken by the prompt, not yet released
    std::vector<unsigned> m_heldBackKeys;       // pressed while held back, release not yet come
    std::vector<DeferredEvent> m_deferred;
    bool m_awaitingOwnInput = false;  // the marker behind the last output has not come back
    std::size_t m_markerSlot = 0;     // kOwnInputMarkerKeys: the one sent last
};
