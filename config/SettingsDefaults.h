#pragma once
// Every value of Config.ini, one line each, in the order its section holds them in the file:
//     (section, member, key, type, minimum, maximum, default)
// The member is the value's name in SettingsRecord (config/SettingsRecord.h), the key its name in
// the file: the same but for one the first versions misspelt and every file since keeps. The record reads,
// writes and copies the values by this table, so the engine, the Options pages and the file
// agree. Minimum and maximum: what an Options page accepts for the number typed in its edit box
// (0, 0 where nothing is typed). A new option is one line here plus its control.
// SELECTION_KEY lines are the keys that work the prompt: they form SelectionKeys.

#include <array>
#include <cstdint>
#include <string>

namespace settings_types {

using Flag = std::int32_t;        // written 1 or 0; "true" and "yes" also read as set
using Number = std::uint32_t;     // unsigned decimal
using Text = std::string;         // one line; an empty value reads as the default
using Key = std::uint8_t;         // a virtual key, two hexadecimal digits
using KeyRow = std::uint8_t[10];  // ten virtual keys; only a well-formed value replaces them

// How a default is held as a constant.
template <class T>
struct Constant {
    using type = T;
};
template <>
struct Constant<Text> {
    using type = const char*;
};
template <>
struct Constant<KeyRow> {
    using type = std::array<std::uint8_t, 10>;
};

}  // namespace settings_types

// clang-format off
#define PV_CONFIG_INI(VALUE, SELECTION_KEY)                                                                                          \
    VALUE(AutoLearn, bEnableAutolearn, "bEanbleAutolearn", Flag, 0, 0, 1)                                                            \
    VALUE(AutoLearn, nMinLearnLength, "nMinLearnLength", Number, 0, 500, 0)                                                          \
    VALUE(AutoLearn, strSeparate, "strSeparate", Text, 0, 0, "; ',.!\"?")                                                            \
    SELECTION_KEY(HotKeys, vkSelectIndex, "vkSelectIndex", KeyRow, 0, 0, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79) \
    SELECTION_KEY(HotKeys, vkSelectPrev, "vkSelectPrev", Key, 0, 0, 0x26)     /* Up */                                               \
    SELECTION_KEY(HotKeys, vkSelectNext, "vkSelectNext", Key, 0, 0, 0x28)     /* Down */                                             \
    SELECTION_KEY(HotKeys, vkSelectPageDown, "vkSelectPageDown", Key, 0, 0, 0x22) /* Page Down */                                    \
    SELECTION_KEY(HotKeys, vkSelectPageUp, "vkSelectPageUp", Key, 0, 0, 0x21)   /* Page Up */                                        \
    SELECTION_KEY(HotKeys, vkSelect, "vkSelect", KeyRow, 0, 0, 0x09, 0x0D, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF)           \
    /* Ctrl+F5: bits 0-7 the key, 16-23 the hotkey control's modifiers */                                                            \
    VALUE(HotKeys, dwEnableZel, "dwEnableZel", Number, 0, 0, 0x00020074)                                                             \
    VALUE(Others, bEnableShorthand, "bEnableShorthand", Flag, 0, 0, 1)                                                               \
    VALUE(Others, bEnableWord, "bEnableWord", Flag, 0, 0, 1)                                                                         \
    VALUE(Others, bEnablePhrase, "bEnablePhrase", Flag, 0, 0, 1)                                                                     \
    VALUE(Others, nMinInput, "nMinInput", Number, 1, 10000, 1)      /* characters typed before the prompt shows */                   \
    VALUE(Others, nMinWordLength, "nMinWordLength", Number, 1, 10000, 1) /* keys offered: shortest */                                \
    VALUE(Others, nMaxWordLength, "nMaxWordLength", Number, 4, 10000, 500) /* and longest */                                         \
    VALUE(Others, nMaxItemShow, "nMaxItemShow", Number, 1, 10, 5)      /* rows per page */                                           \
    /* Candidates ordered by likelihood and what was typed before (off: learnt items first, then */                                  \
    /* the dictionaries in key order); with it, a completed word is followed by a blank. */                                          \
    VALUE(Others, bRankByUse, "bRankByUse", Flag, 0, 0, 1)                                                                           \
    VALUE(Others, bBlankAfterWord, "bBlankAfterWord", Flag, 0, 0, 1)                                                                 \
    /* A folder a sync client shares between PCs, where the user's words are kept and merged */                                      \
    /* (empty: off; see app/SyncHandOver.h). */                                                                                      \
    VALUE(Others, strSyncFolder, "strSyncFolder", Text, 0, 0, "")                                                                    \
    /* The interface's language ("de", ...; empty: the user's Windows language, see wnd/Language.h) */                               \
    VALUE(Others, strLanguage, "strLanguage", Text, 0, 0, "")
// clang-format on

// What a page accepts for a typed number.
struct SettingRange {
    int minimum;
    int maximum;
};

#define PV_SETTING_DEFAULT(section, member, key, kind, minimum, maximum, ...) \
    inline constexpr settings_types::Constant<settings_types::kind>::type member = {__VA_ARGS__};
#define PV_SETTING_RANGE(section, member, key, kind, minimum, maximum, ...) \
    inline constexpr SettingRange member = {minimum, maximum};

// settings_defaults::nMaxItemShow is the value Config.ini gives when it has none.
namespace settings_defaults {
PV_CONFIG_INI(PV_SETTING_DEFAULT, PV_SETTING_DEFAULT)
// AppConfig.ini: the verdict for applications without a rule.
constexpr std::int32_t kWorkOnOtherApps = 1;
}  // namespace settings_defaults

namespace settings_ranges {
PV_CONFIG_INI(PV_SETTING_RANGE, PV_SETTING_RANGE)
}  // namespace settings_ranges

#undef PV_SETTING_DEFAULT
#undef PV_SETTING_RANGE
