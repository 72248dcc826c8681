// Ranked mode: candidates by likelihood, what typing teaches, the blank after a completed word.
#include "EngineFakes.h"

using namespace enginetest;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::StartsWith;

namespace {
const std::string kFront = "front " + std::to_string(kTopA);
}

class RankedTest : public EngineFixture {
protected:
    RankedTest()
    {
        ApplySettings(EngineSettings());
        // Key order, as the dictionaries keep them.
        dictionaries.Add("Th", "", KIND_WORD, 0);
        dictionaries.Add("Thad", "", KIND_WORD, 0);
        dictionaries.Add("than", "", KIND_WORD, 5300);
        dictionaries.Add("that", "", KIND_WORD, 7100);
        dictionaries.Add("the", "", KIND_WORD, 7400);
        dictionaries.Add("them", "", KIND_WORD, 6200);
        dictionaries.Add("then", "", KIND_WORD, 6100);
        dictionaries.Add("there", "", KIND_WORD, 6600);
        dictionaries.Add("thermal", "", KIND_WORD, 0);
        dictionaries.Add("thermos", "", KIND_WORD, 2500);
        dictionaries.Add("they", "", KIND_WORD, 6600);
        dictionaries.Add("this", "", KIND_WORD, 6900);
        dictionaries.Add("york", "", KIND_WORD, 4000);
    }
    void PressF1() { EXPECT_EQ(Key(VK_F1_), std::make_pair(0, 0)); }
};

TEST_F(RankedTest, CommonWordsComeFirstAndClassicModeGivesKeyOrderAtOnce)
{
    Type("th");
    EXPECT_THAT(view.RowTexts(), ElementsAre("the", "that", "this", "there", "they"));
    Type("e");
    // What was typed is no candidate of its own.
    EXPECT_THAT(view.RowTexts(), ElementsAre("there", "they", "them", "then", "thermos"));
    ApplySettings(ClassicSettings());
    Key(VK_BACK_);
    EXPECT_THAT(view.RowTexts(), ElementsAre("Th", "Thad", "than", "that", "the"));
}

TEST_F(RankedTest, ARareWordTypedTwiceIsOfferedOnItsSecondLetter)
{
    Type("thermal and thermal and th");
    EXPECT_EQ(view.RowTexts().at(0), "thermal");
    EXPECT_EQ(engine->Usage().TypedWords(), 4u);
    // Learnt from typing: counts, and which word followed which.
    EXPECT_EQ(engine->Usage().PairCount("thermal", "and"), 2u);
    EXPECT_EQ(engine->Usage().PairCount("and", "thermal"), 1u);
}

TEST_F(RankedTest, AutoLearnItemsAreBlendedNotFirst)
{
    autoLearn.items = {"thx", "thanks"};
    Type("th");
    EXPECT_THAT(view.RowTexts(), ElementsAre("the", "that", "this", "there", "they"));
    ApplySettings(ClassicSettings());
    Key(VK_BACK_);
    Type("h");
    EXPECT_THAT(view.RowTexts(), ElementsAre("thx", "thanks", "Th", "Thad", "than"));
}

TEST_F(RankedTest, ACompletionTypesItsBlankAndAMarkTakesItsPlace)
{
    Type("say th");
    PressF1();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 2", "type the "));
    EXPECT_EQ(engine->TypedText(), "say the ");
    EXPECT_EQ(engine->Usage().PairCount("say", "the"), 1u);
    output.log.clear();
    EXPECT_EQ(Key(0xBE, '.'), std::make_pair(0, 1));
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 1", "type ."));
    EXPECT_EQ(engine->TypedText(), "say the.");

    // A blank typed right behind the completion's own is absorbed, press and release; the next
    // one is the user's.
    Type(" th");
    PressF1();
    output.log.clear();
    EXPECT_EQ(Key(0x20, ' '), std::make_pair(0, 0));
    EXPECT_EQ(engine->TypedText(), "say the. the ");
    EXPECT_EQ(Key(0x20, ' '), std::make_pair(1, 1));
    EXPECT_TRUE(output.log.empty());

    // Without the blank setting, completions type the word alone.
    EngineSettings settings;
    settings.bBlankAfterWord = 0;
    ApplySettings(settings);
    output.log.clear();
    Type(" th");
    PressF1();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 2", "type the"));
}

// Ranked, the first row is a guess: Return at the end of a line is the line break; after the user
// moved to a row it completes that row. Tab completes the guess as ever.
TEST_F(RankedTest, ReturnCompletesOnlyARowTheUserMovedTo)
{
    Type("say th");
    ASSERT_TRUE(view.visible);
    EXPECT_EQ(Key(VK_RETURN_, '\r'), std::make_pair(1, 1));
    EXPECT_TRUE(output.log.empty()) << "Return completed a row nobody chose";
    EXPECT_EQ(engine->TypedText(), "say th\r");

    Type("th");
    ASSERT_TRUE(view.visible);
    EXPECT_EQ(Key(VK_DOWN_), std::make_pair(0, 0));
    EXPECT_EQ(Key(VK_RETURN_, '\r'), std::make_pair(0, 0));
    EXPECT_THAT(output.log, Contains(StartsWith("type "))) << "the row moved to is typed";

    output.log.clear();
    Type("th");  // the completion's blank is there
    EXPECT_EQ(Key(VK_TAB_, '\t'), std::make_pair(0, 0));
    EXPECT_FALSE(output.log.empty());
}

TEST_F(RankedTest, APairSeenTwiceIsOfferedBeforeItsWordIsBegun)
{
    Type("new york, new york, new ");
    ASSERT_TRUE(view.visible);
    EXPECT_THAT(view.RowTexts(), ElementsAre("york"));
    PressF1();
    EXPECT_EQ(engine->TypedText(), "new york, new york, new york ");
    // A pair seen once is not offered yet.
    Type("x the ");
    EXPECT_FALSE(view.visible);
}

TEST_F(RankedTest, NothingIsLearntInPasswordBoxesAndMarksOrNumbersAreNoWords)
{
    focus.focus = kPassword;
    Type("secret words ");
    EXPECT_EQ(engine->Usage().TypedWords(), 0u);
    EXPECT_TRUE(autoLearn.learnt.empty());
    focus.focus = kEditA;
    Type("-- 1234 ");
    EXPECT_EQ(engine->Usage().TypedWords(), 0u);
    EXPECT_TRUE(autoLearn.learnt.empty());
    Type("Thermos ");
    EXPECT_THAT(autoLearn.learnt, ElementsAre("-- 1234 Thermos "));
}

TEST_F(RankedTest, WordsNoDictionaryHoldsAreOfferedWhileAutoLearnKeepsThem)
{
    Type("zorb and zorb and zo");
    EXPECT_FALSE(view.visible);  // deleted from AutoLearn, or never kept there
    autoLearn.items = {"zorb"};
    Key(VK_BACK_);
    Type("o");
    EXPECT_THAT(view.RowTexts(), ElementsAre("zorb"));
}

// A line break or tab typed right behind the completion's blank takes its place, as a mark does;
// Escape before it only hides the prompt. Where a prompt shows, Tab still completes its row.
TEST_F(RankedTest, AReturnOrTabBehindTheAddedBlankTakesItsPlace)
{
    Type("say th");
    PressF1();
    output.log.clear();
    EXPECT_EQ(Key(VK_RETURN_, '\r'), std::make_pair(0, 1));
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 1", "type \r"));
    EXPECT_EQ(engine->TypedText(), "say the\r");

    Type("th");
    PressF1();
    output.log.clear();
    Key(VK_ESCAPE_, 0x1B);
    EXPECT_EQ(Key(VK_TAB_, '\t'), std::make_pair(0, 1));
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 1", "type \t"));
    EXPECT_EQ(engine->TypedText(), "say the\rthe\t");

    Type(" the york, the york, th");
    PressF1();
    ASSERT_TRUE(view.visible);  // "york", which followed "the" before
    output.log.clear();
    EXPECT_EQ(Key(VK_TAB_, '\t'), std::make_pair(0, 0));
    EXPECT_THAT(output.log, ElementsAre(kFront, "type york "));
}

TEST_F(RankedTest, AShorthandTypedInFullIsOfferedOnceAndEachOfItsExpansionsToo)
{
    dictionaries.Add("addr", "12 Main Street", KIND_SHORTHAND);
    dictionaries.Add("addr", "PO Box 7", KIND_SHORTHAND);
    dictionaries.Add("address", "", KIND_WORD, 6000);
    Type("addr");
    std::vector<std::string> shorthands;
    for (const DictionaryMatch& candidate : engine->Candidates())
        if (candidate.type == KIND_SHORTHAND)
            shorthands.push_back(candidate.data);
    EXPECT_THAT(shorthands, ::testing::UnorderedElementsAre("12 Main Street", "PO Box 7"));
}
