// The store of what typing taught: scores, its bound, its file and how a cut write leaves it.
#include <gtest/gtest.h>

#include <filesystem>

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
