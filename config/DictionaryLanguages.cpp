#include "config/DictionaryLanguages.h"

#include <algorithm>
#include <cctype>

namespace dictionary_languages {

namespace {

struct BundledLanguage {
    const char* fileName;
    int language;
};

// res/dict/dictionaries.cmake builds these.
constexpr BundledLanguage kBundled[] = {
    {"German.lib", 0x07}, {"French.lib", 0x0C}, {"Spanish.lib", 0x0A}, {"Italian.lib", 0x10}, {"Portuguese.lib", 0x16},
    {"Dutch.lib", 0x13},  {"Polish.lib", 0x15}, {"Swedish.lib", 0x1D}, {"Russian.lib", 0x19},
};

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

int LanguageOfFile(std::string_view path)
{
    const std::size_t slash = path.find_last_of("\\/");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    for (const BundledLanguage& bundled : kBundled) {
        if (EqualsNoCase(name, bundled.fileName))
            return bundled.language;
    }
    return 0;
}

bool EnabledWithoutRecord(std::string_view path, const std::vector<int>& userLanguages)
{
    const int language = LanguageOfFile(path);
    return language == 0 || std::find(userLanguages.begin(), userLanguages.end(), language) != userLanguages.end();
}

}  // namespace dictionary_languages
