// What OnHookKey does with each key: which keys reach the target, what the typed text keeps.
#include "EngineFakes.h"

using namespace enginetest;
using ::testing::ElementsAre;

class KeysTest : public EngineFixture {
protected:
    void ShowHelloPrompt()
    {
        dictionaries.Add("hello");
        dictionaries.Add("help");
        Type("hel");
        ASSERT_TRUE(view.visible);
        ASSERT_EQ(view.rows.size(), 2u);
    }
};

TEST_F(KeysTest, SelectionKeysPassWhileThePromptIsHidden)
{
    for (unsigned vk : {VK_UP_, VK_DOWN_, VK_PRIOR_, VK_NEXT_, VK_F1_, VK_F2_, VK_TAB_, VK_RETURN_, VK_ESCAPE_}) {
        const unsigned chars = vk == VK_TAB_ ? '\t' : vk == VK_RETURN_ ? '\r' : vk == VK_ESCAPE_ ? 0x1B : 0;
        EXPECT_EQ(Key(vk, chars), std::make_pair(1, 1)) << vk;
    }
    EXPECT_TRUE(output.log.empty());
}

// Asking the system for the focus takes time: keys that nothing could take are answered first,
// and a prompt key is judged in the focus the system reports.
TEST_F(KeysTest, OnlyKeysThePromptCouldTakeWaitForTheSystemsFocus)
{
    std::vector<bool> answeredAtSync;
    focus.onSync = [&] {
        answeredAtSync.push_back(!view.awaitingAnswer);
    };
    ShowHelloPrompt();
    EXPECT_EQ(answeredAtSync, std::vector<bool>(6, true));
    answeredAtSync.clear();
    EXPECT_EQ(Key(VK_DOWN_), std::make_pair(0, 0));
    EXPECT_THAT(answeredAtSync, ElementsAre(false, false));

    focus.onSync = [&] {
        focus.focus = kPassword;
    };
    EXPECT_EQ(Key(VK_DOWN_), std::make_pair(1, 1));
    EXPECT_FALSE(view.visible);
}

TEST_F(KeysTest, SelectionKeysAreSwallowedPressAndReleaseWhileShown)
{
    ShowHelloPrompt();
    for (unsigned vk : {VK_DOWN_, VK_UP_, VK_NEXT_, VK_PRIOR_}) {
        EXPECT_EQ(Key(vk), std::make_pair(0, 0)) << vk;
        EXPECT_TRUE(view.visible);
    }
    // Down moves on the press only; its release does nothing more.
    EXPECT_EQ(Hook(0, KeyInfo(VK_DOWN_, false)), 0);
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(Hook(0, KeyInfo(VK_DOWN_, true)), 0);
    EXPECT_EQ(view.selected, 1);
    EXPECT_TRUE(view.queue.empty());
    EXPECT_TRUE(output.log.empty());

    // A complete key acts on its release: the selected row is typed.
    EXPECT_EQ(Hook('\r', KeyInfo(VK_RETURN_, false)), 0);
    EXPECT_TRUE(view.queue.empty());
    EXPECT_EQ(Hook('\r', KeyInfo(VK_RETURN_, true)), 0);
    EXPECT_EQ(view.queue.size(), 1u);
    Pump();
    EXPECT_THAT(output.log, ElementsAre("front " + std::to_string(kTopA), "backspace 3", "type help"));
    EXPECT_FALSE(view.visible);
}

TEST_F(KeysTest, IndexKeyTypesItsRowOnRelease)
{
    ShowHelloPrompt();
    EXPECT_EQ(Hook(0, KeyInfo(VK_F2_, false)), 0);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(Hook(0, KeyInfo(VK_F2_, true)), 0);
    EXPECT_EQ(view.selected, 1);
    Pump();
    EXPECT_THAT(output.log, ElementsAre("front " + std::to_string(kTopA), "backspace 3", "type help"));
    EXPECT_EQ(engine->TypedText(), "help");
}

TEST_F(KeysTest, IndexKeyBeyondThePageBeepsTypesNothingAndTurnsThePage)
{
    dictionaries.Add("hello");
    Type("he");
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(Key(VK_F2_), std::make_pair(0, 0));
    EXPECT_THAT(output.log, ElementsAre("beep"));
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.selected, 0);

    // On a full page with more behind it, the next page comes up on its first row.
    for (int i = 0; i < 12; ++i)
        dictionaries.Add("hex" + std::to_string(10 + i));
    Type("x");
    ASSERT_EQ(view.rows.size(), 5u);
    Key(VK_DOWN_);
    output.log.clear();
    EngineSettings settings = ClassicSettings();
    settings.vkSelectIndex[6] = 'Q';
    ApplySettings(settings);
    EXPECT_EQ(Key('Q', 'q'), std::make_pair(0, 0));
    EXPECT_THAT(output.log, ElementsAre("beep"));
    EXPECT_EQ(engine->PageStart(), 5);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(engine->TypedText(), "hex");
}

// The Options pages may give one key two roles: moving wins over choosing a row by index, and
// an index over completing the selected row.
TEST_F(KeysTest, KeyWithTwoRolesKeepsTheStrongerOne)
{
    EngineSettings settings = ClassicSettings();
    settings.vkSelectIndex[3] = VK_DOWN_;
    settings.vkSelect[2] = VK_F2_;
    ApplySettings(settings);
    ShowHelloPrompt();
    EXPECT_EQ(Key(VK_DOWN_), std::make_pair(0, 0));
    EXPECT_EQ(view.selected, 1);
    EXPECT_TRUE(output.log.empty());
    Key(VK_UP_);
    EXPECT_EQ(Key(VK_F2_), std::make_pair(0, 0));
    EXPECT_THAT(output.log, ElementsAre("front " + std::to_string(kTopA), "backspace 3", "type help"));
}

TEST(KeyReport, DecodesTheReportIntoUtf8)
{
    const KeyReport press = KeyReport::FromHook('x' | (0x01 << 16), (0x158u << 8) | 0x0);
    EXPECT_EQ(press.vk, 0x58u);
    EXPECT_FALSE(press.released);
    EXPECT_EQ(press.Text(), "x\x01");
    EXPECT_EQ(press.PrintableText(), "x");
    const KeyReport release = KeyReport::FromHook(0, (0x41u << 8) | 0x2);
    EXPECT_TRUE(release.released);
    EXPECT_EQ(release.Text(), "");
    EXPECT_EQ(KeyReport::FromHook(0x41u << 16, 0).Text(), "");  // nothing behind a zero first unit
    // Beyond any code page: a letter, a dead key's accent with its letter, a surrogate pair.
    EXPECT_EQ(KeyReport::FromHook(0x017C, 0).Text(), "\xC5\xBC");  // ż
    EXPECT_EQ(KeyReport::FromHook(0x00B4 | ('e' << 16), 0).Text(),
              "\xC2\xB4"
              "e");  // ´e
    const KeyReport emoji = KeyReport::FromHook(0xD83D | (0xDE00u << 16), 0);
    EXPECT_EQ(emoji.Text(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(emoji.PrintableText(), emoji.Text());
}

// The text the hook sends beside a report belongs to the report right behind it, and to no other.
TEST(KeyTextPairing, TakesTheTextOnlyForTheReportRightBehindIt)
{
    CKeyTextPairing pairing;
    pairing.NoteText(0x017C, 0x5A00, 1000);
    EXPECT_EQ(pairing.TakeFor(0x5A00, 1002), std::optional<std::uint32_t>(0x017C));
    EXPECT_EQ(pairing.TakeFor(0x5A00, 1003), std::nullopt) << "taken once";

    pairing.NoteText(0x017C, 0x5A00, 2000);
    EXPECT_EQ(pairing.TakeFor(0x5A01, 2001), std::nullopt) << "the release is another report";
    EXPECT_EQ(pairing.TakeFor(0x5A00, 2002), std::nullopt) << "a report without its text drops it";

    // A text whose report timed out in the hook is not sent: a later key must not take it.
    pairing.NoteText(0x017C, 0x5A00, 3000);
    EXPECT_EQ(pairing.TakeFor(0x5A00, 3000 + CKeyTextPairing::kPairWithinMs + 1), std::nullopt);
    // The tick count wraps.
    pairing.NoteText(0x0142, 0x4C00, 0xFFFFFFF0u);
    EXPECT_EQ(pairing.TakeFor(0x4C00, 0x10), std::optional<std::uint32_t>(0x0142));
}

// Escape in the middle of a word: the rest of it is no new word, and no prompt comes back for it;
// the next word has its prompt again.
TEST_F(KeysTest, EscapeHidesThePromptForTheRestOfTheWord)
{
    ShowHelloPrompt();
    const std::string word = engine->TypedText();
    EXPECT_EQ(Hook(0x1B, KeyInfo(VK_ESCAPE_, false)), 0);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(engine->TypedText(), word);
    Type("l");
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(engine->TypedText(), word + "l");
    Type(" ");
    EXPECT_THAT(autoLearn.learnt, ElementsAre(word + "l ")) << "the whole word is learnt, no fragment";
    Type("hel");
    EXPECT_TRUE(view.visible);
}

TEST_F(KeysTest, OnlyPrintableAsciiReturnAndLineFeedAreKept)
{
    // This code page has no letters beyond ASCII: such a byte is a mark, and what was typed
    // before it is forgotten (the target no longer ends with it).
    Type("caf");
    EXPECT_EQ(Key(0xDE, 0xE9), std::make_pair(1, 1));
    EXPECT_EQ(engine->TypedText(), "");
    Type("caf");
    EXPECT_EQ(Key(0xDE, 0xE9 | ('x' << 16)), std::make_pair(1, 1));
    EXPECT_EQ(engine->TypedText(), "");
    Type("caf");
    EXPECT_EQ(Key(0x09, '\t'), std::make_pair(1, 1));
    EXPECT_EQ(Key(0x41, 0x01), std::make_pair(1, 1));
    EXPECT_EQ(engine->TypedText(), "caf");
    Key(0xBA, '~' | ('a' << 16));  // a dead key's two characters
    Key(VK_RETURN_, '\r');
    Key(0x7F, 0x7F);
    EXPECT_EQ(engine->TypedText(), "caf~a\r\x7F");
    // Keys that produce no character change nothing.
    Key(0x25, 0);
    EXPECT_EQ(engine->TypedText(), "caf~a\r\x7F");
}

TEST_F(KeysTest, TypedTextKeepsItsLast1024BytesBeforeAppending)
{
    const std::string block(1030, 'a');
    for (char c : block)
        Hook(static_cast<unsigned char>(c), KeyInfo('A', false));
    EXPECT_EQ(engine->TypedText().size(), 1025u);
    Hook('b', KeyInfo('B', false));
    EXPECT_EQ(engine->TypedText(), std::string(1024, 'a') + "b");
}

TEST_F(KeysTest, BackspaceShortensTheTextAndPassesPressAndRelease)
{
    dictionaries.Add("hello");
    dictionaries.Add("help");
    Type("help");
    ASSERT_FALSE(view.visible);  // lone exact candidate
    EXPECT_EQ(Key(VK_BACK_, 0x08), std::make_pair(1, 1));
    EXPECT_EQ(engine->TypedText(), "hel");
    EXPECT_TRUE(view.visible);
    EXPECT_THAT(view.RowTexts(), ElementsAre("hello", "help"));
    EXPECT_EQ(Key(VK_BACK_, 0x08), std::make_pair(1, 1));
    EXPECT_EQ(Key(VK_BACK_, 0x08), std::make_pair(1, 1));
    EXPECT_EQ(engine->TypedText(), "h");
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(Key(VK_BACK_, 0x08), std::make_pair(1, 1));
    EXPECT_EQ(engine->TypedText(), "");
    EXPECT_FALSE(view.visible);
    Key(VK_BACK_, 0x08);
    EXPECT_EQ(engine->TypedText(), "");
}

TEST_F(KeysTest, BackspaceAsASelectionKeyLeavesTheTextWhileShown)
{
    EngineSettings settings = ClassicSettings();
    settings.vkSelectPrev = VK_BACK_;
    ApplySettings(settings);
    ShowHelloPrompt();
    Key(VK_DOWN_);
    EXPECT_EQ(Key(VK_BACK_, 0x08), std::make_pair(0, 0));
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(engine->TypedText(), "hel");
}

TEST_F(KeysTest, OutsideTargetsKeysPassAndTheTextIsForgotten)
{
    ShowHelloPrompt();
    focus.target = false;
    EXPECT_EQ(Key(VK_DOWN_), std::make_pair(1, 1));
    EXPECT_EQ(engine->TypedText(), "");
    EXPECT_FALSE(view.visible);
    Type("x");
    EXPECT_EQ(engine->TypedText(), "");

    focus.target = true;
    desktop.excluded.insert(kEditA);
    Type("hel");
    EXPECT_EQ(engine->TypedText(), "");
    EXPECT_FALSE(view.visible);
    desktop.excluded.clear();
    Type("hel");
    EXPECT_TRUE(view.visible);
}

class DoubleByteKeysTest : public EngineFixture {
protected:
    DoubleByteKeysTest() : EngineFixture(true) {}
};

TEST_F(DoubleByteKeysTest, BackspaceRemovesTwoBytesOnlyWhenBothAreLeadBytes)
{
    // Double-byte text only enters through a completion.
    dictionaries.Add("ni\x93\xfa\x96\x7b");
    Type("ni");
    Key(VK_TAB_, '\t');
    ASSERT_EQ(engine->TypedText(), "ni\x93\xfa\x96\x7b");
    Key(VK_BACK_, 0x08);  // 0x96 0x7B: the trail byte is no lead byte
    EXPECT_EQ(engine->TypedText(), "ni\x93\xfa\x96");
    Key(VK_BACK_, 0x08);  // 0xFA 0x96: both lead bytes
    EXPECT_EQ(engine->TypedText(), "ni\x93");
}

// Every key in every state: the early answer is the one a key deserves. Only the prompt's keys
// are swallowed, only while it is shown, and only in a control the engine works in.
TEST_F(KeysTest, EachKeyIsAnsweredOnceBeforeItsEffects)
{
    struct Report {
        unsigned vk;
        unsigned chars;
    };
    const std::vector<Report> keys = {
        {'A', 'a'},         {'1', '1'},         {' ', ' '},          {0xBA, ';'},   {VK_BACK_, 0x08}, {VK_TAB_, '\t'},
        {VK_RETURN_, '\r'}, {VK_ESCAPE_, 0x1B}, {VK_UP_, 0},         {VK_DOWN_, 0}, {VK_PRIOR_, 0},   {VK_NEXT_, 0},
        {VK_F1_, 0},        {VK_F2_, 0},        {0x7A, 0} /* F11 */, {0xDE, 0xE9},  {0x25, 0},
    };
    enum Place { TARGET, NOT_TARGET, EXCLUDED, PASSWORD };
    dictionaries.Add("hello");
    dictionaries.Add("help");
    for (Place place : {TARGET, NOT_TARGET, EXCLUDED, PASSWORD}) {
        for (bool shown : {false, true}) {
            for (const Report& key : keys) {
                for (bool release : {false, true}) {
                    // The state to test from: "hel" typed in edit A, its prompt up or closed.
                    focus = FakeFocus();
                    desktop.excluded.clear();
                    FocusTo(kEditA);
                    Type(" hel");
                    ASSERT_TRUE(view.visible);
                    if (!shown)
                        Key(VK_ESCAPE_, 0x1B);
                    ASSERT_EQ(view.visible, shown);
                    if (place == NOT_TARGET)
                        focus.target = false;
                    else if (place == EXCLUDED)
                        desktop.excluded.insert(kEditA);
                    else if (place == PASSWORD)
                        focus.focus = kPassword;

                    const bool promptKey = key.vk != 'A' && key.vk != '1' && key.vk != ' ' && key.vk != 0xBA &&
                                           key.vk != VK_BACK_ && key.vk != 0xDE && key.vk != 0x25 && key.vk != 0x7A;
                    const int expected = place == TARGET && shown && promptKey ? 0 : 1;
                    // A release goes the way its press went.
                    if (release) {
                        EXPECT_EQ(Hook(key.chars, KeyInfo(key.vk, false)), expected) << "press of vk " << key.vk;
                    }
                    EXPECT_EQ(Hook(key.chars, KeyInfo(key.vk, release)), expected)
                        << "place " << place << " shown " << shown << " vk " << key.vk << " release " << release;
                    Pump();
                }
            }
        }
    }
}

// Keys that come faster than the searches: the searches they queue run as one, but a word ended
// within the burst is learnt once, and a prompt key acts on the prompt for all that was typed.
class BurstTest : public KeysTest {
protected:
    // Press and release of each character while keys are held back behind a completion.
    void TypeHeldBack(const std::string& text)
    {
        for (char c : text) {
            EXPECT_EQ(Hook(static_cast<unsigned char>(c), KeyInfo(VirtualKeyOf(c), false)), 0) << c;
            EXPECT_EQ(Hook(static_cast<unsigned char>(c), KeyInfo(VirtualKeyOf(c), true)), 0) << c;
        }
    }
    // Press and release of each character, the posted searches left waiting.
    void TypeWithoutPause(const std::string& text)
    {
        for (char c : text) {
            EXPECT_EQ(Hook(static_cast<unsigned char>(c), KeyInfo(VirtualKeyOf(c), false)), 1) << c;
            EXPECT_EQ(Hook(static_cast<unsigned char>(c), KeyInfo(VirtualKeyOf(c), true)), 1) << c;
        }
    }
};

TEST_F(BurstTest, EachWordEndedInTheBurstIsLearntOnce)
{
    TypeWithoutPause("quick brown fox");
    Pump();
    EXPECT_THAT(autoLearn.learnt, ElementsAre("quick ", "quick brown "));
    autoLearn.learnt.clear();

    TypeWithoutPause(" jumps. ");
    Pump();
    // As typed slowly: the full stop ends "jumps"; the blank after it ends no word.
    EXPECT_THAT(autoLearn.learnt, ElementsAre("quick brown fox ", "quick brown fox jumps."));
    EXPECT_FALSE(view.visible);
}

TEST_F(BurstTest, OneSearchForKeysThatCameTogether)
{
    dictionaries.Add("hello");
    TypeWithoutPause("hell");
    EXPECT_EQ(std::count(view.queue.begin(), view.queue.end(), POSTED_SEARCH), 4);
    Pump();
    EXPECT_EQ(dictionaries.firstCalls, 1);
    EXPECT_EQ(engine->SearchKey(), "hell");
    EXPECT_THAT(view.RowTexts(), ElementsAre("hello"));
}

TEST_F(BurstTest, PromptKeyActsOnThePromptOfAllThatWasTyped)
{
    ShowHelloPrompt();  // "hel": hello, help
    dictionaries.Add("helpful");
    TypeWithoutPause("p");
    // The prompt still shows the rows of "hel" when F1 comes; F1 means the first row for "help".
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, false)), 0);
    EXPECT_EQ(engine->SearchKey(), "help");
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, true)), 0);
    Pump();
    EXPECT_THAT(output.log, ElementsAre("front " + std::to_string(kTopA), "backspace 4", "type help"));
    EXPECT_EQ(engine->TypedText(), "help");
}

TEST_F(BurstTest, KeysAtAHiddenPromptNeitherWaitNorGetTaken)
{
    dictionaries.Add("hello");
    TypeWithoutPause("xyz");
    // The queued search finds nothing: Return reaches the target.
    EXPECT_EQ(Hook('\r', KeyInfo(VK_RETURN_, false)), 1);
    EXPECT_EQ(Hook('\r', KeyInfo(VK_RETURN_, true)), 1);
    EXPECT_TRUE(output.log.empty());
}

// A lagging target hands its keys over in a burst: the prompt key that comes right behind a word's
// letters belongs to that word's prompt, though the searches of the burst have not run and the last
// one that did closed the prompt (at the blank before the word).
TEST_F(BurstTest, PromptKeyBehindABurstTakesThePromptOfItsWord)
{
    dictionaries.Add("lures");
    dictionaries.Add("kgcsauu");
    Type("lure");
    ASSERT_TRUE(view.visible);
    Type("s ");
    TypeWithoutPause("kgcs");
    ASSERT_FALSE(view.visible);
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, false)), 0);
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, true)), 0);
    Pump();
    EXPECT_THAT(output.log, ElementsAre("front " + std::to_string(kTopA), "backspace 4", "type kgcsauu"));
    EXPECT_EQ(engine->TypedText(), "lures kgcsauu");
}

// The same behind a completion: keys typed while its output goes out are held back and typed again
// after it; the F1 among them is the prompt's, never typed again into the target.
TEST_F(BurstTest, HeldBackPromptKeyIsNeverTypedIntoTheTarget)
{
    dictionaries.Add("hello");
    dictionaries.Add("kgcsauu");
    Type("hel");
    Hook('\t', KeyInfo(VK_TAB_, false));
    Hook('\t', KeyInfo(VK_TAB_, true));
    TypeHeldBack(" kgcs");
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, false)), 0);
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, true)), 0);
    Pump();
    EXPECT_THAT(output.log, ElementsAre("front " + std::to_string(kTopA), "backspace 3", "type hello", "again  ",
                                        "again k", "again g", "again c", "again s", "front " + std::to_string(kTopA),
                                        "backspace 4", "type kgcsauu"));
    EXPECT_EQ(engine->TypedText(), "hello kgcsauu");
}

// A release goes the way its press went: an index key pressed before the prompt showed reaches
// the target whole and completes nothing; one pressed at the prompt is the prompt's, press and
// release, also when its search closed the prompt in between.
TEST_F(KeysTest, IndexKeyReleaseFollowsItsPress)
{
    dictionaries.Add("hello");
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, false)), 1);
    Type("hel");
    ASSERT_TRUE(view.visible);
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, true)), 1);
    Pump();
    EXPECT_TRUE(output.log.empty());

    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, false)), 0);
    Type("lo");
    ASSERT_FALSE(view.visible);  // a whole word: no prompt
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, true)), 0);
    Pump();
    EXPECT_TRUE(output.log.empty());
}

// Two completions by F1 typed while keys wait behind an earlier one: each F1 keeps its own
// release, also when the second F1's release comes after the first was typed again.
TEST_F(BurstTest, EachHeldBackIndexKeyKeepsItsOwnRelease)
{
    dictionaries.Add("hello");
    dictionaries.Add("ztdloou");
    dictionaries.Add("dxbkaaa");
    Type("hel");
    Hook('\t', KeyInfo(VK_TAB_, false));
    Hook('\t', KeyInfo(VK_TAB_, true));
    TypeHeldBack(" ztdl");
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, false)), 0);
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, true)), 0);
    TypeHeldBack(" dxbk");
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, false)), 0);
    // The target took the first output: the keys go out again up to the first F1's completion.
    markersDelivered = output.markersSent;
    Hook(0, KeyInfo(output.markerKeys.back(), false));
    Hook(0, KeyInfo(output.markerKeys.back(), true));
    EXPECT_EQ(Hook(0, KeyInfo(VK_F1_, true)), 0);
    Pump();
    EXPECT_EQ(engine->TypedText(), "hello ztdloou dxbkaaa");
    EXPECT_EQ(std::count(output.log.begin(), output.log.end(), "again key 112 up"), 0);
    EXPECT_EQ(std::count(output.log.begin(), output.log.end(), "again key 112 down"), 0);
}

TEST(IndexKeyLabels, NameTheKeysThatSelect)
{
    SelectionKeys keys;  // F1..F10 by default
    std::vector<std::string> labels = IndexKeyLabels(keys);
    ASSERT_EQ(labels.size(), 10u);
    EXPECT_EQ(labels[0], "F1");
    EXPECT_EQ(labels[9], "F10");
    const std::uint8_t digits[10] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
    std::copy(std::begin(digits), std::end(digits), keys.vkSelectIndex);
    labels = IndexKeyLabels(keys);
    EXPECT_EQ(labels[0], "1");
    EXPECT_EQ(labels[9], "0");
    EXPECT_EQ(IndexKeyLabel(0x63), "3");  // number pad 3
    EXPECT_EQ(IndexKeyLabel(0xBD), "");   // a key without a short name
}

// Under a code page with letters beyond ASCII they are typed like any other.
class CodePageKeysTest : public EngineFixture {
protected:
    void UseCodePage(const CCodePage& codePage)
    {
        services.codePage = &codePage;
        engine = std::make_unique<CCompletionEngine>(services);
        engine->ApplySettings(ClassicSettings());
    }
};

TEST_F(CodePageKeysTest, LettersOfAnyScriptAreKeptOtherMarksEndTheText)
{
    UseCodePage(Utf8CodePage());  // the program's text, whatever the system's code page
    Type("прив");
    EXPECT_EQ(engine->TypedText(), "прив");
    Key(0xBA, 0xAB);  // « is no letter
    EXPECT_EQ(engine->TypedText(), "");
    Type("żółw ˛");  // nor is an ogonek alone
    EXPECT_EQ(engine->TypedText(), "");
    Type("gemü");
    Key(0xDE, 0xE9 | ('x' << 16));  // a dead key's two characters
    EXPECT_EQ(engine->TypedText(), "gemüéx");
    // Backspace takes one whole character, however many bytes it has.
    Key(VK_BACK_, 0x08);
    Key(VK_BACK_, 0x08);
    EXPECT_EQ(engine->TypedText(), "gemü");
    Key(VK_BACK_, 0x08);
    EXPECT_EQ(engine->TypedText(), "gem");
}
