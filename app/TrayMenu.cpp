#include "app/TrayMenu.h"

#include <shellapi.h>

#include "base/Utf8Text.h"
#include "config/ui/HotkeyText.h"
#include "res/resource.h"
#include "wnd/MessageBoxes.h"
#include "wnd/Window.h"

std::string EnableItemText(bool enabled, DWORD enableHotkey)
{
    std::string text = wnd::LoadResourceString(enabled ? IDS_DISABLE_PENNIVOX : IDS_ENABLE_PENNIVOX);
    const std::string key = HotkeyText(enableHotkey);
    if (!key.empty())
        text += "\t" + key;
    return text;
}

void PrepareTrayMenu(HMENU popup, const TrayMenuState& state)
{
    const auto check = [popup](UINT id, bool on) {
        ::CheckMenuItem(popup, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    };
    check(ID_TRAY_SHORTHANDS, state.shorthands);
    check(ID_TRAY_WORDS, state.words);
    check(ID_TRAY_PHRASES, state.phrases);
    check(ID_TRAY_AUTOLEARN, state.autoLearn);

    const std::string text = EnableItemText(state.enabled, state.enableHotkey);
    ::DeleteMenu(popup, ID_TRAY_ENABLE, MF_BYCOMMAND);
    ::InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING, ID_TRAY_ENABLE, Widen(text).c_str());
}

bool OpenShellLink(HWND owner, const std::string& link)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(owner, L"open", Widen(link).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32)
        return true;
    ::MessageBeep(0);
    wnd::ShowInfo(owner, wnd::ResourceText(IDS_UNABLE_TO_OPEN, {link}), MB_ICONINFORMATION);
    return false;
}
