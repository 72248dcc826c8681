// Ranked mode in context: phrases of the last words beside the words of the last one, a capital
// mid-sentence asking for a name, the current document's pairs and triples, and the language
// being written.
#include "EngineFakes.h"
#include "app/engine/DocumentCache.h"
#include "app/engine/LanguageEstimate.h"

using namespace enginetest;
using ::testing::ElementsAre;

namespace {
const std::string kFront = "front " + std::to_string(kTopA);
constexpr unsigned VK_F4_ = 0x73;
constexpr int kEnglish = 0x09, kGerman = 0x07;
}  // namespace

class ContextTest : public EngineFixture {
protected:
    ContextTest() { ApplySettings(EngineSettings()); }
};

TEST_F(ContextTest, APhraseOfTheLastWordsSharesThePageWithTheWordsOfTheLastOne)
{
    dictionaries.Add("read", "", KIND_WORD, 6000);
    dictionaries.Add("really", "", KIND_WORD, 6500);
    dictionaries.Add("report", "", KIND_WORD, 5500);
    dictionaries.Add("rest", "", KIND_WORD, 5000);
    dictionaries.Add("the rest of", "", KIND_WORD, 0);
    Type("of the re");
    EXPECT_THAT(view.RowTexts(), ElementsAre("really", "read", "report", "the rest of", "rest"));
    // A phrase replaces the words it continues, a word only the last one.
    EXPECT_EQ(Key(VK_F4_), std::make_pair(0, 0));
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 6", "type the rest of "));
    EXPECT_EQ(engine->TypedText(), "of the rest of ");
    output.log.clear();
    Type("the re");
    EXPECT_EQ(Key(VK_F1_), std::make_pair(0, 0));
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 2", "type really "));
    // With no word to offer, the phrase has the page.
    Type("the rest o");
    EXPECT_THAT(view.RowTexts(), ElementsAre("the rest of"));
}

TEST_F(ContextTest, ACapitalTypedMidSentenceRaisesNamesDaysAndMonths)
{
    for (const auto& [word, rank] : std::vector<std::pair<std::string, int>>{
             {"money", 5600}, {"month", 5500}, {"months", 5200}, {"monster", 4200}, {"monkey", 4100}, {"Monday", 4600}})
        dictionaries.Add(word, "", KIND_WORD, rank);
    Type("Mon");  // a sentence begins
    EXPECT_EQ(view.RowTexts().at(0), "money");
    Type(". Mon");
    EXPECT_EQ(view.RowTexts().at(0), "money");
    Type(" on Mon");
    EXPECT_EQ(view.RowTexts().at(0), "Monday");
    Type(" and mon");  // no capital: no name asked for
    EXPECT_EQ(view.RowTexts().at(0), "money");
}

TEST_F(ContextTest, TheLanguageBeingWrittenLeadsAndASwitchIsFollowedWithinAFewWords)
{
    for (const auto& [word, rank] : std::vector<std::pair<std::string, int>>{
             {"the", 7500}, {"is", 7300}, {"been", 7000}, {"because", 6900}, {"before", 6800}})
        dictionaries.AddIn(kEnglish, word, rank);
    for (const auto& [word, rank] : std::vector<std::pair<std::string, int>>{
             {"das", 7700}, {"ist", 7400}, {"der", 7800}, {"bei", 7300}, {"bereits", 7100}, {"besser", 6000}})
        dictionaries.AddIn(kGerman, word, rank);
    Type("be");  // nothing tells yet: ranks alone
    EXPECT_EQ(view.RowTexts().at(0), "bei");
    Type("tter. the sky is be");
    EXPECT_EQ(engine->LikeliestLanguage(), kEnglish);
    // The other language's words come after, not never: they still fit when no English one does.
    EXPECT_THAT(view.RowTexts(), ElementsAre("been", "because", "before", "bei", "bereits"));
    Type("en. das ist der be");  // a word typed in English moves down with English
    EXPECT_EQ(engine->LikeliestLanguage(), kGerman);
    EXPECT_THAT(view.RowTexts(), ElementsAre("bei", "bereits", "besser", "been", "because"));
}

TEST(LanguageEstimate, WordsOfNoLanguageTellNothingAndOffsetsAreBounded)
{
    CLanguageEstimate estimate;
    estimate.SetLanguages({kEnglish});
    estimate.Observe({{kEnglish, 7000}});
    EXPECT_EQ(estimate.Likeliest(), 0) << "one language: nothing to estimate";
    estimate.SetLanguages({kEnglish, kGerman});
    estimate.Observe({});
    EXPECT_EQ(estimate.Likeliest(), 0);
    EXPECT_TRUE(estimate.RankOffsets().empty());
    // A word both hold counts for the one where it is commoner.
    estimate.Observe({{kEnglish, 7000}, {kGerman, 6000}});
    EXPECT_EQ(estimate.Likeliest(), kEnglish);
    std::vector<LanguageRank> offsets = estimate.RankOffsets();
    ASSERT_EQ(offsets.size(), 2u);
    EXPECT_EQ(offsets[0].rank, 0);
    EXPECT_EQ(offsets[1].rank, -1000);
    for (int i = 0; i < 20; ++i)
        estimate.Observe({{kEnglish, 7500}});
    EXPECT_EQ(estimate.RankOffsets()[1].rank, -CLanguageEstimate::kMostMovedDown);
    // Dictionaries of other languages loaded: a fresh start.
    estimate.SetLanguages({kEnglish, 0x0C});
    EXPECT_EQ(estimate.Likeliest(), 0);
}

TEST(DocumentCache, TriplesTellMoreThanPairsAndTheOldestWordsAreForgotten)
{
    CDocumentCache cache;
    EXPECT_EQ(cache.Probability("park", "to", "the"), 0.0);
    // "the" is followed by "pond" twice and by "park" once, but "to the" only by "park".
    cache.Add("park", "to", "the");
    cache.Add("pond", "at", "the");
    cache.Add("pond", "at", "the");
    EXPECT_GT(cache.Probability("Park", "To", "the"), cache.Probability("pond", "to", "the"));
    EXPECT_GT(cache.Probability("pond", "", "the"), cache.Probability("park", "", "the"));
    EXPECT_EQ(cache.Probability("lake", "to", "the"), 0.0);
    for (std::size_t i = 0; i < CDocumentCache::kWords; ++i)
        cache.Add("filler", "", "");
    EXPECT_EQ(cache.Size(), CDocumentCache::kWords);
    EXPECT_EQ(cache.Probability("park", "to", "the"), 0.0);
    EXPECT_DOUBLE_EQ(cache.Probability("filler", "", ""), 0.2 / 0.2);
}

// The engine's answers say what they mean: a search whether a prompt shows, a move whether its
// row may be completed.
TEST_F(ContextTest, SearchesAndMovesAnswerWhatTheyMean)
{
    dictionaries.Add("read", "", KIND_WORD, 6000);
    dictionaries.Add("really", "", KIND_WORD, 6500);
    Type("re");
    EXPECT_TRUE(engine->SearchAgain());
    EXPECT_TRUE(engine->MoveSelection(CCompletionEngine::kSelectNext));
    EXPECT_EQ(engine->PendingText(), "read");
    EXPECT_FALSE(engine->MoveSelection(4)) << "no fifth row";
    EXPECT_THAT(output.log, ElementsAre("beep"));
    Type("x");
    EXPECT_FALSE(engine->SearchAgain());
    EXPECT_FALSE(engine->MoveSelection(0)) << "no prompt";
}

// Each source on its own: typed words in the letter case typed, unknown ones left to AutoLearn;
// next words once their pair came twice.
TEST(CandidateSources, TypedWordsAndNextWordsKeepTheirRules)
{
    TestCodePage codePage;
    CUsageModel usage;
    usage.Learn("thermal", "", 3000, true);
    usage.Learn("thermos", "", 0, false);
    usage.Learn("flask", "thermal", 4000, true);
    CandidateQuery query;
    query.key = "THE";
    query.matchMode = MATCH_START | MATCH_WORDS;
    query.inContext = [](double score, std::string_view, bool) {
        return score;
    };
    std::vector<ScoredCandidate> found;
    CTypedWords(usage, codePage).Collect(query, found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].match.key, "THERMAL");
    EXPECT_GT(found[0].score, 0.0);

    FakeAutoLearn autoLearn;
    CNextWords next(usage, autoLearn);
    query.key.clear();
    query.previous = "thermal";
    found.clear();
    next.Collect(query, found);
    EXPECT_TRUE(found.empty()) << "a pair seen once";
    usage.Learn("flask", "thermal", 4000, true);
    next.Collect(query, found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].match.key, "flask");
}
