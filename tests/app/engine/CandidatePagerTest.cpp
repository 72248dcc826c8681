// The pager on its own: classic lists filled lazily from the dictionaries' stream, ranked lists
// merged from the raised candidates, the ranked stream and the phrases, path pages, and what a
// selection key did.
#include "EngineFakes.h"

using namespace enginetest;
using ::testing::ElementsAre;

namespace {

ScoredCandidate Scored(const std::string& key, double score, int type = KIND_WORD)
{
    DictionaryMatch match;
    match.key = key;
    match.data = key;
    match.type = type;
    return ScoredCandidate{match, score, std::string()};
}

CandidateQuery Query(const std::string& key)
{
    CandidateQuery query;
    query.key = key;
    query.matchMode = MATCH_START | MATCH_WORDS;
    return query;
}

class CandidatePagerTest : public ::testing::Test {
protected:
    CandidatePagerTest()
        : words(dictionaries, usage),
          pager(view, words, codePage, [this](int candidate) { selections.push_back(candidate); })
    {
    }

    FakeView view;
    FakeDictionaries dictionaries;
    CUsageModel usage;
    TestCodePage codePage;
    std::vector<int> selections;
    CDictionaryWords words;
    CCandidatePager pager;
};

}  // namespace

TEST_F(CandidatePagerTest, AClassicListAsksTheCursorOnlyForThePagesShownAndJoinsTheSameKey)
{
    dictionaries.Add("cat", "one");
    dictionaries.Add("cat", "two\r\n");
    dictionaries.Add("cat", "three");
    for (const char* key : {"cab", "cad", "cam", "can"})
        dictionaries.Add(key);
    pager.Configure(2, false);
    pager.Begin();
    ASSERT_TRUE(pager.OpenStream(Query("ca")));

    ASSERT_TRUE(pager.NextPage(2));
    EXPECT_THAT(view.RowTexts(), ElementsAre("cat", "cab"));
    EXPECT_EQ(pager.Candidates()[0].data, "one\r\n\r\ntwo\r\n\r\nthree");
    EXPECT_EQ(dictionaries.nextCalls, 3);  // none beyond the page
    EXPECT_EQ(selections.back(), 0);

    ASSERT_TRUE(pager.NextPage(2));
    ASSERT_TRUE(pager.NextPage(2));
    EXPECT_THAT(view.RowTexts(), ElementsAre("can"));
    EXPECT_EQ(pager.PageStart(), 4);
    EXPECT_FALSE(pager.NextPage(2));  // the short last page
    ASSERT_TRUE(pager.PreviousPage());
    EXPECT_THAT(view.RowTexts(), ElementsAre("cad", "cam"));
    EXPECT_EQ(pager.ReplacedBy(0), nullptr);
}

TEST_F(CandidatePagerTest, ARankedListMergesByScoreWithPhrasesFromTheFourthRowAndEachKeyOnce)
{
    dictionaries.Add("there", "", KIND_WORD, 900);
    dictionaries.Add("then", "", KIND_WORD, 10);
    pager.Configure(6, true);
    pager.Begin();
    pager.SetWordKey("the");
    std::vector<ScoredCandidate> phrases{Scored("the end", 5.0), Scored("the rest", 5.0)};
    phrases[0].replaces = "the e";
    pager.PlacePhrases(phrases);
    pager.OpenStream(Query("the"));
    pager.Raise({Scored("theme", 1e6), Scored("The", 1e5), Scored("THERE", 1e-9)});
    ASSERT_TRUE(pager.HasRankedCandidates());

    ASSERT_TRUE(pager.NextPage(6));
    // "The" is what was typed; "THERE" comes again as the stream's "there".
    const std::vector<std::string> rows = view.RowTexts();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], "theme");
    EXPECT_EQ(rows[3], "the end");
    EXPECT_EQ(rows[4], "the rest");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "there") + std::count(rows.begin(), rows.end(), "THERE"), 1);
    EXPECT_EQ(*pager.ReplacedBy(3), "the e");
    EXPECT_EQ(*pager.ReplacedBy(0), "the");
}

TEST_F(CandidatePagerTest, APathPageShowsFoldersFirstByNameAndTheWholeListAtOnce)
{
    pager.Configure(2, false);
    pager.Begin();
    for (const auto& [name, kind] : std::vector<std::pair<std::string, int>>{
             {"b.txt", KIND_FILE}, {"Zeta", KIND_FOLDER}, {"a.txt", KIND_FILE}, {"alpha", KIND_FOLDER}}) {
        DictionaryMatch match;
        match.key = name;
        match.type = kind;
        pager.Add(match);
    }
    ASSERT_TRUE(pager.ShowPage(0, 10));
    EXPECT_TRUE(view.lastPagePath);
    EXPECT_THAT(view.RowTexts(), ElementsAre("alpha", "Zeta", "a.txt", "b.txt"));
}

TEST_F(CandidatePagerTest, ASelectionKeySaysWhetherARowMayBeCompleted)
{
    using Selection = CCandidatePager::Selection;
    EXPECT_EQ(pager.MoveSelection(kSelectNext), Selection::NONE);  // no rows
    for (const char* key : {"aa", "ab", "ac"})
        dictionaries.Add(key);
    pager.Configure(2, false);
    pager.Begin();
    ASSERT_TRUE(pager.OpenStream(Query("a")));
    ASSERT_TRUE(pager.NextPage(2));

    EXPECT_EQ(pager.MoveSelection(1), Selection::MOVED);
    EXPECT_EQ(pager.SelectedRow(), 1);
    EXPECT_EQ(pager.MoveSelection(-3), Selection::NONE);            // a code of no move
    EXPECT_EQ(pager.MoveSelection(kSelectNext), Selection::MOVED);  // past the last row: the next page
    EXPECT_THAT(view.RowTexts(), ElementsAre("ac"));
    EXPECT_EQ(pager.MoveSelection(5), Selection::NO_SUCH_ROW);
    EXPECT_EQ(selections.back(), 2);
    EXPECT_EQ(pager.MoveSelection(kSelectPreviousPage), Selection::MOVED);
    EXPECT_EQ(pager.PageStart(), 0);
    EXPECT_EQ(pager.SelectedRow(), 1);  // the last row of the page before

    pager.Clear();
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(selections.back(), -1);
    EXPECT_EQ(pager.MoveSelection(kSelectCurrent), Selection::NONE);
}
