// Text output on Windows: SendInput, the target thread's keyboard layout and the clipboard. Text
// is UTF-8. The free functions type into whatever window has the keyboard focus.
#pragma once

#include <windows.h>

#include "textout/InputSystem.h"
#include "textout/Keystrokes.h"
#include "textout/MacroScript.h"

// Owns the clipboard for our pastes through a hidden window of the thread that pastes.
class CClipboardOwner {
public:
    CClipboardOwner() = default;
    ~CClipboardOwner();
    CClipboardOwner(const CClipboardOwner&) = delete;
    CClipboardOwner& operator=(const CClipboardOwner&) = delete;

    // Puts the UTF-8 text on the clipboard as CF_UNICODETEXT, after the target took the previous
    // text.
    ClipboardResult Offer(const std::string& text);

private:
    bool CreateOwnerWindow();
    void Render();
    void WaitUntilTaken(DWORD timeoutMs);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    HGLOBAL m_pending = nullptr;  // offered text that no program has asked for yet
};

// Use from one thread, the one with the message loop (the clipboard window belongs to it).
class CWin32InputSystem : public CInputSystem {
public:
    std::int16_t ScanCharacter(char16_t unit) override;
    bool IsCapsLockOn() override;
    ClipboardResult PutTextOnClipboard(const std::string& text) override;
    void SendKeyEvents(const KeyEventList& events) override;

private:
    CClipboardOwner m_clipboard;
};

// Presses the virtual key (if not 0), then types the character (a code point, if not 0); 0 when
// both are 0.
int SendKeystroke(char32_t ch, BYTE virtualKey);
// The UTF-8 text as CF_UNICODETEXT on the clipboard, then Ctrl+V; 0 when the clipboard could not
// take the text.
int PasteText(const char* text);
// Types a UTF-8 text as it stands into the focused window.
void PlayText(const std::string& text);
// One press or release of a key, with the synthetic scan code.
void SendKeyEvent(BYTE virtualKey, bool release);
// Types a parsed script into the focused window, after leadingBackspaces Backspaces sent in one
// unit with its first piece.
int PlayScript(const CMacroScript& script, int leadingBackspaces = 0);
