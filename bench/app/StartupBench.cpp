// Start-up of Pennivox.exe in two program folders, run after run side by side: time until loading
// is over and the memory it then holds. scripts/bench-startup.sh gives it the bundled English
// dictionaries alone and every bundled language installed with only English enabled.
// Usage: startup_bench.exe FOLDER_A FOLDER_B [RUNS]   (default 7 runs)

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/app/ProgramStartup.h"

namespace {

struct Series {
    std::vector<double> ms, workingSet, privateBytes;
    bool Add(const ProgramStartup& run)
    {
        ms.push_back(run.ms);
        workingSet.push_back(run.workingSetMb);
        privateBytes.push_back(run.privateMb);
        return run.ms >= 0;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench FOLDER_A FOLDER_B [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 7;
    Series a, b;
    StartProgram(argv[1]);  // the first start of all fills the system's caches
    for (int run = 0; run < runs; ++run) {
        if (!a.Add(StartProgram(argv[1])) || !b.Add(StartProgram(argv[2]))) {
            std::fprintf(stderr, "startup_bench: Pennivox.exe did not finish loading\n");
            return 1;
        }
    }
    std::printf("median of %d runs          %12s %12s %7s\n", runs, "A", "B", "B/A");
    const auto line = [](const char* what, const std::vector<double>& x, const std::vector<double>& y) {
        std::printf("%-26s %12.1f %12.1f %6.2fx\n", what, Median(x), Median(y), Median(y) / Median(x));
    };
    line("start-up until loaded, ms", a.ms, b.ms);
    line("working set, MB", a.workingSet, b.workingSet);
    line("private bytes, MB", a.privateBytes, b.privateBytes);
    std::printf("A: %s\nB: %s\n", argv[1], argv[2]);
    return 0;
}
