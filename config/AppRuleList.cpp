// The parts of CAppRules that need no system calls: the list and its edits.
#include <algorithm>
#include <utility>

#include "base/ProgramPaths.h"
#include "config/AppRules.h"
#include "config/ProfileText.h"
#ifdef _WIN32
#include "config/WinText.h"
#endif

const char kOtherAppsSection[] = "Other_Apps";
const char kWorkOnKey[] = "WORK_ON_PV";

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

CAppRules::CAppRules(const std::string& programDirectory)
    : m_path(pvbase::AppConfigIniPath(pvbase::WithTrailingSeparator(programDirectory)))
{
}

void CAppRules::Replace(std::vector<AppRule> rules)
{
    m_rules = std::move(rules);
    m_loaded = m_rules;
    Changed();
}

void CAppRules::Restore()
{
    m_rules = m_loaded;
    Changed();
}

void CAppRules::SetWorkOnOtherApps(int32_t workOn)
{
    m_workOnOtherApps = workOn ? 1 : 0;
    Changed();
}

int CAppRules::SameTargetRule(const AppRule& rule) const
{
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        const AppRule& known = m_rules[i];
        if (known.deleted)
            continue;
        if ((!rule.path.empty() && SameName(known.path, rule.path)) ||
            (!rule.editBoxId.empty() && SameName(known.editBoxId, rule.editBoxId)))
            return static_cast<int>(i);
    }
    return -1;
}

bool CAppRules::Update(const AppRule& rule)
{
    auto it =
        std::find_if(m_rules.begin(), m_rules.end(), [&rule](const AppRule& r) { return r.section == rule.section; });
    if (it == m_rules.end())
        return false;
    AppRule replacement = rule;  // the argument may live in the list itself
    AppRule before = std::move(*it);
    m_rules.erase(it);
    // Edited to what another live rule names: that rule takes the edit, as with Add, so no two
    // rules contradict each other; this one's section leaves the file at the next save.
    const int other = replacement.deleted ? -1 : SameTargetRule(replacement);
    if (other >= 0) {
        replacement.section = m_rules[other].section;
        m_rules.erase(m_rules.begin() + other);
        before.deleted = 1;
        m_rules.push_back(std::move(before));
    }
    m_rules.push_back(std::move(replacement));
    Changed();
    return true;
}

bool CAppRules::Remove(const std::string& section)
{
    auto it =
        std::find_if(m_rules.begin(), m_rules.end(), [&section](const AppRule& r) { return r.section == section; });
    if (it == m_rules.end())
        return false;
    AppRule removed = std::move(*it);
    removed.deleted = 1;
    m_rules.erase(it);
    m_rules.push_back(std::move(removed));
    Changed();
    return true;
}

int32_t CAppRules::VerdictForPath(const std::string& imagePath) const
{
    for (const AppRule& rule : m_rules) {
        if (!rule.path.empty() && SameName(rule.path, imagePath))
            return rule.workOn ? 1 : 0;
    }
    return m_workOnOtherApps ? 1 : 0;
}
