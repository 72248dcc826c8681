// Reading and writing AppConfig.ini, and the questions about windows that the rules answer.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "base/ProgramPaths.h"
#include "base/Utf8Text.h"
#include "config/AppRules.h"
#include "config/ProfileFile.h"
#include "config/ProfileText.h"
#include "config/ProfileUpdate.h"
#include "config/WinText.h"

namespace {

const char kCaptionKey[] = "CAPTION";
const char kPathKey[] = "PATH";
const char kEditIdKey[] = "EDIT_ID";

// A parent chain longer than this is a loop of owners, not a real window tree.
constexpr int kLongestParentChain = 256;

// The sections of AppConfig.ini and the values the rules read, as the system's profile reader
// gives them. The file is read once: the system's reader looks it up again for every value,
// which for thousands of rules takes seconds.
std::vector<ProfileText::IniSection> ReadRuleSections(const std::string& path)
{
    CProfileFile ini(path.c_str());
    ini.Flush();
    std::string text;
    std::vector<ProfileText::IniSection> sections;
    if (CProfileUpdate::ReadFileText(path, &text)) {
        sections = ProfileText::ParseIniText(text);
        for (ProfileText::IniSection& section : sections) {
            for (auto& entry : section.entries)
                entry.second = ProfileText::UnquotedValue(entry.second);
        }
        return sections;
    }
    std::vector<std::string> names;  // a file that cannot be read whole: through the system
    ini.SectionNames(names);
    for (const std::string& name : names) {
        sections.push_back(ProfileText::IniSection{name, {}});
        for (const char* key : {kCaptionKey, kPathKey, kEditIdKey, kWorkOnKey}) {
            if (ini.HasKey(name.c_str(), key))
                sections.back().entries.emplace_back(key, ini.ReadText(name.c_str(), key, ""));
        }
    }
    return sections;
}

}  // namespace

CAppRules::CAppRules() : CAppRules(pvbase::ProgramDirectory()) {}

bool CAppRules::Load()
{
    std::vector<AppRule> rules;
    const std::vector<ProfileText::IniSection> sections = ReadRuleSections(m_path);
    const ProfileText::CIniIndex index(sections);
    auto text = [&index](const std::string& section, const char* key) {
        const std::string* value = index.Value(section, key);
        return value ? *value : std::string();
    };
    for (const ProfileText::IniSection& section : sections) {
        const std::string& name = section.name;
        if (name.empty())
            continue;  // not listed by the system either
        if (ProfileText::EqualsNoCaseAscii(name, kOtherAppsSection)) {
            m_workOnOtherApps = ProfileText::ParseBool(text(name, kWorkOnKey), true) ? 1 : 0;
            continue;
        }
        AppRule rule;
        rule.section = name;
        rule.caption = text(name, kCaptionKey);
        rule.path = text(name, kPathKey);
        rule.editBoxId = text(name, kEditIdKey);
        rule.workOn = ProfileText::ParseBool(text(name, kWorkOnKey), true) ? 1 : 0;
        rule.deleted = 0;
        rules.push_back(std::move(rule));
    }
    Replace(std::move(rules));
    return true;
}

bool CAppRules::Save()
{
    // One staged update for the whole file: either every rule lands or none does.
    CProfileUpdate ini(m_path, CProfileUpdate::Writes::Together);
    ini.WriteBool(kOtherAppsSection, kWorkOnKey, m_workOnOtherApps != 0);
    for (const AppRule& rule : m_rules) {
        if (rule.section.empty())
            continue;
        const char* section = rule.section.c_str();
        if (rule.deleted) {
            ini.RemoveSection(section);
            continue;
        }
        ini.WriteText(section, kCaptionKey, ProfileText::SingleLine(rule.caption).c_str());
        ini.WriteText(section, kPathKey, ProfileText::SingleLine(rule.path).c_str());
        ini.WriteText(section, kEditIdKey, ProfileText::SingleLine(rule.editBoxId).c_str());
        ini.WriteBool(section, kWorkOnKey, rule.workOn != 0);
    }
    return ini.Commit();
}

std::string CAppRules::NewSection()
{
    if (m_rules.empty())
        Load();
    char name[32];
    std::snprintf(name, sizeof name, "APP%d", NextRuleSectionNumber(m_rules));
    return name;
}

int CAppRules::Add(const AppRule& rule)
{
    AppRule added = rule;
    if (added.section.empty())
        added.section = NewSection();
    if (added.path.empty() && added.editBoxId.empty())
        return -1;
    const int known = SameTargetRule(added);
    if (known >= 0) {
        added.section = m_rules[known].section;
        added.deleted = 0;
        Update(added);
    } else {
        m_rules.push_back(std::move(added));
        Changed();
    }
    return static_cast<int>(m_rules.size()) - 1;
}

std::string CAppRules::EditBoxId(HWND window)
{
    if (!window || !IsWindow(window))
        return std::string();
    wchar_t className[256];
    int length = GetClassNameW(window, className, 255);
    if (length <= 0)
        return std::string();
    // Only a child window has a control id: in a top-level window's place the system keeps the
    // handle of its menu, which changes from run to run.
    const bool child = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0;
    char id[16];
    std::snprintf(id, sizeof id, "#%d", child ? GetDlgCtrlID(window) : 0);
    return Narrow(std::wstring_view(className, static_cast<std::size_t>(length))) + id;
}

int CAppRules::EditBoxRule(HWND window) const
{
    // Each step of the walk asks the window's process: skip it when no rule names an edit box.
    const bool anyEditBoxRule =
        std::any_of(m_rules.begin(), m_rules.end(), [](const AppRule& rule) { return !rule.editBoxId.empty(); });
    if (!anyEditBoxRule)
        return -1;
    HWND current = window;
    for (int depth = 0; current && depth < kLongestParentChain; ++depth) {
        const std::string id = EditBoxId(current);
        if (!id.empty()) {
            for (const AppRule& rule : m_rules) {
                if (!rule.editBoxId.empty() && EqualsNoCase(rule.editBoxId, id))
                    return rule.workOn ? 1 : 0;
            }
        }
        current = GetParent(current);
    }
    return -1;
}
