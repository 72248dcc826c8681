// Benchmark of the storage layer on a generated 1,000,000-entry dictionary-like storage:
//   open time vs reading the file's bytes, resident memory after open vs file size,
//   Search and Find timings, and the cost of a first edit and a commit.
// Usage: pv_storage_bench [file]   (the file is generated when missing; default in the temp folder)
#include "storage/Storage.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

size_t ResidentBytes()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters;
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return counters.WorkingSetSize;
    return 0;
#else
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    long pages = 0, resident = 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
    std::fclose(f);
    return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

int Fold(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

bool SortsBefore(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = Fold(static_cast<unsigned char>(a[i])), cb = Fold(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

std::string RandomWord(std::mt19937& rng)
{
    static const char letters[] = "etaoinshrdlucmfwypvbgkjqxz";
    std::uniform_int_distribution<int> length(3, 12), skew(0, 25 * 25);
    std::string word;
    int n = length(rng);
    for (int i = 0; i < n; ++i) {
        int r = skew(rng);
        word += letters[static_cast<int>(std::sqrt(static_cast<double>(r)))];
    }
    if (rng() % 10 == 0)
        word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
}

bool Generate(const std::string& path, int entries)
{
    std::mt19937 rng(12345);
    std::vector<std::string> keys;
    keys.reserve(entries);
    for (int i = 0; i < entries; ++i) {
        std::string key = RandomWord(rng);
        if (rng() % 20 == 0)
            key += " " + RandomWord(rng);  // phrases
        keys.push_back(key);
    }
    std::stable_sort(keys.begin(), keys.end(), SortsBefore);

    c4_FileStrategy strategy;
    if (!strategy.DataOpen(path.c_str(), 1))
        return false;
    c4_Storage storage(strategy);
    c4_View info = storage.GetAs("DBINFO[prop:S,value:S]");
    c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
    c4_StringProp pKey("key"), pData("data"), pProp("prop"), pValue("value");
    for (const char* p : {"DBTYPE", "KEYCODE", "DATACODE", "DBEDIT"})
        info.Add(pProp[p] + pValue["1"]);
    info.Add(pProp["DBEncrypt"] + pValue["0"]);
    for (int i = 0; i < entries; ++i) {
        c4_Row row = pKey[keys[i]];
        unsigned r = rng() % 100;
        if (r < 15)
            row.Set(pData, std::string(r == 0 ? 150 : 10 + rng() % 40, 'd'));
        data.Add(row);
    }
    return storage.Commit();
}

// The dictionary files' file-level scrambling: each byte XOR ((offset & 0xFF) ^ 0xC5).
class XorStrategy : public c4_FileStrategy {
public:
    int DataRead(t4_i32 pos, void* buffer, int length) override
    {
        int got = c4_FileStrategy::DataRead(pos, buffer, length);
        uint8_t* bytes = static_cast<uint8_t*>(buffer);
        for (int i = 0; i < got; ++i)
            bytes[i] ^= static_cast<uint8_t>(((pos + i) & 0xFF) ^ 0xC5);
        return got;
    }
    bool DataWrite(t4_i32 pos, const void* buffer, int length) override
    {
        std::vector<uint8_t> copy(static_cast<const uint8_t*>(buffer), static_cast<const uint8_t*>(buffer) + length);
        for (int i = 0; i < length; ++i)
            copy[i] ^= static_cast<uint8_t>(((pos + i) & 0xFF) ^ 0xC5);
        return c4_FileStrategy::DataWrite(pos, copy.data(), length);
    }
    void DataCommit(t4_i32) override {}
};

// Best of five: reading all bytes through a strategy, and opening the storage through one.
template <class Strategy>
bool TimeReadAndOpen(const std::string& path, double& readBest, double& openBest)
{
    readBest = openBest = 1e9;
    for (int round = 0; round < 5; ++round) {
        auto start = Clock::now();
        Strategy reader;
        if (!reader.DataOpen(path.c_str(), 0))
            return false;
        size_t size = static_cast<size_t>(reader.FileSize());
        std::unique_ptr<char[]> bytes(new char[size]);
        for (size_t pos = 0; pos < size;) {
            int got = reader.DataRead(static_cast<t4_i32>(pos), bytes.get() + pos,
                                      static_cast<int>(std::min<size_t>(1 << 20, size - pos)));
            if (got <= 0)
                return false;
            pos += static_cast<size_t>(got);
        }
        reader.DataClose();
        readBest = std::min(readBest, Seconds(start));
    }
    for (int round = 0; round < 5; ++round) {
        auto start = Clock::now();
        Strategy file;
        file.DataOpen(path.c_str(), 0);
        c4_Storage opened(file, false, 0);
        if (!opened.IsValid() || opened.GetAs("DBDATA[key:S,data:S]").GetSize() == 0)
            return false;
        openBest = std::min(openBest, Seconds(start));
    }
    return true;
}

int Measure(const std::string& path)
{
    // The edit and commit at the end go to a copy, so the generated file stays as it is.
    const std::string copy = path + ".edit";
    {
        std::error_code ec;
        std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec)
            return 1;
    }
    // Memory first, in this fresh process: what opening adds to the resident set.
    size_t before = ResidentBytes();
    c4_FileStrategy file;
    file.DataOpen(copy.c_str(), 1);
    c4_Storage storage(file);
    c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
    size_t after = ResidentBytes();
    const int rows = data.GetSize();
    // Reading rows builds the row index of the columns that get one.
    c4_StringProp pKey("key"), pData("data");
    auto indexStart = Clock::now();
    pKey.Get(data, 0);
    pData.Get(data, 0);
    double indexSeconds = Seconds(indexStart);
    size_t index = ResidentBytes() - after;

    // Reading the bytes alone vs opening, through the same strategy (plain, then scrambled).
    double readBest, openBest, xorReadBest, xorOpenBest;
    const std::string scrambled = path + ".lib";
    {
        c4_FileStrategy plain;
        plain.DataOpen(path.c_str(), 0);
        c4_Storage source(plain, false, 0);
        XorStrategy target;
        if (!target.DataOpen(scrambled.c_str(), 1))
            return 1;
        c4_Storage copy(target);
        copy.GetAs("DBINFO[prop:S,value:S]");
        c4_View to = copy.GetAs("DBDATA[key:S,data:S]");
        c4_View from = source.View("DBDATA");
        c4_StringProp k("key"), d("data");
        for (int r = 0; r < from.GetSize(); ++r)
            to.Add(k[k.Get(from, r)] + d[d.Get(from, r)]);
        if (!copy.Commit())
            return 1;
    }
    if (!TimeReadAndOpen<c4_FileStrategy>(path, readBest, openBest) ||
        !TimeReadAndOpen<XorStrategy>(scrambled, xorReadBest, xorOpenBest))
        return 1;
    size_t fileSize = static_cast<size_t>(std::filesystem::file_size(path));

    std::printf("entries                  %d\n", rows);
    std::printf("file size                %.1f MB\n", fileSize / 1e6);
    std::printf("read file bytes          %.1f ms (best of 5)\n", readBest * 1e3);
    std::printf("open storage             %.1f ms (best of 5)\n", openBest * 1e3);
    std::printf("open / read              %.2f  (goal <= 3)\n", openBest / readBest);
    std::printf("scrambled: read %.1f ms, open %.1f ms, open / read %.2f  (goal <= 3)\n", xorReadBest * 1e3,
                xorOpenBest * 1e3, xorOpenBest / xorReadBest);
    std::printf("resident after open      %.1f MB more than before (%.1f MB in all)\n", (after - before) / 1e6,
                after / 1e6);
    std::printf("memory / file size       %.2f  (goal <= 2)\n", double(after - before) / double(fileSize));
    std::printf("row index (first read)   %.1f ms, %.1f MB; storage now %.2f of the file (goal <= 2)\n",
                indexSeconds * 1e3, index / 1e6, double(after - before + index) / double(fileSize));

    // Search: existing keys, and random prefixes.
    std::mt19937 rng(777);
    std::vector<std::string> queries;
    for (int i = 0; i < 200000; ++i) {
        std::string key(pKey.Get(data, static_cast<int>(rng() % rows)));
        if (i % 2)
            key = key.substr(0, 1 + rng() % std::max<size_t>(1, key.size()));
        queries.push_back(key);
    }
    auto start = Clock::now();
    long long checksum = 0;
    for (const std::string& q : queries)
        checksum += data.Search(pKey[q]);
    double searchSeconds = Seconds(start);
    std::printf("Search(row)              %.2f us per query (%zu queries, checksum %lld)\n",
                searchSeconds * 1e6 / queries.size(), queries.size(), checksum);
    start = Clock::now();
    checksum = 0;
    for (const std::string& q : queries)
        checksum += data.Search(pKey, q);
    std::printf("Search(prop, value)      %.2f us per query (checksum %lld)\n", Seconds(start) * 1e6 / queries.size(),
                checksum);
    // The same binary search over a vector of strings, for scale.
    std::vector<std::string> keys(rows);
    for (int r = 0; r < rows; ++r)
        keys[r] = std::string(pKey.Get(data, r));
    start = Clock::now();
    checksum = 0;
    for (const std::string& q : queries)
        checksum += std::lower_bound(keys.begin(), keys.end(), q, SortsBefore) - keys.begin();
    std::printf("std::lower_bound strings %.2f us per query (checksum %lld)\n", Seconds(start) * 1e6 / queries.size(),
                checksum);
    std::vector<std::string>().swap(keys);

    start = Clock::now();
    int found = data.Find(pKey["no such key at all"]);
    std::printf("Find (full scan, miss)   %.1f ms (%d)\n", Seconds(start) * 1e3, found);

    start = Clock::now();
    data.InsertAt(data.Search(pKey["benchmark entry"]), pKey["benchmark entry"] + pData["added"]);
    std::printf("first edit (insert)      %.1f ms\n", Seconds(start) * 1e3);
    std::printf("resident after edit      %.1f MB more than before open\n", (ResidentBytes() - before) / 1e6);
    start = Clock::now();
    bool committed = storage.Commit();
    std::printf("commit (full rewrite)    %.1f ms (%s)\n", Seconds(start) * 1e3, committed ? "ok" : "FAILED");
    std::error_code ec;
    std::filesystem::remove(copy, ec);
    std::filesystem::remove(scrambled, ec);
    return committed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string path;
    bool measureOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--measure") == 0)
            measureOnly = true;
        else
            path = argv[i];
    }
    if (path.empty()) {
#ifdef _WIN32
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "pv_storage_bench.mk";
#else
        path = "/tmp/pv_storage_bench.mk";
#endif
    }
    if (measureOnly)
        return Measure(path);

    c4_FileStrategy probe;
    bool exists = probe.DataOpen(path.c_str(), 0) && probe.FileSize() > 0;
    probe.DataClose();
    if (!exists) {
        auto start = Clock::now();
        if (!Generate(path, 1000000)) {
            std::fprintf(stderr, "could not generate %s\n", path.c_str());
            return 1;
        }
        std::printf("generated %s in %.1f s\n", path.c_str(), Seconds(start));
    }
    // Measure in a fresh process, so memory freed by the generation does not hide the figures.
    std::string command = std::string("\"") + argv[0] + "\" --measure \"" + path + "\"";
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd.exe strips the outer pair of quotes
#endif
    std::fflush(stdout);
    return std::system(command.c_str()) == 0 ? 0 : 1;
}
