// What the UTF-8 mirrors cost: a dictionary (the bundled English one) loaded for completion
// without and with them, side by side, and its first query with a letter beyond ASCII (which
// makes the mirror of its capitals); a UTF-8 dictionary of several scripts as it is, and an ANSI
// copy of it mirrored into UTF-8.
// Usage: bench_codepage ENGLISH.lib WORK_FOLDER [WORDS]
#include <utility>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dict/CodePage.h"
#include "dict/CodePageMirror.h"
#include "dict/DictionarySet.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// Median of the runs of a load: the set is loaded, mirrored when asked, and searched once (the
// engine's first search, which brings the first pages in).
double TimeLoad(const std::string& path, const CCodePage& codePage, bool mirror, int runs, int& skipped)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        CDictionarySet set(nullptr, codePage);
        set.LoadFiles({path});
        skipped = mirror ? set.MirrorAsUtf8() : 0;
        DictionaryMatch match;
        set.FindFirst("a", match, MATCH_START | MATCH_WORDS | MATCH_PHRASES);
        times.push_back(Milliseconds(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Words with letters of several scripts: a third German-like, a third Polish, a third Russian.
void MakeUtf8Dictionary(const std::string& path, int words, int keyCode)
{
    static const char* const kSyllables[] = {"ge",
                                             "m\xC3\xBC",
                                             "se",
                                             "\xC3\x9C",
                                             "ber",
                                             "\xC5\xBC\xC3\xB3",
                                             "\xC5\x82w",
                                             "ka",
                                             "\xD0\xBF\xD1\x80",
                                             "\xD0\xB8\xD0\xB2",
                                             "\xD0\xB5\xD1\x82",
                                             "lo",
                                             "tra",
                                             "\xC3\xA4n",
                                             "de",
                                             "ri"};
    std::remove(path.c_str());
    CDictionaryFile file(Windows1252CodePage());
    file.Open(path);
    file.SetKeyCode(keyCode);
    file.SetDataCode(keyCode);
    CStoredEntries entries;
    std::string stored;
    unsigned seed = 12345;
    for (int i = 0; i < words; ++i) {
        std::string word;
        const int length = 2 + static_cast<int>(seed % 3);
        const int script = i % 3;  // 0: Latin and German, 1: Polish, 2: Cyrillic
        for (int s = 0; s < length; ++s) {
            seed = seed * 1103515245u + 12345u;
            const int pick = static_cast<int>((seed >> 16) % 8);
            const int syllable =
                script == 0 ? (pick < 4 ? pick : 11 + pick % 5) : (script == 1 ? 4 + pick % 4 : 8 + pick % 4);
            word += kSyllables[syllable];
        }
        word += std::to_string(i);
        file.EncodeKey(word, stored);
        entries.Add(stored, "");
    }
    file.AddStoredEntries(std::move(entries));
    file.WriteInfo();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_codepage ENGLISH.lib WORK_FOLDER [WORDS]\n");
        return 2;
    }
    const std::string english = argv[1];
    const int words = argc > 3 ? std::atoi(argv[3]) : 300000;
    const int runs = 15;
    int skipped = 0;
    const CCodePage& cp1252 = Windows1252CodePage();
    // Alternated, so that both see the same file cache.
    const double before = TimeLoad(english, cp1252, false, runs, skipped);
    const double after = TimeLoad(english, cp1252, true, runs, skipped);
    std::printf(
        "English load for completion (median of %d): %.3f ms as before, %.3f ms now: ratio %.3f "
        "(goal <= 1.2)\n",
        runs, before, after, after / before);
    // The first query with a letter beyond ASCII makes the mirror of the capitals beside it.
    CDictionarySet set(nullptr, cp1252);
    set.LoadFiles({english});
    set.MirrorAsUtf8();
    DictionaryMatch match;
    Clock::time_point start = Clock::now();
    set.FindFirst("\xC3\xA9", match, MATCH_START | MATCH_WORDS | MATCH_PHRASES);
    const double first = Milliseconds(start);
    start = Clock::now();
    set.FindFirst("\xC3\xA9", match, MATCH_START | MATCH_WORDS | MATCH_PHRASES);
    std::printf(
        "English: first query with a letter beyond ASCII %.2f ms (%d capitals mirrors, %d entries), "
        "the next %.3f ms\n",
        first, set.Count() - 1, set.Count() > 1 ? set.Dictionary(1).CountEntries() : 0, Milliseconds(start));

    const std::string utf8 = std::string(argv[2]) + "/codepage-utf8.lib";
    MakeUtf8Dictionary(utf8, words, CODE_UTF8);
    const std::string ansi = std::string(argv[2]) + "/codepage-ansi.lib";
    MakeUtf8Dictionary(ansi, words, CODE_ANSI);
    const double inPlace = TimeLoad(utf8, cp1252, true, 3, skipped);
    const double mirrored = TimeLoad(ansi, cp1252, true, 3, skipped);
    std::printf(
        "Dictionary of %d words: %.1f ms UTF-8 searched in place, %.1f ms ANSI (1252) mirrored into UTF-8, "
        "%d skipped\n",
        words, inPlace, mirrored, skipped);
    return 0;
}
