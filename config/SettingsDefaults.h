#pragma once
// The settings' values when Config.ini does not give them: the one table that the settings
// object, the engine's settings record and the program's settings take theirs from.

#include <cstdint>

// The selection keys ([HotKeys]), as virtual-key codes; member names are the Config.ini keys.
struct SelectionKeys {
    std::uint8_t vkSelectPrev = 0x26;                                                               // Up
    std::uint8_t vkSelectNext = 0x28;                                                               // Down
    std::uint8_t vkSelectIndex[10] = {0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79};  // F1..F10
    std::uint8_t vkSelectPageDown = 0x22;                                                           // Page Down
    std::uint8_t vkSelectPageUp = 0x21;                                                             // Page Up
    std::uint8_t vkSelect[10] = {0x09, 0x0D, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};       // 0xFF: empty slot
};

namespace settings_defaults {

// [AutoLearn]
constexpr bool kEnableAutoLearn = true;
constexpr std::uint32_t kMinLearnLength = 0;
inline constexpr char kSeparators[] = "; ',.!\"?";
// [HotKeys] dwEnableZel: Ctrl+F5 (bits 0-7 key, 16-23 hotkey-control modifiers).
constexpr std::uint32_t kEnableHotkey = 0x00020074;
// [Others]
constexpr bool kEnableWord = true;
constexpr bool kEnablePhrase = true;
constexpr bool kEnableShorthand = true;
constexpr std::uint32_t kMinInput = 1;
constexpr std::uint32_t kMinWordLength = 1;
constexpr std::uint32_t kMaxWordLength = 500;
constexpr std::uint32_t kMaxItemShow = 5;
// Candidates ordered by likelihood and by what was typed before (off: learnt items first, then
// the dictionaries in key order).
constexpr bool kRankByUse = true;
// With ranking, a completed word is followed by a blank (taken back before punctuation).
constexpr bool kBlankAfterWord = true;
// AppConfig.ini: the verdict for applications without a rule.
constexpr std::int32_t kWorkOnOtherApps = 1;

}  // namespace settings_defaults
