// Typing from the test receiver, the way the main program types into the target: every event
// carries the program's marks, so the hook must not report it. Text is UTF-8.
#pragma once
#include <windows.h>

#include <string>

int TypeText(const std::string& text);
int TypeVirtualKey(BYTE virtualKey);
int PasteClipboardText(const std::string& text);
