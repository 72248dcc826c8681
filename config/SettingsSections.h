// The Config.ini sections that the engine works with, read key by key with their defaults.
// One reading for both readers: the system's profile functions (CProfileFile, the program) and
// the portable text reader (CIniTextReader, tools that run anywhere).
#pragma once

#include "config/AppSettings.h"
#include "config/SelectionKeyCheck.h"

namespace settings_sections {

constexpr const char kAutoLearn[] = "AutoLearn";
constexpr const char kHotKeys[] = "HotKeys";
constexpr const char kOthers[] = "Others";

template <class Reader>
void ReadAutoLearn(const Reader& ini, CAppSettings& s)
{
    s.bEanbleAutolearn = ini.ReadBool(kAutoLearn, "bEanbleAutolearn", settings_defaults::kEnableAutoLearn) ? 1 : 0;
    s.nMinLearnLength = ini.ReadUnsigned(kAutoLearn, "nMinLearnLength", settings_defaults::kMinLearnLength);
    s.strSeparate = ini.ReadText(kAutoLearn, "strSeparate", CAppSettings::kDefaultSeparators);
    if (s.strSeparate.empty())
        s.strSeparate = CAppSettings::kDefaultSeparators;
}

// A byte-array key: only a complete, well-formed value replaces the leading bytes.
template <class Reader>
void ReadHotKeys(const Reader& ini, CAppSettings& s)
{
    ini.ReadBytes(kHotKeys, "vkSelectIndex", s.vkSelectIndex, sizeof s.vkSelectIndex, 0);
    ini.ReadBytes(kHotKeys, "vkSelectPrev", &s.vkSelectPrev, 1, 0);
    ini.ReadBytes(kHotKeys, "vkSelectNext", &s.vkSelectNext, 1, 0);
    ini.ReadBytes(kHotKeys, "vkSelectPageDown", &s.vkSelectPageDown, 1, 0);
    ini.ReadBytes(kHotKeys, "vkSelectPageUp", &s.vkSelectPageUp, 1, 0);
    ini.ReadBytes(kHotKeys, "vkSelect", s.vkSelect, sizeof s.vkSelect, 0);
    s.selectionKeysReplaced = RestoreUnchoosableSelectionKeys(s);
    s.dwEnableZel = ini.ReadUnsigned(kHotKeys, "dwEnableZel", CAppSettings::kDefaultEnableZel);
}

template <class Reader>
void ReadOthers(const Reader& ini, CAppSettings& s)
{
    s.bEnableShorthand = ini.ReadBool(kOthers, "bEnableShorthand", settings_defaults::kEnableShorthand) ? 1 : 0;
    s.bEnableWord = ini.ReadBool(kOthers, "bEnableWord", settings_defaults::kEnableWord) ? 1 : 0;
    s.bEnablePhrase = ini.ReadBool(kOthers, "bEnablePhrase", settings_defaults::kEnablePhrase) ? 1 : 0;
    s.nMinInput = ini.ReadUnsigned(kOthers, "nMinInput", settings_defaults::kMinInput);
    s.nMinWordLength = ini.ReadUnsigned(kOthers, "nMinWordLength", settings_defaults::kMinWordLength);
    s.nMaxWordLength = ini.ReadUnsigned(kOthers, "nMaxWordLength", settings_defaults::kMaxWordLength);
    s.nMaxItemShow = ini.ReadUnsigned(kOthers, "nMaxItemShow", settings_defaults::kMaxItemShow);
    s.bRankByUse = ini.ReadBool(kOthers, "bRankByUse", settings_defaults::kRankByUse) ? 1 : 0;
    s.bBlankAfterWord = ini.ReadBool(kOthers, "bBlankAfterWord", settings_defaults::kBlankAfterWord) ? 1 : 0;
}

}  // namespace settings_sections
