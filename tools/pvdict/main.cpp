#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "base/CommandLine.h"
#include "tools/pvdict/PvdictCommands.h"

namespace {

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Rows are byte text: no CR/LF translation.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string> args = pvbase::Utf8Arguments(argc, argv);
    const int code = RunPvdict(args, stdin, stdout, stderr);
    if (std::fflush(stdout) != 0 && code == PVDICT_OK) {
        std::fputs("pvdict: cannot write the output\n", stderr);
        return PVDICT_FAILED;
    }
    return code;
}
