// Text output on Windows: SendInput, the thread's keyboard layout, the ANSI code page and the
// clipboard. The free functions type into whatever window has the keyboard focus.
#pragma once

#include <windows.h>

#include "textout/InputSystem.h"
#include "textout/Keystrokes.h"
#include "textout/MacroScript.h"

class CWin32InputSystem : public CInputSystem {
public:
    std::int16_t ScanCharacter(char ch) override;
    bool IsCapsLockOn() override;
    bool IsLeadByte(char ch) override;
    ClipboardResult PutTextOnClipboard(const std::string& text) override;
    void SendKeyEvents(const KeyEventList& events) override;
};

// Presses the virtual key (if not 0), then types the character (if not 0); 0 when both are 0.
int SendKeystroke(char ch, BYTE virtualKey);
// CF_TEXT on the clipboard, then Ctrl+V; 0 when the clipboard could not take the text.
int PasteText(const char* text);
// Types a parsed script into the focused window.
int PlayScript(const CMacroScript& script);
