// Zel32Host.exe (and its 64-bit copy): its answers to bad arguments, the hook it puts in for a window of this
// process, the commands that switch it, and its end with the process it watches.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hook/HookMessages.h"
#include "hook/host32/Host32Protocol.h"

namespace {

int g_reports = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOOK_KEY) {
        ++g_reports;
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(2);
    } while (GetTickCount() - start < milliseconds);
}

std::string HelperPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + PV_HOST_FILE;
}

struct Process {
    PROCESS_INFORMATION info = {};
    bool Start(const std::string& command, DWORD flags = 0)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string line = command;
        return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &info) !=
               FALSE;
    }
    // The exit code, or STILL_ACTIVE when it did not end within the limit.
    DWORD WaitExit(DWORD limit)
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(info.hProcess, limit) == WAIT_OBJECT_0)
            GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
    ~Process()
    {
        if (!info.hProcess)
            return;
        if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
};

std::string HelperCommand(HWND window, DWORD ownerId)
{
    return "\"" + HelperPath() + "\" " + std::to_string((ULONG_PTR)window) + " " + std::to_string(ownerId);
}

TEST(Zel32Host, RefusesBadArgumentsAndAMissingOwner)
{
    const std::string exe = "\"" + HelperPath() + "\"";
    const std::vector<std::pair<std::string, DWORD>> cases{
        {"", HOST32_EXIT_USAGE},     {" 12", HOST32_EXIT_USAGE},     {" 12x 5", HOST32_EXIT_USAGE},
        {" 0 5", HOST32_EXIT_USAGE}, {" 12 5 7", HOST32_EXIT_USAGE}, {" 12 4294967292", HOST32_EXIT_NO_OWNER},
    };
    for (const auto& c : cases) {
        Process helper;
        ASSERT_TRUE(helper.Start(exe + c.first)) << HelperPath();
        EXPECT_EQ(helper.WaitExit(5000), c.second) << "arguments:" << c.first;
    }
}

class HelperFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_reports = 0;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Host32TestReceiver";
        RegisterClassA(&wc);
        m_receiver = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                     wc.hInstance, nullptr);
        m_target = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 80, nullptr, nullptr,
                                   wc.hInstance, nullptr);
        ASSERT_TRUE(m_receiver && m_target);
        SetForegroundWindow(m_target);
        SetFocus(m_target);
        Pump(50);
    }
    void TearDown() override
    {
        DestroyWindow(m_target);
        DestroyWindow(m_receiver);
    }

    // Types one letter and waits until the target shows it; the number of reports it caused.
    int Type(char letter)
    {
        const int before = g_reports;
        const WORD scan = (WORD)MapVirtualKeyA((BYTE)letter, MAPVK_VK_TO_VSC);
        INPUT inputs[2] = {};
        for (int i = 0; i < 2; ++i) {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wVk = (WORD)(BYTE)letter;
            inputs[i].ki.wScan = scan;
            inputs[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
        }
        m_typed += (char)(letter - 'A' + 'a');
        SendInput(2, inputs, sizeof(INPUT));
        DWORD start = GetTickCount();
        char text[128] = "";
        while (GetWindowTextA(m_target, text, sizeof text) >= 0 && m_typed != text && GetTickCount() - start < 3000)
            Pump(5);
        EXPECT_EQ(m_typed, text);
        Pump(20);
        return g_reports - before;
    }

    bool Post(const Process& helper, UINT message)
    {
        // The helper makes its queue before it does anything else; a start-up may still be under way.
        WaitForInputIdle(helper.info.hProcess, 5000);
        return PostThreadMessageA(helper.info.dwThreadId, message, 0, 0) != FALSE;
    }

    HWND m_receiver = nullptr;
    HWND m_target = nullptr;
    std::string m_typed;
};

TEST_F(HelperFixture, ReportsToTheGivenWindowAndFollowsCommands)
{
    Process helper;
    ASSERT_TRUE(helper.Start(HelperCommand(m_receiver, GetCurrentProcessId())));
    WaitForInputIdle(helper.info.hProcess, 5000);
    EXPECT_EQ(Type('A'), 2);
    ASSERT_TRUE(Post(helper, WM_HOST32_REMOVE));
    Pump(100);
    EXPECT_EQ(Type('B'), 0);
    ASSERT_TRUE(Post(helper, WM_HOST32_INSTALL));
    Pump(100);
    EXPECT_EQ(Type('C'), 2);
    ASSERT_TRUE(Post(helper, WM_QUIT));
    EXPECT_EQ(helper.WaitExit(1000), (DWORD)HOST32_EXIT_DONE);
    EXPECT_EQ(Type('D'), 0) << "the hook outlived the helper";
}

TEST_F(HelperFixture, EndsWithItsOwnerAndTakesTheHookAlong)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    Process owner;
    ASSERT_TRUE(owner.Start(std::string("\"") + self + "\" --gtest_list_tests", CREATE_SUSPENDED));
    Process helper;
    ASSERT_TRUE(helper.Start(HelperCommand(m_receiver, owner.info.dwProcessId)));
    WaitForInputIdle(helper.info.hProcess, 5000);
    EXPECT_EQ(Type('E'), 2);
    TerminateProcess(owner.info.hProcess, 9);
    EXPECT_EQ(helper.WaitExit(1000), (DWORD)HOST32_EXIT_DONE) << "the helper outlived its owner by a second";
    EXPECT_EQ(Type('F'), 0);
}

}  // namespace
