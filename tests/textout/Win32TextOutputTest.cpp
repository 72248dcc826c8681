// The Windows layer against a real edit control in this process: the events that arrive are
// the planned ones, all with the synthetic scan code, and the edit ends up with the text.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "hook/HookMessages.h"
#include "tests/support/MessagePump.h"
#include "textout/Win32InputSystem.h"

namespace {

struct ArrivedKey {
    UINT message;
    std::uint8_t virtualKey;
    unsigned scanCode;
    bool extended;
};

std::vector<ArrivedKey> g_arrived;
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK RecordingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) {
        ArrivedKey key;
        key.message = message;
        key.virtualKey = static_cast<std::uint8_t>(wParam);
        key.scanCode = static_cast<unsigned>((lParam >> 16) & 0xFF);
        key.extended = ((lParam >> 24) & 1) != 0;
        g_arrived.push_back(key);
    }
    return CallWindowProcA(g_editProc, window, message, wParam, lParam);
}

using pvtest::PumpUntil;

std::string ClipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return "<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

class Win32TextOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PvTextOutputTestFrame";
        RegisterClassA(&windowClass);
        m_frame = CreateWindowExA(0, windowClass.lpszClassName, "Text output test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  10, 10, 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(nullptr, m_frame);
        m_edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL,
                                 0, 0, 380, 250, m_frame, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(nullptr, m_edit);
        g_editProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(m_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingEditProc)));
        SetForegroundWindow(m_frame);
        SetFocus(m_edit);
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == m_edit; }));
        g_arrived.clear();
    }

    void TearDown() override
    {
        if (m_frame != nullptr)
            DestroyWindow(m_frame);
    }

    std::string EditText() const
    {
        char buffer[1024] = {};
        GetWindowTextA(m_edit, buffer, sizeof buffer);
        return buffer;
    }

    bool WaitForText(const std::string& expected) const
    {
        return PumpUntil([&] { return EditText() == expected; });
    }

    // The arrived key messages as press/release events, to compare with a plan.
    static KeyEventList ArrivedEvents()
    {
        KeyEventList events;
        for (const ArrivedKey& key : g_arrived) {
            KeyEvent e;
            e.virtualKey = key.virtualKey;
            e.scanCode = static_cast<std::uint8_t>(key.scanCode);
            e.flags =
                static_cast<std::uint8_t>((key.extended ? KEY_EVENT_EXTENDED : 0) |
                                          (key.message == WM_KEYUP || key.message == WM_SYSKEYUP ? KEY_EVENT_UP : 0));
            events.push_back(e);
        }
        return events;
    }

    HWND m_frame = nullptr;
    HWND m_edit = nullptr;
};

TEST_F(Win32TextOutput, TypedCharactersArriveAsPlanned)
{
    const std::string text = "Hello, World! 42 a-z\tEnd";
    CWin32InputSystem input;
    for (char ch : text)
        ASSERT_NE(-1, input.ScanCharacter(ch)) << "the layout has no key for " << ch;
    KeyEventList plan;
    for (char ch : text) {
        const KeyEventList step = PlanKeystroke(ch, 0, input);
        plan.insert(plan.end(), step.begin(), step.end());
        EXPECT_EQ(1, SendKeystroke(ch, 0));
    }
    EXPECT_EQ(0, SendKeystroke(0, 0));
    ASSERT_TRUE(WaitForText(text)) << "edit holds: " << EditText();
    ASSERT_TRUE(PumpUntil([&] { return g_arrived.size() >= plan.size(); }));
    for (const ArrivedKey& key : g_arrived)
        EXPECT_EQ(SYNTHETIC_SCAN_CODE, key.scanCode) << "vk " << int(key.virtualKey);
    EXPECT_EQ(plan, ArrivedEvents());
}

TEST_F(Win32TextOutput, CapsLockDoesNotChangeTheTypedCase)
{
    const bool capsWas = (GetKeyState(VK_CAPITAL) & 1) != 0;
    SendKeystroke(0, VK_CAPITAL);
    ASSERT_TRUE(PumpUntil([&] { return ((GetKeyState(VK_CAPITAL) & 1) != 0) != capsWas; }))
        << "Caps Lock did not toggle";
    SendKeystroke('a', 0);
    SendKeystroke('B', 0);
    const bool typed = WaitForText("aB");
    SendKeystroke(0, VK_CAPITAL);
    PumpUntil([&] { return ((GetKeyState(VK_CAPITAL) & 1) != 0) == capsWas; });
    EXPECT_TRUE(typed) << "edit holds: " << EditText();
}

TEST_F(Win32TextOutput, ScriptPutsTheCaretBackAtTheMarker)
{
    CMacroScript script;
    script.ParseMacros("Dear %CARET%,%RETURN%Regards");
    EXPECT_EQ(1, PlayScript(script));
    ASSERT_TRUE(WaitForText("Dear ,\r\nRegards")) << "edit holds: " << EditText();
    DWORD start = 0, end = 0;
    ASSERT_TRUE(PumpUntil([&] {
        SendMessageA(m_edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return start == 5;
    }));
    EXPECT_EQ(5u, end);
    for (const ArrivedKey& key : g_arrived)
        EXPECT_EQ(SYNTHETIC_SCAN_CODE, key.scanCode);
}

TEST_F(Win32TextOutput, PasteLeavesTheTextOnTheClipboard)
{
    EXPECT_EQ(1, PasteText("pasted text"));
    EXPECT_EQ("pasted text", ClipboardText());
    ASSERT_TRUE(WaitForText("pasted text")) << "edit holds: " << EditText();
    ASSERT_TRUE(PumpUntil([&] { return g_arrived.size() >= 4; }));
    EXPECT_EQ(PlanPasteKeys(), ArrivedEvents());
}

TEST_F(Win32TextOutput, CharacterWithoutAKeyIsPasted)
{
    // Key events cannot type what the layout has no key for; the clipboard can.
    CMacroScript script;
    // (Wine's layout on a bare X server has no keys for parentheses either.)
    script.ParseMacros("caf\xE9 (42)%TAB%ok");
    PlayScript(script);
    ASSERT_TRUE(WaitForText("caf\xE9 (42)\tok")) << "edit holds: " << EditText();
}

TEST_F(Win32TextOutput, BusyClipboardIsNotPasted)
{
    PasteText("old");
    ASSERT_TRUE(WaitForText("old"));
    g_arrived.clear();

    // Another thread holds the clipboard open: the paste must not press Ctrl+V.
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool holderOpened = false;
    std::thread holder([&] {
        HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        holderOpened = owner != nullptr && OpenClipboard(owner) != FALSE;
        SetEvent(opened);
        WaitForSingleObject(release, 10000);
        if (holderOpened)
            CloseClipboard();
        if (owner != nullptr)
            DestroyWindow(owner);
    });
    WaitForSingleObject(opened, 10000);
    const int result = holderOpened ? PasteText("new") : -1;
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);

    ASSERT_TRUE(holderOpened);
    EXPECT_EQ(0, result);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ("old", EditText());
    EXPECT_TRUE(g_arrived.empty());
    EXPECT_EQ("old", ClipboardText());
}

// A target window on its own user-interface thread, as another program would be: the output
// must not wait on this test thread's message loop.
class CTargetThread {
public:
    CTargetThread()
    {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ready] { Run(ready); });
        WaitForSingleObject(ready, 10000);
        CloseHandle(ready);
    }
    ~CTargetThread()
    {
        if (m_threadId != 0)
            PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    CTargetThread(const CTargetThread&) = delete;
    CTargetThread& operator=(const CTargetThread&) = delete;

    bool IsFocused() const { return m_focused; }
    std::string Text() const
    {
        char buffer[1024] = {};
        DWORD_PTR unused = 0;
        SendMessageTimeoutA(m_edit, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 1000,
                            &unused);
        return buffer;
    }

private:
    void Run(HANDLE ready)
    {
        m_threadId = GetCurrentThreadId();
        HWND frame = CreateWindowExA(0, "STATIC", "Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 300, nullptr,
                                     nullptr, nullptr, nullptr);
        m_edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 0, 0, 380, 250,
                                 frame, nullptr, nullptr, nullptr);
        SetForegroundWindow(frame);
        SetFocus(m_edit);
        m_focused = PumpUntil([&] { return GetFocus() == m_edit && GetForegroundWindow() == frame; });
        SetEvent(ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DestroyWindow(frame);
    }

    std::thread m_thread;
    DWORD m_threadId = 0;
    HWND m_edit = nullptr;
    bool m_focused = false;
};

TEST(Win32TextOutputToAnotherThread, SecondPasteWaitsForTheFirst)
{
    CTargetThread target;
    ASSERT_TRUE(target.IsFocused());
    CMacroScript script;
    // Both pieces go through the clipboard; the second must not replace the first too early.
    script.ParseMacros("caf\xE9%TAB%na\xEFve (1)%RETURN%\xE0 la carte");
    PlayScript(script);
    const std::string expected = "caf\xE9\tna\xEFve (1)\r\n\xE0 la carte";
    EXPECT_TRUE(PumpUntil([&] { return target.Text() == expected; })) << "target holds: " << target.Text();
    EXPECT_EQ("\xE0 la carte", ClipboardText());
}

}  // namespace
