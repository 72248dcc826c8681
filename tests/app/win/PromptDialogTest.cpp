// The program's two threads together: the engine host on its thread answers keys and decides what
// the prompt shows; the controller on this (window) thread draws and places it.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/Controller.h"
#include "app/EngineHost.h"
#include "app/ProgramServices.h"
#include "app/ScreenReaderFlag.h"
#include "app/ThreadMessages.h"
#include "app/win/PromptPlacement.h"
#include "base/Utf8Text.h"
#include "hook/HookMessages.h"
#include "res/resource.h"
#include "tests/app/win/AccessibleAnswers.h"
#include "tests/support/MessagePump.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowImage.h"
#include "wnd/Controls.h"

namespace {

using pvtest::Pump;

RECT ScreenRect(HWND w)
{
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

std::vector<PromptRow> Rows(std::initializer_list<const char*> texts, int image = 0)
{
    std::vector<PromptRow> rows;
    for (const char* t : texts)
        rows.push_back(PromptRow{t, image});
    return rows;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wnd::InitCommonControlsOnce();
        target = ::CreateWindowExA(0, "STATIC", "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 500, 300, nullptr,
                                   nullptr, nullptr, nullptr);
        edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 300, 24, target, nullptr,
                                 nullptr, nullptr);
        ASSERT_TRUE(target && edit);
        ::SetForegroundWindow(target);
        ::SetFocus(edit);
        ASSERT_TRUE(controller.Start(false));
        prompt = controller.Prompt().Handle();
        engineWindow = controller.Engine().Window();
        OnEngine([&](CEngineHost& host) {
            host.Tracker().Start(&host);
            host.Tracker().OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF,
                                             apptest::Role(ROLE_SYSTEM_TEXT));
        });
    }
    void TearDown() override
    {
        controller.Shutdown();
        ::DestroyWindow(target);
        Pump();
    }

    // Runs on the engine thread, then draws what it decided here.
    void OnEngine(const std::function<void(CEngineHost&)>& work)
    {
        CEngineHost::RunOnHost(controller.Engine().Window(), work);
        Pump();
    }
    void ShowRows(const std::vector<PromptRow>& rows, bool pathPage = false)
    {
        OnEngine([&](CEngineHost& host) { host.Prompt().ShowRows(rows, pathPage); });
    }
    void ShowPrompt(bool show)
    {
        OnEngine([&](CEngineHost& host) { host.Prompt().ShowPrompt(show); });
    }
    void CaretAt(long l, long t, long w, long h)
    {
        OnEngine([&](CEngineHost& host) {
            host.Tracker().OnAccessibleEvent(EVENT_OBJECT_LOCATIONCHANGE, edit, OBJID_CARET, CHILDID_SELF,
                                             apptest::CaretAt(l, t, w, h));
        });
    }
    int Report(unsigned ch, unsigned vk, bool release)
    {
        const LRESULT answer = ::SendMessageA(engineWindow, WM_HOOK_KEY, ch, (vk << 8) | (release ? 1 : 0));
        Pump();
        return static_cast<int>(answer);
    }
    RECT ListRect() { return ScreenRect(controller.Prompt().List().Handle()); }

    HWND target = nullptr, edit = nullptr, prompt = nullptr, engineWindow = nullptr;
    CController controller;
};

TEST_F(ProgramTest, StartsHiddenAndAPageSizesTheWindowToItsRows)
{
    EXPECT_FALSE(::IsWindowVisible(prompt));
    EXPECT_EQ(::GetForegroundWindow(), target);
    ShowRows(Rows({"good", "goods", "goodness"}));
    const CPromptList& list = controller.Prompt().List();
    EXPECT_EQ(list.RowCount(), 3);
    EXPECT_EQ(list.Selected(), 0);
    EXPECT_FALSE(list.IsPathPage());
    const SIZE wanted = list.PreferredWindowSize(5);
    const RECT listRect = ListRect();
    EXPECT_EQ(listRect.right - listRect.left, wanted.cx);
    EXPECT_EQ(listRect.bottom - listRect.top, wanted.cy);
    // The window is the list and its frame.
    RECT client{};
    ::GetClientRect(prompt, &client);
    EXPECT_EQ(client.right, wanted.cx);
    EXPECT_EQ(client.bottom, wanted.cy);
}

TEST_F(ProgramTest, AShownPromptTakesTheSizeOfEachNewPage)
{
    const auto shortRows = Rows({"ox", "oxen"});
    const auto longRows = Rows({"oxyacetylene welding torches", "oxygen", "oxymoron"});
    auto sizeOf = [](const RECT& r) {
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    ShowRows(longRows);
    const SIZE longSize = sizeOf(ScreenRect(prompt));
    ShowRows(shortRows);
    const SIZE shortSize = sizeOf(ScreenRect(prompt));
    ASSERT_GT(longSize.cx, shortSize.cx);
    ASSERT_GT(longSize.cy, shortSize.cy);

    CaretAt(200, 150, 2, 16);
    ShowPrompt(true);
    ASSERT_TRUE(::IsWindowVisible(prompt));
    ShowRows(longRows);
    CaretAt(230, 150, 2, 16);  // the next letter moved the caret
    RECT r = ScreenRect(prompt);
    EXPECT_EQ(r.left, 232);
    EXPECT_EQ(r.top, 171);
    EXPECT_EQ(sizeOf(r).cx, longSize.cx);
    EXPECT_EQ(sizeOf(r).cy, longSize.cy);

    // Hidden at once after a new page: the hidden window has the page's size.
    OnEngine([&](CEngineHost& host) {
        host.Prompt().ShowRows(shortRows, false);
        host.Prompt().ShowPrompt(false);
    });
    EXPECT_FALSE(::IsWindowVisible(prompt));
    EXPECT_EQ(sizeOf(ScreenRect(prompt)).cx, shortSize.cx);
}

TEST_F(ProgramTest, RowsBeyondTheCodePageAreSizedByTheirCharacters)
{
    const std::vector<std::string> texts{"żółty", "привет", "→ ✓ 😀", "przyjaciół"};
    ShowRows(Rows({"ab"}));
    const long narrow = ListRect().right - ListRect().left;
    std::vector<PromptRow> rows = Rows({"ab"});
    for (const std::string& text : texts)
        rows.push_back(PromptRow{text, 1});
    ShowRows(rows);
    CaretAt(150, 120, 2, 16);
    ShowPrompt(true);
    OnEngine([](CEngineHost& host) { host.Prompt().ShowPreview("→ ✓ 😀\r\nżółty привет", PREVIEW_SHORTHAND); });
    ASSERT_TRUE(::IsWindowVisible(prompt));

    const CPromptList& list = controller.Prompt().List();
    wnd::ClientDC dc(list.Handle());
    wnd::SelectObjectScope font(dc.Get(), wnd::WindowFont(list.Handle()));
    auto width = [&](const std::string& text) {
        const std::wstring wide = Widen(text);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &extent);
        return extent.cx;
    };
    long widest = 0;
    for (const std::string& text : texts)
        widest = std::max(widest, width(text));
    EXPECT_EQ(ListRect().right - ListRect().left - narrow, widest - width("ab"));
    ::UpdateWindow(prompt);
    ::UpdateWindow(controller.Preview().Handle());
    pvtest::SaveShotIfAsked(prompt, "prompt-unicode");
    pvtest::SaveShotIfAsked(controller.Preview().Handle(), "preview-unicode");
}

TEST_F(ProgramTest, PathPagesScrollAndShowOnePageOfRows)
{
    std::vector<PromptRow> rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back(PromptRow{"folder" + std::to_string(i), 3});
    ShowRows(rows, true);
    const CPromptList& list = controller.Prompt().List();
    EXPECT_TRUE(list.IsPathPage());
    EXPECT_EQ(list.RowCount(), 12);
    const RECT listRect = ListRect();
    EXPECT_EQ(listRect.bottom - listRect.top, list.PreferredWindowSize(5).cy);
    EXPECT_TRUE(::GetWindowLongA(list.Handle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ProgramTest, ThePromptAppearsFivePixelsUnderTheCaretWithoutTakingTheFocus)
{
    ShowRows(Rows({"morning", "mornings"}));
    CaretAt(200, 150, 2, 16);
    ShowPrompt(true);
    EXPECT_TRUE(::IsWindowVisible(prompt));
    RECT r = ScreenRect(prompt);
    EXPECT_EQ(r.left, 202);
    EXPECT_EQ(r.top, 150 + 16 + 5);
    EXPECT_TRUE(::GetWindowLongA(prompt, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetForegroundWindow(), target);
    EXPECT_EQ(::GetFocus(), edit);

    // A caret move while shown moves the prompt along.
    CaretAt(260, 180, 2, 16);
    r = ScreenRect(prompt);
    EXPECT_EQ(r.left, 262);
    EXPECT_EQ(r.top, 201);

    ShowPrompt(false);
    EXPECT_FALSE(::IsWindowVisible(prompt));
    EXPECT_FALSE(::GetWindowLongA(prompt, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Hidden, a caret move does not show it.
    CaretAt(100, 100, 2, 16);
    EXPECT_FALSE(::IsWindowVisible(prompt));
}

TEST_F(ProgramTest, APromptThatWouldLeaveTheScreenIsMovedToFit)
{
    ShowRows(Rows({"alpha", "alphabet", "alphabetical"}));
    RECT work = WorkAreaAt(POINT{10, 10});
    RECT before = ScreenRect(prompt);
    int width = before.right - before.left, height = before.bottom - before.top;
    CaretAt(work.right - 10, work.bottom - 30, 2, 16);
    ShowPrompt(true);
    RECT r = ScreenRect(prompt);
    EXPECT_EQ(r.top, work.bottom - 30 - height);  // above the caret
    EXPECT_EQ(r.left, work.right - width);        // shifted left to the edge
}

TEST_F(ProgramTest, ResizingByTheBorderResizesTheListButLayingOutAPageDoesNot)
{
    ShowRows(Rows({"one", "two"}));
    ::SetWindowPos(prompt, nullptr, 0, 0, 300, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(prompt, &client);
    RECT list = controller.Prompt().ChildRect(controller.Prompt().List().Handle());
    EXPECT_EQ(list.right, client.right);
    EXPECT_EQ(list.bottom, client.bottom);
    // A new page lays the list out to its rows again.
    ShowRows(Rows({"three"}));
    list = controller.Prompt().ChildRect(controller.Prompt().List().Handle());
    EXPECT_EQ(list.bottom - list.top, controller.Prompt().List().PreferredWindowSize(5).cy);
}

TEST_F(ProgramTest, ThePreviewSitsBesideTheSelectedRowAndAClickSelectsForTheEngine)
{
    ShowRows(Rows({"sig", "sigh"}));
    CaretAt(150, 120, 2, 16);
    ShowPrompt(true);
    OnEngine([](CEngineHost& host) { host.Prompt().ShowPreview("Best regards,\r\nA. Writer", PREVIEW_SHORTHAND); });
    CPreviewWindow& preview = controller.Preview();
    ASSERT_TRUE(preview.IsVisible());
    const CPromptList& list = controller.Prompt().List();
    EXPECT_EQ(ScreenRect(preview.Handle()).left, ListRect().right + 3);
    EXPECT_EQ(ScreenRect(preview.Handle()).top, list.RowScreenRect(0).top);

    // The mouse picks row 1: the engine hears of it and the preview follows.
    const RECT row = list.RowScreenRect(1);
    POINT at{row.left + 5, (row.top + row.bottom) / 2};
    ::ScreenToClient(list.Handle(), &at);
    ::SendMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::SendMessageA(list.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    // The click is posted to the engine: a call sent to it may overtake it on a loaded machine.
    int selected = -1;
    pvtest::PumpUntil([&] {
        OnEngine([&](CEngineHost& host) { selected = host.Prompt().State().selected; });
        return selected == 1;
    });
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(ScreenRect(preview.Handle()).top, list.RowScreenRect(1).top);

    // An empty preview and a hidden prompt hide it.
    OnEngine([](CEngineHost& host) { host.Prompt().ShowPreview("", PREVIEW_NORMAL); });
    EXPECT_FALSE(preview.IsVisible());
    OnEngine([](CEngineHost& host) { host.Prompt().ShowPreview("again", PREVIEW_NORMAL); });
    EXPECT_TRUE(preview.IsVisible());
    ShowPrompt(false);
    EXPECT_FALSE(preview.IsVisible());
}

TEST_F(ProgramTest, AWindowPutOverTheShownPromptIsCoveredAgainOnTheNextPlacing)
{
    ShowRows(Rows({"xylophone", "xylophones"}));
    CaretAt(200, 150, 2, 16);
    ShowPrompt(true);
    ASSERT_TRUE(::IsWindowVisible(prompt));
    HWND cover = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE, "STATIC", "cover", WS_POPUP, 150, 140, 300, 200,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(cover);
    ::SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ASSERT_NE(::GetWindow(prompt, GW_HWNDPREV), nullptr);
    // The same caret again: the prompt still comes back on top.
    OnEngine([&](CEngineHost& host) { host.Prompt().ShowRows(Rows({"xylophone"}), false); });
    CaretAt(201, 150, 2, 16);
    EXPECT_EQ(::GetWindow(prompt, GW_HWNDPREV), nullptr);
    EXPECT_EQ(::GetFocus(), edit);
    ::DestroyWindow(cover);
}

TEST_F(ProgramTest, HookReportsGetTheEnginesAnswer)
{
    // Switched off, a report (from a hook nobody could take out) passes even a prompt key.
    ShowRows(Rows({"xylophone"}));
    ShowPrompt(true);
    EXPECT_EQ(Report(0, VK_DOWN, false), 1);
    EXPECT_EQ(Report(0, VK_DOWN, true), 1);
    ::SendMessageA(engineWindow, WM_ENGINE_SET_ENABLED, 1, 0);
    // A letter in an edit passes on.
    EXPECT_EQ(Report('x', 'X', false), 1);
    EXPECT_EQ(Report('x', 'X', true), 1);
    // With the prompt shown, a selection key is swallowed, pressed and released.
    ShowRows(Rows({"xylophone", "xylophones"}));
    CaretAt(200, 150, 2, 16);
    ShowPrompt(true);
    ASSERT_TRUE(::IsWindowVisible(prompt));
    EXPECT_EQ(Report(0, VK_DOWN, false), 0);
    EXPECT_EQ(Report(0, VK_DOWN, true), 0);
    // Escape closes it and is swallowed too; afterwards the same key passes.
    EXPECT_EQ(Report(27, VK_ESCAPE, false), 0);
    // Answered before the engine decides what the prompt shows: the hidden state comes after.
    EXPECT_TRUE(pvtest::PumpUntil([&] { return !::IsWindowVisible(prompt); }));
    EXPECT_EQ(Report(0, VK_DOWN, false), 1);
    EXPECT_EQ(Report('y', 'Y', false), 1);
    std::string typed;
    OnEngine([&](CEngineHost& host) { typed = host.Engine().TypedText(); });
    EXPECT_EQ(typed, "xy");  // Escape hid the prompt, the word goes on
}

// The typing thread's question is answered by the engine thread alone: a window thread that does
// not run its messages (a dialog's long work, a slow paint) holds up no key.
TEST_F(ProgramTest, KeysAreAnsweredWhileTheWindowThreadIsBusy)
{
    struct Report {
        HWND window;
        DWORD_PTR answers[20];
        int answered;
        HANDLE done;
    } report{engineWindow, {}, 0, ::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            Report& r = *static_cast<Report*>(p);
            for (int i = 0; i < 20; ++i) {
                const unsigned vk = 'A' + i % 26;
                if (::SendMessageTimeoutA(r.window, WM_HOOK_KEY, vk + 32, (vk << 8) | (i & 1), SMTO_NORMAL, 5000,
                                          &r.answers[i]))
                    ++r.answered;
            }
            ::SetEvent(r.done);
            return 0;
        },
        &report, 0, nullptr);
    ASSERT_TRUE(thread);
    // This thread runs no messages until every key was answered, or gives up after 10 s.
    EXPECT_EQ(::WaitForSingleObject(report.done, 10000), WAIT_OBJECT_0);
    ::WaitForSingleObject(thread, 5000);
    ::CloseHandle(thread);
    ::CloseHandle(report.done);
    EXPECT_EQ(report.answered, 20);
    for (int i = 0; i < report.answered; ++i)
        EXPECT_EQ(report.answers[i], 1u) << i;
    Pump();
}

TEST_F(ProgramTest, TheEnableHotkeyIsHeldAndSwitchesTheProgram)
{
    HWND other = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    // Ctrl+F5 (the default) belongs to the controller.
    EXPECT_FALSE(::RegisterHotKey(other, 7, MOD_CONTROL, VK_F5));
    HWND w = controller.Handle();
    ASSERT_TRUE(controller.IsEnabled());
    ::SendMessageA(w, WM_HOTKEY, CController::HOTKEY_ENABLE, 0);
    EXPECT_FALSE(controller.IsEnabled());
    ::SendMessageA(w, WM_HOTKEY, 55, 0);  // another id: ignored
    EXPECT_FALSE(controller.IsEnabled());
    // The tray command, sent to the prompt as tools do, switches it back.
    ::SendMessageA(prompt, WM_COMMAND, ID_TRAY_ENABLE, 0);
    EXPECT_TRUE(controller.IsEnabled());
    // Applying the settings again keeps exactly one registration.
    controller.ApplySettings();
    EXPECT_FALSE(::RegisterHotKey(other, 7, MOD_CONTROL, VK_F5));
    controller.Shutdown();
    EXPECT_TRUE(::RegisterHotKey(other, 7, MOD_CONTROL, VK_F5));
    ::UnregisterHotKey(other, 7);
    ::DestroyWindow(other);
}

}  // namespace

namespace {

BOOL ScreenReaderOn()
{
    BOOL on = FALSE;
    ::SystemParametersInfoA(SPI_GETSCREENREADER, 0, &on, 0);
    return on;
}

std::string StoredScreenReaderValue()
{
    char value[32] = "";
    DWORD size = sizeof(value);
    if (::RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Accessibility\\Blind Access", "On", RRF_RT_REG_SZ, nullptr,
                       value, &size) != ERROR_SUCCESS)
        return "(none)";
    return value;
}

TEST(ScreenReaderFlagTest, OnWhileHeldAsItWasAfterwardsAndNeverWrittenToTheProfile)
{
    const BOOL before = ScreenReaderOn();
    const std::string stored = StoredScreenReaderValue();
    {
        CScreenReaderFlag flag;
        flag.TurnOn();
        EXPECT_TRUE(ScreenReaderOn());
        EXPECT_EQ(StoredScreenReaderValue(), stored);
    }
    EXPECT_EQ(ScreenReaderOn(), before);
    EXPECT_EQ(StoredScreenReaderValue(), stored);
}

// Folder listings come from a thread of their own and are served once they arrived.
TEST(BackgroundFileSystemTest, AFolderIsListedInTheBackgroundAndServedAfterwards)
{
    pvtest::TempFolder temp;
    const std::string folder = temp.Folder();
    ::CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    ::CloseHandle(::CreateFileA((folder + "\\a.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    CBackgroundFileSystem files;
    files.SetNotifyWindow(window);
    auto arrive = [&] {
        MSG msg;
        for (int i = 0; i < 500; ++i) {
            if (::PeekMessageA(&msg, window, WM_ENGINE_FOLDER_LISTED, WM_ENGINE_FOLDER_LISTED, PM_REMOVE)) {
                files.TakeListing(std::unique_ptr<FolderListing>(reinterpret_cast<FolderListing*>(msg.lParam)));
                return true;
            }
            ::Sleep(10);
        }
        return false;
    };
    std::vector<std::string> names;
    auto visit = [&](const DirectoryEntry& entry) {
        names.push_back(entry.name + ((entry.attributes & kFileAttributeDirectory) ? "\\" : ""));
        return true;
    };
    const std::string pattern = folder + "\\*.*";
    EXPECT_FALSE(files.ListDirectory(pattern, visit));  // not listed yet: nothing waits for the drive
    ASSERT_TRUE(arrive());
    EXPECT_TRUE(files.ListDirectory(pattern, visit));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"..\\", ".\\", "a.txt", "sub\\"}));

    // A folder that cannot be read offers nothing, also once its listing came.
    const std::string missing = folder + "\\missing\\*.*";
    EXPECT_FALSE(files.ListDirectory(missing, visit));
    ASSERT_TRUE(arrive());
    EXPECT_FALSE(files.ListDirectory(missing, visit));

    ::DestroyWindow(window);
}

}  // namespace
