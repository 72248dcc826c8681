// What each completion deletes and types, and what the typed text becomes.
#include "EngineFakes.h"

using namespace enginetest;
using ::testing::ElementsAre;

namespace {
const std::string kFront = "front " + std::to_string(kTopA);
}

class CompletionTest : public EngineFixture {
protected:
    // Completes the selected row with the first complete key (Tab).
    void CompleteWithTab() { EXPECT_EQ(Key(VK_TAB_, '\t'), std::make_pair(0, 0)); }
};

TEST_F(CompletionTest, WordReplacesTheTypedPart)
{
    dictionaries.Add("Hello");
    dictionaries.Add("helmet");
    Type("say hel");
    CompleteWithTab();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 3", "type Hello"));
    EXPECT_EQ(engine->TypedText(), "say Hello");
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.timerStarts, 1);
    EXPECT_FALSE(engine->AcceptsInput());
    engine->OnAcceptInputTimer();
    EXPECT_TRUE(engine->AcceptsInput());
}

TEST_F(CompletionTest, PhraseReplacesTheWholeTail)
{
    dictionaries.Add("good morning");
    dictionaries.Add("good mortal");
    Type("I said good mor");
    EXPECT_EQ(engine->SearchKey(), "good mor");
    CompleteWithTab();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 8", "type good morning"));
    EXPECT_EQ(engine->TypedText(), "I said good morning");
}

TEST_F(CompletionTest, LearntItemReplacesLikeAWord)
{
    autoLearn.items = {"quickly", "quicksand"};
    Type("qui");
    EXPECT_EQ(Key(VK_F2_), std::make_pair(0, 0));
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 3", "type quicksand"));
    EXPECT_EQ(engine->TypedText(), "quicksand");
}

TEST_F(CompletionTest, ShorthandExpandsAndForgetsTheTypedText)
{
    dictionaries.Add("addr", "12 High Street%RETURN%Springfield", KIND_SHORTHAND);
    dictionaries.Add("address");
    Type("see ad");
    EXPECT_EQ(view.preview, "12 High Street%RETURN%Springfield");
    EXPECT_EQ(view.previewStyle, PREVIEW_SHORTHAND);
    EXPECT_EQ(engine->PendingMode(), MODE_EXPAND);
    CompleteWithTab();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 2", "type 12 High Street|%RETURN%|Springfield"));
    EXPECT_EQ(engine->TypedText(), "");
    EXPECT_FALSE(view.visible);
}

TEST_F(CompletionTest, ShorthandWithoutReplacementTypesItsAbbreviation)
{
    dictionaries.Add("brb", "", KIND_SHORTHAND);
    dictionaries.Add("brbx", "", KIND_SHORTHAND);
    Type("br");
    EXPECT_EQ(view.preview, "");
    EXPECT_EQ(engine->PendingText(), "brb");
    EXPECT_EQ(engine->PendingMode(), MODE_EXPAND);
    CompleteWithTab();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 2", "type brb"));
    EXPECT_EQ(engine->TypedText(), "");
}

TEST_F(CompletionTest, DateMacroReachesTheTargetAsTheDate)
{
    dictionaries.Add("td", "Today is %DATE%, %DAY% %MONTHNAME%. %date% stays", KIND_SHORTHAND);
    dictionaries.Add("tdx");
    Type("td");
    CompleteWithTab();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 2", "type Today is |03/07/26|, |7| |Mar|. %date% stays"));
}

TEST_F(CompletionTest, AppendTypesOnlyWhatGoesBeyondTheTypedKey)
{
    dictionaries.Add("hello");
    dictionaries.Add("help");
    Type("hel");
    engine->SetPendingText("hello world", MODE_APPEND);
    EXPECT_TRUE(engine->CompleteSelection());
    EXPECT_THAT(output.log, ElementsAre(kFront, "type lo world"));
    EXPECT_EQ(engine->TypedText(), "hello world");
}

TEST_F(CompletionTest, FolderTypesTheRestOfTheNameWithABackslashAndListsIt)
{
    files.Add("C:\\*.*", ".", kFileAttributeDirectory);
    files.Add("C:\\*.*", "..", kFileAttributeDirectory);
    files.Add("C:\\*.*", "prog.log", 0x20);
    files.Add("C:\\*.*", "Program Files", kFileAttributeDirectory | 0x01);  // read-only folder
    files.Add("C:\\*.*", "MyPrograms", kFileAttributeDirectory);
    files.Add("C:\\*.*", "Windows", kFileAttributeDirectory);
    files.Add("C:\\Program Files\\*.*", "Zeta", kFileAttributeDirectory);
    files.Add("C:\\Program Files\\*.*", "alpha.txt", 0x20);
    files.Add("C:\\Program Files\\*.*", "Beta", kFileAttributeDirectory);

    Type("C:\\Prog");
    EXPECT_TRUE(view.visible);
    EXPECT_TRUE(view.lastPagePath);
    // Folders first, by name without regard to case; then files. Matched anywhere in the name.
    EXPECT_THAT(view.RowTexts(), ElementsAre("MyPrograms", "Program Files", "prog.log"));
    EXPECT_EQ(view.rows[0].image, KIND_FOLDER - 1);
    EXPECT_EQ(view.rows[2].image, KIND_FILE - 1);

    Key(VK_DOWN_);
    CompleteWithTab();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 4", "type Program Files\\"));
    EXPECT_EQ(engine->TypedText(), "C:\\Program Files\\");
    // The prompt goes on at once with the folder's entries.
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(files.listed.back(), "C:\\Program Files\\*.*");
    EXPECT_THAT(view.RowTexts(), ElementsAre("Beta", "Zeta", "alpha.txt"));

    // A file ends the path: nothing typed behind the backslash is deleted.
    output.log.clear();
    Key(VK_UP_);
    EXPECT_EQ(view.selected, 0);
    Key(VK_NEXT_);
    EXPECT_EQ(view.selected, 2);
    EXPECT_EQ(engine->PendingMode(), MODE_FILE);
    CompleteWithTab();
    EXPECT_THAT(output.log, ElementsAre(kFront, "type alpha.txt"));
    EXPECT_EQ(engine->TypedText(), "");
    EXPECT_FALSE(view.visible);
}

TEST_F(CompletionTest, PathsListAtMostAThousandEntriesAndNeverMixWithDictionaryWords)
{
    for (int i = 0; i < 1200; ++i)
        files.Add("D:\\data\\*.*", "f" + std::to_string(100000 + i), 0x20);
    dictionaries.Add("apple");
    dictionaries.Add("apply");
    Type("ap");  // leaves a live dictionary cursor behind
    Type(" D:\\data\\f");
    ASSERT_EQ(engine->Candidates().size(), 1000u);
    EXPECT_EQ(view.rows.size(), 1000u);
    Key(VK_NEXT_);
    Key(VK_DOWN_);
    EXPECT_EQ(engine->Candidates().size(), 1000u);
    EXPECT_EQ(view.selected, 999);
    EXPECT_EQ(engine->PendingText(), "f100999");
}

TEST_F(CompletionTest, UnlistableFolderFallsBackToTheDictionaries)
{
    dictionaries.Add("X:\\notes");
    dictionaries.Add("X:\\nothing");
    Type("X:\\no");
    EXPECT_EQ(files.listed.back(), "X:\\*.*");
    EXPECT_THAT(view.RowTexts(), ElementsAre("X:\\notes", "X:\\nothing"));
}

TEST_F(CompletionTest, DoubleClickCompletesTheRowClicked)
{
    dictionaries.Add("hello");
    dictionaries.Add("help");
    Type("hel");
    engine->OnRowSelected(1);
    EXPECT_EQ(engine->PendingText(), "help");
    engine->OnRowDoubleClicked(1);
    Pump();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 3", "type help"));
}

TEST_F(CompletionTest, NothingIsTypedWithoutKeyTargetOrText)
{
    EXPECT_FALSE(engine->CompleteSelection());  // no search yet
    dictionaries.Add("hello");
    dictionaries.Add("help");
    Type("hel");
    desktop.foreground = 0;
    EXPECT_FALSE(engine->CompleteSelection());
    desktop.foreground = kPrompt;
    focus.focus = kPrompt;
    EXPECT_FALSE(engine->CompleteSelection());
    EXPECT_TRUE(output.log.empty());

    // With the prompt in front, the target is the top-level window of the focused control.
    focus.focus = kEditA;
    EXPECT_TRUE(engine->CompleteSelection());
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 3", "type hello"));
    Pump();  // the target takes the output

    // A search that found nothing leaves nothing to type.
    output.log.clear();
    Type(" zzz");
    EXPECT_FALSE(engine->CompleteSelection());
    EXPECT_TRUE(output.log.empty());
}

class DoubleByteCompletionTest : public EngineFixture {
protected:
    DoubleByteCompletionTest() : EngineFixture(true) {}
};

TEST_F(DoubleByteCompletionTest, OneBackspacePerCharacter)
{
    // "\x93\xfa" and "\x96\x41" are one character each.
    dictionaries.Add("q\x93\xfa\x96\x41");
    dictionaries.Add("q\x93\xfa\x96\x41z");
    dictionaries.Add("q\x93\xfa\x96\x41zz");
    // Double-byte text enters the typed text only through a completion.
    Type("q");
    Key(VK_TAB_, '\t');
    ASSERT_EQ(engine->TypedText(), "q\x93\xfa\x96\x41");
    output.log.clear();
    Type("z");
    ASSERT_EQ(engine->SearchKey(), "q\x93\xfa\x96\x41z");
    Key(VK_DOWN_);
    Key(VK_TAB_, '\t');
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 4", "type q\x93\xfa\x96\x41zz"));
    EXPECT_EQ(engine->TypedText(), "q\x93\xfa\x96\x41zz");
}

TEST_F(DoubleByteCompletionTest, PendingTextIsCutOnACharacterBoundary)
{
    engine->SetPendingText(std::string(65535, 'a') + "\x93\xfa" + "b", MODE_REPLACE);
    EXPECT_EQ(engine->PendingText(), std::string(65535, 'a'));
    engine->SetPendingText(std::string(65534, 'a') + "\x93\xfa" + "b", MODE_REPLACE);
    EXPECT_EQ(engine->PendingText(), std::string(65534, 'a') + "\x93\xfa");
}

TEST_F(EngineFixture, KeysAndFocusChangesDuringTheTypingWaitForItsEnd)
{
    dictionaries.Add("hello");
    dictionaries.Add("world");
    Type("hel");
    int answeredDuringTyping = -1;
    // The target's paste lets a key report and a focus change in while the engine types.
    output.duringTyping = [&] {
        output.duringTyping = nullptr;
        answeredDuringTyping = Hook('w', KeyInfo('W', false));
        Hook('w', KeyInfo('W', true));
        engine->SaveWindowText(kEditA);
        engine->RestoreWindowText(kEditB);
        EXPECT_EQ(engine->TypedText(), "hello");    // untouched until the typing is over
        EXPECT_FALSE(engine->CompleteSelection());  // no second completion on top of the first
    };
    Key(VK_TAB_, '\t');
    EXPECT_EQ(answeredDuringTyping, 0);  // held back, and typed again after the completion
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 3", "type hello", "again w"));
    // Afterwards, in order: "w" joined the completed word, then box A's text was kept.
    EXPECT_EQ(engine->TypedText(), "hellow");
    std::string kept;
    EXPECT_TRUE(engine->WindowTexts().Lookup(kEditA, kept));
    EXPECT_EQ(kept, "hellow");
}

TEST_F(EngineFixture, KeysTypedBehindTheCompletingKeyAreHeldBackAndTypedAgainAfterIt)
{
    dictionaries.Add("hello");
    Type("hel");
    // Tab's release asks for the completion; before its message runs, more keys arrive.
    EXPECT_EQ(Hook('\t', KeyInfo(VK_TAB_, false)), 0);
    EXPECT_EQ(Hook('\t', KeyInfo(VK_TAB_, true)), 0);
    EXPECT_EQ(Hook(0, KeyInfo(0x10, false)), 1);   // Shift passes
    EXPECT_EQ(Hook('W', KeyInfo('W', false)), 0);  // held back: the completion goes out first
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 3", "type hello"));
    // Keys typed before the output went out are reported until the target took it: held back too.
    EXPECT_EQ(Hook('W', KeyInfo('W', true)), 0);
    EXPECT_EQ(Hook(0, KeyInfo(VK_LEFT_, false)), 0);
    EXPECT_EQ(Hook(0, KeyInfo(VK_LEFT_, true)), 0);
    EXPECT_EQ(Hook(0, KeyInfo(0x10, true)), 1);
    EXPECT_EQ(Hook('o', KeyInfo('O', false)), 0);
    Pump();  // the marker comes back; the posted completion finds nothing left to do
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 3", "type hello", "again W", "again key 37 down",
                                        "again key 37 up", "again o"));
    EXPECT_EQ(engine->TypedText(), "helloWo");
    // The late release of a key typed again whole is not sent a second time; then keys pass as usual.
    EXPECT_EQ(Hook('o', KeyInfo('O', true)), 0);
    EXPECT_EQ(Hook('p', KeyInfo('P', false)), 1);
    EXPECT_EQ(Hook('p', KeyInfo('P', true)), 1);

    // No marker at all (the target went away): the timer lets the held keys go.
    Type(" hel");
    Hook('\t', KeyInfo(VK_TAB_, false));
    Hook('\t', KeyInfo(VK_TAB_, true));
    EXPECT_EQ(Hook('z', KeyInfo('Z', false)), 0);
    // Waited for: the first completion's output, the keys typed again behind it, this output.
    EXPECT_EQ(view.ownInputTimerStarts, 3);
    engine->OnOwnInputTimer();
    EXPECT_EQ(output.log.back(), "again z");
}

// A target that lags more than the timer waits: the held keys go out again when it gives up, and
// the marker it gave up on, coming late, must not end the wait for the one behind them (a key
// typed before they went out again is still ahead of them in the target).
TEST_F(EngineFixture, MarkerThatComesAfterTheTimerGaveUpOnItEndsNoLaterWait)
{
    dictionaries.Add("hello");
    Type("hel");
    Hook('\t', KeyInfo(VK_TAB_, false));
    Hook('\t', KeyInfo(VK_TAB_, true));
    EXPECT_EQ(Hook('a', KeyInfo('A', false)), 0);  // runs the completion, then waits behind it
    EXPECT_EQ(Hook('a', KeyInfo('A', true)), 0);
    engine->OnOwnInputTimer();
    EXPECT_EQ(output.log.back(), "again a");
    ASSERT_EQ(output.markerKeys.size(), 2u);
    EXPECT_NE(output.markerKeys[0], output.markerKeys[1]);

    EXPECT_EQ(Hook('b', KeyInfo('B', false)), 0);
    Hook(0, KeyInfo(output.markerKeys[0], false));  // late
    Hook(0, KeyInfo(output.markerKeys[0], true));
    EXPECT_EQ(Hook('b', KeyInfo('B', true)), 0);
    EXPECT_EQ(Hook('c', KeyInfo('C', false)), 0);
    EXPECT_EQ(output.log.back(), "again a");
    markersDelivered = 1;
    Pump();
    EXPECT_THAT(output.log, ElementsAre(kFront, "backspace 3", "type hello", "again a", "again b", "again c"));
    EXPECT_EQ(engine->TypedText(), "helloabc");
}
