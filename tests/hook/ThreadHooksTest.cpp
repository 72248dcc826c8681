// CThreadHooks, the helper's choice of threads: two processes of one bitness stand in for the two
// bitnesses, and only the threads of the process it serves report their keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "hook/host32/ThreadHooks.h"
#include "tests/support/HookWindows.h"
#include "tests/support/MessagePump.h"

namespace {

class ThreadHooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_zel = LoadLibraryA(PV_ZEL_FILE);
        ASSERT_NE(m_zel, nullptr);
        m_install = reinterpret_cast<CThreadHooks::InstallFn>(
            reinterpret_cast<void*>(GetProcAddress(m_zel, MAKEINTRESOURCEA(11))));
        ASSERT_NE(m_install, nullptr);
        ASSERT_TRUE(m_windows.Created());
        ASSERT_NE(m_notepad.Window(), nullptr);
    }
    void TearDown() override
    {
        m_hooks.reset();
        auto forget =
            reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(m_zel, MAKEINTRESOURCEA(2))));
        if (forget)
            forget();
        FreeLibrary(m_zel);
    }

    void Serve(DWORD processId)
    {
        m_hooks.reset();
        m_hooks = std::make_unique<CThreadHooks>(m_install, m_windows.Receiver(),
                                                 [processId](DWORD process) { return process == processId; });
        m_hooks->Start();
    }

    // Types a letter into the window in front; the reports it caused once `arrived` holds.
    int ReportsOf(char letter, const std::function<bool()>& arrived)
    {
        const int before = m_reports;
        pvtest::Send(pvtest::Tap(std::string(1, letter)));
        EXPECT_TRUE(pvtest::PumpUntil(arrived, 3000));
        pvtest::Pump(50);
        return m_reports - before;
    }

    HMODULE m_zel = nullptr;
    CThreadHooks::InstallFn m_install = nullptr;
    int m_reports = 0;
    pvtest::HookWindows m_windows{[this](HWND, WPARAM, LPARAM) {
        ++m_reports;
        return LRESULT{1};
    }};
    pvtest::ForeignNotepad m_notepad;
    std::unique_ptr<CThreadHooks> m_hooks;
};

TEST_F(ThreadHooksTest, OnlyThreadsOfTheServedProcessReport)
{
    Serve(GetCurrentProcessId());
    ASSERT_TRUE(pvtest::BringToFront(m_windows.Target()));
    EXPECT_EQ(ReportsOf('A', [&] { return m_windows.TargetText() == "a"; }), 2);
    ASSERT_TRUE(pvtest::BringToFront(m_notepad.Window()));
    EXPECT_EQ(ReportsOf('B', [&] { return m_notepad.Text() == "b"; }), 0) << "a process not served";

    Serve(m_notepad.ProcessId());
    EXPECT_EQ(ReportsOf('C', [&] { return m_notepad.Text() == "bc"; }), 2);
    ASSERT_TRUE(pvtest::BringToFront(m_windows.Target()));
    EXPECT_EQ(ReportsOf('D', [&] { return m_windows.TargetText() == "ad"; }), 0) << "the other stand-in";

    m_hooks->Stop();
    ASSERT_TRUE(pvtest::BringToFront(m_notepad.Window()));
    EXPECT_EQ(ReportsOf('E', [&] { return m_notepad.Text() == "bce"; }), 0) << "a hook outlived Stop";
}

DWORD WINAPI WaitForEvent(LPVOID event)
{
    return WaitForSingleObject(event, 5000);
}

TEST_F(ThreadHooksTest, ThreadsThatEndedAreDroppedBySweep)
{
    Serve(GetCurrentProcessId());
    const std::size_t seen = m_hooks->ThreadsSeen();
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitForEvent, stop, 0, &threadId);
    ASSERT_NE(thread, nullptr);
    m_hooks->Cover(threadId, GetCurrentProcessId());
    m_hooks->Cover(threadId, GetCurrentProcessId());
    EXPECT_EQ(m_hooks->ThreadsSeen(), seen + 1) << "a thread is hooked once";
    m_hooks->Sweep();
    EXPECT_EQ(m_hooks->ThreadsSeen(), seen + 1) << "a live thread stays";
    SetEvent(stop);
    WaitForSingleObject(thread, 5000);
    m_hooks->Sweep();
    EXPECT_EQ(m_hooks->ThreadsSeen(), seen);
    CloseHandle(thread);
    CloseHandle(stop);
}

}  // namespace
