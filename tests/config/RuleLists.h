// Building and reading rule lists in the config tests.
#pragma once

#include <string>
#include <vector>

#include "config/AppRules.h"

namespace configtest {

inline AppRule PathRule(const std::string& section, const std::string& path, int workOn = 1)
{
    AppRule rule;
    rule.section = section;
    rule.path = path;
    rule.workOn = workOn;
    return rule;
}

inline AppRule EditRule(const std::string& section, const std::string& id, int workOn)
{
    AppRule rule;
    rule.section = section;
    rule.editBoxId = id;
    rule.workOn = workOn;
    return rule;
}

inline std::vector<std::string> Sections(const std::vector<AppRule>& rules)
{
    std::vector<std::string> names;
    for (const AppRule& rule : rules)
        names.push_back(rule.section);
    return names;
}

}  // namespace configtest
