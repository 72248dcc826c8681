#pragma once
// Files of one folder that match a wildcard pattern such as "C:\\Pennivox\\libs\\*.lib".

#include <string>
#include <vector>

// Full paths of the regular files matching `pattern` (the folder part, then a name with
// '*' and '?' wildcards compared without regard to ASCII case), sorted by name without
// regard to case. The folder separator of the pattern ('\\' or '/') joins the results.
// An empty list when the folder cannot be read.
std::vector<std::string> ListMatchingFiles(const std::string& pattern);

// Wildcard match of a file name, ASCII case-insensitive.
bool WildcardMatch(const char* pattern, const char* name);
