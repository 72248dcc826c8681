// The Options dialog and its Hotkeys and Others pages as real windows over a settings folder of
// their own; the AutoLearn page is a stand-in. Also the hotkey's text and the start-up value.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <windows.h>
#include <commctrl.h>

#include "OptionsTestIds.h"
#include "config/AppSettings.h"
#include "config/StartupRegistration.h"
#include "config/ui/ConfigUiIds.h"
#include "config/ui/HotkeyText.h"
#include "config/ui/OptionsDialog.h"
#include "tests/support/BoxAnswer.h"
#include "tests/support/TempFolder.h"
#include "wnd/Controls.h"
#include "wnd/MessageBoxes.h"

namespace {

using namespace std::chrono_literals;

const char kTestRunKey[] = "Software\\PennivoxTests\\Run";

class StandInLearnPage : public wnd::CDialogPage {
public:
    StandInLearnPage() : CDialogPage(IDD_TEST_LEARN_PAGE) {}
    bool changed = false;
    int writes = 0;
    bool IsChanged() const override { return changed; }

protected:
    bool WriteModel() override
    {
        ++writes;
        return true;
    }
};

class OptionsDialogTest : public ::testing::Test {
protected:
    OptionsDialogTest() : settings(folder.Folder()), startup(kTestRunKey, "C:\\Pennivox\\Pennivox.exe") {}
    void SetUp() override
    {
        ASSERT_TRUE(wnd::InitCommonControlsOnce());
        startup.SetRegistered(false);
    }
    void TearDown() override
    {
        if (dialog.Handle())
            dialog.EndDialog(IDCANCEL);
        startup.SetRegistered(false);
    }
    void Open(const std::string& firstPage = "Hotkeys")
    {
        dialog.SetFirstPage(firstPage);
        ASSERT_TRUE(dialog.CreateModeless(nullptr));
        ::ShowWindow(dialog.Handle(), SW_SHOW);
    }
    static void Click(wnd::CDialog& page, int id) { ::SendMessageA(page.Item(id), BM_CLICK, 0, 0); }
    void PressOk() { dialog.Send(WM_COMMAND, IDOK, 0); }
    void PressCancel() { dialog.Send(WM_COMMAND, IDCANCEL, 0); }
    std::string PageCaption() const { return wnd::WindowText(dialog.Item(IDC_OPTIONS_CAPTION)); }
    CAppSettings Reloaded() const { return CAppSettings(settings.ProgramDirectory()); }

    pvtest::TempFolder folder;
    CAppSettings settings;
    CStartupRegistration startup;
    StandInLearnPage learnPage;
    COptionsDialog dialog{settings, learnPage, startup};
};

TEST_F(OptionsDialogTest, HotkeyChoicesAreSavedAsTheLayoutsKeys)
{
    Open();
    CHotkeyPage& page = dialog.HotkeyPage();
    EXPECT_EQ(PageCaption(), "Hotkeys");
    EXPECT_TRUE(page.IsVisible());
    EXPECT_TRUE(page.IsChecked(IDC_HOTKEY_FUNCTION_KEYS));
    EXPECT_FALSE(page.IsChanged());

    Click(page, IDC_HOTKEY_MINUS_PLUS);
    Click(page, IDC_HOTKEY_MAIN_DIGITS);
    Click(page, IDC_HOTKEY_COMPLETE_RETURN);  // off: Tab stays
    Click(page, IDC_HOTKEY_COMPLETE_SHIFT);
    HWND hotkey = page.Item(IDC_HOTKEY_CONTROL);
    ::SendMessageA(hotkey, HKM_SETHOTKEY, MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    page.Send(WM_COMMAND, MAKEWPARAM(IDC_HOTKEY_CONTROL, EN_CHANGE), reinterpret_cast<LPARAM>(hotkey));
    EXPECT_TRUE(page.IsChanged());
    PressOk();
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_TRUE(dialog.Saved());
    EXPECT_EQ(learnPage.writes, 1);

    CAppSettings saved = Reloaded();
    saved.LoadHotKeys();
    EXPECT_EQ(saved.Values().vkSelectPageDown, 0xBD);
    EXPECT_EQ(saved.Values().vkSelectPageUp, 0xBB);
    EXPECT_EQ(saved.Values().vkSelectIndex[0], '1');
    EXPECT_EQ(saved.Values().vkSelectIndex[9], '0');
    const uint8_t complete[10] = {16, 9, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::string(saved.Values().vkSelect, saved.Values().vkSelect + 10), std::string(complete, complete + 10));
    EXPECT_EQ(saved.Values().dwEnableZel, 196683u);
    EXPECT_EQ(saved.Values().vkSelectPrev, 0x26);  // untouched choices keep their keys
}

TEST_F(OptionsDialogTest, AValueOutOfRangeKeepsTheDialogOpenOnItAndSavesNothing)
{
    Open("General");
    COthersPage& page = dialog.OthersPage();
    EXPECT_EQ(PageCaption(), "General");
    EXPECT_EQ(page.ItemText(IDC_OTHERS_MAX_CHARS), "500");
    page.SetItemText(IDC_OTHERS_MAX_CHARS, "3");
    page.SetItemText(IDC_OTHERS_ITEMS, "7");
    ::SetFocus(dialog.Item(IDC_OPTIONS_TREE));
    pvtest::BoxAnswer box(wnd::kProgramCaption, IDOK);
    PressOk();
    EXPECT_EQ(box.Text(), "Please enter a whole number from 4 to 10000.");
    ASSERT_NE(dialog.Handle(), nullptr);
    EXPECT_TRUE(page.IsVisible());
    EXPECT_EQ(PageCaption(), "General");
    EXPECT_EQ(::GetFocus(), page.Item(IDC_OTHERS_MAX_CHARS));
    EXPECT_EQ(::GetFileAttributesA(settings.ConfigPath().c_str()), INVALID_FILE_ATTRIBUTES);

    page.SetItemText(IDC_OTHERS_MAX_CHARS, "40");
    PressOk();
    EXPECT_EQ(dialog.Handle(), nullptr);
    CAppSettings saved = Reloaded();
    saved.LoadOthers();
    EXPECT_EQ(saved.Values().nMaxWordLength, 40u);
    EXPECT_EQ(saved.Values().nMaxItemShow, 7u);
}

TEST_F(OptionsDialogTest, CancelAsksOnlyAfterAChangeAndYesSavesLikeOk)
{
    Open();
    {
        pvtest::BoxAnswer unexpected(wnd::kProgramCaption, IDNO);
        PressCancel();
        unexpected.Stop();
        EXPECT_EQ(unexpected.Text(), "");
    }
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_FALSE(dialog.Saved());

    Open("General");
    Click(dialog.OthersPage(), IDC_OTHERS_WORD);
    {
        pvtest::BoxAnswer no(wnd::kProgramCaption, IDNO);
        PressCancel();
        EXPECT_EQ(no.Text(), "You have changed some options.\r\nSave them?");
    }
    EXPECT_FALSE(dialog.Saved());
    EXPECT_EQ(::GetFileAttributesA(settings.ConfigPath().c_str()), INVALID_FILE_ATTRIBUTES);

    Open("AutoLearn");
    EXPECT_EQ(PageCaption(), "AutoLearn");
    EXPECT_TRUE(learnPage.IsVisible());
    Click(dialog.OthersPage(), IDC_OTHERS_WORD);
    Click(dialog.OthersPage(), IDC_OTHERS_STARTUP);
    EXPECT_FALSE(startup.IsRegistered());  // nothing before the user saves
    {
        pvtest::BoxAnswer yes(wnd::kProgramCaption, IDYES);
        PressCancel();
    }
    EXPECT_TRUE(dialog.Saved());
    EXPECT_TRUE(startup.IsRegistered());
    CAppSettings saved = Reloaded();
    saved.LoadOthers();
    EXPECT_EQ(saved.Values().bEnableWord, 0);
}

TEST(StartupRegistrationTest, TheBoxTellsWhetherThisExecutableIsNamed)
{
    CStartupRegistration ours(kTestRunKey, "C:\\Pennivox\\Pennivox.exe");
    CStartupRegistration other(kTestRunKey, "D:\\Elsewhere\\Pennivox.exe");
    ASSERT_TRUE(ours.SetRegistered(false));
    EXPECT_FALSE(ours.IsRegistered());
    ASSERT_TRUE(ours.SetRegistered(true));
    EXPECT_TRUE(ours.IsRegistered());
    EXPECT_FALSE(other.IsRegistered());
    EXPECT_TRUE(CStartupRegistration(kTestRunKey, "c:\\pennivox\\PENNIVOX.EXE").IsRegistered());
    EXPECT_EQ(ours.Command(), "\"C:\\Pennivox\\Pennivox.exe\"");
    EXPECT_TRUE(ours.SetRegistered(false));
    EXPECT_FALSE(ours.IsRegistered());
    EXPECT_TRUE(ours.SetRegistered(false));  // already gone
    EXPECT_FALSE(CStartupRegistration(kTestRunKey, "").SetRegistered(true));
}

TEST(HotkeyTextTest, ModifiersComeBeforeTheKeyInCtrlShiftAltOrder)
{
    // "Ctrl" on English layouts, "Strg" on German ones; never the X server's "Control" of Wine.
    const std::string ctrl = KeyName(VK_CONTROL, false);
    EXPECT_TRUE(ctrl == "Ctrl" || ctrl == "Strg") << ctrl;
    EXPECT_EQ(HotkeyText(settings_defaults::dwEnableZel), ctrl + "+F5");
    EXPECT_EQ(HotkeyText(196683), ctrl + "+Shift+K");
    EXPECT_EQ(HotkeyText((HOTKEYF_ALT | HOTKEYF_SHIFT) << 16 | 'Q'), "Shift+Alt+Q");
    EXPECT_EQ(HotkeyText(0), "");
}

TEST(HotkeyTextTest, ModifiersNamedAfterTheXServerGetTheLayoutLanguagesName)
{
    const LANGID german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
    const LANGID french = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
    EXPECT_EQ(ModifierNameFor(VK_CONTROL, "Control", german), "Strg");
    EXPECT_EQ(ModifierNameFor(VK_SHIFT, "Shift", german), "Umschalt");
    EXPECT_EQ(ModifierNameFor(VK_MENU, "Alt", german), "Alt");
    EXPECT_EQ(ModifierNameFor(VK_SHIFT, "Shift", french), "Maj");
    EXPECT_EQ(ModifierNameFor(VK_CONTROL, "Control", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), "Ctrl");
    EXPECT_EQ(ModifierNameFor(VK_SHIFT, "Shift", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)), "Shift");
    // The names a Windows layout gives are its own, other keys' too.
    EXPECT_EQ(ModifierNameFor(VK_CONTROL, "Ctrl", german), "Ctrl");
    EXPECT_EQ(ModifierNameFor(VK_SHIFT, "Umschalt", german), "Umschalt");
    EXPECT_EQ(ModifierNameFor(VK_F5, "F5", german), "F5");
    EXPECT_EQ(ModifierNameFor('K', "Shift", german), "Shift");
}

}  // namespace
