// Start-up of Pennivox.exe in two program folders, run after run side by side: time until loading
// is over and the memory it then holds. scripts/bench-startup.sh gives it the bundled English
// dictionaries alone and every bundled language installed with only English enabled.
// Usage: startup_bench.exe FOLDER_A FOLDER_B [RUNS]   (default 7 runs)
//        PV_BENCH_LINGER_MS: each program runs that long past loading before it is closed

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/app/ProgramStartup.h"

namespace {

struct Series {
    std::vector<double> ms, workingSet, committed;
    bool Add(const ProgramStartup& run)
    {
        ms.push_back(run.ms);
        workingSet.push_back(run.workingSetMb);
        committed.push_back(run.committedMb);
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
    const char* linger = std::getenv("PV_BENCH_LINGER_MS");
    const DWORD lingerMs = linger ? static_cast<DWORD>(std::atoi(linger)) : 0;
    Series a, b;
    StartProgram(argv[1], lingerMs);  // the first start of all fills the system's caches
    if (runs <= 0)
        return 0;  // that start alone
    for (int run = 0; run < runs; ++run) {
        if (!a.Add(StartProgram(argv[1], lingerMs)) || !b.Add(StartProgram(argv[2], lingerMs))) {
            std::fprintf(stderr, "startup_bench: Pennivox.exe did not finish loading\n");
            return 1;
        }
    }
    std::printf("%d runs, median (fastest)  %18s %18s %14s\n", runs, "A", "B", "B/A");
    const auto line = [](const char* what, const std::vector<double>& x, const std::vector<double>& y) {
        const double xFast = *std::min_element(x.begin(), x.end()), yFast = *std::min_element(y.begin(), y.end());
        std::printf("%-26s %9.1f (%6.1f) %9.1f (%6.1f) %6.2fx (%.2fx)\n", what, Median(x), xFast, Median(y), yFast,
                    Median(y) / Median(x), yFast / xFast);
    };
    line("start-up until loaded, ms", a.ms, b.ms);
    line("working set, MB", a.workingSet, b.workingSet);
    line("committed, MB", a.committed, b.committed);
    std::printf("A: %s\nB: %s\n", argv[1], argv[2]);
    return 0;
}
