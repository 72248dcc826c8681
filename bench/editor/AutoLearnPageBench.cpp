// Showing the AutoLearn page with its learnt words until its first rows are painted, next to
// reading AutoLearn.dic into the store, in the same run.
// Usage: autolearn_page_bench.exe AUTOLEARN_DIC [RUNS]; prints its figures to stdout.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/ui/AutoLearnPage.h"
#include "bench/editor/BenchTiming.h"
#include "wnd/Window.h"

namespace {

// The engine's side: a copy of what its store holds.
class CStoreHome : public IAutoLearnHome {
public:
    explicit CStoreHome(CAutoLearnDictionary& store) : m_store(store) {}
    std::string AutoLearnPath() const override { return m_store.Path(); }
    std::vector<AutoLearnRecord> LearntWords() override { return m_store.Records(); }
    bool AdoptAutoLearn(std::unique_ptr<CAutoLearnDictionary>) override { return false; }
    bool ForgetUsage() override { return false; }
    void ForgetWords(std::vector<std::string>) override {}
    std::vector<int> RanksOf(const std::vector<std::string>& words) override
    {
        return std::vector<int>(words.size(), -1);
    }
    void TeachUsage(const CTaughtWords&, const CTaughtWords::RankOf&) override {}

private:
    CAutoLearnDictionary& m_store;
};

double TimePage(CAutoLearnDictionary& store, const std::string& folder, HWND parent)
{
    CStoreHome home(store);
    CAppSettings settings(folder);
    CAutoLearnPage page(settings, home);
    const double start = Now();
    page.CreateChild(parent);
    ::ShowWindow(page.Handle(), SW_SHOWNOACTIVATE);
    page.FillList();
    ::RedrawWindow(parent, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double took = Now() - start;
    ::DestroyWindow(page.Handle());
    return took;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: autolearn_page_bench AUTOLEARN_DIC [RUNS]\n");
        return 2;
    }
    const std::string path = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    ::InitCommonControls();
    wnd::SetResourceInstance(::GetModuleHandleA(nullptr));
    HWND parent =
        ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);

    std::vector<double> reads, pages;
    std::size_t records = 0;
    for (int run = 0; run < runs; ++run) {
        CAutoLearnDictionary store;
        const double start = Now();
        store.Open(path);
        reads.push_back(Now() - start);
        records = store.RecordCount();
        pages.push_back(TimePage(store, folder, parent));
    }
    const double read = Median(reads), page = Median(pages);
    std::printf("AutoLearn.dic: %zu records, %d runs (medians)\n", records, runs);
    std::printf("reading AutoLearn.dic into the store   %8.1f ms\n", read);
    std::printf("AutoLearn page shown, rows painted     %8.1f ms   ratio %.2f (goal <= 2)\n", page,
                read > 0 ? page / read : 0.0);
    ::DestroyWindow(parent);
    return 0;
}
