// The Windows layer against a real (Unicode) edit control in this process: the events that arrive
// are the planned ones, keys with the synthetic scan code, and the edit ends up with the UTF-8
// text given, whatever the code page.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "base/Utf8Text.h"
#include "hook/HookMessages.h"
#include "tests/support/MessagePump.h"
#include "textout/Win32InputSystem.h"

namespace {

struct ArrivedKey {
    UINT message;
    std::uint8_t virtualKey;
    unsigned scanCode;
    bool extended;
    ULONG_PTR extraInfo;
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
        key.extraInfo = static_cast<ULONG_PTR>(GetMessageExtraInfo());
        g_arrived.push_back(key);
    }
    return CallWindowProcW(g_editProc, window, message, wParam, lParam);
}

using pvtest::PumpUntil;

// The clipboard's Unicode text in UTF-8, or (format CF_TEXT) the code page's text the system
// makes of it for programs that ask for that.
std::string ClipboardText(UINT format = CF_UNICODETEXT)
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return "<clipboard busy>";
    if (HANDLE data = GetClipboardData(format)) {
        if (const void* memory = GlobalLock(data)) {
            text = format == CF_UNICODETEXT ? Narrow(static_cast<const wchar_t*>(memory))
                                            : std::string(static_cast<const char*>(memory));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

HWND CreateUnicodeEdit(HWND parent)
{
    return CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 0, 0,
                           380, 250, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::string UnicodeText(HWND edit)
{
    wchar_t buffer[1024] = {};
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 1000, &unused);
    return Narrow(buffer);
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
        m_edit = CreateUnicodeEdit(m_frame);
        ASSERT_NE(nullptr, m_edit);
        g_editProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(m_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingEditProc)));
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

    std::string EditText() const { return UnicodeText(m_edit); }

    bool WaitForText(const std::string& expected) const
    {
        return PumpUntil([&] { return EditText() == expected; });
    }

    // The arrived key messages as press/release events, to compare with a plan of keys.
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
        ASSERT_NE(-1, input.ScanCharacter(static_cast<char16_t>(ch))) << "the layout has no key for " << ch;
    KeyEventList plan;
    for (char ch : text) {
        const KeyEventList step = PlanKeystroke(ch, 0, input);
        plan.insert(plan.end(), step.begin(), step.end());
        EXPECT_EQ(1, SendKeystroke(ch, 0));
    }
    EXPECT_EQ(0, SendKeystroke(0, 0));
    ASSERT_TRUE(WaitForText(text)) << "edit holds: " << EditText();
    ASSERT_TRUE(PumpUntil([&] { return g_arrived.size() >= plan.size(); }));
    for (const ArrivedKey& key : g_arrived) {
        EXPECT_EQ(SYNTHETIC_SCAN_CODE, key.scanCode) << "vk " << int(key.virtualKey);
        EXPECT_EQ(SYNTHETIC_EXTRA_INFO, key.extraInfo) << "vk " << int(key.virtualKey);
    }
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
    EXPECT_EQ(1, PasteText("pasted → żółw 😀"));
    EXPECT_EQ("pasted → żółw 😀", ClipboardText());
    EXPECT_EQ("pasted ", ClipboardText(CF_TEXT).substr(0, 7)) << "made for programs that ask for CF_TEXT";
    ASSERT_TRUE(WaitForText("pasted → żółw 😀")) << "edit holds: " << EditText();
    ASSERT_TRUE(PumpUntil([&] { return g_arrived.size() >= 4; }));
    EXPECT_EQ(PlanPasteKeys(), ArrivedEvents());
}

TEST_F(Win32TextOutput, CharactersBeyondTheLayoutArriveWhole)
{
    // (Wine's layout on a bare X server has no keys for parentheses either.)
    CMacroScript script;
    script.ParseMacros("→ ✓ 😀 café (42)%TAB%żółw%CARET% Ωmega");
    PlayScript(script);
    ASSERT_TRUE(WaitForText("→ ✓ 😀 café (42)\tżółw Ωmega")) << "edit holds: " << EditText();
    // Unicode input arrives as VK_PACKET, marked as ours where its scan code cannot be.
    int packets = 0;
    for (const ArrivedKey& key : g_arrived) {
        EXPECT_EQ(SYNTHETIC_EXTRA_INFO, key.extraInfo) << "vk " << int(key.virtualKey);
        packets += key.virtualKey == VK_PACKET ? 1 : 0;
    }
    EXPECT_GT(packets, 0);
}

// Left presses count characters as the edit steps over them: where %CARET% stood, the caret is.
// (Wine's edit steps over each unit of a surrogate pair, Windows' over the pair: none here.)
TEST_F(Win32TextOutput, CaretStepsOverCharactersBeyondTheCodePage)
{
    CMacroScript script;
    script.ParseMacros("→%CARET%ż✓x");
    PlayScript(script);
    ASSERT_TRUE(WaitForText("→ż✓x")) << "edit holds: " << EditText();
    DWORD start = 0, end = 0;
    PumpUntil([&] {
        SendMessageW(m_edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return start == 1;
    });
    EXPECT_EQ(1u, start) << "UTF-16 position of the caret";
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
    std::string Text() const { return UnicodeText(m_edit); }

private:
    void Run(HANDLE ready)
    {
        m_threadId = GetCurrentThreadId();
        HWND frame = CreateWindowExA(0, "STATIC", "Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 300, nullptr,
                                     nullptr, nullptr, nullptr);
        m_edit = CreateUnicodeEdit(frame);
        SetForegroundWindow(frame);
        SetFocus(m_edit);
        m_focused = PumpUntil([&] { return GetFocus() == m_edit && GetForegroundWindow() == frame; });
        SetEvent(ready);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
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
    // The second text must not replace the first on the clipboard before the target pasted it.
    PasteText("café → ");
    PasteText("naïve ✓");
    PlayText(" (1)");
    const std::string expected = "café → naïve ✓ (1)";
    EXPECT_TRUE(PumpUntil([&] { return target.Text() == expected; })) << "target holds: " << target.Text();
    EXPECT_EQ("naïve ✓", ClipboardText());
}

}  // namespace
