// Which dictionary files are switched on: section DBS of Config.ini, a DB<n> key for each path
// and DB<n>-B for its flag (paths compared without case). A path without an entry counts as
// enabled, except a bundled dictionary of a language that is none of the user's
// (config/DictionaryLanguages.h); a new path takes the first free DB<n>.
#pragma once

#include <string>
#include <vector>

class CDictionaryFlags {
public:
    explicit CDictionaryFlags(std::string configPath);

    bool IsEnabled(const std::string& path) const;
    // False when Config.ini could not be written (it is left as it was) or for an empty path.
    bool SetEnabled(const std::string& path, bool enabled);
    // The user's languages (primary language ids): by default the system's user interface
    // language and the user's locale; tests give their own.
    void SetUserLanguages(std::vector<int> languages);

private:
    std::string m_configPath;
    // Asked of the system at the first dictionary without a record.
    mutable std::vector<int> m_userLanguages;
    mutable bool m_userLanguagesKnown = false;
};
