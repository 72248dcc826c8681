// Opening the dictionary editor on a large dictionary until its first rows are painted, and a
// two-letter query, each next to CDictionaryFile::Open of the same file in the same run.
// Usage: editor_bench.exe DICTIONARY [RUNS] [PREFIX]; prints its figures to stdout.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dict/DictionaryFile.h"
#include "dict/ui/DictUiIds.h"
#include "dict/ui/DictionaryEditor.h"
#include "bench/editor/BenchTiming.h"
#include "wnd/Window.h"

namespace {

// Paints now what the screen has to show anew: the dialog and its controls.
void PaintNow(HWND dialog)
{
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

struct OpenTimes {
    double open = 0;
    double firstRows = 0;  // reading the first page of entries after the open
};

OpenTimes TimeOpen(const std::string& path, int& entries)
{
    OpenTimes times;
    double start = Now();
    CDictionaryFile dictionary;
    dictionary.Open(path, true);
    times.open = Now() - start;
    entries = dictionary.CountEntries();
    start = Now();
    std::string key, data;
    for (int row = 0; row < 20 && row < entries; ++row)
        dictionary.ReadEntry(row, key, data);
    times.firstRows = Now() - start;
    return times;
}

struct EditorTimes {
    double open = 0;
    double query = 0;
    std::string status;
};

EditorTimes TimeEditor(const std::string& path, const std::string& prefix)
{
    EditorTimes times;
    CDictionaryEditor editor(path);
    double start = Now();
    if (!editor.CreateModeless(nullptr))
        return times;
    ::ShowWindow(editor.Handle(), SW_SHOWNOACTIVATE);
    PaintNow(editor.Handle());
    times.open = Now() - start;

    ::SetDlgItemTextA(editor.Handle(), IDC_EDITOR_KEY, prefix.c_str());
    start = Now();
    ::SendMessageA(editor.Handle(), WM_COMMAND, MAKEWPARAM(IDC_EDITOR_QUERY, BN_CLICKED), 0);
    PaintNow(editor.Handle());
    times.query = Now() - start;
    times.status = wnd::WindowText(::GetDlgItem(editor.Handle(), IDC_EDITOR_STATUS));
    ::DestroyWindow(editor.Handle());
    return times;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: editor_bench DICTIONARY [RUNS] [PREFIX]\n");
        return 2;
    }
    const std::string path = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string prefix = argc > 3 ? argv[3] : "th";
    ::InitCommonControls();
    wnd::SetResourceInstance(::GetModuleHandleA(nullptr));

    std::vector<double> opens, firstRows, editors, queries;
    int entries = 0;
    std::string status;
    for (int run = 0; run < runs; ++run) {
        const OpenTimes open = TimeOpen(path, entries);
        opens.push_back(open.open);
        firstRows.push_back(open.firstRows);
        const EditorTimes times = TimeEditor(path, prefix);
        editors.push_back(times.open);
        queries.push_back(times.query);
        status = times.status;
    }
    for (char& c : status)
        c = (c == '\r' || c == '\n') ? ' ' : c;
    const double open = Median(opens), editor = Median(editors), query = Median(queries);
    std::printf("dictionary: %d entries, %d runs (medians)\n", entries, runs);
    std::printf("CDictionaryFile::Open            %8.1f ms\n", open);
    std::printf("  then reading 20 entries        %8.1f ms   (the storage loads the rows' columns)\n",
                Median(firstRows));
    std::printf("editor open until rows painted   %8.1f ms   ratio %.2f (goal <= 2)\n", editor,
                open > 0 ? editor / open : 0.0);
    std::printf("query \"%s\" until rows painted   %8.1f ms   (goal <= 50 ms)   %s\n", prefix.c_str(), query,
                status.c_str());
    return 0;
}
