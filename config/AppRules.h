// AppConfig.ini: the per-application and per-edit-box rules, the value for applications without
// a rule, and the questions the key handling asks of them.
//
// Needs no system header: the list edits are portable and tested natively; loading, saving and
// the window questions are built for Windows only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/SettingsDefaults.h"

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

class CAppRules {
public:
    using WindowHandle = HWND__*;

    // Windows: AppConfig.ini beside the running program.
    CAppRules();
    // AppConfig.ini in any directory; a missing final backslash is added.
    explicit CAppRules(const std::string& programDirectory);

    const std::string& Path() const { return m_path; }
    // Live and deleted rules alike; a deleted one leaves the file at the next save.
    const std::vector<AppRule>& Rules() const { return m_rules; }
    int32_t WorkOnOtherApps() const { return m_workOnOtherApps; }
    // Counts every change of the rules or of the other-applications value, so whoever keeps an
    // answer drawn from them knows when it is stale.
    unsigned Revision() const { return m_revision; }

    // Windows. Loading keeps the other-applications value when the file has no section for it.
    bool Load();
    // All or nothing: false when AppConfig.ini could not be written, leaving it as it was.
    bool Save();
    // The list as the last Load (or Replace) left it.
    void Restore();
    // Takes a list as if it had been loaded.
    void Replace(std::vector<AppRule> rules);

    // A rule whose path (or edit box id) already has a live rule edits that rule instead of adding
    // a second one that would contradict it; the result is then the edited rule's index. -1 for a
    // rule that names neither.
    int Add(const AppRule& rule);
    // Replaces the rule of that section and moves it to the end. Edited to the path (or edit box
    // id) of another live rule, it goes into that rule's section, and its own is deleted.
    bool Update(const AppRule& rule);
    // Marks the rule deleted and moves it to the end.
    bool Remove(const std::string& section);
    void SetWorkOnOtherApps(int32_t workOn);
    // The next free "APP<n>"; loads the file first while the list is empty.
    std::string NewSection();

    // 1 or 0 from the first rule naming this executable, else the other-applications value.
    int32_t VerdictForPath(const std::string& imagePath) const;
    // 1 or 0 from the rule of the window's edit box or of the nearest parent that has one;
    // -1 when none has.
    int EditBoxRule(WindowHandle window) const;
    // "class#id" of a window, as edit-box rules name it; empty for no window.
    static std::string EditBoxId(WindowHandle window);

private:
    // The live rule naming the same application or edit box as rule, or -1.
    int SameTargetRule(const AppRule& rule) const;
    void Changed() { ++m_revision; }

    std::string m_path;
    std::vector<AppRule> m_rules;
    std::vector<AppRule> m_loaded;  // the list as of the last Load
    int32_t m_workOnOtherApps = settings_defaults::kWorkOnOtherApps;
    unsigned m_revision = 0;
};
