#include "config/DictionaryFlags.h"

#include <windows.h>

#include <cstdio>
#include <utility>

#include "config/DictionaryLanguages.h"
#include "config/ProfileFile.h"
#include "config/ProfileText.h"
#include "config/ProfileUpdate.h"
#include "config/WinText.h"

namespace {

const char kDbs[] = "DBS";

}  // namespace

CDictionaryFlags::CDictionaryFlags(std::string configPath) : m_configPath(std::move(configPath)) {}

bool CDictionaryFlags::IsEnabled(const std::string& path) const
{
    if (path.empty())
        return true;
    CProfileFile ini(m_configPath.c_str());
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

void CDictionaryFlags::SetUserLanguages(std::vector<int> languages)
{
    m_userLanguages = std::move(languages);
    m_userLanguagesKnown = true;
}

bool CDictionaryFlags::SetEnabled(const std::string& path, bool enabled)
{
    if (path.empty())
        return false;
    CProfileUpdate ini(m_configPath);
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
