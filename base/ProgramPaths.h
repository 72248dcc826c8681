#pragma once
// Where the program keeps its files: everything lies in the program's own directory, the
// dictionaries and the learnt words in its Libs folder.

#include <string>

namespace pvbase {

// `directory` with a backslash at the end (a slash counts as one too).
std::string WithTrailingSeparator(std::string directory);

// Each takes the program directory as ProgramDirectory gives it (ending in a backslash).
std::string LibsDirectory(const std::string& programDirectory);
std::string ConfigIniPath(const std::string& programDirectory);
std::string AppConfigIniPath(const std::string& programDirectory);
std::string AutoLearnPath(const std::string& programDirectory);
// The search pattern of the dictionary files in the Libs folder.
std::string DictionaryPattern(const std::string& programDirectory);

#ifdef _WIN32
// The directory of the running executable, ending in a backslash; empty when the system
// cannot say (a path longer than MAX_PATH).
std::string ProgramDirectory();
#endif

}  // namespace pvbase
