// Figures of the dictionary text exchange, each measured side by side with a plain pass in one run:
//  1. export of a 1,000,000-entry dictionary vs fwrite of the same lines;
//  2. import of 1,000,000 tagged entries (ANSI, in stored order and shuffled, and UTF-8) into an
//     empty dictionary, committed, vs an fgets pass over the same file.
// Rates are entries per second; the ratio is plain rate / dictionary rate (1 = as fast as plain).
// The summary sets the figures against their goals: shuffled import at most 2x the import in
// stored order, which is at most 8x its fgets pass; export about 1x.
//
//   bench_dict_text [WORK_FOLDER]   (the 1,000,000-entry dictionary is made there once and kept)

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dict/CodePage.h"
#include "dict/DictionaryFile.h"
#include "dict/DictionaryText.h"
#include "dict/TextImport.h"

namespace fs = std::filesystem;
// The process's processor time where the C library counts it so (not on Windows): on a shared
// machine the other processes' work then does not count. The file writes of a commit are the
// system's and count as its time too.
struct Clock {
    using time_point = double;
    static double now() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }
};

namespace {

constexpr int kExportEntries = 1000000;
constexpr int kImportEntries = 1000000;
constexpr int kRounds = 3;

double Seconds(Clock::time_point since)
{
    return Clock::now() - since;
}

struct Entry {
    std::string key;
    std::string data;
};

// Sorted pseudo-words (4-14 bytes, some phrases), a short data text on every seventh.
std::vector<Entry> MakeEntries(int count)
{
    static const char* const kSyllables[] = {"an", "ba", "cho", "de", "el", "fra", "go",  "hi",  "in", "jo",
                                             "ka", "lu", "me",  "no", "or", "pi",  "qua", "re",  "st", "te",
                                             "ul", "vi", "wa",  "xe", "yo", "zu",  "th",  "ing", "er", "ou"};
    std::mt19937 random(17);
    std::vector<Entry> entries(count);
    for (Entry& entry : entries) {
        const int parts = 2 + static_cast<int>(random() % 5);
        for (int p = 0; p < parts; ++p)
            entry.key += kSyllables[random() % 30];
        if (random() % 20 == 0)
            entry.key += std::string(" ") + kSyllables[random() % 30];
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
    for (std::size_t i = 0; i < entries.size(); i += 7)
        entries[i].data = "data of " + entries[i].key;
    return entries;
}

bool MakeDictionary(const std::string& path, const std::vector<Entry>& entries)
{
    if (fs::exists(path))
        return true;
    const std::string temporary = path + ".making";
    fs::remove(temporary);
    {
        CDictionaryFile dictionary;
        if (!dictionary.Open(temporary))
            return false;
        for (const Entry& entry : entries) {
            if (!dictionary.AddStoredEntry(entry.key, entry.data))
                return false;
        }
        if (!dictionary.WriteInfo())
            return false;
    }
    fs::rename(temporary, path);
    return true;
}

// The plain side of the export: the same lines written with fwrite.
double PlainWrite(const std::vector<Entry>& entries, const std::string& path)
{
    const auto start = Clock::now();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return -1;
    for (const Entry& entry : entries) {
        std::fwrite("<key>", 1, 5, out);
        std::fwrite(entry.key.data(), 1, entry.key.size(), out);
        std::fwrite("\r\n<data>", 1, 8, out);
        std::fwrite(entry.data.data(), 1, entry.data.size(), out);
        std::fwrite("\r\n", 1, 2, out);
    }
    std::fclose(out);
    return Seconds(start);
}

// The plain side of the import: every line of the file through fgets.
double PlainRead(const std::string& path, long& lines)
{
    const auto start = Clock::now();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return -1;
    char line[4096];
    lines = 0;
    while (std::fgets(line, sizeof line, in))
        ++lines;
    std::fclose(in);
    return Seconds(start);
}

void WriteTagged(const std::string& path, const std::vector<Entry>& entries, bool utf8Mark)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return;
    if (utf8Mark)
        std::fputs("\xEF\xBB\xBF", out);
    for (const Entry& entry : entries) {
        std::string key = entry.key;
        if (utf8Mark)
            key += "\xC3\xA9";  // a character beyond ASCII in every key, the order kept
        std::fprintf(out, "<key>%s\r\n<data>%s\r\n", key.c_str(), entry.data.c_str());
    }
    std::fclose(out);
}

struct Figure {
    double mine = 0;
    double plain = 0;
};

Figure Report(const char* what, int entries, double mine, double plain)
{
    std::printf("%s: %.0f entries/s, plain %.0f entries/s: %.2fx\n", what, entries / mine, entries / plain,
                mine / plain);
    return Figure{mine, plain};
}

int MeasureExport(const fs::path& folder, Figure& figure)
{
    const std::vector<Entry> entries = MakeEntries(kExportEntries);
    const std::string dictionaryPath = (folder / "export-million.lib").string();
    if (!MakeDictionary(dictionaryPath, entries)) {
        std::fprintf(stderr, "bench_dict_text: cannot make %s\n", dictionaryPath.c_str());
        return 1;
    }
    CDictionaryFile dictionary;
    if (!dictionary.Open(dictionaryPath, true))
        return 1;
    double mine = 1e9, plain = 1e9;
    int written = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        written = ExportDictionaryText(dictionary, (folder / "export.txt").string());
        mine = std::min(mine, Seconds(start));
        plain = std::min(plain, PlainWrite(entries, (folder / "plain.txt").string()));
    }
    const bool same = fs::file_size(folder / "export.txt") == fs::file_size(folder / "plain.txt");
    figure = Report("1. export of 1,000,000 entries", written, mine, plain);
    std::printf("   %s\n", same && written == kExportEntries ? "same bytes written" : "OUTPUT DIFFERS");
    return 0;
}

Figure MeasureImport(const fs::path& folder, const char* what, const std::vector<Entry>& entries, bool utf8)
{
    const std::string textPath = (folder / "import.txt").string();
    const std::string dictionaryPath = (folder / "import.lib").string();
    WriteTagged(textPath, entries, utf8);
    double mine = 1e9, plain = 1e9;
    int imported = 0;
    long lines = 0;
    TextImportReport report;
    for (int round = 0; round < kRounds; ++round) {
        fs::remove(dictionaryPath);
        CDictionaryFile dictionary;
        if (!dictionary.Open(dictionaryPath))
            return Figure();
        const auto start = Clock::now();
        imported = ImportDictionaryText(dictionary, textPath, nullptr, &report);
        mine = std::min(mine, Seconds(start));
        plain = std::min(plain, PlainRead(textPath, lines));
    }
    if (imported != static_cast<int>(entries.size()))
        std::printf("   NOT EVERY ENTRY IMPORTED (%d)\n", imported);
    const Figure figure = Report(what, imported, mine, plain);
    std::printf("   %s, %ld lines\n", report.encoding.c_str(), lines);
    return figure;
}

}  // namespace

int main(int argc, char** argv)
{
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "pv-bench-dict-text";
    fs::create_directories(folder);
    Figure exported;
    if (MeasureExport(folder, exported) != 0)
        return 1;

    std::vector<Entry> entries = MakeEntries(kImportEntries);
    const Figure stored = MeasureImport(folder, "2. import of 1,000,000 entries in stored order", entries, false);
    MeasureImport(folder, "   the same, UTF-8 with a mark", entries, true);
    std::shuffle(entries.begin(), entries.end(), std::mt19937(3));
    const Figure shuffled = MeasureImport(folder, "   the same, shuffled", entries, false);
    std::printf("\nimport shuffled / in stored order: %.2fx (goal <= 2)\n", shuffled.mine / stored.mine);
    std::printf("import in stored order / fgets pass: %.2fx (goal <= 8)\n", stored.mine / stored.plain);
    std::printf("export / fwrite: %.2fx (goal about 1)\n", exported.mine / exported.plain);
    return 0;
}
