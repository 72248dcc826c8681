// The writer on its own: what each mode types and deletes, what the typed text becomes, the blank
// behind a completed word and the mark that takes its place, and the cut of a long pending text.
#include "EngineFakes.h"

#include "app/engine/TypedText.h"

using namespace enginetest;
using ::testing::ElementsAre;

namespace {

class CompletionWriterTest : public ::testing::Test {
protected:
    FakeOutput output;
    FixedClock clock;
    TestCodePage codePage;
    CTypedText typed{codePage};
    CCompletionWriter writer{output, clock, codePage};
};

}  // namespace

TEST_F(CompletionWriterTest, AWordTakesThePlaceOfItsKeyWithABlankThatAMarkTakesBack)
{
    typed.Assign("hello wor");
    writer.SetPendingText("world", MODE_REPLACE);
    bool typingSeen = false;
    output.duringTyping = [&] {
        typingSeen = writer.IsTyping();
    };
    writer.Type(kTopA, "wor", true, typed);
    EXPECT_TRUE(typingSeen);
    EXPECT_FALSE(writer.IsTyping());
    EXPECT_THAT(output.log, ElementsAre("backspace 3", "type world "));
    EXPECT_EQ(typed.Text(), "hello world ");
    EXPECT_TRUE(writer.BlankTyped());

    writer.SetPendingText(".", MODE_REPLACE);
    writer.TakeBackBlank();
    writer.Type(kTopA, " ", true, typed);
    EXPECT_EQ(typed.Text(), "hello world.");
    EXPECT_FALSE(writer.BlankTyped());
    EXPECT_EQ(output.log.back(), "type .");
}

TEST_F(CompletionWriterTest, NamesReplaceWhatFollowsTheBackslashAndAShorthandForgetsTheText)
{
    typed.Assign("see C:\\Pro");
    writer.SetPendingText("Program Files", MODE_FOLDER);
    writer.Type(kTopA, "C:\\Pro", false, typed);
    EXPECT_EQ(typed.Text(), "see C:\\Program Files\\");
    EXPECT_THAT(output.log, ElementsAre("backspace 3", "type Program Files\\"));

    writer.SetPendingText("app.exe", MODE_FILE);
    writer.Type(kTopA, "C:\\Program Files\\a", false, typed);
    EXPECT_TRUE(typed.Empty());

    typed.Assign("see you");
    writer.SetPendingText("see you later", MODE_APPEND);
    writer.Type(kTopA, "see you", false, typed);
    EXPECT_EQ(typed.Text(), "see you later");
    EXPECT_EQ(output.log.back(), "type  later");

    DictionaryMatch shorthand;
    shorthand.key = "brb";
    shorthand.data = "be right back";
    shorthand.type = KIND_SHORTHAND;
    const CCompletionWriter::Preview preview = writer.PendCandidate(shorthand);
    EXPECT_EQ(preview.text, "be right back");
    EXPECT_EQ(preview.style, PREVIEW_SHORTHAND);
    typed.Assign("ok brb");
    writer.Type(kTopA, "brb", true, typed);  // an expansion gets no blank
    EXPECT_TRUE(typed.Empty());
    EXPECT_FALSE(writer.BlankTyped());
}

TEST_F(CompletionWriterTest, ALongTextIsCutAtAWholeCharacterAndAQueuedCompletionIsTakenOnce)
{
    const std::string text = std::string(CCompletionWriter::kMaxPendingText - 1, 'a') + "\xC3\xA9";
    CCompletionWriter utf8Writer(output, clock, Utf8CodePage());
    utf8Writer.SetPendingText(text, MODE_EXPAND);
    EXPECT_EQ(utf8Writer.PendingText(), text.substr(0, CCompletionWriter::kMaxPendingText - 1));

    EXPECT_FALSE(writer.TakeQueued());
    writer.MarkQueued();
    EXPECT_TRUE(writer.IsQueued());
    EXPECT_TRUE(writer.TakeQueued());
    EXPECT_FALSE(writer.IsQueued());
}
