// The typed text on its own: its tails and word ends, what typing keeps, the cut at the front,
// whole characters going back, and the words before the one being typed.
#include <gtest/gtest.h>

#include "app/engine/TypedText.h"
#include "dict/CodePage.h"

TEST(ExtractTail, CutsAtTheSeparatorsCountingWordsFromTheEnd)
{
    EXPECT_EQ(CTypedText::ExtractTail("", 0), "");
    EXPECT_EQ(CTypedText::ExtractTail("I said good mor", 0), "mor");
    EXPECT_EQ(CTypedText::ExtractTail("I said good mor", 1), "good mor");
    EXPECT_EQ(CTypedText::ExtractTail("I said good mor", 2), "said good mor");
    EXPECT_EQ(CTypedText::ExtractTail("good mor", 2), "good mor");
    // Leading white space of the result goes; a text ending with a separator has no last word.
    EXPECT_EQ(CTypedText::ExtractTail("  \t hello", 2), "hello");
    EXPECT_EQ(CTypedText::ExtractTail("quick ", 0), "");
    EXPECT_EQ(CTypedText::ExtractTail("quick ", 1), "quick ");
    // A backslash is part of a word; the colon of a drive is a separator.
    EXPECT_EQ(CTypedText::ExtractTail("C:\\Prog", 0), "\\Prog");
    EXPECT_EQ(CTypedText::ExtractTail("open C:\\Prog", 1), "C:\\Prog");
}

TEST(ExtractTail, KnowsExactlyTheTwentyNineSeparators)
{
    const std::string separators = std::string(" ,<>?:.;'\"[{]}=+!@#$%^&*()") + "\r\n\t";
    ASSERT_EQ(separators.size(), 29u);
    int count = 0;
    for (int b = 1; b < 256; ++b) {
        const bool expected = separators.find(static_cast<char>(b)) != std::string::npos;
        EXPECT_EQ(CTypedText::IsTailSeparator(static_cast<unsigned char>(b)), expected) << b;
        if (expected) {
            ++count;
            EXPECT_EQ(CTypedText::ExtractTail(std::string("ab") + static_cast<char>(b) + "cd", 0), "cd") << b;
        }
    }
    EXPECT_EQ(count, 29);
    for (char kept : std::string("\\/-_~`|"))
        EXPECT_EQ(CTypedText::ExtractTail(std::string("ab") + kept + "cd", 0), std::string("ab") + kept + "cd");
}

TEST(TypedText, KeepsTheLastKilobyteInWholeCharactersAndTakesThemBackWhole)
{
    CTypedText typed(Utf8CodePage());
    for (std::size_t i = 0; i < CTypedText::kMaxLength; ++i)
        typed.Append("\xC3\xA9");  // é
    typed.Append("x");
    EXPECT_LE(typed.Text().size(), CTypedText::kMaxLength + 1);
    EXPECT_EQ(typed.Text().front(), '\xC3');  // the cut never splits a character
    typed.RemoveLastCharacter();
    typed.RemoveLastCharacter();
    EXPECT_EQ(typed.Text().size() % 2, 0u);
    EXPECT_EQ(typed.Text().substr(typed.Text().size() - 2), "\xC3\xA9");

    EXPECT_TRUE(typed.IsKept("a"));
    EXPECT_TRUE(typed.IsKept("\r"));
    EXPECT_TRUE(typed.IsKept("\xC3\xA9"));
    EXPECT_FALSE(typed.IsKept("\x1B"));
    EXPECT_FALSE(typed.IsKept("\xE2\x80\x9C"));  // a quotation mark beyond ASCII
}

TEST(TypedText, ACompletionReplacesTheKeyOrTheNameAfterTheLastBackslash)
{
    CTypedText typed(Utf8CodePage());
    typed.Assign("open C:\\Pro");
    typed.ReplaceAfterLastBackslash("Program Files\\");
    EXPECT_EQ(typed.Text(), "open C:\\Program Files\\");
    typed.Assign("good mor");
    typed.ReplaceEnd(3, "morning ");
    EXPECT_EQ(typed.Text(), "good morning ");
    typed.ReplaceEnd(100, "x");
    EXPECT_EQ(typed.Text(), "x");
}

TEST(TypedText, AWordEndIsQueuedOnceUntilTheSearchTakesIt)
{
    CTypedText typed(Utf8CodePage());
    typed.Append("a");
    typed.Append(" ");
    typed.QueueWordEnd();
    typed.QueueWordEnd();  // the same text again: one search learns it
    typed.Append("b");
    typed.Append(".");
    typed.QueueWordEnd();
    const std::vector<std::string> ends{"a ", "a b."};
    EXPECT_EQ(typed.TakeWordEnds(), ends);
    EXPECT_TRUE(typed.TakeWordEnds().empty());
}

TEST(TypedText, TheWordsBeforeStopAtAMarkOfTheSentence)
{
    const CTypedText::EndedWord ended = CTypedText::WordEndedBy("so the, 'quick' fox.");
    EXPECT_EQ(ended.word, "fox");
    EXPECT_EQ(ended.previous, "quick");                      // its quotes left out
    EXPECT_EQ(ended.before, "");                             // a comma stands between "the" and it
    EXPECT_EQ(CTypedText::WordEndedBy("the fox").word, "");  // still being typed

    CTypedText typed(Utf8CodePage());
    typed.FollowWordsBefore("we saw the qu");
    EXPECT_EQ(typed.PreviousWord(), "the");
    EXPECT_EQ(typed.WordBeforePrevious(), "saw");
    typed.FollowWordsBefore("we saw. The qu");
    EXPECT_EQ(typed.PreviousWord(), "The");
    EXPECT_EQ(typed.WordBeforePrevious(), "");
}
