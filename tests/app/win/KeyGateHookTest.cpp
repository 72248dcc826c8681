// The key gate under Wine, with the real hook in: what a key types reaches the engine's KeyReport
// as UTF-8, from WM_HOOK_KEY's ANSI bytes or from the text the hook sends beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/HookOwnerThread.h"
#include "app/ThreadMessages.h"
#include "base/Utf8Text.h"
#include "tests/support/HookWindows.h"
#include "tests/support/MessagePump.h"

namespace {

// Stands in for the engine's window on this thread: decodes each key the gate hands on, as the
// engine host does, and lets it pass.
class CEngineStandIn {
public:
    CEngineStandIn()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &CEngineStandIn::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PvTestEngineStandIn";
        ::RegisterClassW(&wc);
        m_window =
            ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    }
    ~CEngineStandIn() { ::DestroyWindow(m_window); }
    CEngineStandIn(const CEngineStandIn&) = delete;
    CEngineStandIn& operator=(const CEngineStandIn&) = delete;

    HWND Window() const { return m_window; }
    std::vector<KeyReport> keys;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<CEngineStandIn*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && (message == WM_HOOK_KEY || message == WM_ENGINE_KEY_PASSED)) {
            self->keys.push_back(KeyReport::FromHook(CKeyGate::UnitsOf(wParam), static_cast<unsigned>(lParam)));
            return 1;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
};

class KeyGateWithTheHook : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_engine.Window(), nullptr);
        ASSERT_TRUE(m_hooks.Install(m_engine.Window()));
        m_gate = m_hooks.GateWindow();
    }
    void TearDown() override { m_hooks.Stop(); }

    // The texts of the keys the engine got, in order.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const KeyReport& key : m_engine.keys)
            texts.push_back(key.Text());
        return texts;
    }
    // What the system makes of a byte of the ANSI code page.
    static std::string FromCodePage(char byte)
    {
        wchar_t unit = 0;
        ::MultiByteToWideChar(CP_ACP, 0, &byte, 1, &unit, 1);
        return Narrow(std::wstring(1, unit));
    }

    CEngineStandIn m_engine;
    CHookOwnerThread m_hooks;
    HWND m_gate = nullptr;
};

// The hook's two messages, sent as its thread sends them.
TEST_F(KeyGateWithTheHook, ReportsBecomeUtf8WithTheTextSentBesideThem)
{
    const LPARAM keyG = 'G' << 8, keyZ = 'Z' << 8;
    EXPECT_EQ(1, ::SendMessageW(m_gate, WM_HOOK_KEY, 'g', keyG));
    EXPECT_EQ(1, ::SendMessageW(m_gate, WM_HOOK_KEY, 0xE9, 0xDE00));  // a byte beyond ASCII
    ::SendMessageW(m_gate, WM_HOOK_KEY_TEXT, HOOK_TEXT_UNITS(0xD83D, 0xDE00), keyG);
    ::SendMessageW(m_gate, WM_HOOK_KEY, 0, keyG);
    // A text whose report did not follow (the hook's time-out) belongs to no later key.
    ::SendMessageW(m_gate, WM_HOOK_KEY_TEXT, HOOK_TEXT_UNITS(0x017C, 0), keyZ);
    ::SendMessageW(m_gate, WM_HOOK_KEY, 'z', keyZ | 1);
    ::SendMessageW(m_gate, WM_HOOK_KEY, 'z', keyZ);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"g", FromCodePage('\xE9'), "😀", "z", "z"}));
    EXPECT_TRUE(m_engine.keys.at(3).released);

    // Unicode input (our own output among it) passes and never reaches the engine.
    m_engine.keys.clear();
    ::SendMessageW(m_gate, WM_HOOK_KEY_TEXT, HOOK_TEXT_UNITS(0x2192, 0), VK_PACKET << 8);
    EXPECT_EQ(1, ::SendMessageW(m_gate, WM_HOOK_KEY, 0, VK_PACKET << 8));
    pvtest::Pump(50);
    EXPECT_TRUE(m_engine.keys.empty());
}

// Real keys through the hook: ASCII costs no second message, and the report is the same.
TEST_F(KeyGateWithTheHook, TypedKeysReachTheEngineAsUtf8)
{
    pvtest::HookWindows target([](HWND, WPARAM, LPARAM) -> LRESULT { return 1; });
    ASSERT_TRUE(target.Created());
    pvtest::Send(pvtest::Tap("HI"));
    ASSERT_TRUE(target.WaitForText("hi"));
    ASSERT_TRUE(pvtest::PumpUntil([&] { return m_engine.keys.size() >= 4; }));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"h", "h", "i", "i"}));
}

// Under a layout with letters the code page lacks (the scenario keys_unicode.py puts "п" on the
// keyboard under a Western code page). Skipped where the layout has none.
TEST_F(KeyGateWithTheHook, ALetterBeyondTheCodePageReachesTheEngineWhole)
{
    const WORD vk = pvtest::KeyTyping(L'\x043F');  // п
    BOOL lacking = FALSE;
    char byte = 0;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\x043F", 1, &byte, 1, nullptr, &lacking);
    if (vk == 0 || !lacking)
        GTEST_SKIP() << "the keyboard layout has no letter beyond the code page " << ::GetACP();
    pvtest::HookWindows target([](HWND, WPARAM, LPARAM) -> LRESULT { return 1; });
    ASSERT_TRUE(target.Created());
    pvtest::Send({pvtest::KeyInput(vk, static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), false),
                  pvtest::KeyInput(vk, static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), true)});
    ASSERT_TRUE(pvtest::PumpUntil([&] { return m_engine.keys.size() >= 2; }));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"п", "п"}));
    EXPECT_EQ(m_engine.keys[0].vk, vk);
}

}  // namespace
