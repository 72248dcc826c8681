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
