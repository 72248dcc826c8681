// Config.ini through the system's profile functions.
#include "config/AppSettings.h"

#include <windows.h>

#include "base/ProgramPaths.h"
#include "config/ProfileFile.h"
#include "config/ProfileUpdate.h"

namespace {

using settings_sections::kAutoLearn;
using settings_sections::kHotKeys;
using settings_sections::kOthers;

}  // namespace

CAppSettings::CAppSettings() : CAppSettings(pvbase::ProgramDirectory()) {}

// ---- Config.ini -------------------------------------------------------------------------

bool CAppSettings::LoadAll()
{
    LoadAutoLearn();
    LoadHotKeys();
    LoadOthers();
    return true;
}

bool CAppSettings::LoadSection(const char* section)
{
    ReadSettings(CProfileFile(ConfigPath().c_str()), section, m_values);
    CheckReadValues(section);
    return true;
}

bool CAppSettings::SaveSection(const char* section)
{
    CProfileUpdate ini(ConfigPath());
    WriteSettings(ini, section, m_values);
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
