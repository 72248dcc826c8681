// Letters beyond ASCII in the store: UTF-8 files searched in place and ANSI files of the code
// pages 1250, 1251 and 1252 mirrored into UTF-8 meet capitals and small letters alike, keys take
// the query's case, and entries that cannot be read are left out and counted.
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
    std::string key;  // UTF-8, or the stored bytes as they are (a broken sequence)
    int rank;
};

// keyCode CODE_ANSI: the keys are written in the code page given.
void Make(const std::string& path, const CCodePage& codePage, const std::vector<Entry>& entries, int keyCode)
{
    CDictionaryFile file(codePage);
    ASSERT_TRUE(file.Open(path));
    file.SetKeyCode(keyCode);
    file.SetDataCode(keyCode);
    std::string key, data;
    for (const Entry& e : entries) {
        if (keyCode == CODE_UTF8)
            key = e.key;
        else
            file.EncodeKey(e.key, key);
        file.EncodeData("\u2014", data);
        ASSERT_TRUE(file.AddStoredEntry(key, data, e.rank));
    }
    ASSERT_TRUE(file.WriteInfo());
}

// The words of one language: a capital and a small form of letters beyond ASCII.
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
         {{"Über", 300}, {"über", 900}, {"übel", 200}, {"Gemüse", 500}, {"gemein", 100}},
         "üb",
         "übel,Über,über",
         "Üb",
         "Übel,Über,Über",
         "ÜBEL",
         "über",
         900},
        {1250,
         {{"Żółw", 300}, {"żółty", 900}, {"Łódź", 200}, {"łódka", 100}},
         "żó",
         "żółty,Żółw",
         "Żó",
         "Żółty,Żółw",
         "ŻÓŁTY",
         "żółty",
         900},
        {1251,
         {{"Привет", 800}, {"привычка", 400}, {"просто", 900}},
         "при",
         "Привет,привычка",
         "При",
         "Привет,Привычка",
         "ПРИВЕТ",
         "Привет",
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

TEST(CodePageMirror, AnsiAndUtf8FilesMeetCapitalsBeyondAsciiInEachScript)
{
    TempFolder temp;
    for (const Language& language : Languages()) {
        const CCodePage& cp = *PortableCodePage(language.codePage);
        for (int keyCode : {CODE_ANSI, CODE_UTF8}) {
            SCOPED_TRACE(std::to_string(language.codePage) + (keyCode == CODE_UTF8 ? " UTF-8" : " ANSI"));
            const std::string path =
                temp.File(std::to_string(language.codePage) + (keyCode == CODE_UTF8 ? "-utf8" : "") + ".lib");
            Make(path, cp, language.words, keyCode);
            const std::string before = ReadFile(path);

            CDictionarySet set(nullptr, cp);
            ASSERT_TRUE(set.LoadFiles({path}));
            EXPECT_EQ(set.MirrorAsUtf8(), 0);
            EXPECT_EQ(set.Dictionary(0).IsMirrored(), keyCode == CODE_ANSI) << "UTF-8 is searched in place";
            EXPECT_EQ(Keys(set, "a", kWords), "");
            EXPECT_EQ(set.Count(), 1) << "made at the first query with a letter beyond ASCII";
            EXPECT_EQ(Keys(set, language.query, kWords), language.expected);
            ASSERT_EQ(set.Count(), 2);
            EXPECT_TRUE(set.Dictionary(1).IsCapitalsMirror());
            EXPECT_EQ(Keys(set, language.capitalQuery, kWords), language.capitalized);
            std::string twoCapitals = language.query;
            twoCapitals.resize(Utf8CodePage().WholeCharacterPrefix(twoCapitals, 4));
            Utf8CodePage().AdaptCase(twoCapitals, 2);
            DictionaryMatch match;
            ASSERT_TRUE(set.FindFirst(twoCapitals, match, kWords));
            EXPECT_EQ(match.key, language.allCapitals);
            EXPECT_EQ(match.data, "----" + set.Dictionary(0).DisplayName() + "----\r\n\u2014");
            // Ranks are kept: the highest first, and each entry's own.
            int rank = 0;
            ASSERT_TRUE(set.FindFirstRanked(language.query, match, kWords, true, rank));
            EXPECT_EQ(match.key, language.topRanked);
            EXPECT_EQ(rank, language.topRank);
            for (const Entry& e : language.words)
                EXPECT_EQ(set.RankOf(e.key), e.rank) << e.key;
            set.CloseAll();
            // The file on disk is never written.
            EXPECT_EQ(ReadFile(path), before);
        }
    }
}

TEST(CodePageMirror, TheCapitalsMirrorOffersOnlyWhatTheFileMisses)
{
    TempFolder temp;
    const std::string path = temp.File("w.lib");
    Make(path, Utf8CodePage(), {{"café", 1}, {"Caesar", 2}, {"naïve", 3}}, CODE_UTF8);
    CDictionaryFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_FALSE(NeedsUtf8Mirror(file));
    EXPECT_EQ(MirrorOfCapitals(file), nullptr) << "no capital beyond ASCII";
    EXPECT_EQ(Keys(file.Search(), "CA", kWords), "CAESAR,CAFÉ");
    file.Close();
    // A capital beyond the query's length is the file's own match: offered once, by the file.
    Make(path, Utf8CodePage(), {{"gemÜse", 1}, {"Éclair", 2}, {"Σοφία", 3}, {"κόσμος", 4}}, CODE_UTF8);
    CDictionarySet set;
    ASSERT_TRUE(set.LoadFiles({path}));
    set.MirrorAsUtf8();
    EXPECT_EQ(Keys(set, "é", kWords), "Éclair");
    EXPECT_EQ(Keys(set, "gem", kWords), "gemÜse");
    EXPECT_EQ(Keys(set, "gemü", kWords), "gemÜse");
    EXPECT_EQ(Keys(set, "σοφ", kWords), "Σοφία");
    EXPECT_EQ(Keys(set, "ΣΟ", kWords), "ΣΟΦΊΑ");
    // A capital sigma ending the typed start is the sigma of a word's middle.
    EXPECT_EQ(Keys(set, "ΚΌΣ", kWords), "ΚΌΣΜΟΣ");
    EXPECT_EQ(Keys(set, "Κόσ", kWords), "Κόσμος");
    DictionaryMatch match;
    int rank = 0;
    ASSERT_TRUE(set.FindFirstRanked("ΚΌΣ", match, kWords, true, rank));
    EXPECT_EQ(match.key, "ΚΌΣΜΟΣ");
}

TEST(CodePageMirror, Utf8AndAnsiFilesMergeAndWhatCannotBeReadIsLeftOutAndCounted)
{
    TempFolder temp;
    const std::string utf8 = temp.File("utf8.lib"), ansi = temp.File("ansi.lib"), wide = temp.File("wide.lib");
    // German, Polish, Russian, French, Japanese, and two keys cut in the middle of a character.
    Make(utf8, Utf8CodePage(),
         {{"Gemüse", 700},
          {"żółw", 500},
          {"привет", 900},
          {"café", 300},
          {"日本", 800},
          {"bad\xC3", 100},
          {"\xD0r", 100}},
         CODE_UTF8);
    const CCodePage& cp1250 = *PortableCodePage(1250);
    Make(ansi, cp1250, {{"żółty", 600}, {"Żaba", 200}, {"gemein", 650}}, CODE_ANSI);
    {
        // UTF-16 with a surrogate out of its pair.
        CDictionaryFile file;
        ASSERT_TRUE(file.Open(wide));
        file.SetKeyCode(CODE_UTF16);
        file.SetDataCode(CODE_UTF16);
        std::string key;
        file.EncodeKey("😀 smile", key);
        ASSERT_TRUE(file.AddStoredEntry(key, ""));
        ASSERT_TRUE(file.AddStoredEntry(std::string("\x3D\xD8s\x00", 4), ""));
        ASSERT_TRUE(file.WriteInfo());
    }
    CDictionarySet set(nullptr, cp1250);
    ASSERT_TRUE(set.LoadFiles({utf8, ansi, wide}));
    EXPECT_EQ(set.MirrorAsUtf8(), 3);
    EXPECT_EQ(set.SkippedEntries(0), 2);
    EXPECT_EQ(set.SkippedEntries(1), 0);
    EXPECT_EQ(set.SkippedEntries(2), 1);
    EXPECT_EQ(set.Dictionary(0).CountEntries(), 5);
    EXPECT_EQ(Keys(set, "żó", kWords), "żółty,żółw");
    EXPECT_EQ(Keys(set, "Ż", kWords), "Żaba,Żółty,Żółw");
    EXPECT_EQ(Keys(set, "ge", kWords), "gemein,Gemüse");
    EXPECT_EQ(Keys(set, "ПРИ", kWords), "ПРИВЕТ");
    EXPECT_EQ(Keys(set, "日", kWords), "日本");
    EXPECT_EQ(Keys(set, "😀", kWords), "😀 smile");
    EXPECT_EQ(Keys(set, "ba", kWords), "");
    // By rank over all three files.
    DictionaryMatch match;
    int rank = 0;
    std::string ranked;
    for (bool found = set.FindFirstRanked("g", match, kWords, true, rank); found;
         found = set.FindNextRanked(match, rank))
        ranked += match.key + ":" + std::to_string(rank) + ",";
    EXPECT_EQ(ranked, "Gemüse:700,gemein:650,");
    // Nothing offered holds a replacement character.
    for (int i = 0; i < set.Count(); ++i) {
        std::string key, data;
        for (int row = 0; set.Dictionary(i).ReadEntry(row, key, data); ++row)
            EXPECT_EQ(key.find("\uFFFD"), std::string::npos) << key;
    }
}
