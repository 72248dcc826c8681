// What start-up with a sync folder costs against the same words kept in one local log: 100,000
// learnt words and 10,000 dictionary entries written by 3 PCs (words learnt on one to three of
// them, a tenth of the entries edited on another), and the merge of that written as one PC's log.
// Both are opened side by side, alternately; the median of the runs is given.
// Usage: bench_sync WORK_FOLDER [RUNS]
//        bench_sync --write FOLDER   only writes the three PCs' logs there (scripts/bench-sync-startup.sh
//                                    times the program's start-up with them)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dict/SyncStore.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWords = 100000;
constexpr int kEntries = 10000;

double Milliseconds(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

SyncPcId MakeId(int pc)
{
    SyncPcId id;
    id.bytes[0] = static_cast<std::uint8_t>(pc + 1);
    id.bytes[15] = 0xB7;
    return id;
}

std::string Word(int i)
{
    static const char* const kSyllables[] = {"ka",
                                             "re",
                                             "mi",
                                             "\xC3\xBC"
                                             "n",
                                             "to",
                                             "sa",
                                             "\xD0\xBB\xD0\xB0",
                                             "be"};
    std::string word;
    for (int n = i + 1; n > 0; n /= 8)
        word += kSyllables[n % 8];
    return word;
}

SyncOptions NoCompaction()
{
    SyncOptions options;
    options.compactAt = std::int64_t{1} << 40;
    return options;
}

void WriteSyncFolder(const std::string& folder)
{
    CDiskSyncFolder disk(folder);
    std::vector<std::unique_ptr<CSyncStore>> pcs;
    for (int pc = 0; pc < 3; ++pc) {
        pcs.push_back(std::make_unique<CSyncStore>(disk, MakeId(pc), NoCompaction()));
        pcs.back()->Open();
    }
    for (int i = 0; i < kWords; ++i) {
        pcs[i % 3]->Learn(Word(i), 1 + i % 5);
        if (i % 3 == 0)
            pcs[(i + 1) % 3]->Learn(Word(i), 2);
        if (i % 9 == 0)
            pcs[(i + 2) % 3]->Learn(Word(i), 1);
    }
    for (int i = 0; i < kEntries; ++i)
        pcs[i % 3]->SetEntry(i % 4 ? "UserDictionary.lib" : "UserShortHands.lib", Word(i * 7),
                             "data of entry " + Word(i));
    for (int i = 0; i < kEntries; i += 10)
        pcs[(i + 1) % 3]->SetEntry(i % 4 ? "UserDictionary.lib" : "UserShortHands.lib", Word(i * 7),
                                   "edited " + Word(i));
}

// The same merged words as one PC's own log.
void WriteLocalLog(const CSyncState& merged, const std::string& folder)
{
    CDiskSyncFolder disk(folder);
    CSyncStore local(disk, MakeId(0), NoCompaction());
    local.Open();
    merged.ForEachLearntWord([&](std::string_view word, std::uint64_t count) { local.Learn(word, count); });
    merged.ForEachEntry([&](std::string_view dictionary, std::string_view key, const std::string& data) {
        local.SetEntry(dictionary, key, data);
    });
}

std::int64_t FolderBytes(const std::string& folder)
{
    std::int64_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        bytes += static_cast<std::int64_t>(entry.file_size());
    return bytes;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Opens the folder as a fourth PC would at start-up (its own log made on the first run).
double TimeOpen(const std::string& folder, std::size_t& items)
{
    CDiskSyncFolder disk(folder);
    const Clock::time_point start = Clock::now();
    CSyncStore store(disk, MakeId(3));
    store.Open();
    const double time = Milliseconds(start);
    items = store.State().ItemCount();
    return time;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_sync WORK_FOLDER [RUNS] | --write FOLDER\n");
        return 2;
    }
    if (std::string(argv[1]) == "--write" && argc == 3) {
        std::filesystem::create_directories(argv[2]);
        WriteSyncFolder(argv[2]);
        return 0;
    }
    const std::string work = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    const std::string synced = work + "/synced", local = work + "/local";
    std::filesystem::remove_all(synced);
    std::filesystem::remove_all(local);
    std::filesystem::create_directories(synced);
    std::filesystem::create_directories(local);

    WriteSyncFolder(synced);
    {
        CDiskSyncFolder disk(synced);
        CSyncStore merged(disk, MakeId(3));
        merged.Open();
        WriteLocalLog(merged.State(), local);
    }
    std::printf("sync folder: 3 logs, %lld bytes; local log: %lld bytes\n", static_cast<long long>(FolderBytes(synced)),
                static_cast<long long>(FolderBytes(local)));

    std::vector<double> syncTimes, localTimes, refreshTimes;
    std::size_t syncItems = 0, localItems = 0;
    for (int run = 0; run < runs; ++run) {
        syncTimes.push_back(TimeOpen(synced, syncItems));
        localTimes.push_back(TimeOpen(local, localItems));
    }
    {
        CDiskSyncFolder disk(synced);
        CSyncStore store(disk, MakeId(3));
        store.Open();
        for (int run = 0; run < runs; ++run) {
            const Clock::time_point start = Clock::now();
            store.Refresh();
            refreshTimes.push_back(Milliseconds(start));
        }
    }
    const double syncTime = Median(syncTimes), localTime = Median(localTimes);
    std::printf("items: %zu synced, %zu local\n", syncItems, localItems);
    std::printf("open, median of %d: sync folder %.1f ms, local log %.1f ms, ratio %.2f\n", runs, syncTime, localTime,
                syncTime / localTime);
    std::printf("refresh with nothing changed: %.3f ms\n", Median(refreshTimes));
    return 0;
}
