// What the tray menu shows of the program's state, and the links its Help items open.
#pragma once

#include <windows.h>

#include <string>

struct TrayMenuState {
    bool enabled = true;
    bool autoLearn = true;
    bool words = true;
    bool phrases = true;
    bool shorthands = true;
    DWORD enableHotkey = 0;  // dwEnableZel
};

// "&Disable Pennivox\tCtrl+F5" while enabled, "&Enable Pennivox\t..." while not; no tab without a hotkey.
std::string EnableItemText(bool enabled, DWORD enableHotkey);

// Checks the feature items that are on and rebuilds the first item with EnableItemText.
void PrepareTrayMenu(HMENU popup, const TrayMenuState& state);

// The shell's "open" on a web page or mail link; a failure beeps and says "Unable to open <link>.".
bool OpenShellLink(HWND owner, const std::string& link);
