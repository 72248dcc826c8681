#include "base/ProgramPaths.h"

#ifdef _WIN32
#include <windows.h>

#include "base/Utf8Text.h"
#endif

namespace pvbase {

std::string WithTrailingSeparator(std::string directory)
{
    if (directory.empty() || (directory.back() != '\\' && directory.back() != '/'))
        directory += '\\';
    return directory;
}

std::string LibsDirectory(const std::string& programDirectory)
{
    return programDirectory + "Libs\\";
}

std::string ConfigIniPath(const std::string& programDirectory)
{
    return programDirectory + "Config.ini";
}

std::string AppConfigIniPath(const std::string& programDirectory)
{
    return programDirectory + "AppConfig.ini";
}

std::string AutoLearnPath(const std::string& programDirectory)
{
    return LibsDirectory(programDirectory) + "AutoLearn.dic";
}

std::string DictionaryPattern(const std::string& programDirectory)
{
    return LibsDirectory(programDirectory) + "*.lib";
}

#ifdef _WIN32
std::string ProgramDirectory()
{
    wchar_t path[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string directory = Narrow(std::wstring_view(path, length));
    const std::size_t slash = directory.rfind('\\');
    if (slash != std::string::npos)
        directory.resize(slash + 1);
    return directory;
}
#endif

}  // namespace pvbase
