// Application rules at scale, under Wine: the start-up of Pennivox.exe with no rules and with
// many (AppConfig.ini, one section per rule), run after run side by side, and the Applications
// Manager on the many rules: opening (rules read, list filled and painted) and OK (saved and
// read again), next to reading the same file whole.
// Usage: rules_bench.exe PROGRAM_FOLDER [RULES] [RUNS]   (default 5000 rules, 3 runs)
// The folder holds Pennivox.exe, Zel.dll and Libs; its AppConfig.ini is rewritten.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/app/ProgramStartup.h"
#include "bench/editor/BenchTiming.h"
#include "config/AppRules.h"
#include "config/ui/AppManagerDialog.h"
#include "config/ui/ConfigUiIds.h"

namespace {

bool WriteRules(const std::string& folder, int rules)
{
    std::string text = "[Other_Apps]\r\nWORK_ON_PV=1\r\n";
    char section[512];
    for (int i = 1; i <= rules; ++i) {
        // Every tenth names a program that exists (its icon is extracted), the others do not.
        const std::string path =
            i % 10 == 0 ? "C:\\windows\\system32\\notepad.exe"
                        : "C:\\Program Files\\Vendor " + std::to_string(i % 97) + "\\tool" + std::to_string(i) + ".exe";
        std::snprintf(section, sizeof section, "[APP%d]\r\nCAPTION=Tool %d\r\nPATH=%s\r\nEDIT_ID=\r\nWORK_ON_PV=%d\r\n",
                      i, i, path.c_str(), i % 3 == 0 ? 1 : 0);
        text += section;
    }
    FILE* file = std::fopen((folder + "\\AppConfig.ini").c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

// Milliseconds from CreateProcess until the prompt says loading is over; -1 on failure.
double StartUp(const std::string& folder)
{
    return StartProgram(folder).ms;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct ManagerTimes {
    double open = 0;
    double ok = 0;
    double read = 0;  // the file read whole, for comparison
    double save = 0;  // SaveAppRules alone
    double load = 0;  // CAppRules::Load alone
    size_t rows = 0;
};

// The manager as the tray menu runs it, modeless so that the clock sees its steps.
ManagerTimes TimeManager(const std::string& folder)
{
    ManagerTimes times;
    double start = Now();
    std::string whole;
    if (FILE* file = std::fopen((folder + "\\AppConfig.ini").c_str(), "rb")) {
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            whole.append(buffer, got);
        std::fclose(file);
    }
    times.read = Now() - start;

    start = Now();
    CAppRules rules(folder);
    rules.Load();
    CAppManagerDialog manager(rules);
    if (!manager.CreateModeless(nullptr))
        return times;
    ShowWindow(manager.Handle(), SW_SHOW);
    RedrawWindow(manager.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    times.open = Now() - start;
    times.rows = static_cast<size_t>(manager.List().ItemCount());
    Pump();

    // A change, then OK: every rule is written and read again.
    SendMessageA(manager.Handle(), WM_COMMAND, MAKEWPARAM(IDC_APPS_DISABLE_OTHERS, BN_CLICKED), 0);
    start = Now();
    SendMessageA(manager.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    times.ok = IsWindow(manager.Handle()) ? -1 : Now() - start;
    Pump();
    start = Now();
    rules.Save();
    times.save = Now() - start;
    start = Now();
    rules.Load();
    times.load = Now() - start;
    return times;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: rules_bench PROGRAM_FOLDER [RULES] [RUNS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int rules = argc > 2 ? std::atoi(argv[2]) : 5000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    std::vector<double> none, many;
    for (int run = 0; run < runs; ++run) {
        if (!WriteRules(folder, 0))
            return 1;
        none.push_back(StartUp(folder));
        if (!WriteRules(folder, rules))
            return 1;
        many.push_back(StartUp(folder));
    }
    for (size_t i = 0; i < none.size(); ++i) {
        if (none[i] < 0 || many[i] < 0) {
            std::fprintf(stderr, "rules_bench: Pennivox.exe did not finish loading\n");
            return 1;
        }
    }
    const double a = Median(none), b = Median(many);
    std::printf(
        "start-up until loading was over (median of %d): no rules %.0f ms, %d rules %.0f ms: %.2fx (goal <= 1.2)\n",
        runs, a, rules, b, b / a);

    std::vector<double> opens, oks, reads, saves, loads;
    size_t rows = 0;
    for (int run = 0; run < runs; ++run) {
        WriteRules(folder, rules);
        const ManagerTimes t = TimeManager(folder);
        opens.push_back(t.open);
        oks.push_back(t.ok);
        reads.push_back(t.read);
        saves.push_back(t.save);
        loads.push_back(t.load);
        rows = t.rows;
    }
    std::printf(
        "Applications Manager on %d rules (%zu rows), median of %d: open %.0f ms, OK %.0f ms (goal < 1000 each); "
        "reading AppConfig.ini whole %.1f ms\n",
        rules, rows, runs, Median(opens), Median(oks), Median(reads));
    std::printf("   of which SaveAppRules %.0f ms, LoadAppRules %.0f ms\n", Median(saves), Median(loads));
    return 0;
}
