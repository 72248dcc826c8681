#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "tools/pvdict/PvdictCommands.h"

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Rows are byte text: no CR/LF translation.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code = RunPvdict(args, stdin, stdout, stderr);
    if (std::fflush(stdout) != 0 && code == PVDICT_OK) {
        std::fputs("pvdict: cannot write the output\n", stderr);
        return PVDICT_FAILED;
    }
    return code;
}
