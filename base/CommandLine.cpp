#include "base/CommandLine.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "base/Utf8Text.h"
#endif

namespace pvbase {

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        std::vector<std::string> args;
        for (int i = 1; i < count; ++i)
            args.push_back(Narrow(wide[i]));
        ::LocalFree(wide);
        return args;
    }
#endif
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace pvbase
