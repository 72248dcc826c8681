#include "dict/FolderListing.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include "base/FileIo.h"
#else
#include <filesystem>
#include <system_error>
#endif

namespace {

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool LessNoCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldAscii(x)) < static_cast<unsigned char>(FoldAscii(y));
    });
}

}  // namespace

bool WildcardMatch(const char* pattern, const char* name)
{
    // Iterative match with one backtracking point for the last '*'.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && FoldAscii(*pattern) == FoldAscii(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

std::vector<std::string> ListMatchingFiles(const std::string& pattern)
{
    std::vector<std::string> names;
    const std::size_t cut = pattern.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? std::string() : pattern.substr(0, cut);
    const std::string wildcard = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    const char separator = cut == std::string::npos ? '\\' : pattern[cut];
    if (wildcard.empty())
        return names;

#ifdef _WIN32
    std::vector<pvbase::FolderEntry> found;
    pvbase::ListFolder(pattern, found);
    for (pvbase::FolderEntry& entry : found) {
        // The system also matches short 8.3 names ("*.lib" would take "a.libx"): check again.
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && WildcardMatch(wildcard.c_str(), entry.name.c_str()))
            names.push_back(std::move(entry.name));
    }
#else
    std::error_code error;
    std::filesystem::directory_iterator it(folder.empty() ? std::string(".") : folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        std::string name = it->path().filename().string();
        if (WildcardMatch(wildcard.c_str(), name.c_str()))
            names.push_back(std::move(name));
    }
#endif

    std::sort(names.begin(), names.end(), LessNoCase);
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names)
        paths.push_back(folder.empty() ? name : folder + separator + name);
    return paths;
}
