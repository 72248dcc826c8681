// The text of a hotkey as the keyboard layout names its keys, e.g. "Ctrl+Shift+K".
#pragma once

#include <windows.h>

#include <string>

// value: virtual key in bits 0-7, hotkey-control flags (HOTKEYF_SHIFT, _CONTROL, _ALT, _EXT) in
// bits 16-23. Empty for no key and no flags; modifiers come in the order Ctrl, Shift, Alt.
std::string HotkeyText(DWORD value);

// The layout's name of a key (through its scan code); extended: the key's extended variant
// (the arrows and Insert block rather than the keypad).
std::string KeyName(UINT virtualKey, bool extended);

// Wine names Ctrl, Shift and Alt after the X server's keys ("Control") whatever the keyboard
// layout; such a name becomes the one Windows' layout of that language gives ("Strg" for German).
// Any other name is the system's own and stays.
std::string ModifierNameFor(UINT virtualKey, const std::string& systemName, LANGID layoutLanguage);
