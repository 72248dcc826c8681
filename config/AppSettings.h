// Config.ini: the user's settings as one record, loaded and saved section by section.
//
// This header needs no system header, so portable code (the completion engine's tools, their
// tests) can read the values natively; construct with a directory there. Loading and saving
// through the system's profile functions is built for Windows only.
#pragma once

#include <string>

#include "base/FileIo.h"
#include "config/SettingsRecord.h"

class CProfileUpdate;

class CAppSettings {
public:
    // Windows: the directory of the running program.
    CAppSettings();
    // Any directory; a missing final backslash is added.
    explicit CAppSettings(std::string programDirectory);
    ~CAppSettings();

    CAppSettings(const CAppSettings&) = delete;
    CAppSettings& operator=(const CAppSettings&) = delete;

    // The values as last loaded, or as edited since; a save writes them.
    const SettingsRecord& Values() const { return m_values; }
    SettingsRecord& Values() { return m_values; }
    // The last load of the selection keys put defaults in place of keys the Options page could
    // not have chosen.
    bool SelectionKeysReplaced() const { return m_selectionKeysReplaced; }

    // Ends in a backslash.
    const std::string& ProgramDirectory() const { return m_programDirectory; }
    std::string ConfigPath() const;

    // Any platform: the AutoLearn, HotKeys and Others sections of a Config.ini at any path, read
    // without the system's profile functions; keys that are missing keep their defaults. False
    // when the file could not be read (every value is then its default).
    bool ReadConfigFile(const std::string& path);

    // ---- Windows ----
    // Every load reads each key with its default; saves return false when the file could
    // not be written (read-only, locked), leaving it as it was.
    bool LoadAll();
    bool LoadAutoLearn();
    bool SaveAutoLearn();
    bool LoadHotKeys();
    bool SaveHotKeys();
    bool LoadOthers();
    bool SaveOthers();
    // Why the last of these saves failed: read-only, disk full, ... (None after one that worked).
    pvbase::FileFault SaveFault() const { return m_saveFault; }

private:
    // Reads or writes one section of Config.ini (settings_sections::kAll: every section).
    bool LoadSection(const char* section);
    bool SaveSection(const char* section);
    // After reading: selection keys the Options page could not have chosen fall back.
    void CheckReadValues(const char* section);
    // Commits a save of Config.ini and keeps why it failed.
    bool Finish(CProfileUpdate& ini);

    std::string m_programDirectory;
    SettingsRecord m_values;
    bool m_selectionKeysReplaced = false;
    pvbase::FileFault m_saveFault = pvbase::FileFault::None;
};
