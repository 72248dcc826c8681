#include "tests/support/HookWindows.h"

#include "hook/HookMessages.h"
#include "tests/support/MessagePump.h"

namespace pvtest {
namespace {

const char kReceiverClass[] = "PvTestHookReceiver";

}  // namespace

HookWindows::HookWindows(KeyHandler onKey) : m_onKey(std::move(onKey))
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &HookWindows::ReceiverProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kReceiverClass;
    ::RegisterClassA(&wc);  // fails harmlessly when already registered
    m_receiver =
        ::CreateWindowExA(0, kReceiverClass, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, this);
    // Unicode, so that characters beyond the code page arrive whole.
    m_target = ::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 80, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    if (!Created())
        return;
    ::SetForegroundWindow(m_target);
    ::SetFocus(m_target);
    Pump(50);
}

HookWindows::~HookWindows()
{
    if (m_target)
        ::DestroyWindow(m_target);
    if (m_receiver && ::IsWindow(m_receiver))  // a test may have destroyed it
        ::DestroyWindow(m_receiver);
}

HWND HookWindows::NewReceiver()
{
    return ::CreateWindowExA(0, kReceiverClass, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), this);
}

LRESULT CALLBACK HookWindows::ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HookWindows*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_HOOK_KEY && self && self->m_onKey)
        return self->m_onKey(window, wParam, lParam);
    if (message == WM_HOOK_KEY_TEXT && self && self->m_onText)
        return self->m_onText(window, wParam, lParam);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

std::string HookWindows::TargetText() const
{
    wchar_t text[256] = L"";
    const int length = ::GetWindowTextW(m_target, text, 256);
    // In UTF-8 (the 32-bit build has no base library to convert with).
    char utf8[1024] = "";
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8 - 1, nullptr, nullptr);
    return utf8;
}

bool HookWindows::WaitForText(const std::string& wanted, DWORD limitMs) const
{
    const DWORD start = ::GetTickCount();
    while (TargetText() != wanted) {
        if (::GetTickCount() - start > limitMs)
            return false;
        Pump(5);
    }
    return true;
}

namespace {

HWND NotepadOf(DWORD processId)
{
    for (HWND w = ::FindWindowA("Notepad", nullptr); w; w = ::FindWindowExA(nullptr, w, "Notepad", nullptr)) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(w, &process);
        if (process == processId)
            return w;
    }
    return nullptr;
}

}  // namespace

ForeignNotepad::ForeignNotepad()
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    char command[] = "notepad.exe";
    if (!::CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_process))
        return;
    ::WaitForInputIdle(m_process.hProcess, 5000);
    PumpUntil([this] { return (m_window = NotepadOf(m_process.dwProcessId)) != nullptr; });
}

ForeignNotepad::~ForeignNotepad()
{
    if (!m_process.hProcess)
        return;
    ::TerminateProcess(m_process.hProcess, 0);
    ::CloseHandle(m_process.hProcess);
    ::CloseHandle(m_process.hThread);
}

std::string ForeignNotepad::Text() const
{
    HWND edit = ::FindWindowExA(m_window, nullptr, "Edit", nullptr);
    char text[256] = "";
    DWORD_PTR length = 0;
    if (edit)
        ::SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000,
                              &length);
    return text;
}

bool BringToFront(HWND window)
{
    ::SetForegroundWindow(window);
    return PumpUntil([window] { return ::GetForegroundWindow() == window; }, 3000);
}

INPUT KeyInput(WORD vk, WORD scan, bool release)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

WORD KeyTyping(wchar_t letter)
{
    const BYTE noModifiers[256] = {};
    for (UINT vk = 1; vk < 256; ++vk) {
        const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
        WCHAR typed[4];
        if (scan != 0 && ::ToUnicodeEx(vk, scan, noModifiers, typed, 4, 0, ::GetKeyboardLayout(0)) == 1 &&
            typed[0] == letter)
            return static_cast<WORD>(vk);
    }
    return 0;
}

INPUT UnicodeInput(wchar_t unit, bool release, ULONG_PTR extraInfo)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = static_cast<WORD>(unit);
    input.ki.dwFlags = KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0);
    input.ki.dwExtraInfo = extraInfo;
    return input;
}

std::vector<INPUT> Tap(const std::string& keys, WORD scan)
{
    std::vector<INPUT> inputs;
    for (char key : keys) {
        const WORD vk = static_cast<WORD>(static_cast<BYTE>(key));
        const WORD sc = scan ? scan : static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        inputs.push_back(KeyInput(vk, sc, false));
        inputs.push_back(KeyInput(vk, sc, true));
    }
    return inputs;
}

void Send(const std::vector<INPUT>& inputs)
{
    ::SendInput(static_cast<UINT>(inputs.size()), const_cast<INPUT*>(inputs.data()), sizeof(INPUT));
}

}  // namespace pvtest
