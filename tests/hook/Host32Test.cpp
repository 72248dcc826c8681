// Zel32Host.exe (and its 64-bit copy): its answers to bad arguments, the hook it puts in for a window of this
// process, the commands that switch it, and its end with the process it watches.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "hook/host32/Host32Protocol.h"
#include "tests/support/HookWindows.h"
#include "tests/support/MessagePump.h"

namespace {

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
    void SetUp() override { ASSERT_TRUE(m_windows.Created()); }

    // Types one letter and waits until the target shows it; the number of reports it caused.
    int Type(char letter)
    {
        const int before = m_reports;
        m_typed += (char)(letter - 'A' + 'a');
        pvtest::Send(pvtest::Tap(std::string(1, letter)));
        EXPECT_TRUE(m_windows.WaitForText(m_typed)) << m_windows.TargetText();
        pvtest::Pump(20);
        return m_reports - before;
    }

    bool Post(const Process& helper, UINT message)
    {
        // The helper makes its queue before it does anything else; a start-up may still be under way.
        WaitForInputIdle(helper.info.hProcess, 5000);
        return PostThreadMessageA(helper.info.dwThreadId, message, 0, 0) != FALSE;
    }

    int m_reports = 0;
    pvtest::HookWindows m_windows{[this](HWND, WPARAM, LPARAM) {
        ++m_reports;
        return LRESULT{1};
    }};
    HWND m_receiver = m_windows.Receiver();
    std::string m_typed;
};

TEST_F(HelperFixture, ReportsToTheGivenWindowAndFollowsCommands)
{
    Process helper;
    ASSERT_TRUE(helper.Start(HelperCommand(m_receiver, GetCurrentProcessId())));
    WaitForInputIdle(helper.info.hProcess, 5000);
    EXPECT_EQ(Type('A'), 2);
    ASSERT_TRUE(Post(helper, WM_HOST32_REMOVE));
    pvtest::Pump(100);
    EXPECT_EQ(Type('B'), 0);
    ASSERT_TRUE(Post(helper, WM_HOST32_INSTALL));
    pvtest::Pump(100);
    EXPECT_EQ(Type('C'), 2);
    ASSERT_TRUE(Post(helper, WM_QUIT));
    EXPECT_EQ(helper.WaitExit(1000), (DWORD)HOST32_EXIT_DONE);
    EXPECT_EQ(Type('D'), 0) << "the hook outlived the helper";
}

// An edit in a thread of its own, made after the helper started, in front with the focus.
class LateWindowThread {
public:
    LateWindowThread()
        : m_thread([this] {
              HWND edit = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 80, nullptr,
                                          nullptr, GetModuleHandleA(nullptr), nullptr);
              SetForegroundWindow(edit);
              SetFocus(edit);
              m_edit = edit;
              while (!m_done)
                  pvtest::Pump(10);
              DestroyWindow(edit);
          })
    {
    }
    ~LateWindowThread()
    {
        m_done = true;
        m_thread.join();
    }
    HWND Edit() const { return m_edit; }

private:
    std::atomic<HWND> m_edit{nullptr};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

TEST_F(HelperFixture, ServesAThreadWhoseWindowCameAfterItStarted)
{
    Process helper;
    ASSERT_TRUE(helper.Start(HelperCommand(m_receiver, GetCurrentProcessId())));
    WaitForInputIdle(helper.info.hProcess, 5000);
    LateWindowThread late;
    ASSERT_TRUE(pvtest::PumpUntil([&] { return late.Edit() && GetForegroundWindow() == late.Edit(); }, 3000));
    // The helper learns of the window from its events (or its sweep): until then keys go unreported.
    ASSERT_TRUE(pvtest::PumpUntil(
        [&] {
            pvtest::Send(pvtest::Tap("L"));
            pvtest::Pump(50);
            return m_reports > 0;
        },
        5000))
        << "no key of the new thread was reported";
    pvtest::Pump(100);
    const int before = m_reports;
    pvtest::Send(pvtest::Tap("M"));
    EXPECT_TRUE(pvtest::PumpUntil([&] { return m_reports - before >= 2; }, 3000));
    pvtest::Pump(100);
    EXPECT_EQ(m_reports - before, 2) << "press and release, each once";
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
