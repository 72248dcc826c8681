#include "config/SelectionKeyCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

constexpr std::uint8_t kEmptySlot = 0xFF;
constexpr std::uint8_t kUp = 0x26, kDown = 0x28, kPageDown = 0x22, kPageUp = 0x21;
constexpr std::uint8_t kF1 = 0x70, kF10 = 0x79;
// The complete keys the page offers: Ctrl, Shift, Space, Return, Tab.
constexpr std::uint8_t kCompleteKeys[] = {0x11, 0x10, 0x20, 0x0D, 0x09};

// The punctuation keys ("[", "]", "-", "=" on the layout the page was used with).
bool IsPunctuationKey(std::uint8_t vk)
{
    return (vk >= 0xBA && vk <= 0xC0) || (vk >= 0xDB && vk <= 0xDF) || vk == 0xE2;
}

bool MoveKeyChoosable(std::uint8_t vk)
{
    return vk == kUp || vk == kDown || IsPunctuationKey(vk);
}

bool PageKeyChoosable(std::uint8_t vk)
{
    return vk == kPageDown || vk == kPageUp || IsPunctuationKey(vk);
}

// Function keys or the digits of the main keyboard.
bool IndexKeyChoosable(std::uint8_t vk)
{
    return (vk >= kF1 && vk <= kF10) || (vk >= '0' && vk <= '9');
}

bool CompleteKeyChoosable(std::uint8_t vk)
{
    return vk == kEmptySlot ||
           std::find(std::begin(kCompleteKeys), std::end(kCompleteKeys), vk) != std::end(kCompleteKeys);
}

template <std::size_t N>
bool AllChoosable(const std::uint8_t (&slots)[N], bool (*choosable)(std::uint8_t))
{
    return std::all_of(std::begin(slots), std::end(slots), choosable);
}

bool OneRoleEach(const SelectionKeys& keys)
{
    std::vector<std::uint8_t> used = {keys.vkSelectPrev, keys.vkSelectNext, keys.vkSelectPageDown, keys.vkSelectPageUp};
    used.insert(used.end(), std::begin(keys.vkSelectIndex), std::end(keys.vkSelectIndex));
    for (std::uint8_t vk : keys.vkSelect)
        if (vk != kEmptySlot)
            used.push_back(vk);
    std::sort(used.begin(), used.end());
    return std::adjacent_find(used.begin(), used.end()) == used.end();
}

}  // namespace

bool RestoreUnchoosableSelectionKeys(SelectionKeys& keys)
{
    const SelectionKeys defaults;
    const SelectionKeys read = keys;
    if (!MoveKeyChoosable(keys.vkSelectPrev) || !MoveKeyChoosable(keys.vkSelectNext)) {
        keys.vkSelectPrev = defaults.vkSelectPrev;
        keys.vkSelectNext = defaults.vkSelectNext;
    }
    if (!PageKeyChoosable(keys.vkSelectPageDown) || !PageKeyChoosable(keys.vkSelectPageUp)) {
        keys.vkSelectPageDown = defaults.vkSelectPageDown;
        keys.vkSelectPageUp = defaults.vkSelectPageUp;
    }
    if (!AllChoosable(keys.vkSelectIndex, IndexKeyChoosable))
        std::memcpy(keys.vkSelectIndex, defaults.vkSelectIndex, sizeof keys.vkSelectIndex);
    if (!AllChoosable(keys.vkSelect, CompleteKeyChoosable))
        std::memcpy(keys.vkSelect, defaults.vkSelect, sizeof keys.vkSelect);
    if (!OneRoleEach(keys))
        keys = defaults;
    return std::memcmp(&read, &keys, sizeof keys) != 0;
}
