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

// AltGr is the right Alt with Ctrl, which Windows holds for it. With it a layout types its third
// letters (Polish "ż", "€", "@"): typing, not a shortcut, when the key makes a character.
bool AltGrDown()
{
    return IsDown(VK_RMENU) && IsDown(VK_CONTROL) && !IsDown(VK_LMENU);
}

// What one key makes, translated once: each translation takes the layout's dead-key state, which
// must stay as the target will find it.
struct KeyText {
    WCHAR units[2];  // up to two UTF-16 units, 0 where there is none
    int count;
    WPARAM ansi;      // WM_HOOK_KEY's wParam
    bool beyondAnsi;  // the units are not what `ansi` converts back to: WM_HOOK_KEY_TEXT goes first
};

// The units in the ANSI code page as ToAsciiEx packs them; 0 when the code page lacks one of
// them: a best fit ("l" for "ł") or the default character would be another letter.
WPARAM AnsiOf(const WCHAR* units, int count)
{
    char bytes[4];
    BOOL lacking = FALSE;
    // The UTF-8 code page takes neither the flag nor the question.
    const bool utf8 = GetACP() == CP_UTF8;
    const int length = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, units, count, bytes, sizeof bytes,
                                           nullptr, utf8 ? nullptr : &lacking);
    if (length <= 0 || length > 2 || lacking)
        return 0;
    WPARAM ansi = (BYTE)bytes[0];
    if (length == 2)
        ansi |= (WPARAM)(BYTE)bytes[1] << 8;
    return ansi;
}

bool ConvertsBackTo(WPARAM ansi, const WCHAR* units, int count)
{
    const char bytes[2] = {(char)(ansi & 0xFF), (char)((ansi >> 8) & 0xFF)};
    const int length = bytes[0] == 0 ? 0 : (bytes[1] == 0 ? 1 : 2);
    WCHAR back[2];
    const int backCount = length == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, bytes, length, back, 2);
    if (backCount != count)
        return false;
    for (int i = 0; i < count; ++i)
        if (back[i] != units[i])
            return false;
    return true;
}

KeyText TranslateKey(UINT vk, UINT scanCode)
{
    KeyText text = {{0, 0}, 0, 0, false};
    BYTE keyState[256];
    if (!GetKeyboardState(keyState))
        return text;
    WCHAR buffer[8];
    // Below 0: a dead key, kept for the next key; it makes nothing yet.
    const int count = ToUnicodeEx(vk, scanCode, keyState, buffer, 8, 0, GetKeyboardLayout(0));
    if (count <= 0)
        return text;
    text.count = count < 2 ? count : 2;
    for (int i = 0; i < text.count; ++i)
        text.units[i] = buffer[i];
    text.ansi = AnsiOf(text.units, text.count);
    text.beyondAnsi = !ConvertsBackTo(text.ansi, text.units, text.count);
    return text;
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

void MarkLate()
{
    InterlockedExchange(&g_lateSinceTick, LateMark(GetTickCount()));
}

// True when the main window wants the key swallowed. A main window that is gone, hangs or
// does not answer in time lets the key through, so it can never block typing everywhere. The
// text sent beside the report shares its time: a key never waits longer than one report would.
bool MainWindowSwallows(const KeyText& text, LPARAM report)
{
    HWND mainWindow = g_mainWindow;
    if (!mainWindow || !IsWindow(mainWindow))
        return false;
    UINT timeout = AnswerTimeout();
    if (timeout == 0)
        return false;
    const UINT flags = SMTO_NORMAL | SMTO_ABORTIFHUNG;
    if (text.beyondAnsi) {
        const DWORD start = GetTickCount();
        DWORD_PTR ignored = 0;
        const WPARAM units = HOOK_TEXT_UNITS(text.units[0], text.units[1]);
        if (!SendMessageTimeoutA(mainWindow, WM_HOOK_KEY_TEXT, units, report, flags, timeout, &ignored)) {
            MarkLate();
            return false;
        }
        const DWORD spent = GetTickCount() - start;
        timeout = spent < timeout ? timeout - spent : 1;
    }
    DWORD_PTR answer = 1;
    if (!SendMessageTimeoutA(mainWindow, WM_HOOK_KEY, text.ansi, report, flags, timeout, &answer)) {
        MarkLate();
        return false;
    }
    if (g_lateSinceTick != 0)
        InterlockedExchange(&g_lateSinceTick, 0);
    return answer == 0;
}

// Key events the program typed itself. A Unicode event (VK_PACKET) carries its character where
// the scan code would be, so it is known by its extra information.
bool IsOwnKeyEvent(UINT vk, UINT scanCode)
{
    if (scanCode == SYNTHETIC_SCAN_CODE)
        return true;
    return vk == VK_PACKET && (ULONG_PTR)GetMessageExtraInfo() == SYNTHETIC_EXTRA_INFO;
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
        UINT vk = (UINT)(wParam & 0xFF);
        const bool shortcut = ShortcutModifierDown();
        if (!IsOwnKeyEvent(vk, scanCode) && (!shortcut || AltGrDown())) {
            const KeyText text = TranslateKey(vk, scanCode);
            LPARAM report = (LPARAM)(vk * 256 + ((lParam & 0x80000000) ? 1 : 0));
            // An AltGr key that makes no printable character (a Ctrl+Alt shortcut) passes as before.
            const bool printable = text.count > 0 && text.units[0] >= 0x20 && text.units[0] != 0x7F;
            if ((!shortcut || printable) && MainWindowSwallows(text, report))
                return -1;
        }
    }
    return PassOn(code, wParam, lParam);
}
