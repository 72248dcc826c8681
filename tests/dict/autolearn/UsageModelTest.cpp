// The store of what typing taught: scores, its bound, its file and how a cut write leaves it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "dict/CodePage.h"
#include "dict/UsageModel.h"
#include "tests/support/TempFolder.h"

namespace {

std::vector<std::string> WithPrefix(const CUsageModel& model, const std::string& prefix)
{
    std::vector<std::string> words;
    model.ForEachWithPrefix(prefix, [&](const CUsageModel::Word& word) { words.emplace_back(word.text); });
    return words;
}

}  // namespace

TEST(UsageModel, LearnsWordsAndPairsAndRaisesWhatWasTyped)
{
    CUsageModel model;
    EXPECT_FALSE(model.Learn("--", "", 0, false));
    EXPECT_FALSE(model.Learn("1234", "", 0, false));
    EXPECT_FALSE(model.Learn("a.b", "", 0, false));
    EXPECT_TRUE(model.Learn("The", "", 7400, true));
    EXPECT_TRUE(model.Learn("thermal", "the", 2500, true));
    EXPECT_TRUE(model.Learn("the", "", 7400, true));  // small letters replace the capital
    EXPECT_TRUE(model.Learn("Zorblax", "", 0, false));
    EXPECT_EQ(WithPrefix(model, "TH"), (std::vector<std::string>{"the", "thermal"}));
    EXPECT_EQ(model.PairCount("THE", "thermal"), 1u);
    EXPECT_EQ(model.TypedWords(), 4u);

    CUsageModel::Word thermal{}, zorblax{};
    ASSERT_TRUE(model.Find("thermal", thermal));
    ASSERT_TRUE(model.Find("zorblax", zorblax));
    EXPECT_EQ(zorblax.text, "Zorblax");
    // Typed once, a rare word beats a common word never typed; after "the" the pair lifts it more.
    EXPECT_GT(model.Score(thermal, ""), model.ModelScore(6000, ""));
    EXPECT_GT(model.Score(thermal, "the"), model.Score(thermal, ""));
    EXPECT_GT(model.ModelScore(7000, ""), model.ModelScore(6000, ""));
    EXPECT_EQ(model.ModelScore(0, ""), 0.0);
}

// A word deleted on the AutoLearn page: its counts and every pair with it go, the rest stays.
TEST(UsageModel, ForgottenWordsTakeTheirPairsAlong)
{
    CUsageModel model;
    for (const char* word : {"secret", "plan", "the", "plan", "secret", "code"})
        model.Learn(word, "", 0, false);
    model.Learn("plan", "secret", 0, false);
    model.Learn("code", "secret", 0, false);
    model.Learn("code", "the", 0, false);
    EXPECT_FALSE(model.Forget({"nothing", "known"}));
    ASSERT_TRUE(model.Forget({"SECRET", "nothing"}));
    EXPECT_TRUE(model.IsDirty());
    CUsageModel::Word found{};
    EXPECT_FALSE(model.Find("secret", found));
    EXPECT_EQ(model.PairCount("secret", "plan"), 0u);
    EXPECT_EQ(model.PairCount("the", "code"), 1u);
    ASSERT_TRUE(model.Find("plan", found));
    EXPECT_EQ(found.count, 3u);
    EXPECT_EQ(WithPrefix(model, ""), (std::vector<std::string>{"code", "plan", "the"}));
    EXPECT_EQ(model.Serialize().find("secret"), std::string::npos);
}

TEST(UsageModel, StaysWithinItsLimitsKeepingTheMostUsed)
{
    CUsageModel model(CUsageModel::Limits{100, 150});
    for (int i = 0; i < 1000; ++i) {
        model.Learn("often", "", 0, false);
        model.Learn("word" + std::string(1, static_cast<char>('a' + i % 26)) + std::to_string(i), "often", 0, false);
        ASSERT_LE(model.WordCount(), 100u);
        ASSERT_LE(model.PairCountTotal(), 150u);
    }
    CUsageModel::Word often{};
    ASSERT_TRUE(model.Find("often", often));
    EXPECT_EQ(often.count, 1000u);
    CUsageModel reread;
    ASSERT_TRUE(reread.Parse(model.Serialize()));
    EXPECT_EQ(reread.Serialize(), model.Serialize());
}

// A sync folder's merge sets pairs: their words come uncounted, the counts follow the merge
// both ways, the store stays within its limits and reads back what it writes.
TEST(UsageModel, PairsSetFromAMergeKeepFollowersAndLimits)
{
    CUsageModel model(CUsageModel::Limits{100, 150});
    const auto rankOf = [](std::string_view word) {
        return word == "the" ? 7400 : -1;
    };
    model.Learn("the", "", 7400, true);
    ASSERT_TRUE(model.SetPairCount("the", "zorblax", 5, rankOf));
    EXPECT_FALSE(model.SetPairCount("THE", "zorblax", 5, rankOf));  // nothing changed
    CUsageModel::Word zorblax{}, the{};
    ASSERT_TRUE(model.Find("zorblax", zorblax));
    ASSERT_TRUE(model.Find("the", the));
    EXPECT_EQ(zorblax.count, 0u);
    EXPECT_FALSE(zorblax.known);
    EXPECT_EQ(the.count, 1u);
    EXPECT_EQ(model.TypedWords(), 1u);
    const double five = model.Score(zorblax, "the");
    ASSERT_TRUE(model.SetPairCount("the", "zorblax", 2, rankOf));
    EXPECT_EQ(model.PairCount("the", "zorblax"), 2u);
    EXPECT_LT(model.Score(zorblax, "the"), five);
    ASSERT_TRUE(model.SetPairCount("the", "zorblax", 0, rankOf));
    EXPECT_EQ(model.PairCount("the", "zorblax"), 0u);
    EXPECT_FALSE(model.SetPairCount("the", "zorblax", 0, rankOf));
    EXPECT_FALSE(model.SetPairCount("the", "a b", 3, rankOf));  // no word a store can hold

    for (int i = 0; i < 400; ++i) {
        model.SetPairCount("w" + std::to_string(i), "the", 1 + i % 7, rankOf);
        ASSERT_LE(model.WordCount(), 100u);
        ASSERT_LE(model.PairCountTotal(), 150u);
    }
    std::size_t pairs = 0;
    model.ForEachPair([&](std::string_view, std::string_view second, std::uint32_t) { pairs += second == "the"; });
    EXPECT_GT(pairs, 0u);
    CUsageModel reread;
    ASSERT_TRUE(reread.Parse(model.Serialize()));
    EXPECT_EQ(reread.Serialize(), model.Serialize());
}

TEST(UsageModel, AWriteCutAnywhereLeavesTheOldFileOrTheNew)
{
    pvtest::TempFolder folder;
    const std::string path = folder.File("AutoLearn.use");
    CUsageModel model;
    EXPECT_TRUE(model.Load(path));  // none yet: empty
    model.Learn("alpha", "", 0, false);
    ASSERT_TRUE(model.Save());
    const std::string oldFile = pvtest::ReadFile(path);
    model.Learn("beta", "alpha", 0, false);
    const std::string newFile = model.Serialize();

    for (std::size_t cut = 0; cut <= newFile.size(); ++cut) {
        // Cut while the new file was written beside the old one: the old one is read.
        pvtest::WriteFile(path + ".new", newFile.substr(0, cut));
        CUsageModel reader;
        ASSERT_TRUE(reader.Load(path)) << cut;
        ASSERT_EQ(reader.Serialize(), oldFile) << cut;
        // A file cut in place (a disk that lost its end) is refused whole, never read in part.
        if (cut < newFile.size()) {
            pvtest::WriteFile(folder.File("cut.use"), newFile.substr(0, cut));
            CUsageModel damaged;
            ASSERT_EQ(damaged.Load(folder.File("cut.use")), cut == 0) << cut;
            ASSERT_EQ(damaged.WordCount(), 0u) << cut;
        }
    }
    ASSERT_TRUE(model.Save());
    CUsageModel reader;
    ASSERT_TRUE(reader.Load(path));
    EXPECT_EQ(reader.Serialize(), newFile);
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));

    // Delete All: memory and file.
    ASSERT_TRUE(reader.Clear());
    EXPECT_EQ(reader.WordCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(UsageModel, ADamagedFileIsReplacedAtTheNextSave)
{
    pvtest::TempFolder folder;
    const std::string path = folder.File("AutoLearn.use");
    CUsageModel model;
    model.Learn("gamma", "", 0, false);
    std::string text = model.Serialize();
    text[text.find("gamma")] = 'G';  // the checksum no longer fits
    pvtest::WriteFile(path, text);
    CUsageModel reader;
    EXPECT_FALSE(reader.Load(path));
    EXPECT_EQ(reader.WordCount(), 0u);
    reader.Learn("delta", "", 0, false);
    ASSERT_TRUE(reader.Save());
    CUsageModel again;
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(WithPrefix(again, ""), std::vector<std::string>{"delta"});
}

TEST(UsageModel, WordsThatDifferOnlyInCaseAreOneWordInEveryScript)
{
    // Capital and small forms: Ü/ü, Ł/ł, Σ/σ (and the final ς), Ж/ж, İ/i.
    const std::vector<std::pair<std::string, std::string>> pairs{
        {"\xC3\x9C"
         "ber",
         "\xC3\xBC"
         "ber"},
        {"\xC5\x81\xC3\xB3"
         "d\xC5\xBA",
         "\xC5\x82\xC3\xB3"
         "d\xC5\xBA"},
        {"\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x9F\xCE\xA3", "\xCF\x83\xCE\xBF\xCF\x86\xCE\xBF\xCF\x82"},
        {"\xD0\x96\xD0\x98\xD0\x97\xD0\x9D\xD0\xAC", "\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C"},
        {"\xC4\xB0zmir", "izmir"}};
    CUsageModel model;
    for (const auto& [upper, lower] : pairs) {
        ASSERT_TRUE(model.Learn(upper, "", 0, false)) << upper;
        ASSERT_TRUE(model.Learn(lower, "", 0, false)) << lower;
        // Once typed in small letters, the word is offered so, found by either form's start.
        EXPECT_EQ(WithPrefix(model, upper.substr(0, 2)), std::vector<std::string>{lower}) << upper;
        CUsageModel::Word word{};
        ASSERT_TRUE(model.Find(upper, word));
        EXPECT_EQ(word.count, 2u);
    }
    // Different words that only full case folding would join stay apart.
    ASSERT_TRUE(
        model.Learn("Ma\xC3\x9F"
                    "e",
                    "", 0, false));
    ASSERT_TRUE(model.Learn("Masse", "", 0, false));
    EXPECT_EQ(model.WordCount(), pairs.size() + 2);
    // Letters of any script make words; arrows, emoji and marks alone do not.
    EXPECT_TRUE(CUsageModel::IsWord("\xE0\xA4\xA8\xE0\xA4\xAE\xE0\xA4\xB8\xE0\xA5\x8D\xE0\xA4\xA4\xE0\xA5\x87"));
    EXPECT_TRUE(
        CUsageModel::IsWord("l\xE2\x80\x99"
                            "eau"));
    EXPECT_FALSE(CUsageModel::IsWord("\xE2\x86\x92"));
    EXPECT_FALSE(CUsageModel::IsWord("ok\xF0\x9F\x98\x80"));
    EXPECT_FALSE(CUsageModel::IsWord("M\xFCller"));  // not UTF-8
    std::string long48;
    for (int i = 0; i < 48; ++i)
        long48 += "\xC5\x82";
    EXPECT_TRUE(CUsageModel::IsWord(long48));  // 48 characters, 96 bytes
    EXPECT_FALSE(CUsageModel::IsWord(long48 + "a"));

    CUsageModel again;
    ASSERT_TRUE(again.Parse(model.Serialize()));
    CUsageModel::Word word{};
    EXPECT_TRUE(again.Find("\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x9F\xCE\xA3", word));
}

TEST(UsageModel, AFirstVersionFileIsReadInItsCodePageAndWrittenAnew)
{
    pvtest::TempFolder folder;
    const std::string path = folder.File("AutoLearn.use");
    // What the first version wrote for "żółw" then "Żółwie" typed after it, in code page 1250.
    std::string old = "PVUSAGE 1\ntyped 3 serial 3\nw 2 3 0 0 \xBF\xF3\xB3w\nw 1 2 0 0 \xAF\xF3\xB3wie\np 0 1 1\n";
    char end[40];
    std::uint32_t hash = 2166136261u;
    for (char c : old)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    std::snprintf(end, sizeof end, "end 2 1 %08lx\n", static_cast<unsigned long>(hash));
    old += end;
    pvtest::WriteFile(path, old);

    CUsageModel model;
    model.SetLegacyCodePage(PortableCodePage(1250));
    ASSERT_TRUE(model.Load(path));
    EXPECT_EQ(WithPrefix(model, "\xC5\xBB\xC3\xB3"),  // "Żó"
              (std::vector<std::string>{"\xC5\xBC\xC3\xB3\xC5\x82w", "\xC5\xBB\xC3\xB3\xC5\x82wie"}));
    EXPECT_EQ(model.PairCount("\xC5\xBC\xC3\xB3\xC5\x82w", "\xC5\xBC\xC3\xB3\xC5\x82wie"), 1u);
    // Written anew at once, in UTF-8; read back the same in any code page.
    EXPECT_FALSE(model.IsDirty());
    const std::string written = pvtest::ReadFile(path);
    EXPECT_EQ(written.substr(0, 10), "PVUSAGE 2\n");
    EXPECT_EQ(written, model.Serialize());
    CUsageModel again;
    again.SetLegacyCodePage(PortableCodePage(1251));
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(again.Serialize(), written);
}
