// The settings files (Config.ini, AppConfig.ini) seen through plain types: the engine's own
// settings record plus what the dialog hands to the stores and the hotkey.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/engine/EngineCore.h"
#include "config/SettingsRecord.h"

class CAppRules;
class CAppSettings;
class CAppVerdict;
class IDictionaryEnableStore;
class CDictionaryEnableSettings;

class CSettingsBridge {
public:
    CSettingsBridge();  // the running program's directory
    ~CSettingsBridge();
    CSettingsBridge(const CSettingsBridge&) = delete;
    CSettingsBridge& operator=(const CSettingsBridge&) = delete;

    // Reads Config.ini and AppConfig.ini; returns the values the engine works with.
    SettingsRecord Load();
    // Reads only the hotkeys' section: dwEnableZel.
    std::uint32_t LoadEnableHotkey();
    // The interface language chosen in Options ("" for the user's Windows language).
    std::string LoadLanguage();
    // The last load found selection keys that it replaced with the defaults.
    bool SelectionKeysReplaced() const;
    // Ends in a backslash.
    std::string ProgramDirectory() const;
    // 1 complete here, 0 not, -1 no edit-box rule for the window or its parents.
    int EditBoxRule(HWND window) const;
    // False when the rules switch the program off in the window's application.
    bool IsAppEnabled(HWND window);
    // The registry's first-run flag (cleared when it was set).
    std::uint32_t TakeFirstRun();
    IDictionaryEnableStore* EnableStore();
    CAppSettings& Settings() { return *m_settings; }

private:
    std::unique_ptr<CAppSettings> m_settings;
    std::unique_ptr<CAppRules> m_rules;
    std::unique_ptr<CAppVerdict> m_verdict;  // follows m_rules
    std::unique_ptr<CDictionaryEnableSettings> m_enableStore;
};
