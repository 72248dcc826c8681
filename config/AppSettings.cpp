// Config.ini, the DBS flags and the bFirstRun registry value.
#include "config/AppSettings.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "base/ProgramPaths.h"
#include "base/Utf8Text.h"
#include "base/WinHandles.h"
#include "config/DictionaryLanguages.h"
#include "config/ProfileFile.h"
#include "config/ProfileText.h"
#include "config/ProfileUpdate.h"
#include "config/WinText.h"

namespace {

using settings_sections::kAutoLearn;
using settings_sections::kHotKeys;
using settings_sections::kOthers;
const char kDbs[] = "DBS";

}  // namespace

CAppSettings::CAppSettings() : CAppSettings(pvbase::ProgramDirectory()) {}

// ---- Config.ini -------------------------------------------------------------------------

bool CAppSettings::LoadAll()
{
    LoadAppRules();
    LoadAutoLearn();
    LoadHotKeys();
    LoadOthers();
    return true;
}

bool CAppSettings::LoadSection(const char* section)
{
    ReadSettings(CProfileFile(ConfigPath().c_str()), section, *this);
    CheckReadValues(section);
    return true;
}

bool CAppSettings::SaveSection(const char* section)
{
    CProfileUpdate ini(ConfigPath());
    WriteSettings(ini, section, *this);
    return Finish(ini);
}

bool CAppSettings::LoadAutoLearn()
{
    return LoadSection(kAutoLearn);
}

bool CAppSettings::SaveAutoLearn()
{
    return SaveSection(kAutoLearn);
}

bool CAppSettings::LoadHotKeys()
{
    return LoadSection(kHotKeys);
}

bool CAppSettings::SaveHotKeys()
{
    return SaveSection(kHotKeys);
}

bool CAppSettings::LoadOthers()
{
    return LoadSection(kOthers);
}

bool CAppSettings::SaveOthers()
{
    return SaveSection(kOthers);
}

bool CAppSettings::Finish(CProfileUpdate& ini)
{
    const bool saved = ini.Commit();
    m_saveFault = saved ? pvbase::FileFault::None : ini.Fault();
    if (!saved && m_saveFault == pvbase::FileFault::None)
        m_saveFault = pvbase::FileFault::Other;
    return saved;
}

// ---- DBS --------------------------------------------------------------------------------

bool CAppSettings::IsDictionaryEnabled(const std::string& path) const
{
    if (path.empty())
        return true;
    CProfileFile ini(ConfigPath().c_str());
    std::vector<std::string> keys;
    ini.KeyNames(kDbs, keys);
    for (const std::string& key : keys) {
        if (EqualsNoCase(ini.ReadText(kDbs, key.c_str(), ""), path))
            return ini.ReadBool(kDbs, (key + "-B").c_str(), true);
    }
    if (!m_userLanguagesKnown) {
        m_userLanguages = {PRIMARYLANGID(GetUserDefaultUILanguage()), PRIMARYLANGID(GetUserDefaultLangID())};
        m_userLanguagesKnown = true;
    }
    return dictionary_languages::EnabledWithoutRecord(path, m_userLanguages);
}

void CAppSettings::SetUserLanguages(std::vector<int> languages)
{
    m_userLanguages = std::move(languages);
    m_userLanguagesKnown = true;
}

bool CAppSettings::SetDictionaryEnabled(const std::string& path, bool enabled)
{
    if (path.empty())
        return false;
    CProfileUpdate ini(ConfigPath());
    if (!ini.IsStaged())
        return false;
    std::vector<std::string> keys;
    ini.KeyNames(kDbs, keys);
    for (const std::string& key : keys) {
        if (EqualsNoCase(ini.ReadText(kDbs, key.c_str(), ""), path)) {
            ini.WriteBool(kDbs, (key + "-B").c_str(), enabled);
            return ini.Commit();
        }
    }
    // The first DB<n> not yet used; numbers only pair a path with its flag.
    char name[32];
    for (unsigned n = 1; n < 0x7FFFFFFF; ++n) {
        std::snprintf(name, sizeof name, "DB%u", n);
        if (!ini.HasKey(kDbs, name))
            break;
    }
    ini.WriteText(kDbs, name, ProfileText::SingleLine(path).c_str());
    ini.WriteBool(kDbs, (std::string(name) + "-B").c_str(), enabled);
    return ini.Commit();
}
