// AutoLearn: suggestions and learning from the in-memory index against the record-by-record
// walk of the file, side by side on copies of the same file.
//   bench_autolearn [records=100000] [folder=system temp]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "dict/AutoLearnDictionary.h"
#include "tests/dict/autolearn/AutoLearnReference.h"

namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// Words with English-like letter frequencies, so two-letter prefixes are as common as in text.
std::string RandomWord(std::mt19937& rng)
{
    static const char letters[] =
        "eeeeeeeeeeeetttttttttaaaaaaaaoooooooiiiiiiinnnnnnnsssssshhhhhhrrrrrrdddd"
        "lllluuucccmmmwwffggyyppbbvkjxqz";
    std::string word;
    const int length = std::uniform_int_distribution<int>(3, 11)(rng);
    for (int i = 0; i < length; ++i)
        word += letters[std::uniform_int_distribution<int>(0, sizeof letters - 2)(rng)];
    return word;
}

struct Figure {
    const char* what;
    double reference;
    double indexed;
};

template <class Store>
std::vector<std::string> TenSuggestions(Store& store, const std::string& prefix)
{
    std::vector<std::string> got;
    std::string s = store.FirstSuggestion(prefix);
    for (int i = 0; i < 9 && !s.empty(); ++i) {
        got.push_back(s);
        s = store.NextSuggestion(prefix);
    }
    if (!s.empty())
        got.push_back(s);
    return got;
}

template <class Store>
std::vector<std::string> AllSuggestions(Store& store, const std::string& prefix)
{
    std::vector<std::string> got;
    for (std::string s = store.FirstSuggestion(prefix); !s.empty(); s = store.NextSuggestion(prefix))
        got.push_back(s);
    return got;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path() / "pv-autolearn-bench";
    std::filesystem::create_directories(folder);
    const std::string indexedPath = (folder / "AutoLearn.dic").string();
    const std::string referencePath = (folder / "Reference.dic").string();

    std::mt19937 rng(20261208);
    std::vector<std::string> words;
    {
        std::ofstream out(indexedPath, std::ios::binary | std::ios::trunc);
        unsigned char bytes[kAutoLearnRecordSize];
        EncodeAutoLearnMarker(bytes);  // a UTF-8 store, as the program writes it
        out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
        for (std::size_t i = 0; i < records; ++i) {
            words.push_back(RandomWord(rng));
            EncodeAutoLearnRecord(1 + static_cast<int>(i % 5), words.back(), bytes);
            out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
        }
    }
    std::filesystem::copy_file(indexedPath, referencePath, std::filesystem::copy_options::overwrite_existing);

    CAutoLearnDictionary indexed;
    CReferenceAutoLearn reference;
    auto openStart = Clock::now();
    if (!indexed.Open(indexedPath)) {
        std::fprintf(stderr, "cannot open %s\n", indexedPath.c_str());
        return 1;
    }
    const double openMicros = MicrosecondsSince(openStart);
    if (!reference.Open(referencePath))
        return 1;

    std::vector<Figure> figures;
    bool same = true;
    // Median of the rounds; the fast side repeats each round's call to rise above timer noise.
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    auto measure = [&](const char* what, int rounds, auto&& onReference, auto&& onIndexed) {
        constexpr int kRepeats = 20;
        std::vector<double> r, x;
        for (int i = 0; i < rounds; ++i) {
            auto start = Clock::now();
            const auto a = onReference(i);
            r.push_back(MicrosecondsSince(start));
            start = Clock::now();
            const auto b = onIndexed(i);
            for (int k = 1; k < kRepeats; ++k)
                onIndexed(i);
            x.push_back(MicrosecondsSince(start) / kRepeats);
            same = same && a == b;
        }
        figures.push_back({what, median(r), median(x)});
    };

    const std::vector<std::string> common{"th", "he", "an", "re", "es"};
    const std::vector<std::string> rare{"qz", "xj", "zk", "jq", "vx"};
    measure(
        "First + 9 Next, common two-letter prefix", 25, [&](int i) { return TenSuggestions(reference, common[i % 5]); },
        [&](int i) { return TenSuggestions(indexed, common[i % 5]); });
    measure(
        "First + 9 Next, rare two-letter prefix", 10, [&](int i) { return TenSuggestions(reference, rare[i % 5]); },
        [&](int i) { return TenSuggestions(indexed, rare[i % 5]); });
    measure(
        "every suggestion until empty, common two-letter prefix", 10,
        [&](int i) { return AllSuggestions(reference, common[i % 5]); },
        [&](int i) { return AllSuggestions(indexed, common[i % 5]); });
    measure(
        "Learn of an existing word", 25,
        [&](int i) { return static_cast<int>(reference.Learn(words[(i * 7919) % words.size()] + " ")); },
        [&](int i) { return static_cast<int>(indexed.Learn(words[(i * 7919) % words.size()] + " ")); });
    std::mt19937 fresh(7);
    std::vector<std::string> newWords;
    for (int i = 0; i < 10; ++i)
        newWords.push_back(RandomWord(fresh) + "zq");
    // Only the first call of a round adds the word; the repeats count it.
    measure(
        "Learn of a new word (then counting it)", 10,
        [&](int i) { return static_cast<int>(reference.Learn(newWords[i] + " ")); },
        [&](int i) { return static_cast<int>(indexed.Learn(newWords[i] + " ")); });

    indexed.Close();
    reference.Close();
    // The fast side learnt each word 20 times per round: same records, higher counts.
    {
        const std::vector<AutoLearnRecord> a = ScanAutoLearnFile(indexedPath);
        const std::vector<AutoLearnRecord> b = ScanAutoLearnFile(referencePath);
        bool sameTexts = a.size() == b.size();
        for (std::size_t i = 0; sameTexts && i < a.size(); ++i)
            sameTexts = a[i].text == b[i].text && (a[i].count >= b[i].count);
        same = same && sameTexts;
    }

    std::printf("AutoLearn store, %zu records of 516 bytes (%s)\n", records, indexedPath.c_str());
    std::printf("Open (read every record, build the index): %.1f ms\n\n", openMicros / 1000.0);
    std::printf("%-56s %14s %12s %10s\n", "operation (median of rounds)", "record walk", "indexed", "speed-up");
    for (const Figure& f : figures)
        std::printf("%-56s %11.1f us %9.2f us %9.0fx\n", f.what, f.reference, f.indexed, f.reference / f.indexed);
    std::printf("\nresults and files identical: %s\n", same ? "yes" : "NO");
    if (!std::getenv("PV_BENCH_KEEP"))
        std::filesystem::remove(indexedPath);
    std::filesystem::remove(referencePath);
    return same ? 0 : 2;
}
