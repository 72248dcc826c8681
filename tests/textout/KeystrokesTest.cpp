#include <gtest/gtest.h>

#include "hook/HookMessages.h"
#include "tests/textout/FakeInputSystem.h"
#include "textout/Keystrokes.h"

namespace {

KeyEvent Down(std::uint8_t vk, std::uint8_t extra = 0)
{
    KeyEvent e;
    e.virtualKey = vk;
    e.scanCode = SYNTHETIC_SCAN_CODE;
    e.flags = extra;
    return e;
}

KeyEvent Up(std::uint8_t vk, std::uint8_t extra = 0)
{
    return Down(vk, static_cast<std::uint8_t>(extra | KEY_EVENT_UP));
}

KeyEvent Unicode(char16_t unit, bool release)
{
    KeyEvent e;
    e.unit = unit;
    e.flags = release ? KEY_EVENT_UNICODE | KEY_EVENT_UP : KEY_EVENT_UNICODE;
    return e;
}

KeyEventList Typed(char32_t ch, bool capsLock)
{
    CFakeInputSystem input;
    input.capsLock = capsLock;
    EXPECT_EQ(1, SendKeystroke(input, ch, 0));
    EXPECT_EQ(1u, input.steps.size()) << "one character is one batch";
    return input.AllEvents();
}

TEST(SendKeystroke, NothingToSendReturnsZero)
{
    CFakeInputSystem input;
    EXPECT_EQ(0, SendKeystroke(input, 0, 0));
    EXPECT_TRUE(input.steps.empty());
}

TEST(SendKeystroke, VirtualKeyIsPressedBeforeTheCharacter)
{
    CFakeInputSystem input;
    EXPECT_EQ(1, SendKeystroke(input, 0, vkey::Home));
    EXPECT_EQ((KeyEventList{Down(vkey::Home), Up(vkey::Home)}), input.AllEvents());

    input.steps.clear();
    EXPECT_EQ(1, SendKeystroke(input, 'x', vkey::End));
    EXPECT_EQ((KeyEventList{Down(vkey::End), Up(vkey::End), Down('X'), Up('X')}), input.AllEvents());
}

TEST(SendKeystroke, LettersFollowCapsLock)
{
    const KeyEventList plain{Down('A'), Up('A')};
    const KeyEventList shifted{Down(vkey::Shift), Down('A'), Up('A'), Up(vkey::Shift)};
    EXPECT_EQ(plain, Typed('a', false));
    EXPECT_EQ(shifted, Typed('A', false));
    EXPECT_EQ(shifted, Typed('a', true));
    EXPECT_EQ(plain, Typed('A', true));

    // Whatever the Caps Lock state, the target receives the letters we meant.
    for (bool caps : {false, true}) {
        CFakeInputSystem input;
        input.capsLock = caps;
        for (char ch : std::string("Hello World"))
            SendKeystroke(input, ch, 0);
        EXPECT_EQ("Hello World", SimulateTarget(input.steps, caps)) << "caps " << caps;
    }
}

TEST(SendKeystroke, OtherCharactersUseTheLayoutsShiftBitOnly)
{
    const KeyEventList bang{Down(vkey::Shift), Down('1'), Up('1'), Up(vkey::Shift)};
    EXPECT_EQ(bang, Typed('!', false));
    EXPECT_EQ(bang, Typed('!', true)) << "Caps Lock does not shift punctuation";
    EXPECT_EQ((KeyEventList{Down('1'), Up('1')}), Typed('1', true));
    EXPECT_EQ((KeyEventList{Down(0xBA), Up(0xBA)}), Typed(';', false));
}

TEST(SendKeystroke, ControlCharactersByLookupWithoutCtrl)
{
    EXPECT_EQ((KeyEventList{Down(vkey::Return), Up(vkey::Return)}), Typed('\r', false));
    EXPECT_EQ((KeyEventList{Down(vkey::Tab), Up(vkey::Tab)}), Typed('\t', false));
    // The layout maps a line feed to Ctrl+Return; Ctrl alone is never pressed.
    EXPECT_EQ((KeyEventList{Down(vkey::Return), Up(vkey::Return)}), Typed('\n', false));
}

TEST(SendKeystroke, CharactersBeyondTheLayoutGoAsUnicodeInput)
{
    // Unicode input knows no Shift or Caps Lock: the unit is what the target gets.
    const KeyEventList acute{Unicode(0xE9, false), Unicode(0xE9, true)};
    EXPECT_EQ(acute, Typed(U'\u00E9', false));
    EXPECT_EQ(acute, Typed(U'\u00E9', true));
    // Beyond the basic plane: both units of the pair, each pressed and released.
    const KeyEventList grinning{Unicode(0xD83D, false), Unicode(0xD83D, true), Unicode(0xDE00, false),
                                Unicode(0xDE00, true)};
    EXPECT_EQ(grinning, Typed(U'\U0001F600', false));
    // A layout that has the letter types it with its key.
    CFakeInputSystem polish;
    polish.layoutOverrides[u'\u017C'] = 0x06BE;  // AltGr+.
    SendKeystroke(polish, U'\u017C', 0);
    EXPECT_EQ(
        (KeyEventList{Down(vkey::Control), Down(vkey::Menu), Down(0xBE), Up(0xBE), Up(vkey::Menu), Up(vkey::Control)}),
        polish.AllEvents());
}

TEST(SendKeystroke, AltGrCharactersAreTypedWithCtrlAlt)
{
    CFakeInputSystem input;
    input.layoutOverrides[u'@'] = 0x0651;  // AltGr+Q
    input.layoutOverrides[u'|'] = 0x07E2;  // Shift+AltGr on the OEM_102 key
    SendKeystroke(input, '@', 0);
    SendKeystroke(input, '|', 0);
    const KeyEventList expected{
        Down(vkey::Control), Down(vkey::Menu), Down('Q'),         Up('Q'),    Up(vkey::Menu), Up(vkey::Control),
        Down(vkey::Control), Down(vkey::Menu), Down(vkey::Shift), Down(0xE2), Up(0xE2),       Up(vkey::Shift),
        Up(vkey::Menu),      Up(vkey::Control)};
    EXPECT_EQ(expected, input.AllEvents());
}

TEST(SendKeystroke, KeysCarryTheSyntheticScanCodeUnicodeInputItsUnit)
{
    CFakeInputSystem input;
    input.layoutOverrides[u'@'] = 0x0651;
    for (char32_t c = 1; c < 0x300; ++c)
        SendKeystroke(input, c, static_cast<std::uint8_t>(c));
    const KeyEventList all = input.AllEvents();
    ASSERT_GT(all.size(), 1000u);
    int downs = 0;
    int unicode = 0;
    for (const KeyEvent& e : all) {
        if (e.IsUnicode()) {
            ++unicode;
            EXPECT_EQ(0, e.virtualKey);
            EXPECT_NE(0, e.unit);
        } else {
            EXPECT_EQ(SYNTHETIC_SCAN_CODE, e.scanCode);
            EXPECT_EQ(0, e.unit);
        }
        EXPECT_EQ(0, e.flags & KEY_EVENT_EXTENDED);
        downs += e.IsRelease() ? -1 : 1;
    }
    EXPECT_EQ(0, downs) << "every press is released";
    EXPECT_GT(unicode, 2 * 0x200) << "beyond ASCII the US layout has nothing";
}

TEST(PasteText, StoresTheTextThenPressesCtrlVAsExtendedKeys)
{
    CFakeInputSystem input;
    EXPECT_EQ(1, PasteText(input, "żółw 😀 text"));
    ASSERT_EQ(2u, input.steps.size());
    EXPECT_EQ(OutputStep::Clipboard, input.steps[0].kind);
    EXPECT_EQ("żółw 😀 text", input.steps[0].text);
    const KeyEventList ctrlV{Down(vkey::Control, KEY_EVENT_EXTENDED), Down(vkey::V, KEY_EVENT_EXTENDED),
                             Up(vkey::V, KEY_EVENT_EXTENDED), Up(vkey::Control, KEY_EVENT_EXTENDED)};
    EXPECT_EQ(ctrlV, input.steps[1].events);

    input.steps.clear();
    EXPECT_EQ(1, PasteText(input, ""));
    EXPECT_EQ("", input.steps.at(0).text);
}

TEST(PasteText, NoCtrlVWhenTheClipboardDidNotTakeTheText)
{
    for (ClipboardResult failure : {ClipboardResult::Busy, ClipboardResult::NoMemory}) {
        CFakeInputSystem input;
        input.clipboardResult = failure;
        EXPECT_EQ(0, PasteText(input, "text"));
        EXPECT_TRUE(input.steps.empty()) << "Ctrl+V would paste the old clipboard";
    }
    CFakeInputSystem input;
    EXPECT_EQ(0, PasteText(input, nullptr));
    EXPECT_TRUE(input.steps.empty());
}

}  // namespace
