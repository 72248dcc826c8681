// The WH_KEYBOARD procedure. It runs in the thread of whatever application is about to receive
// a key and asks the main window, synchronously, whether the key may pass.
#include "hook/HookMessages.h"
#include "hook/HookState.h"

namespace {

// How long a typing thread waits for the main window's answer before the key passes anyway.
// A healthy main window answers in a few milliseconds.
const UINT kAnswerTimeoutMs = 250;

// A main window that let a key time out is late: for kLatePassMs after that, keys pass without
// asking; then one key asks again, waiting only kLateAnswerTimeoutMs, and an answer ends the late
// state. So a hung main window costs typing one full wait, not one per key event, until the
// system itself declares it hung (about 5 s).
const DWORD kLatePassMs = 200;
const UINT kLateAnswerTimeoutMs = 30;

bool IsDown(int vk)
{
    return (GetKeyState(vk) & 0x8000) != 0;
}

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

// Tick counts with bit 0 set, so a late mark is never 0; the same millisecond gives the same mark.
LONG LateMark(DWORD tick)
{
    return (LONG)(tick | 1);
}

// How long to wait for the main window's answer to this key; 0: do not ask, let the key pass.
UINT AnswerTimeout()
{
    LONG lateSince = g_lateSinceTick;
    if (lateSince == 0)
        return kAnswerTimeoutMs;
    LONG now = LateMark(GetTickCount());
    if ((DWORD)now - (DWORD)lateSince < kLatePassMs)
        return 0;
    // One thread asks; threads that find the interval over at the same moment let their keys pass.
    if (InterlockedCompareExchange(&g_lateSinceTick, now, lateSince) != lateSince)
        return 0;
    return kLateAnswerTimeoutMs;
}

// True when the main window wants the key swallowed. A main window that is gone, hangs or
// does not answer in time lets the key through, so it can never block typing everywhere.
bool MainWindowSwallows(WPARAM character, LPARAM report)
{
    HWND mainWindow = g_mainWindow;
    if (!mainWindow || !IsWindow(mainWindow))
        return false;
    UINT timeout = AnswerTimeout();
    if (timeout == 0)
        return false;
    DWORD_PTR answer = 1;
    if (!SendMessageTimeoutA(mainWindow, WM_HOOK_KEY, character, report, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout,
                             &answer)) {
        InterlockedExchange(&g_lateSinceTick, LateMark(GetTickCount()));
        return false;
    }
    if (g_lateSinceTick != 0)
        InterlockedExchange(&g_lateSinceTick, 0);
    return answer == 0;
}

// Threads of this process that are passing an event on down the hook chain (per process, not
// shared). Windows never puts a second hook of ours into the chain, but Wine keeps the hook of
// a process that was killed; when nobody can unhook it any more, it sits behind the live one
// and would report every key a second time. A call that arrives while this thread is already
// passing the same event on is such a leftover and only passes the event along.
const LONG kPassingSlots = 32;
volatile LONG g_passingThreads[kPassingSlots];

class PassingOn {
public:
    PassingOn() : m_slot(-1)
    {
        LONG self = (LONG)GetCurrentThreadId();
        for (LONG i = 0; i < kPassingSlots; ++i)
            if (InterlockedCompareExchange(&g_passingThreads[i], self, 0) == 0) {
                m_slot = i;
                return;
            }
    }
    ~PassingOn()
    {
        if (m_slot >= 0)
            InterlockedExchange(&g_passingThreads[m_slot], 0);
    }
    PassingOn(const PassingOn&) = delete;
    PassingOn& operator=(const PassingOn&) = delete;

    static bool ThisThread()
    {
        LONG self = (LONG)GetCurrentThreadId();
        for (LONG i = 0; i < kPassingSlots; ++i)
            if (g_passingThreads[i] == self)
                return true;
        return false;
    }

private:
    LONG m_slot;
};

// Windows calls a global hook for a program of the other bitness in the thread that installed it
// (an out-of-context call). Such a key is not for this process: the hook of the program's own
// bitness reports it. Asking the main window from here would report it twice, and could wait
// for this very thread.
bool CalledOutOfContext()
{
    if (GetCurrentThreadId() != g_installerThread)
        return false;
    DWORD foregroundProcess = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &foregroundProcess);
    return foregroundProcess != GetCurrentProcessId();
}

LRESULT PassOn(int code, WPARAM wParam, LPARAM lParam)
{
    PassingOn passing;
    return CallNextHookEx(g_keyboardHook, code, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (PassingOn::ThisThread() || CalledOutOfContext())
        return CallNextHookEx(g_keyboardHook, code, wParam, lParam);
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
    return PassOn(code, wParam, lParam);
}
