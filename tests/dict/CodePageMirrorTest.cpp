// Letters beyond ASCII in the store, under the code pages 1250, 1251 and 1252: searches meet
// capitals and small letters alike, keys take the query's case, and UTF-8 dictionaries serve each
// code page with what it can represent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dict/CodePage.h"
#include "dict/CodePageMirror.h"
#include "dict/DictionarySet.h"
#include "tests/dict/DictTestSupport.h"

namespace {

using dicttest::Keys;
using dicttest::ReadFile;
using dicttest::TempFolder;

constexpr int kWords = MATCH_START | MATCH_WORDS | MATCH_PHRASES;

struct Entry {
    std::string key;  // code page text, or UTF-8 for a UTF-8 dictionary
    int rank;
};

void Make(const std::string& path, const CCodePage& codePage, const std::vector<Entry>& entries, int keyCode)
{
    CDictionaryFile file(codePage);
    ASSERT_TRUE(file.Open(path));
    file.SetKeyCode(keyCode);
    file.SetDataCode(keyCode);
    for (const Entry& e : entries)
        ASSERT_TRUE(file.AddStoredEntry(e.key, keyCode == CODE_UTF8 ? "\xE2\x80\x94" : "-", e.rank));
    ASSERT_TRUE(file.WriteInfo());
}

// The words of one language in its code page: a capital and a small form of letters beyond ASCII.
struct Language {
    unsigned codePage;
    std::vector<Entry> words;
    const char* query;         // small letters beyond ASCII
    const char* expected;      // its keys, capitals and small ones together
    const char* capitalQuery;  // the same with a first capital
    const char* capitalized;   // ... and its keys
    const char* allCapitals;   // the first key for two capitals: every letter a capital
    const char* topRanked;     // the query's most likely key, and its rank
    int topRank;
};

std::vector<Language> Languages()
{
    return {
        {1252,
         {{"\xDC"
           "ber",
           300},
          {"\xFC"
           "ber",
           900},
          {"\xFC"
           "bel",
           200},
          {"Gem\xFC"
           "se",
           500},
          {"gemein", 100}},
         "\xFC"
         "b",
         "\xFC"
         "bel,\xDC"
         "ber,\xFC"
         "ber",
         "\xDC"
         "b",
         "\xDC"
         "bel,\xDC"
         "ber,\xDC"
         "ber",
         "\xDC"
         "BEL",
         "\xFC"
         "ber",
         900},
        {1250,
         {{"\xAF\xF3\xB3w", 300},
          {"\xBF\xF3\xB3ty", 900},
          {"\xA3\xF3"
           "d\x9F",
           200},
          {"\xB3\xF3"
           "dka",
           100}},
         "\xBF\xF3",
         "\xBF\xF3\xB3ty,\xAF\xF3\xB3w",
         "\xAF\xF3",
         "\xAF\xF3\xB3ty,\xAF\xF3\xB3w",
         "\xAF\xD3\xA3TY",
         "\xBF\xF3\xB3ty",
         900},
        {1251,
         {{"\xCF\xF0\xE8\xE2\xE5\xF2", 800},
          {"\xEF\xF0\xE8\xE2\xFB\xF7\xEA\xE0", 400},
          {"\xEF\xF0\xEE\xF1\xF2\xEE", 900}},
         "\xEF\xF0\xE8",
         "\xCF\xF0\xE8\xE2\xE5\xF2,\xEF\xF0\xE8\xE2\xFB\xF7\xEA\xE0",
         "\xCF\xF0\xE8",
         "\xCF\xF0\xE8\xE2\xE5\xF2,\xCF\xF0\xE8\xE2\xFB\xF7\xEA\xE0",
         "\xCF\xD0\xC8\xC2\xC5\xD2",
         "\xCF\xF0\xE8\xE2\xE5\xF2",
         800},
    };
}

}  // namespace

TEST(CodePages, CaseLettersAndConversionAgreeInEachCodePage)
{
    for (unsigned id : {1250u, 1251u, 1252u}) {
        const CCodePage& cp = *PortableCodePage(id);
        SCOPED_TRACE(id);
        for (int b = 0x80; b < 0x100; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            // Case pairs go both ways, and only letters have case.
            if (cp.IsCapital(byte)) {
                EXPECT_EQ(cp.UpperByte(cp.LowerByte(byte)), byte) << b;
                EXPECT_TRUE(cp.IsLetterOrDigit(byte)) << b;
            }
            // Every byte converts to UTF-16 and back to itself.
            std::u16string wide;
            std::string back;
            int lost = 0;
            ASSERT_TRUE(cp.ToUtf16(std::string(1, static_cast<char>(byte)), wide));
            ASSERT_TRUE(cp.FromUtf16Counted(wide, back, lost));
            EXPECT_EQ(back, std::string(1, static_cast<char>(byte))) << b;
            EXPECT_EQ(lost, 0);
        }
    }
    EXPECT_EQ(PortableCodePage(1253), nullptr);
    // Letters of another script have no byte: counted, one default character each.
    std::string out;
    int lost = 0;
    PortableCodePage(1251)->FromUtf16Counted(u"\u017C\u0436\U0001F600", out, lost);
    EXPECT_EQ(out, "?\xE6?");
    EXPECT_EQ(lost, 2);
}

TEST(CodePageMirror, SearchesMeetCapitalsBeyondAsciiInEachCodePage)
{
    TempFolder temp;
    for (const Language& language : Languages()) {
        const CCodePage& cp = *PortableCodePage(language.codePage);
        SCOPED_TRACE(language.codePage);
        const std::string path = temp.File(std::to_string(language.codePage) + ".lib");
        Make(path, cp, language.words, CODE_ANSI);
        const std::string before = ReadFile(path);

        CDictionarySet set(nullptr, cp);
        ASSERT_TRUE(set.LoadFiles({path}));
        // The storage keeps the capitals beyond ASCII apart from their small letters.
        EXPECT_NE(Keys(set, language.query, kWords), language.expected);
        EXPECT_EQ(set.MirrorForCodePage(), 0);
        EXPECT_EQ(Keys(set, "a", kWords), "");
        EXPECT_EQ(set.Count(), 1) << "made at the first query with a letter beyond ASCII";
        EXPECT_EQ(Keys(set, language.query, kWords), language.expected);
        ASSERT_EQ(set.Count(), 2);
        EXPECT_TRUE(set.Dictionary(1).IsCapitalsMirror());
        EXPECT_FALSE(set.Dictionary(0).IsMirrored());
        EXPECT_EQ(Keys(set, language.capitalQuery, kWords), language.capitalized);
        std::string twoCapitals = std::string(language.query).substr(0, 2);
        cp.AdaptCase(twoCapitals, 2);
        DictionaryMatch match;
        ASSERT_TRUE(set.FindFirst(twoCapitals, match, kWords));
        EXPECT_EQ(match.key, language.allCapitals);
        // Ranks are kept: the highest first, and each entry's own.
        int rank = 0;
        ASSERT_TRUE(set.FindFirstRanked(language.query, match, kWords, true, rank));
        EXPECT_EQ(match.key, language.topRanked);
        EXPECT_EQ(rank, language.topRank);
        EXPECT_EQ(set.RankOf(language.words[0].key), language.words[0].rank);
        set.CloseAll();
        // The file on disk is never written.
        EXPECT_EQ(ReadFile(path), before);
    }
}

TEST(CodePageMirror, TheCapitalsMirrorOffersOnlyWhatTheFileMisses)
{
    TempFolder temp;
    const CCodePage& cp = *PortableCodePage(1252);
    const std::string path = temp.File("w.lib");
    Make(path, cp, {{"caf\xE9", 1}, {"Caesar", 2}, {"na\xEFve", 3}}, CODE_ANSI);
    CDictionaryFile file(cp);
    ASSERT_TRUE(file.Open(path));
    EXPECT_FALSE(NeedsCodePageMirror(file, cp));
    EXPECT_EQ(MirrorOfCapitals(file, cp), nullptr) << "no capital beyond ASCII";
    EXPECT_EQ(Keys(file, "CA", kWords), "CAESAR,CAF\xC9");
    // Under another code page these bytes are small letters too.
    EXPECT_EQ(MirrorOfCapitals(file, *PortableCodePage(1251)), nullptr);
    file.Close();
    // A capital beyond the query's length is the file's own match: offered once, by the file.
    Make(path, cp,
         {{"gem\xDCse", 1},
          {"\xC9"
           "clair",
           2}},
         CODE_ANSI);
    CDictionarySet set(nullptr, cp);
    ASSERT_TRUE(set.LoadFiles({path}));
    set.MirrorForCodePage();
    EXPECT_EQ(Keys(set, "\xE9", kWords),
              "\xC9"
              "clair");
    EXPECT_EQ(Keys(set, "gem", kWords), "gem\xDCse");
    EXPECT_EQ(Keys(set, "gem\xFC", kWords), "gem\xDCse");
}

TEST(CodePageMirror, Utf8KeysServeEachCodePageWithWhatItCanRepresent)
{
    TempFolder temp;
    const std::string path = temp.File("utf8.lib");
    // German, Polish, Russian, French, and a word of no Windows code page of these three.
    const std::vector<Entry> words = {
        {"Gem\xC3\xBC"
         "se",
         700},
        {"gemein", 600},
        {"\xC5\xBC\xC3\xB3\xC5\x82w", 500},
        {"\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", 900},
        {"caf\xC3\xA9", 300},
        {"\xE6\x97\xA5\xE6\x9C\xAC", 800},
        {"bad\xC3", 100},  // cut in the middle of a character
    };
    Make(path, Windows1252CodePage(), words, CODE_UTF8);
    struct Expectation {
        unsigned codePage;
        int skipped;
        std::string query, keys;
    };
    const std::vector<Expectation> expectations = {
        {1252, 4, "ge",
         "gemein,Gem\xFC"
         "se"},
        {1250, 3, "\xBF\xF3", "\xBF\xF3\xB3w"},
        {1251, 5, "\xEF\xF0", "\xEF\xF0\xE8\xE2\xE5\xF2"},
    };
    for (const Expectation& e : expectations) {
        SCOPED_TRACE(e.codePage);
        const CCodePage& cp = *PortableCodePage(e.codePage);
        CDictionarySet set(nullptr, cp);
        ASSERT_TRUE(set.LoadFiles({path}));
        EXPECT_EQ(set.MirrorForCodePage(), e.skipped);
        EXPECT_EQ(set.SkippedEntries(0), e.skipped);
        EXPECT_EQ(set.Dictionary(0).CountEntries(), static_cast<int>(words.size()) - e.skipped);
        EXPECT_EQ(Keys(set, e.query, kWords), e.keys);
        // Data comes decoded too; nothing of what is offered holds a default character.
        DictionaryMatch match;
        ASSERT_TRUE(set.FindFirst(e.query, match, kWords));
        EXPECT_NE(match.data.find('\x97'), std::string::npos) << match.data;
        for (int row = 0; row < set.Dictionary(0).CountEntries(); ++row) {
            std::string key, data;
            ASSERT_TRUE(set.Dictionary(0).ReadEntry(row, key, data));
            EXPECT_EQ(key.find('?'), std::string::npos) << key;
        }
        int rank = 0;
        ASSERT_TRUE(set.FindFirstRanked(e.query.substr(0, 1), match, kWords, true, rank));
        EXPECT_GE(rank, 300);
    }
}
