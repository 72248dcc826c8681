// libFuzzer: arbitrary text files given to the AutoLearn page's import, into a list that already
// holds some words. The import must end, keep every text within a record's 511 bytes, and count
// at most one line per record it added or counted.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "dict/AutoLearnList.h"

namespace {

std::string FuzzPath()
{
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/pv-fuzz-autolearn-import-" + std::to_string(getpid()) + ".txt";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = FuzzPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CAutoLearnList list;
    list.Assign({{2, "alpha"}, {1, "beta"}});
    const int lines = list.ImportText(path);
    if (lines < 0 || static_cast<std::size_t>(list.Count()) > 2 + static_cast<std::size_t>(lines))
        std::abort();
    for (int row = 0; row < list.Count(); ++row) {
        if (list.Row(row).text.size() > kAutoLearnMaxText)
            std::abort();
    }
    return 0;
}
