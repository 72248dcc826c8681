#include "textout/Win32InputSystem.h"

#include <cstring>
#include <vector>

namespace {

// Another program may hold the clipboard open for a moment (clipboard viewers, managers).
constexpr int CLIPBOARD_OPEN_TRIES = 10;
constexpr DWORD CLIPBOARD_RETRY_MS = 10;

class CClipboardLock {
public:
    CClipboardLock()
    {
        for (int attempt = 0; attempt < CLIPBOARD_OPEN_TRIES && !m_open; ++attempt) {
            if (attempt > 0)
                Sleep(CLIPBOARD_RETRY_MS);
            m_open = OpenClipboard(nullptr) != FALSE;
        }
    }
    ~CClipboardLock()
    {
        if (m_open)
            CloseClipboard();
    }
    CClipboardLock(const CClipboardLock&) = delete;
    CClipboardLock& operator=(const CClipboardLock&) = delete;

    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};

class CGlobalMemory {
public:
    explicit CGlobalMemory(SIZE_T size) : m_handle(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size)) {}
    ~CGlobalMemory()
    {
        if (m_handle != nullptr)
            GlobalFree(m_handle);
    }
    CGlobalMemory(const CGlobalMemory&) = delete;
    CGlobalMemory& operator=(const CGlobalMemory&) = delete;

    HGLOBAL Get() const { return m_handle; }
    // After SetClipboardData succeeded the clipboard owns the memory.
    void Release() { m_handle = nullptr; }

private:
    HGLOBAL m_handle;
};

CWin32InputSystem& DefaultInputSystem()
{
    static CWin32InputSystem system;
    return system;
}

}  // namespace

std::int16_t CWin32InputSystem::ScanCharacter(char ch)
{
    return static_cast<std::int16_t>(VkKeyScanExA(ch, GetKeyboardLayout(0)));
}

bool CWin32InputSystem::IsCapsLockOn()
{
    return (GetKeyState(VK_CAPITAL) & 1) != 0;
}

bool CWin32InputSystem::IsLeadByte(char ch)
{
    return IsDBCSLeadByte(static_cast<BYTE>(ch)) != FALSE;
}

ClipboardResult CWin32InputSystem::PutTextOnClipboard(const std::string& text)
{
    // Allocated before the clipboard is emptied, so a failure leaves the user's clipboard alone.
    CGlobalMemory memory(text.size() + 1);
    if (memory.Get() == nullptr)
        return ClipboardResult::NoMemory;
    void* bytes = GlobalLock(memory.Get());
    if (bytes == nullptr)
        return ClipboardResult::NoMemory;
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory.Get());

    CClipboardLock clipboard;
    if (!clipboard.IsOpen())
        return ClipboardResult::Busy;
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, memory.Get()) == nullptr)
        return ClipboardResult::NoMemory;
    memory.Release();
    return ClipboardResult::Stored;
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
        input.ki.wVk = events[i].virtualKey;
        input.ki.wScan = events[i].scanCode;
        input.ki.dwFlags = (events[i].flags & KEY_EVENT_EXTENDED ? KEYEVENTF_EXTENDEDKEY : 0) |
                           (events[i].flags & KEY_EVENT_UP ? KEYEVENTF_KEYUP : 0);
    }
    // One call: the system queues the whole batch before any of the user's own keys.
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

int SendKeystroke(char ch, BYTE virtualKey)
{
    return SendKeystroke(DefaultInputSystem(), ch, virtualKey);
}

int PasteText(const char* text)
{
    return PasteText(DefaultInputSystem(), text);
}

int PlayScript(const CMacroScript& script)
{
    return script.PlayScript(DefaultInputSystem());
}
