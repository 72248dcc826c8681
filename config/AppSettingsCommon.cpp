// The parts of CAppSettings that need no system calls: paths and the portable reading.
#include "config/AppSettings.h"

#include <utility>

#include "base/ProgramPaths.h"
#include "config/IniTextReader.h"
#include "config/SelectionKeyCheck.h"

CAppSettings::CAppSettings(std::string programDirectory)
    : m_programDirectory(pvbase::WithTrailingSeparator(std::move(programDirectory)))
{
}

CAppSettings::~CAppSettings() = default;

std::string CAppSettings::ConfigPath() const
{
    return pvbase::ConfigIniPath(m_programDirectory);
}

bool CAppSettings::ReadConfigFile(const std::string& path)
{
    const CIniTextReader ini(path);
    ReadSettings(ini, settings_sections::kAll, m_values);
    CheckReadValues(settings_sections::kAll);
    return ini.Loaded();
}

void CAppSettings::CheckReadValues(const char* section)
{
    if (settings_sections::Covers(section, settings_sections::kHotKeys))
        m_selectionKeysReplaced = RestoreUnchoosableSelectionKeys(m_values);
}
