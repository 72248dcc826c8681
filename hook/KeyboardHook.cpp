// The WH_KEYBOARD procedure. It runs in the thread of whatever application is about to receive
// a key and asks the main window, synchronously, whether the key may pass.
#include "hook/HookMessages.h"
#include "hook/HookState.h"

namespace {

// How long a typing thread waits for the main window's answer before the key passes anyway.
// A healthy main window answers in a few milliseconds.
const UINT kAnswerTimeoutMs = 250;

bool IsDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// Shortcuts are never ours: Alt or Ctrl held (AltGr sets both).
bool ShortcutModifierDown()
{
    return IsDown(VK_MENU) || IsDown(VK_CONTROL) || IsDown(VK_LMENU) || IsDown(VK_RMENU);
}

WORD TranslateKey(UINT vk, UINT scanCode)
{
    BYTE keyState[256];
    if (!GetKeyboardState(keyState))
        return 0;
    WORD chars = 0;
    if (ToAsciiEx(vk, scanCode, keyState, &chars, 0, GetKeyboardLayout(0)) > 0)
        return chars;
    return 0;
}

// True when the main window wants the key swallowed. A main window that is gone, hangs or
// does not answer in time lets the key through, so it can never block typing everywhere.
bool MainWindowSwallows(WPARAM character, LPARAM report)
{
    HWND mainWindow = g_mainWindow;
    if (!mainWindow || !IsWindow(mainWindow))
        return false;
    DWORD_PTR answer = 1;
    if (!SendMessageTimeoutA(mainWindow, WM_HOOK_KEY, character, report,
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer))
        return false;
    return answer == 0;
}

} // namespace

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        UINT scanCode = (UINT)((lParam >> 16) & 0xFF);
        if (scanCode != SYNTHETIC_SCAN_CODE && !ShortcutModifierDown()) {
            UINT vk = (UINT)(wParam & 0xFF);
            WPARAM character = TranslateKey(vk, scanCode);
            LPARAM report = (LPARAM)(vk * 256 + ((lParam & 0x80000000) ? 1 : 0));
            if (MainWindowSwallows(character, report))
                return -1;
        }
    }
    return CallNextHookEx(g_keyboardHook, code, wParam, lParam);
}
