// The typed text of each control across focus changes, menus and password boxes.
#include "EngineFakes.h"

using namespace enginetest;
using ::testing::ElementsAre;

class WindowTextTest : public EngineFixture {
protected:
    void SetUp() override
    {
        dictionaries.Add("hello");
        dictionaries.Add("help");
        dictionaries.Add("xylophone");
        dictionaries.Add("xylem");
    }
};

TEST_F(WindowTextTest, EachEditBoxGetsItsOwnTextBack)
{
    Type("hel");
    ASSERT_TRUE(view.visible);
    FocusTo(kEditB);
    EXPECT_EQ(engine->TypedText(), "");
    EXPECT_FALSE(view.visible);
    Type("xy");
    EXPECT_THAT(view.RowTexts(), ElementsAre("xylophone", "xylem"));

    FocusTo(kEditA);
    EXPECT_EQ(engine->TypedText(), "hel");
    EXPECT_TRUE(view.visible);
    EXPECT_THAT(view.RowTexts(), ElementsAre("hello", "help"));
    FocusTo(kEditB);
    EXPECT_EQ(engine->TypedText(), "xy");
    EXPECT_EQ(engine->WindowTexts().UsedCount(), 2u);

    // An emptied text frees its slot.
    Key(VK_BACK_, 8);
    Key(VK_BACK_, 8);
    FocusTo(kEditA);
    EXPECT_EQ(engine->WindowTexts().UsedCount(), 1u);
}

// The focus moved and Return comes before the search of the control's kept text ran: that prompt
// has not been on screen, and the one that is belongs to the other control, so Return is the
// user's line break, not a completion.
TEST_F(WindowTextTest, APromptKeyRightAfterTheFocusCameBackActsOnNoUnseenPrompt)
{
    Type("hel");
    FocusTo(kEditB);
    Type("xy");
    ASSERT_TRUE(view.visible);
    engine->SaveWindowText(kEditB);
    engine->RestoreWindowText(kEditA);
    focus.focus = kEditA;
    EXPECT_EQ(Hook('\r', KeyInfo(VK_RETURN_, false)), 1);
    EXPECT_EQ(Hook('\r', KeyInfo(VK_RETURN_, true)), 1);
    Pump();
    EXPECT_TRUE(output.log.empty()) << "a completion in the control the focus came back to";
}

TEST_F(WindowTextTest, FocusChangesRightAfterACompletionKeepTheText)
{
    Type("hel");
    Key(VK_TAB_, '\t');
    ASSERT_EQ(engine->TypedText(), "hello");
    // Bringing the target to the front moves the focus about; that must not reset the text.
    FocusTo(0);
    EXPECT_EQ(engine->TypedText(), "hello");
    FocusTo(kEditA);
    EXPECT_EQ(engine->TypedText(), "hello");
    engine->OnAcceptInputTimer();
    FocusTo(kEditB);
    EXPECT_EQ(engine->TypedText(), "");
    FocusTo(kEditA);
    EXPECT_EQ(engine->TypedText(), "hello");
}

TEST_F(WindowTextTest, MenuFocusForgetsTheFocusWindowAndLaterComesBack)
{
    Type("hel");
    ASSERT_TRUE(view.visible);
    // The tracker reports the menu as Save(edit) then Restore(null) and forgets the focus window.
    FocusTo(0);
    EXPECT_EQ(engine->TypedText(), "");
    EXPECT_FALSE(view.visible);
    // Keys in the menu pass and are not kept.
    EXPECT_EQ(Key(VK_DOWN_), std::make_pair(1, 1));
    Type("x");
    EXPECT_EQ(engine->TypedText(), "");
    // Save(null) remembers nothing; the edit box gets its text back.
    FocusTo(kEditA);
    EXPECT_EQ(engine->TypedText(), "hel");
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(engine->WindowTexts().UsedCount(), 1u);
}

TEST_F(WindowTextTest, PromptWindowItselfHasNoText)
{
    Type("hel");
    FocusTo(kPrompt);
    EXPECT_EQ(engine->TypedText(), "");
    engine->SaveWindowText(kPrompt);
    EXPECT_EQ(engine->WindowTexts().UsedCount(), 1u);
}

TEST_F(WindowTextTest, PasswordBoxKeepsLearnsAndOffersNothing)
{
    autoLearn.items = {"hellfire"};
    Type("hel");
    FocusTo(kPassword);
    EXPECT_EQ(engine->TypedText(), "");
    EXPECT_FALSE(view.visible);
    view.queue.clear();
    for (char c : std::string("hel secret, ")) {
        EXPECT_EQ(Key(VirtualKeyOf(c), static_cast<unsigned char>(c)), std::make_pair(1, 1));
        EXPECT_EQ(engine->TypedText(), "");
    }
    EXPECT_TRUE(view.queue.empty());
    EXPECT_FALSE(view.visible);
    EXPECT_TRUE(autoLearn.learnt.empty());
    EXPECT_EQ(Key(VK_TAB_, '\t'), std::make_pair(1, 1));
    EXPECT_EQ(Key(VK_F1_), std::make_pair(1, 1));
    EXPECT_FALSE(engine->CompleteSelection());
    EXPECT_TRUE(output.log.empty());

    // Nothing of it is remembered, and the edit box it left still has its own text.
    FocusTo(kEditA);
    EXPECT_EQ(engine->TypedText(), "hel");
    EXPECT_EQ(engine->WindowTexts().UsedCount(), 1u);
    // A prompt still open when the focus reaches a password box closes on the first key.
    ASSERT_TRUE(view.visible);
    focus.focus = kPassword;
    EXPECT_EQ(Key(VK_DOWN_), std::make_pair(1, 1));
    EXPECT_FALSE(view.visible);
}

TEST_F(WindowTextTest, ExcludedApplicationTextIsForgotten)
{
    Type("hel");
    desktop.excluded.insert(kEditA);
    Type("p");
    EXPECT_EQ(engine->TypedText(), "");
    FocusTo(kEditB);
    desktop.excluded.clear();
    FocusTo(kEditA);
    EXPECT_EQ(engine->TypedText(), "");
}

TEST(WindowTextMemory, ThousandSlotsThenDeadWindowsMakeRoom)
{
    CWindowTextMemory memory;
    std::set<WindowHandle> dead;
    auto exists = [&dead](WindowHandle w) {
        return dead.count(w) == 0;
    };
    for (WindowHandle w = 1; w <= CWindowTextMemory::kSlotCount; ++w)
        memory.Save(w, "t" + std::to_string(w), exists);
    EXPECT_EQ(memory.UsedCount(), CWindowTextMemory::kSlotCount);

    std::string text;
    memory.Save(5000, "lost", exists);
    EXPECT_FALSE(memory.Lookup(5000, text));
    // A window already there is updated even when every slot is taken.
    memory.Save(7, "seven", exists);
    ASSERT_TRUE(memory.Lookup(7, text));
    EXPECT_EQ(text, "seven");

    dead.insert(500);
    memory.Save(5000, "kept", exists);
    ASSERT_TRUE(memory.Lookup(5000, text));
    EXPECT_EQ(text, "kept");
    EXPECT_FALSE(memory.Lookup(500, text));
    EXPECT_EQ(memory.UsedCount(), CWindowTextMemory::kSlotCount);

    memory.Save(5000, "", exists);
    EXPECT_FALSE(memory.Lookup(5000, text));
    memory.Save(0, "nothing", exists);
    EXPECT_FALSE(memory.Lookup(0, text));
    EXPECT_EQ(memory.UsedCount(), CWindowTextMemory::kSlotCount - 1);
}

TEST_F(WindowTextTest, EngineForgetsTextOfTheThousandAndFirstBox)
{
    for (WindowHandle w = 0x5000; w < 0x5000 + CWindowTextMemory::kSlotCount; ++w) {
        focus.focus = w;
        Type("a");
        engine->SaveWindowText(w);
        engine->RestoreWindowText(0);
        Pump();
    }
    focus.focus = 0x7000;
    Type("hel");
    FocusTo(kEditB);
    FocusTo(0x7000);
    EXPECT_EQ(engine->TypedText(), "");
    // Once a remembered window is gone its slot is reused.
    desktop.dead.insert(0x5000);
    Type("hel");
    FocusTo(kEditB);
    FocusTo(0x7000);
    EXPECT_EQ(engine->TypedText(), "hel");
}
