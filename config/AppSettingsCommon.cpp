// The parts of CAppSettings that need no system calls: defaults, paths, rule list edits.
#include "config/AppSettings.h"

#include <algorithm>

#include "base/ProgramPaths.h"
#include "config/ProfileText.h"
#ifdef _WIN32
#include "config/WinText.h"
#endif
#include "config/IniTextReader.h"
#include "config/SelectionKeyCheck.h"

const char kOtherAppsSection[] = "Other_Apps";
const char kWorkOnKey[] = "WORK_ON_PV";


CAppSettings::CAppSettings(std::string programDirectory)
    : m_programDirectory(pvbase::WithTrailingSeparator(std::move(programDirectory)))
{
}

CAppSettings::~CAppSettings() = default;

std::string CAppSettings::ConfigPath() const
{
    return pvbase::ConfigIniPath(m_programDirectory);
}

std::string CAppSettings::AppConfigPath() const
{
    return pvbase::AppConfigIniPath(m_programDirectory);
}

bool CAppSettings::ReadConfigFile(const std::string& path)
{
    const CIniTextReader ini(path);
    ReadSettings(ini, settings_sections::kAll, *this);
    CheckReadValues(settings_sections::kAll);
    return ini.Loaded();
}

void CAppSettings::CheckReadValues(const char* section)
{
    if (settings_sections::Covers(section, settings_sections::kHotKeys))
        selectionKeysReplaced = RestoreUnchoosableSelectionKeys(*this);
}

int NextRuleSectionNumber(const std::vector<AppRule>& rules)
{
    long long largest = 0;
    for (const AppRule& rule : rules) {
        if (rule.section.size() <= 3)
            continue;
        long long number = 0;
        for (std::size_t i = 3; i < rule.section.size(); ++i) {
            char c = rule.section[i];
            if (c < '0' || c > '9')
                break;
            number = number * 10 + (c - '0');
            if (number > 0x7FFFFFFE) {  // a hostile name must not wrap into a reused number
                number = 0x7FFFFFFE;
                break;
            }
        }
        largest = std::max(largest, number);
    }
    return static_cast<int>(largest + 1);
}

void CAppSettings::ForgetAppVerdict()
{
    m_cachedWindow = nullptr;
    m_cachedVerdict = 1;
}

void CAppSettings::SetWorkOnOtherApps(int32_t workOn)
{
    workOnOtherApps = workOn ? 1 : 0;
    ForgetAppVerdict();
}

void CAppSettings::RestoreAppRules()
{
    appRules = savedAppRules;
    ForgetAppVerdict();
}

namespace {

// Paths and edit-box ids name the same thing whatever their letter case.
bool SameName(const std::string& a, const std::string& b)
{
#ifdef _WIN32
    return EqualsNoCase(a, b);
#else
    return ProfileText::EqualsNoCaseAscii(a, b);
#endif
}

}  // namespace

int CAppSettings::SameTargetRule(const AppRule& rule) const
{
    for (std::size_t i = 0; i < appRules.size(); ++i) {
        const AppRule& known = appRules[i];
        if (known.deleted)
            continue;
        if ((!rule.path.empty() && SameName(known.path, rule.path)) ||
            (!rule.editBoxId.empty() && SameName(known.editBoxId, rule.editBoxId)))
            return static_cast<int>(i);
    }
    return -1;
}

bool CAppSettings::UpdateAppRule(const AppRule& rule)
{
    auto it =
        std::find_if(appRules.begin(), appRules.end(), [&rule](const AppRule& r) { return r.section == rule.section; });
    if (it == appRules.end())
        return false;
    AppRule replacement = rule;  // the argument may live in the list itself
    AppRule before = std::move(*it);
    appRules.erase(it);
    // Edited to what another live rule names: that rule takes the edit, as with Add, so no two
    // rules contradict each other; this one's section leaves the file at the next save.
    const int other = replacement.deleted ? -1 : SameTargetRule(replacement);
    if (other >= 0) {
        replacement.section = appRules[other].section;
        appRules.erase(appRules.begin() + other);
        before.deleted = 1;
        appRules.push_back(std::move(before));
    }
    appRules.push_back(std::move(replacement));
    ForgetAppVerdict();
    return true;
}

bool CAppSettings::RemoveAppRule(const std::string& section)
{
    auto it =
        std::find_if(appRules.begin(), appRules.end(), [&section](const AppRule& r) { return r.section == section; });
    if (it == appRules.end())
        return false;
    AppRule removed = std::move(*it);
    removed.deleted = 1;
    appRules.erase(it);
    appRules.push_back(std::move(removed));
    ForgetAppVerdict();
    return true;
}
