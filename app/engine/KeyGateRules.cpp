#include "app/engine/KeyGateRules.h"

#include <algorithm>
#include <iterator>

#include "app/engine/EngineKeyGate.h"

bool KeyGateRules::OnlyPasses(const KeyReport& key) const
{
    if (IsOwnInputMarkerKey(key.vk) || holdingBack)
        return false;
    if (key.released)
        return std::find(pressesTaken.begin(), pressesTaken.end(), key.vk) == pressesTaken.end();
    if (key.vk < promptKeys.size() && promptKeys[key.vk])
        return false;
    return !afterAddedBlank || IsModifierKey(key.vk);
}

bool KeyGateRules::IsModifierKey(unsigned vk)
{
    switch (vk) {
        case 0x10:
        case 0x11:
        case 0x12:  // Shift, Ctrl, Alt
        case 0x14:  // Caps Lock
        case 0x5B:
        case 0x5C:  // the Windows keys
        case 0xA0:
        case 0xA1:
        case 0xA2:
        case 0xA3:
        case 0xA4:
        case 0xA5:
            return true;
        default:
            return false;
    }
}

bool KeyGateRules::IsOwnInputMarkerKey(unsigned vk)
{
    const auto& markers = CEngineKeyGate::kOwnInputMarkerKeys;
    return std::find(std::begin(markers), std::end(markers), vk) != std::end(markers);
}

bool KeyGateRules::operator==(const KeyGateRules& other) const
{
    return promptKeys == other.promptKeys && holdingBack == other.holdingBack &&
           afterAddedBlank == other.afterAddedBlank && pressesTaken == other.pressesTaken &&
           keysDecided == other.keysDecided;
}
