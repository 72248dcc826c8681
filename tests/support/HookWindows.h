// The windows a hook test types into: a receiver for the hook's reports and a target edit, both
// of this thread, the target in front with the focus; and the keys it sends.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pvtest {

class HookWindows {
public:
    // Gets each WM_HOOK_KEY the receiver is sent; its result is the answer.
    using KeyHandler = std::function<LRESULT(HWND receiver, WPARAM wParam, LPARAM lParam)>;

    explicit HookWindows(KeyHandler onKey);
    ~HookWindows();
    HookWindows(const HookWindows&) = delete;
    HookWindows& operator=(const HookWindows&) = delete;

    // Gets each WM_HOOK_KEY_TEXT the receivers are sent (none are heard without one).
    void OnKeyText(KeyHandler onText) { m_onText = std::move(onText); }

    bool Created() const { return m_receiver && m_target; }
    HWND Receiver() const { return m_receiver; }
    HWND Target() const { return m_target; }
    // One more receiver with the same handler; the caller destroys it.
    HWND NewReceiver();
    std::string TargetText() const;
    // Pumps until the target holds the text; input under Wine takes a few ms.
    bool WaitForText(const std::string& wanted, DWORD limitMs = 3000) const;

private:
    static LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    KeyHandler m_onKey;
    KeyHandler m_onText;
    HWND m_receiver = nullptr;
    HWND m_target = nullptr;
};

// Wine's notepad in a process of its own, its window found: a program other than the test's.
class ForeignNotepad {
public:
    ForeignNotepad();
    ~ForeignNotepad();
    ForeignNotepad(const ForeignNotepad&) = delete;
    ForeignNotepad& operator=(const ForeignNotepad&) = delete;

    HWND Window() const { return m_window; }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    std::string Text() const;

private:
    PROCESS_INFORMATION m_process = {};
    HWND m_window = nullptr;
};

// The window in front (pumping this thread meanwhile); false when it did not come within 3 s.
bool BringToFront(HWND window);

INPUT KeyInput(WORD vk, WORD scan, bool release);
// The key that types the letter alone on the thread's keyboard layout (0 for none). A letter that
// Wine's layout took from the X keymap is not found by VkKeyScanEx, so each key is tried.
WORD KeyTyping(wchar_t letter);
// A press or release of Unicode input (KEYEVENTF_UNICODE) with the given extra information.
INPUT UnicodeInput(wchar_t unit, bool release, ULONG_PTR extraInfo);
// A press and a release of each key, with its layout scan code or the one given.
std::vector<INPUT> Tap(const std::string& keys, WORD scan = 0);
void Send(const std::vector<INPUT>& inputs);

}  // namespace pvtest
