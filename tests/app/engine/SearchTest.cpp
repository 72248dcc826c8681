// Tails of the typed text, which candidates a search offers and in what order, and paging.
#include "EngineFakes.h"

using namespace enginetest;
using ::testing::ElementsAre;

class SearchTest : public EngineFixture {};

TEST_F(SearchTest, PhraseOfTheLongerTailComesBeforeWordsOfTheLastWord)
{
    dictionaries.Add("good morning");
    dictionaries.Add("more");
    dictionaries.Add("morning");
    Type("good mor");
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(engine->SearchKey(), "good mor");
    EXPECT_THAT(view.RowTexts(), ElementsAre("good morning"));
    EXPECT_EQ(engine->PendingText(), "good morning");
    EXPECT_EQ(engine->PendingMode(), MODE_REPLACE);

    // Without phrases enabled the last word is searched.
    EngineSettings settings = ClassicSettings();
    settings.bEnablePhrase = 0;
    ApplySettings(settings);
    EXPECT_EQ(engine->MatchMode(), MATCH_START | MATCH_WORDS);
    Type("n");
    EXPECT_EQ(engine->SearchKey(), "morn");
    EXPECT_THAT(view.RowTexts(), ElementsAre("morning"));
}

TEST_F(SearchTest, SeparatorHidesThePromptAndLearnsUnlessAPhraseGoesOn)
{
    dictionaries.Add("quickly");
    Type("quick");
    EXPECT_TRUE(view.visible);
    Type(" ");
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(engine->SearchKey(), "");
    EXPECT_THAT(autoLearn.learnt, ElementsAre("quick "));

    // A phrase that the two-word tail still starts: shown, nothing learnt.
    dictionaries.Add("brown fox");
    Type("brown");
    autoLearn.learnt.clear();
    Type(" ");
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(engine->SearchKey(), "brown ");
    EXPECT_THAT(view.RowTexts(), ElementsAre("brown fox"));
    EXPECT_TRUE(autoLearn.learnt.empty());
}

TEST_F(SearchTest, MinimumInputCountsBytesButPathsAreAlwaysSearched)
{
    EngineSettings settings = ClassicSettings();
    settings.nMinInput = 3;
    ApplySettings(settings);
    dictionaries.Add("abcdef");
    Type("ab");
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(dictionaries.firstCalls, 0);
    Type("c");
    EXPECT_TRUE(view.visible);
    EXPECT_THAT(view.RowTexts(), ElementsAre("abcdef"));

    settings.nMinInput = 50;
    ApplySettings(settings);
    files.Add("C:\\*.*", "Windows", kFileAttributeDirectory);
    Type(" C:\\W");
    EXPECT_TRUE(view.visible);
    EXPECT_THAT(view.RowTexts(), ElementsAre("Windows"));
}

TEST_F(SearchTest, TheLoneExactCandidateIsNoResult)
{
    dictionaries.Add("hello");
    dictionaries.Add("brb", "be right back", KIND_SHORTHAND);
    Type("hello");
    EXPECT_FALSE(view.visible);
    EXPECT_TRUE(engine->Candidates().empty());
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(engine->PendingText(), "");

    // A shorthand typed in full with nothing else beginning with it is not offered either...
    Type(" brb");
    EXPECT_FALSE(view.visible);
    // ...but is while another key begins with the typed text.
    dictionaries.Add("brbx");
    Type(" brb");
    EXPECT_TRUE(view.visible);
    EXPECT_THAT(view.RowTexts(), ElementsAre("brb", "brbx"));
    EXPECT_EQ(view.preview, "be right back");
    EXPECT_EQ(view.previewStyle, PREVIEW_SHORTHAND);
}

TEST_F(SearchTest, ShorthandsOnlyWhileEnabled)
{
    dictionaries.Add("sig", "Best regards", KIND_SHORTHAND);
    dictionaries.Add("signal");
    EngineSettings settings = ClassicSettings();
    settings.bEnableShorthand = 0;
    ApplySettings(settings);
    Type("si");
    EXPECT_THAT(view.RowTexts(), ElementsAre("signal"));
    settings.bEnableShorthand = 1;
    ApplySettings(settings);
    Type("g");
    EXPECT_THAT(view.RowTexts(), ElementsAre("sig", "signal"));
}

TEST_F(SearchTest, LearntItemsComeFirstInFileOrderAndShowWithoutDictionaryMatch)
{
    autoLearn.items = {"quiver", "Quest", "quick"};
    dictionaries.Add("quack");
    dictionaries.Add("quiet");
    Type("q");
    EXPECT_THAT(view.RowTexts(), ElementsAre("quiver", "quick", "quack", "quiet"));
    EXPECT_EQ(engine->LearntHits(), 2);
    EXPECT_EQ(view.rows[0].image, KIND_LEARNT - 1);
    EXPECT_EQ(view.rows[2].image, KIND_WORD - 1);

    Type("uic");
    EXPECT_TRUE(view.visible);
    EXPECT_THAT(view.RowTexts(), ElementsAre("quick"));
    EXPECT_EQ(engine->PendingMode(), MODE_REPLACE);
}

TEST_F(SearchTest, EndlessSuggestionsAreCapped)
{
    autoLearn.endless = true;
    Type("z");
    EXPECT_EQ(engine->Candidates().size(), CCompletionEngine::kMaxLearntCandidates);
    EXPECT_TRUE(view.visible);
}

TEST_F(SearchTest, DuplicateKeysBecomeOneRowWithBothTexts)
{
    dictionaries.Add("color", "----US----\rA hue");
    dictionaries.Add("color", "----UK----\rSee colour\r\n");
    dictionaries.Add("color", "");
    dictionaries.Add("colt", "");
    dictionaries.Add("colt", "A young horse");
    dictionaries.Add("color", "later", KIND_SHORTHAND);
    Type("col");
    ASSERT_THAT(view.RowTexts(), ElementsAre("color", "colt", "color"));
    EXPECT_EQ(engine->Candidates()[0].data, "----US----\rA hue\r\n\r\n----UK----\rSee colour\r\n");
    EXPECT_EQ(view.preview, engine->Candidates()[0].data);
    EXPECT_EQ(engine->Candidates()[1].data, "A young horse");
    EXPECT_EQ(engine->Candidates()[2].type, KIND_SHORTHAND);
}

class PagingTest : public EngineFixture {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 12; ++i)
            dictionaries.Add("w" + std::string(i < 10 ? "0" : "") + std::to_string(i));
        Type("w");
        ASSERT_TRUE(view.visible);
    }
};

TEST_F(PagingTest, FetchesLazilyOnePageAtATime)
{
    EXPECT_THAT(view.RowTexts(), ElementsAre("w00", "w01", "w02", "w03", "w04"));
    EXPECT_EQ(engine->Candidates().size(), 5u);
    EXPECT_EQ(dictionaries.nextCalls, 4);
    Key(VK_NEXT_);
    EXPECT_EQ(engine->Candidates().size(), 10u);
    EXPECT_EQ(engine->PageStart(), 5);
}

TEST_F(PagingTest, MovingPastThePageEndsTurnsThePage)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Key(VK_DOWN_), std::make_pair(0, 0));
    EXPECT_EQ(view.selected, 4);
    EXPECT_EQ(engine->PendingText(), "w04");
    Key(VK_DOWN_);
    EXPECT_THAT(view.RowTexts(), ElementsAre("w05", "w06", "w07", "w08", "w09"));
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(engine->PendingText(), "w05");
    Key(VK_UP_);
    EXPECT_THAT(view.RowTexts(), ElementsAre("w00", "w01", "w02", "w03", "w04"));
    EXPECT_EQ(view.selected, 4);
    EXPECT_EQ(engine->PendingText(), "w04");
    // Up on the first row of the first page stays there.
    Key(VK_PRIOR_);
    EXPECT_EQ(engine->PageStart(), 0);
    EXPECT_EQ(view.selected, 0);
    Key(VK_UP_);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(engine->PendingText(), "w00");
}

TEST_F(PagingTest, TheShortLastPageIsTheEnd)
{
    Key(VK_NEXT_);
    Key(VK_NEXT_);
    EXPECT_THAT(view.RowTexts(), ElementsAre("w10", "w11"));
    EXPECT_EQ(view.selected, 0);
    Key(VK_NEXT_);
    EXPECT_THAT(view.RowTexts(), ElementsAre("w10", "w11"));
    EXPECT_EQ(view.selected, 1);
    Key(VK_DOWN_);
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(engine->PendingText(), "w11");
    EXPECT_EQ(engine->Candidates().size(), 12u);
    Key(VK_PRIOR_);
    EXPECT_THAT(view.RowTexts(), ElementsAre("w05", "w06", "w07", "w08", "w09"));
    EXPECT_EQ(view.selected, 4);
}

TEST_F(PagingTest, AFullLastPageIsLeftOnItsLastRow)
{
    dictionaries.entries.resize(10);
    Type("0");
    Key(VK_NEXT_);
    ASSERT_THAT(view.RowTexts(), ElementsAre("w05", "w06", "w07", "w08", "w09"));
    EXPECT_EQ(view.selected, 0);
    Key(VK_NEXT_);
    EXPECT_THAT(view.RowTexts(), ElementsAre("w05", "w06", "w07", "w08", "w09"));
    EXPECT_EQ(view.selected, 4);
    EXPECT_EQ(engine->Candidates().size(), 10u);
}

TEST_F(PagingTest, ANewCharacterStartsAgainFromTheFirstPage)
{
    Key(VK_NEXT_);
    ASSERT_EQ(engine->PageStart(), 5);
    Type("0");
    EXPECT_EQ(engine->PageStart(), 0);
    EXPECT_THAT(view.RowTexts(), ElementsAre("w00", "w01", "w02", "w03", "w04"));
}

TEST_F(PagingTest, RowsThatCannotBeInsertedAreNotOffered)
{
    view.insertLimit = 2;
    Type("0");
    EXPECT_THAT(engine->Rows(), ElementsAre(0, 1));
    Key(VK_DOWN_);
    Key(VK_DOWN_);
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(engine->PendingText(), "w01");
}

TEST_F(PagingTest, PageSizeComesFromTheSettingsAndNeverDropsToZero)
{
    EngineSettings settings = ClassicSettings();
    settings.nMaxItemShow = 0;
    ApplySettings(settings);
    EXPECT_EQ(engine->PageSize(), 1);
    Type("0");
    EXPECT_THAT(view.RowTexts(), ElementsAre("w00"));
    Key(VK_DOWN_);
    EXPECT_THAT(view.RowTexts(), ElementsAre("w01"));
}

TEST_F(SearchTest, ShorthandsStayWhileWordsAreOff)
{
    dictionaries.Add("sig", "Best regards", KIND_SHORTHAND);
    dictionaries.Add("signal");
    EngineSettings settings = ClassicSettings();
    settings.bEnableWord = 0;
    ApplySettings(settings);
    Type("si");
    EXPECT_THAT(view.RowTexts(), ElementsAre("sig"));
}
