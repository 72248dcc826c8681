#include "textout/Win32InputSystem.h"

#include <cstring>
#include <vector>

#include "base/SyntheticKeys.h"
#include "base/Utf8Text.h"
#include "base/WinHandles.h"

namespace {

// Another program may hold the clipboard open for a moment (clipboard viewers, managers).
constexpr int CLIPBOARD_OPEN_TRIES = 10;
constexpr DWORD CLIPBOARD_RETRY_MS = 10;
// How long a paste waits for the target to take the previous paste's text.
constexpr DWORD PREVIOUS_PASTE_WAIT_MS = 1000;

const char CLIPBOARD_OWNER_CLASS[] = "PennivoxClipboardOwner";

// The UTF-8 text as CF_UNICODETEXT holds it: UTF-16 with a terminating zero.
HGLOBAL CopyToGlobalMemory(const std::string& text)
{
    const std::wstring wide = Widen(text);
    const std::size_t size = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    if (memory == nullptr)
        return nullptr;
    void* units = GlobalLock(memory);
    if (units == nullptr) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(units, wide.c_str(), size);
    GlobalUnlock(memory);
    return memory;
}

// The keyboard layout the target reads our keys with: that of the focus window's thread.
HKL TargetLayout()
{
    const HWND foreground = GetForegroundWindow();
    const DWORD thread = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    return GetKeyboardLayout(thread);
}

CWin32InputSystem& DefaultInputSystem()
{
    static CWin32InputSystem system;
    return system;
}

}  // namespace

// The text is offered with delayed rendering: the target's paste asks this window for it, which
// tells us that the clipboard may be reused. Until then a further paste waits, else the target
// would paste the later text twice.
CClipboardOwner::~CClipboardOwner()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);  // renders what is still pending, so the clipboard keeps it
    if (m_pending != nullptr)
        GlobalFree(m_pending);
}

bool CClipboardOwner::CreateOwnerWindow()
{
    if (m_window != nullptr)
        return true;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(instance, CLIPBOARD_OWNER_CLASS, &windowClass)) {
        windowClass.lpfnWndProc = &CClipboardOwner::WindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = CLIPBOARD_OWNER_CLASS;
        if (RegisterClassA(&windowClass) == 0)
            return false;
    }
    m_window = CreateWindowExA(0, CLIPBOARD_OWNER_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    return m_window != nullptr;
}

LRESULT CALLBACK CClipboardOwner::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    CClipboardOwner* owner = reinterpret_cast<CClipboardOwner*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (owner != nullptr) {
        switch (message) {
            case WM_RENDERFORMAT:
                if (wParam == CF_UNICODETEXT)
                    owner->Render();  // the requesting program holds the clipboard open
                return 0;
            case WM_RENDERALLFORMATS: {
                pvbase::ClipboardSession clipboard(window, CLIPBOARD_OPEN_TRIES, CLIPBOARD_RETRY_MS);
                if (clipboard.IsOpen() && GetClipboardOwner() == window)
                    owner->Render();
                return 0;
            }
            case WM_DESTROYCLIPBOARD:
                // Emptied by someone: our text is no longer offered.
                if (owner->m_pending != nullptr) {
                    GlobalFree(owner->m_pending);
                    owner->m_pending = nullptr;
                }
                return 0;
            case WM_NCDESTROY:
                SetWindowLongPtrA(window, GWLP_USERDATA, 0);
                owner->m_window = nullptr;
                break;
            default:
                break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void CClipboardOwner::Render()
{
    if (m_pending != nullptr && SetClipboardData(CF_UNICODETEXT, m_pending) != nullptr)
        m_pending = nullptr;  // the clipboard owns it now
}

void CClipboardOwner::WaitUntilTaken(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (m_pending != nullptr) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return;
        // Only sent messages: the render request, and the hook's reports, which the target's
        // thread waits for and which must not be held up.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

ClipboardResult CClipboardOwner::Offer(const std::string& text)
{
    // Allocated before the clipboard is emptied, so a failure leaves the user's clipboard alone.
    HGLOBAL memory = CopyToGlobalMemory(text);
    if (memory == nullptr)
        return ClipboardResult::NoMemory;

    if (m_pending != nullptr)
        WaitUntilTaken(PREVIOUS_PASTE_WAIT_MS);

    const bool delayed = CreateOwnerWindow();
    pvbase::ClipboardSession clipboard(m_window, CLIPBOARD_OPEN_TRIES, CLIPBOARD_RETRY_MS);
    if (!clipboard.IsOpen()) {
        GlobalFree(memory);
        return ClipboardResult::Busy;
    }
    EmptyClipboard();  // frees a pending text of ours through WM_DESTROYCLIPBOARD
    // The system gives programs that ask for CF_TEXT the code page's text made from it.
    if (delayed) {
        SetClipboardData(CF_UNICODETEXT, nullptr);
        if (m_pending != nullptr)
            GlobalFree(m_pending);
        m_pending = memory;
        return ClipboardResult::Stored;
    }
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        GlobalFree(memory);
        return ClipboardResult::NoMemory;
    }
    return ClipboardResult::Stored;
}

namespace {

// Whether the key VkKeyScanExW gave types the character. Wine looks a character up by its ANSI
// form, so one the code page lacks comes back as the key of "?".
bool KeyTypes(SHORT scan, WCHAR unit, HKL layout)
{
    BYTE state[256] = {};
    const BYTE shifts = HIBYTE(scan);
    state[VK_SHIFT] = (shifts & 1) ? 0x80 : 0;
    state[VK_CONTROL] = (shifts & 2) ? 0x80 : 0;
    state[VK_MENU] = (shifts & 4) ? 0x80 : 0;
    const UINT vk = LOBYTE(scan), scanCode = MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, layout);
    WCHAR out[4];
    // 0x4: the thread's dead-key state stays as it is (where the system knows the flag).
    const int count = ToUnicodeEx(vk, scanCode, state, out, 4, 0x4, layout);
    if (count < 0)
        ToUnicodeEx(vk, scanCode, state, out, 4, 0x4, layout);  // takes the dead key back out
    return count == 1 && out[0] == unit;
}

}  // namespace

std::int16_t CWin32InputSystem::ScanCharacter(char16_t unit)
{
    const HKL layout = TargetLayout();
    const SHORT scan = VkKeyScanExW(static_cast<WCHAR>(unit), layout);
    if (scan == -1 || unit < 0x80 || KeyTypes(scan, static_cast<WCHAR>(unit), layout))
        return static_cast<std::int16_t>(scan);
    return -1;
}

bool CWin32InputSystem::IsCapsLockOn()
{
    return (GetKeyState(VK_CAPITAL) & 1) != 0;
}

ClipboardResult CWin32InputSystem::PutTextOnClipboard(const std::string& text)
{
    return m_clipboard.Offer(text);
}

void CWin32InputSystem::SendKeyEvents(const KeyEventList& events)
{
    if (events.empty())
        return;
    std::vector<INPUT> inputs(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        INPUT& input = inputs[i];
        std::memset(&input, 0, sizeof input);
        input.type = INPUT_KEYBOARD;
        const KeyEvent& event = events[i];
        input.ki.wVk = event.IsUnicode() ? 0 : event.virtualKey;
        input.ki.wScan = event.IsUnicode() ? static_cast<WORD>(event.unit) : event.scanCode;
        input.ki.dwFlags = (event.flags & KEY_EVENT_EXTENDED ? KEYEVENTF_EXTENDEDKEY : 0) |
                           (event.flags & KEY_EVENT_UP ? KEYEVENTF_KEYUP : 0) |
                           (event.IsUnicode() ? KEYEVENTF_UNICODE : 0);
        // The hook knows our events by it: a Unicode event has no room for the scan code.
        input.ki.dwExtraInfo = SYNTHETIC_EXTRA_INFO;
    }
    // One call: the system queues the whole batch before any of the user's own keys.
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

int SendKeystroke(char32_t ch, BYTE virtualKey)
{
    return SendKeystroke(DefaultInputSystem(), ch, virtualKey);
}

int PasteText(const char* text)
{
    return PasteText(DefaultInputSystem(), text);
}

void PlayText(const std::string& text)
{
    PlayText(DefaultInputSystem(), text);
}

void SendKeyEvent(BYTE virtualKey, bool release)
{
    SendKeyEvent(DefaultInputSystem(), virtualKey, release);
}

int PlayScript(const CMacroScript& script, int leadingBackspaces)
{
    return script.PlayScript(DefaultInputSystem(), leadingBackspaces);
}
