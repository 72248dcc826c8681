// The tray icon and its menu: the menu's check marks and first item, and the icon coming back
// after the shell forgot it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <string>

#include "app/TrayMenu.h"
#include "app/win/SystemTray.h"
#include "config/ui/HotkeyText.h"
#include "res/resource.h"
#include "base/Utf8Text.h"
#include "wnd/Handles.h"
#include "wnd/Language.h"

namespace {

constexpr UINT kCallback = WM_USER + 10;
constexpr DWORD kCtrlF5 = 0x00020074;

std::string ItemText(HMENU menu, UINT id)
{
    char text[128] = "";
    ::GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

std::string ItemTextUtf8(HMENU menu, UINT id)
{
    wchar_t text[128] = L"";
    ::GetMenuStringW(menu, id, text, 128, MF_BYCOMMAND);
    return Narrow(std::wstring_view(text));
}

bool Checked(HMENU menu, UINT id)
{
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// A hidden window that owns the icon, as the controller does.
struct IconOwner : wnd::CWindow {
    bool Open()
    {
        RECT none{};
        return wnd::RegisterWindowClass("PvTrayTestOwner") && Create("PvTrayTestOwner", "", WS_POPUP, 0, none, nullptr);
    }
};

}  // namespace

TEST(TrayMenuTest, FirstItemAndCheckMarksFollowTheState)
{
    wnd::MenuHandle menu(::LoadMenuA(wnd::ResourceInstance(), MAKEINTRESOURCEA(IDR_TRAY)));
    HMENU popup = ::GetSubMenu(menu.Get(), 0);
    ASSERT_NE(popup, nullptr);
    const std::string key = HotkeyText(kCtrlF5);
    ASSERT_FALSE(key.empty());

    TrayMenuState state;
    state.enabled = true;
    state.enableHotkey = kCtrlF5;
    state.words = false;
    state.shorthands = false;
    PrepareTrayMenu(popup, state);
    EXPECT_EQ(::GetMenuItemID(popup, 0), static_cast<UINT>(ID_TRAY_ENABLE));
    EXPECT_EQ(ItemText(popup, ID_TRAY_ENABLE), "&Disable Pennivox\t" + key);
    EXPECT_TRUE(Checked(popup, ID_TRAY_AUTOLEARN));
    EXPECT_FALSE(Checked(popup, ID_TRAY_WORDS));
    EXPECT_TRUE(Checked(popup, ID_TRAY_PHRASES));
    EXPECT_FALSE(Checked(popup, ID_TRAY_SHORTHANDS));

    // Prepared again (switched off, marks changed): one first item, never two.
    const int items = ::GetMenuItemCount(popup);
    state = TrayMenuState{false, false, true, false, true, kCtrlF5};
    PrepareTrayMenu(popup, state);
    EXPECT_EQ(::GetMenuItemCount(popup), items);
    EXPECT_EQ(ItemText(popup, ID_TRAY_ENABLE), "&Enable Pennivox\t" + key);
    EXPECT_FALSE(Checked(popup, ID_TRAY_AUTOLEARN));
    EXPECT_TRUE(Checked(popup, ID_TRAY_WORDS));
    EXPECT_FALSE(Checked(popup, ID_TRAY_PHRASES));
    EXPECT_TRUE(Checked(popup, ID_TRAY_SHORTHANDS));

    // No hotkey chosen: no tab and no empty key name.
    EXPECT_EQ(EnableItemText(true, 0), "&Disable Pennivox");
}

TEST(SystemTrayTest, RecordHasTheRunningSystemsSize)
{
    // 88 is the 32-bit structure's size; a 64-bit shell reads past it.
    EXPECT_EQ(CSystemTray::kRecordSize, offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(wchar_t));
    if (sizeof(void*) == 8)
        EXPECT_GT(CSystemTray::kRecordSize, 88u);
}

TEST(SystemTrayTest, IconComesBackWhenTheShellRestarts)
{
    IconOwner sink;
    ASSERT_TRUE(sink.Open());
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(sink.Handle(), kCallback, "Pennivox test", IDR_MAINFRAME, IDR_TRAY));
    EXPECT_TRUE(tray.ChangeIcon(IDI_DISABLED));

    // The shell forgets the icon, as a restarted one has.
    NOTIFYICONDATAW record{};
    record.cbSize = CSystemTray::kRecordSize;
    record.hWnd = sink.Handle();
    record.uID = IDR_TRAY;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &record));
    EXPECT_FALSE(tray.ChangeIcon(IDR_MAINFRAME));

    ::SendMessageA(tray.Handle(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray.ChangeIcon(IDI_DISABLED));
    EXPECT_EQ(tray.IconResource(), static_cast<UINT>(IDI_DISABLED));
    tray.Remove();
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &record));
}

TEST(TrayMenuTest, ComesInTheChosenLanguageAndInEnglishWhereThereIsNone)
{
    const std::string key = HotkeyText(kCtrlF5);
    TrayMenuState state;
    state.enabled = true;
    state.enableHotkey = kCtrlF5;
    const auto prepared = [&](LANGID language, UINT id) {
        wnd::SetUiLanguage(language);
        wnd::MenuHandle menu(wnd::LoadUiMenu(IDR_TRAY));
        HMENU popup = menu.Get() ? ::GetSubMenu(menu.Get(), 0) : nullptr;
        if (!popup)
            return std::string("no menu");
        PrepareTrayMenu(popup, state);
        return ItemTextUtf8(popup, id);
    };
    EXPECT_EQ(prepared(LANG_GERMAN, ID_TRAY_ENABLE), "Pennivox &ausschalten\t" + key);
    EXPECT_EQ(prepared(LANG_GERMAN, ID_TRAY_OPTIONS), "&Optionen...");
    EXPECT_EQ(prepared(LANG_RUSSIAN, ID_TRAY_EXIT), "Вы&ход");
    EXPECT_EQ(prepared(LANG_JAPANESE, ID_TRAY_OPTIONS), "&Options...");  // no Japanese resources
    EXPECT_EQ(prepared(LANG_ENGLISH, ID_TRAY_ENABLE), "&Disable Pennivox\t" + key);
    wnd::SetUiLanguage(LANG_GERMAN);
    EXPECT_EQ(wnd::LoadResourceString(IDS_ALREADY_RUNNING), "Pennivox läuft bereits.");
    // Strings that are no words stay as the English file has them.
    EXPECT_EQ(wnd::LoadResourceString(IDS_USER_DICTIONARY), "\\Libs\\UserDictionary.lib");
    wnd::SetUiLanguage(0);
}
