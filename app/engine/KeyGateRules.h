// What tells, without asking the engine, that a key can only pass. The engine publishes these
// after each piece of work; the thread that answers the hook answers such keys at once and hands
// them on, so a key never waits for a search, a completion or a save. Every other key (a prompt
// key, a key typed behind a completion, the release of a press that was taken) is the engine's to
// answer.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "app/engine/KeyReport.h"

struct KeyGateRules {
    std::bitset<256> promptKeys;         // keys that act on a shown prompt
    bool holdingBack = false;            // keys wait behind a completion's output
    bool afterAddedBlank = false;        // the next key may go before (or into) a completion's blank
    std::vector<unsigned> pressesTaken;  // pressed and swallowed: their releases go the same way
    // How many keys the engine had answered itself when it published these: rules older than the
    // last key it was asked about do not show what that key did.
    std::uint64_t keysDecided = 0;

    bool OnlyPasses(const KeyReport& key) const;
    static bool IsModifierKey(unsigned vk);
    static bool IsOwnInputMarkerKey(unsigned vk);
    bool operator==(const KeyGateRules& other) const;
    bool operator!=(const KeyGateRules& other) const { return !(*this == other); }
};
