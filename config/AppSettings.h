// The user's settings (Config.ini) and the per-application rules (AppConfig.ini).
//
// This header needs no system header, so portable code (the completion engine, its tests)
// can read the members natively; construct with a directory there. The operations that
// touch files, windows or the registry are built for Windows only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/FileIo.h"
#include "config/SettingsRecord.h"

class CProfileUpdate;
struct HWND__;  // the system's window handle, without its header

// One application rule (path set) or edit-box rule (edit box id set).
struct AppRule {
    std::string section;    // its section in AppConfig.ini, normally APP<n>
    std::string caption;    // shown in the lists
    std::string path;       // full executable path; empty for edit-box rules
    std::string editBoxId;  // "class#id"; empty for application rules
    int32_t workOn = 1;     // 1: the program works there
    int32_t deleted = 0;    // memory only: remove the section at the next save
};

// Section of AppConfig.ini that holds the verdict for applications without a rule.
extern const char kOtherAppsSection[];
extern const char kWorkOnKey[];

// Number part of the largest rule section (leading digits after the first three
// characters) plus one: the number of the next "APP<n>" section.
int NextRuleSectionNumber(const std::vector<AppRule>& rules);

class CAppSettings : public SettingsRecord {
public:
    // Scoped to the class: the completion engine has a WindowHandle of its own.
    using WindowHandle = HWND__*;

    // Windows: the directory of the running program.
    CAppSettings();
    // Any directory; a missing final backslash is added.
    explicit CAppSettings(std::string programDirectory);
    ~CAppSettings();

    CAppSettings(const CAppSettings&) = delete;
    CAppSettings& operator=(const CAppSettings&) = delete;

    // ---- values: those of Config.ini come from SettingsRecord ----
    std::vector<AppRule> appRules;
    std::vector<AppRule> savedAppRules;  // the list as of the last LoadAppRules
    int32_t workOnOtherApps = settings_defaults::kWorkOnOtherApps;
    int32_t bRunAtStartup = 1;           // memory only
    bool selectionKeysReplaced = false;  // the last LoadHotKeys put defaults in their place

    // The values of Config.ini alone, as the engine takes them.
    const SettingsRecord& Values() const { return *this; }

    // Ends in a backslash.
    const std::string& ProgramDirectory() const { return m_programDirectory; }
    std::string ConfigPath() const;
    std::string AppConfigPath() const;

    // Any platform: the AutoLearn, HotKeys and Others sections of a Config.ini at any path, read
    // without the system's profile functions; keys that are missing keep their defaults. False
    // when the file could not be read (every value is then its default).
    bool ReadConfigFile(const std::string& path);

    // ---- Config.ini (Windows) ----
    // Every load reads each key with its default; saves return false when the file could
    // not be written (read-only, locked), leaving it as it was.
    bool LoadAll();
    bool LoadAutoLearn();
    bool SaveAutoLearn();
    // Selection keys the Options page could not have chosen fall back to their defaults, and
    // selectionKeysReplaced says so until the next load.
    bool LoadHotKeys();
    bool SaveHotKeys();
    bool LoadOthers();
    bool SaveOthers();
    // Why the last of these saves failed: read-only, disk full, ... (None after one that worked).
    pvbase::FileFault SaveFault() const { return m_saveFault; }

    // ---- AppConfig.ini (Windows) ----
    // Every change to the rule list or to the other-applications value drops IsAppEnabled's
    // remembered verdict, so the window in front is judged by the new rules at its next key.
    bool LoadAppRules();
    // All or nothing: false when AppConfig.ini could not be written, leaving it as it was.
    bool SaveAppRules();
    void RestoreAppRules();
    // A rule whose path (or edit box id) already has a live rule edits that rule instead of adding
    // a second one that would contradict it; the result is then the edited rule's index.
    int AddAppRule(const AppRule& rule);
    // Replaces the rule of that section and moves it to the end. Edited to the path (or edit box
    // id) of another live rule, it goes into that rule's section, and its own is deleted.
    bool UpdateAppRule(const AppRule& rule);
    bool RemoveAppRule(const std::string& section);
    void SetWorkOnOtherApps(int32_t workOn);
    std::string NewRuleSection();
    static std::string EditBoxId(WindowHandle window);
    int32_t IsAppEnabled(WindowHandle window);
    int EditBoxRule(WindowHandle window) const;

    // How IsAppEnabled finds the executable of a window's process; the default asks
    // CProcessInfo. Tests put a counting wrapper here.
    using ImagePathLookup = std::function<std::string(WindowHandle)>;
    void SetImagePathLookup(ImagePathLookup lookup) { m_imagePathLookup = std::move(lookup); }
    static std::string DefaultImagePath(WindowHandle window);

private:
    // Reads or writes one section of Config.ini (settings_sections::kAll: every section).
    bool LoadSection(const char* section);
    bool SaveSection(const char* section);
    // After reading: selection keys the Options page could not have chosen fall back.
    void CheckReadValues(const char* section);
    void ForgetAppVerdict();
    // Commits a save of Config.ini and keeps why it failed.
    bool Finish(CProfileUpdate& ini);
    // The live rule naming the same application or edit box as rule, or -1.
    int SameTargetRule(const AppRule& rule) const;

    std::string m_programDirectory;
    WindowHandle m_cachedWindow = nullptr;
    int32_t m_cachedVerdict = 1;
    ImagePathLookup m_imagePathLookup;
    pvbase::FileFault m_saveFault = pvbase::FileFault::None;
};
