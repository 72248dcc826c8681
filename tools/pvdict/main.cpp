#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "base/Utf8Text.h"
#endif

#include "tools/pvdict/PvdictCommands.h"

namespace {

// The arguments in UTF-8: on Windows the narrow ones come in the code page.
std::vector<std::string> Arguments(int argc, char** argv)
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

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Rows are byte text: no CR/LF translation.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string> args = Arguments(argc, argv);
    const int code = RunPvdict(args, stdin, stdout, stderr);
    if (std::fflush(stdout) != 0 && code == PVDICT_OK) {
        std::fputs("pvdict: cannot write the output\n", stderr);
        return PVDICT_FAILED;
    }
    return code;
}
