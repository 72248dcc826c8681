#pragma once
// The bundled dictionaries of languages other than English, known by their file names. A file
// without a record in Config.ini is on unless it is one of these and its language is none of the
// user's: a new user has English and their own language, the others stay installed and off.

#include <string_view>
#include <vector>

namespace dictionary_languages {

// The primary language id (as the system numbers them: 0x07 German, 0x19 Russian ...) of the
// bundled dictionary at this path; 0 for any other file.
int LanguageOfFile(std::string_view path);

// Whether a dictionary that has no record of its own is on for a user of these languages.
bool EnabledWithoutRecord(std::string_view path, const std::vector<int>& userLanguages);

}  // namespace dictionary_languages
