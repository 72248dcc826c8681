// The search on its own, through its ports: which source's candidates make the page, and in
// what order, for the text typed.
#include "app/engine/CandidateSearch.h"

#include "EngineFakes.h"

using namespace enginetest;
using ::testing::ElementsAre;

namespace {

class CandidateSearchTest : public ::testing::Test {
protected:
    CandidateSearchTest()
        : words(dictionaries, usage),
          pager(view, words, codePage, [this](int candidate) { selected = candidate; }),
          typed(codePage),
          search(CCandidateSearch::Ports{pager, dictionaries, autoLearn, files, usage, codePage, typed})
    {
    }
    void Configure(bool ranked)
    {
        EngineSettings settings;
        settings.bRankByUse = ranked ? 1 : 0;
        settings.nMinInput = 2;
        pager.Configure(10, ranked);
        search.ApplySettings(settings);
    }

    FakeView view;
    FakeDictionaries dictionaries;
    FakeAutoLearn autoLearn;
    FakeFiles files;
    CUsageModel usage;
    TestCodePage codePage;
    CDictionaryWords words;
    int selected = -2;
    CCandidatePager pager;
    CTypedText typed;
    CCandidateSearch search;
};

}  // namespace

TEST_F(CandidateSearchTest, AFolderWithNothingThatFitsLeavesThePageToTheWordsAndAListedOneTakesItAlone)
{
    files.Add("C:\\Data\\*.*", "notes.txt", 0x20);
    dictionaries.Add("Data");
    for (bool ranked : {false, true}) {
        Configure(ranked);
        // Listed, nothing fits: the search goes on with the last word ("C:\Data\zz" has none).
        EXPECT_FALSE(search.Search("C:\\Data\\zz"));
        EXPECT_TRUE(view.rows.empty());
        ASSERT_TRUE(search.Search("C:\\Data\\no"));
        EXPECT_THAT(view.RowTexts(), ElementsAre("notes.txt"));
        EXPECT_TRUE(view.lastPagePath);
        EXPECT_EQ(search.Key(), "C:\\Data\\no");
    }
}

TEST_F(CandidateSearchTest, ClassicOffersAutoLearnFirstThenTheDictionariesAndNothingForAWordAlreadyComplete)
{
    Configure(false);
    autoLearn.items = {"mouse", "mountain"};
    for (const char* key : {"mote", "moth", "motor"})
        dictionaries.Add(key);
    ASSERT_TRUE(search.Search("a mo"));
    EXPECT_THAT(view.RowTexts(), ElementsAre("mouse", "mountain", "mote", "moth", "motor"));
    EXPECT_EQ(search.LearntHits(), 2);
    EXPECT_EQ(selected, 0);

    autoLearn.items.clear();
    EXPECT_FALSE(search.Search("a motor"));  // the only match is what was typed
    EXPECT_TRUE(pager.Candidates().empty());
    EXPECT_EQ(selected, -1);  // cleared: nothing is pending
}

TEST_F(CandidateSearchTest, RankedPhrasesOfTheLastWordsJoinTheWordsAndTwoAtMostWhateverTheTails)
{
    Configure(true);
    for (const char* phrase : {"the rest of", "the rest is", "the rest was"})
        dictionaries.Add(phrase, "", KIND_WORD, 500);
    for (const char* word : {"read", "really", "report"})
        dictionaries.Add(word, "", KIND_WORD, 900);
    ASSERT_TRUE(search.Search("I saw the re"));
    const std::vector<std::string> rows = view.RowTexts();
    EXPECT_EQ(
        std::count_if(rows.begin(), rows.end(), [](const std::string& row) { return row.rfind("the rest", 0) == 0; }),
        2);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "report"), 1);
    EXPECT_EQ(search.Key(), "re");
}
