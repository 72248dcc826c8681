// The program's icon in the taskbar's notification area: adds, changes and removes it, shows its
// menu on a right click and runs the default command on a double click. The shell forgets every
// icon when it restarts; the icon is added again when it says so ("TaskbarCreated").
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "wnd/Window.h"

class CSystemTray : public wnd::CWindow {
public:
    // Called with the menu's popup before it shows: check marks, rebuilt items.
    using MenuPreparer = std::function<void(HMENU popup)>;

    CSystemTray() = default;
    ~CSystemTray() override;

    // Adds the icon; its callback messages go to target (the program's window), which hands them
    // to OnIconMessage. id is also the menu resource. False (and no icon) when the shell has no
    // notification area or refuses the icon.
    bool Install(HWND target, UINT callbackMessage, const std::string& tip, UINT iconResource, UINT id);
    bool ChangeIcon(UINT iconResource);
    UINT IconResource() const { return m_iconResource; }
    void SetDefaultCommand(UINT command, bool byPosition = false);
    void SetMenuPreparer(MenuPreparer preparer) { m_prepareMenu = std::move(preparer); }
    // False while one of the program's dialogs is open: the menu does not show then.
    void SetMenuEnabled(bool enabled) { m_menuEnabled = enabled; }
    bool MenuEnabled() const { return m_menuEnabled; }
    void Remove();
    bool Installed() const { return m_added; }

    // The callback message: 1 for this icon's notifications, 0 for another icon's.
    LRESULT OnIconMessage(WPARAM iconId, LPARAM mouseMessage);

    // The record's size: the running system's structure (the 64-bit one is larger than 88).
    static constexpr DWORD kRecordSize = NOTIFYICONDATAW_V1_SIZE;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool AddIcon();
    void ShowMenu();
    void RunDefaultCommand();
    UINT DefaultCommand(HMENU popup) const;

    NOTIFYICONDATAW m_record{};
    HWND m_target = nullptr;
    UINT m_iconResource = 0;
    UINT m_defaultCommand = 0;
    bool m_defaultByPosition = false;
    bool m_menuEnabled = true;
    bool m_added = false;
    UINT m_taskbarCreated = 0;
    MenuPreparer m_prepareMenu;
};

// Whether the shell is version 4 or later (its notification area takes icons).
bool ShellHasNotificationArea();
