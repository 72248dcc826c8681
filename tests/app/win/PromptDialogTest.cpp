#include <gtest/gtest.h>

#include <oleacc.h>

#include <string>
#include <vector>

#include "app/PromptDialog.h"
#include "hook/HookMessages.h"
#include "app/win/PromptPlacement.h"
#include "tests/app/win/AccessibleAnswers.h"
#include "wnd/Controls.h"

namespace {

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

RECT ScreenRect(HWND w)
{
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

CCaretTracker::AccessibleAnswers Focus()
{
    return apptest::Role(ROLE_SYSTEM_TEXT);
}

std::vector<PromptRow> Rows(std::initializer_list<const char*> texts, int image = 0)
{
    std::vector<PromptRow> rows;
    for (const char* t : texts)
        rows.push_back(PromptRow{t, image});
    return rows;
}

class PromptDialogTest : public ::testing::Test {
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
        prompt.SetStartupLoading(false);
        ASSERT_TRUE(prompt.CreateModeless(nullptr));
        Pump();
        prompt.Tracker().Start(&prompt);
        prompt.Tracker().OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF, Focus());
    }
    void TearDown() override
    {
        prompt.Destroy();
        ::DestroyWindow(target);
        Pump();
    }
    void CaretAt(long l, long t, long w, long h)
    {
        prompt.Tracker().OnAccessibleEvent(EVENT_OBJECT_LOCATIONCHANGE, edit, OBJID_CARET, CHILDID_SELF,
                                           apptest::CaretAt(l, t, w, h));
    }

    HWND target = nullptr, edit = nullptr;
    CPromptDialog prompt;
};

TEST_F(PromptDialogTest, StartsHiddenWithRowLabelsOneToZero)
{
    HWND w = reinterpret_cast<HWND>(prompt.Handle());
    EXPECT_FALSE(::IsWindowVisible(w));
    EXPECT_EQ(::GetForegroundWindow(), target);
    const char* expected[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
    for (int i = 0; i < CPromptDialog::kLabelCount; ++i) {
        ASSERT_NE(prompt.Label(i), nullptr);
        EXPECT_EQ(wnd::WindowText(prompt.Label(i)), expected[i]);
        if (i > 0) {
            EXPECT_GT(ScreenRect(prompt.Label(i)).top, ScreenRect(prompt.Label(i - 1)).top);
        }
    }
}

TEST_F(PromptDialogTest, APageOfThreeRowsShowsThreeLabelsAndSizesTheWindowToTheList)
{
    ASSERT_EQ(prompt.ShowRows(Rows({"good", "goods", "goodness"}), false), 3);
    for (int i = 0; i < CPromptDialog::kLabelCount; ++i)
        EXPECT_EQ((::GetWindowLongA(prompt.Label(i), GWL_STYLE) & WS_VISIBLE) != 0, i < 3) << i;
    wnd::CListView list(prompt.List());
    EXPECT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(list.SelectedIndex(), 0);
    RECT row{};
    ASSERT_TRUE(list.ItemRect(0, row));
    RECT listRect = ScreenRect(prompt.List());
    EXPECT_EQ(listRect.bottom - listRect.top, (row.bottom - row.top) * 3 + 6);
    EXPECT_EQ(listRect.right - listRect.left, list.ColumnWidth(0) + 5);
    // The list starts where the labels end.
    EXPECT_EQ(listRect.left, ScreenRect(prompt.Label(0)).right);
    RECT window = ScreenRect(reinterpret_cast<HWND>(prompt.Handle()));
    RECT label = ScreenRect(prompt.Label(0));
    EXPECT_EQ(window.right - window.left, (listRect.right - listRect.left) + (label.right - label.left) + 6);
}

// While shown, a new page's size is given to the window together with its next placing, or at
// the end of the message that turned the page: either way the window ends with the page's size.
TEST_F(PromptDialogTest, AShownPromptTakesTheSizeOfEachNewPage)
{
    HWND w = reinterpret_cast<HWND>(prompt.Handle());
    const auto shortRows = Rows({"ox", "oxen"});
    const auto longRows = Rows({"oxyacetylene welding torches", "oxygen", "oxymoron"});
    auto sizeOf = [](const RECT& r) {
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    prompt.ShowRows(longRows, false);
    const SIZE longSize = sizeOf(ScreenRect(w));
    prompt.ShowRows(shortRows, false);
    const SIZE shortSize = sizeOf(ScreenRect(w));
    ASSERT_GT(longSize.cx, shortSize.cx);
    ASSERT_GT(longSize.cy, shortSize.cy);

    CaretAt(200, 150, 2, 16);
    prompt.ShowPrompt(true);
    ASSERT_TRUE(::IsWindowVisible(w));
    prompt.ShowRows(longRows, false);
    CaretAt(230, 150, 2, 16);  // the next letter moved the caret
    RECT r = ScreenRect(w);
    EXPECT_EQ(r.left, 232);
    EXPECT_EQ(r.top, 171);
    EXPECT_EQ(r.right - r.left, longSize.cx);
    EXPECT_EQ(r.bottom - r.top, longSize.cy);
    EXPECT_EQ(ScreenRect(prompt.List()).right, r.right - 3);

    // No placing follows (a page turned by a key): the message that turned it sizes the window.
    prompt.ShowRows(shortRows, false);
    ::SendMessageA(w, WM_PROMPT_SELECT, static_cast<WPARAM>(-6), 0);
    r = ScreenRect(w);
    EXPECT_EQ(r.left, 232);
    EXPECT_EQ(r.right - r.left, shortSize.cx);
    EXPECT_EQ(r.bottom - r.top, shortSize.cy);

    // Hidden at once after a new page: the hidden window has the page's size.
    prompt.ShowRows(longRows, false);
    prompt.ShowPrompt(false);
    EXPECT_FALSE(::IsWindowVisible(w));
    EXPECT_EQ(sizeOf(ScreenRect(w)).cx, longSize.cx);
}

TEST_F(PromptDialogTest, PathPagesHideTheLabelsAndStartTheListAtTheLeft)
{
    std::vector<PromptRow> rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back(PromptRow{"folder" + std::to_string(i), 3});
    ASSERT_EQ(prompt.ShowRows(rows, true), 12);
    for (int i = 0; i < CPromptDialog::kLabelCount; ++i)
        EXPECT_FALSE(::GetWindowLongA(prompt.Label(i), GWL_STYLE) & WS_VISIBLE);
    RECT listRect = prompt.ChildRect(prompt.List());
    EXPECT_EQ(listRect.left, 0);
    RECT row{};
    wnd::CListView(prompt.List()).ItemRect(0, row);
    EXPECT_EQ(listRect.bottom - listRect.top, (row.bottom - row.top) * 5 + 6);  // one page of rows
    LONG style = ::GetWindowLongA(prompt.List(), GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & WS_HSCROLL);
}

TEST_F(PromptDialogTest, ThePromptAppearsFivePixelsUnderTheCaretWithoutTakingTheFocus)
{
    prompt.ShowRows(Rows({"morning", "mornings"}), false);
    CaretAt(200, 150, 2, 16);
    HWND w = reinterpret_cast<HWND>(prompt.Handle());
    prompt.ShowPrompt(true);
    EXPECT_TRUE(::IsWindowVisible(w));
    RECT r = ScreenRect(w);
    EXPECT_EQ(r.left, 202);
    EXPECT_EQ(r.top, 150 + 16 + 5);
    EXPECT_TRUE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetForegroundWindow(), target);
    EXPECT_EQ(::GetFocus(), edit);

    // A caret move while shown moves the prompt along.
    CaretAt(260, 180, 2, 16);
    r = ScreenRect(w);
    EXPECT_EQ(r.left, 262);
    EXPECT_EQ(r.top, 201);

    prompt.ShowPrompt(false);
    EXPECT_FALSE(::IsWindowVisible(w));
    EXPECT_FALSE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Hidden, a caret move does not show it.
    CaretAt(100, 100, 2, 16);
    EXPECT_FALSE(::IsWindowVisible(w));
}

TEST_F(PromptDialogTest, APromptThatWouldLeaveTheScreenIsMovedToFit)
{
    prompt.ShowRows(Rows({"alpha", "alphabet", "alphabetical"}), false);
    HWND w = reinterpret_cast<HWND>(prompt.Handle());
    RECT work = WorkAreaAt(POINT{10, 10});
    RECT before = ScreenRect(w);
    int width = before.right - before.left, height = before.bottom - before.top;
    CaretAt(work.right - 10, work.bottom - 30, 2, 16);
    prompt.ShowPrompt(true);
    RECT r = ScreenRect(w);
    EXPECT_EQ(r.top, work.bottom - 30 - height);  // above the caret
    EXPECT_EQ(r.left, work.right - width);        // shifted left to the edge
    EXPECT_LE(r.bottom, work.bottom);
}

TEST_F(PromptDialogTest, NoCaretPointLeavesTheWindowAsItWas)
{
    prompt.ShowRows(Rows({"x1", "x2"}), false);
    // The focus goes to a control without a caret of its own and no window is in the foreground
    // position we know: the prompt shows at the foreground window's centre.
    HWND button =
        ::CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 10, 60, 50, 20, target, nullptr, nullptr, nullptr);
    ::SetFocus(button);
    prompt.Tracker().OnAccessibleEvent(EVENT_OBJECT_FOCUS, button, OBJID_CLIENT, CHILDID_SELF, Focus());
    prompt.ShowPrompt(true);
    RECT t = ScreenRect(target);
    RECT r = ScreenRect(reinterpret_cast<HWND>(prompt.Handle()));
    EXPECT_EQ(r.left, t.left + (t.right - t.left) / 2);
    EXPECT_EQ(r.top, t.top + (t.bottom - t.top) / 2 + 5);
}

TEST_F(PromptDialogTest, ResizingByTheBorderResizesTheListButLayingOutAPageDoesNot)
{
    prompt.ShowRows(Rows({"one", "two"}), false);
    RECT listBefore = prompt.ChildRect(prompt.List());
    HWND w = reinterpret_cast<HWND>(prompt.Handle());
    ::SetWindowPos(w, nullptr, 0, 0, 300, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(w, &client);
    RECT list = prompt.ChildRect(prompt.List());
    EXPECT_EQ(list.left, listBefore.left);
    EXPECT_EQ(list.right, client.right);
    EXPECT_EQ(list.bottom, client.bottom);
    // A new page lays the list out to its rows again.
    prompt.ShowRows(Rows({"three"}), false);
    RECT row{};
    wnd::CListView(prompt.List()).ItemRect(0, row);
    list = prompt.ChildRect(prompt.List());
    EXPECT_EQ(list.bottom - list.top, row.bottom - row.top + 6);
}

TEST_F(PromptDialogTest, ThePreviewSitsBesideTheSelectedRow)
{
    prompt.ShowRows(Rows({"sig", "sigh"}), false);
    CaretAt(150, 120, 2, 16);
    prompt.ShowPrompt(true);
    prompt.ShowPreview("Best regards,\r\nA. Writer", CPreviewWindow::kStyleShorthand);
    ASSERT_TRUE(prompt.Preview().IsVisible());
    RECT list = ScreenRect(prompt.List());
    RECT row{};
    wnd::CListView(prompt.List()).ItemRect(0, row);
    POINT rowTop{row.left, row.top};
    ::ClientToScreen(prompt.List(), &rowTop);
    RECT preview = ScreenRect(prompt.Preview().Handle());
    EXPECT_EQ(preview.left, list.right + 3);
    EXPECT_EQ(preview.top, rowTop.y);
    // Selecting the second row moves it there.
    prompt.SelectRow(1);
    wnd::CListView(prompt.List()).ItemRect(1, row);
    rowTop = POINT{row.left, row.top};
    ::ClientToScreen(prompt.List(), &rowTop);
    EXPECT_EQ(ScreenRect(prompt.Preview().Handle()).top, rowTop.y);
    // An empty preview and a hidden prompt hide it.
    prompt.ShowPreview("", CPreviewWindow::kStyleNormal);
    EXPECT_FALSE(prompt.Preview().IsVisible());
    prompt.ShowPreview("again", CPreviewWindow::kStyleNormal);
    EXPECT_TRUE(prompt.Preview().IsVisible());
    prompt.ShowPrompt(false);
    EXPECT_FALSE(prompt.Preview().IsVisible());
}

}  // namespace

namespace {

TEST_F(PromptDialogTest, HookReportsGetTheEnginesAnswerThroughTheDialog)
{
    HWND w = reinterpret_cast<HWND>(prompt.Handle());
    auto report = [&](unsigned ch, unsigned vk, bool release) {
        return ::SendMessageA(w, WM_HOOK_KEY, ch, (vk << 8) | (release ? 1 : 0));
    };
    // A letter in an edit passes on.
    EXPECT_EQ(report('x', 'X', false), 1);
    EXPECT_EQ(report('x', 'X', true), 1);
    Pump();  // its search (nothing found)
    // With the prompt shown, a selection key is swallowed, pressed and released.
    prompt.ShowRows(Rows({"xylophone", "xylophones"}), false);
    CaretAt(200, 150, 2, 16);
    prompt.ShowPrompt(true);
    ASSERT_TRUE(::IsWindowVisible(w));
    EXPECT_EQ(report(0, VK_DOWN, false), 0);
    EXPECT_EQ(report(0, VK_DOWN, true), 0);
    // Escape closes it and is swallowed too; afterwards the same key passes.
    EXPECT_EQ(report(27, VK_ESCAPE, false), 0);
    EXPECT_FALSE(::IsWindowVisible(w));
    EXPECT_EQ(report(0, VK_DOWN, false), 1);
}

TEST_F(PromptDialogTest, AWindowPutOverTheShownPromptIsCoveredAgainOnTheNextPlacing)
{
    prompt.ShowRows(Rows({"xylophone", "xylophones"}), false);
    CaretAt(200, 150, 2, 16);
    HWND w = reinterpret_cast<HWND>(prompt.Handle());
    prompt.ShowPrompt(true);
    ASSERT_TRUE(::IsWindowVisible(w));
    HWND cover = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE, "STATIC", "cover", WS_POPUP, 150, 140, 300, 200,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(cover);
    ::SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ASSERT_NE(::GetWindow(w, GW_HWNDPREV), nullptr);
    // Same caret, same place: the prompt still comes back on top.
    prompt.ShowPrompt(true);
    EXPECT_EQ(::GetWindow(w, GW_HWNDPREV), nullptr);
    EXPECT_EQ(ScreenRect(w).left, 202);
    EXPECT_EQ(::GetFocus(), edit);
    ::DestroyWindow(cover);
}

// The hook asks from the typing thread and waits for the answer; the dialog answers as soon as
// the key's fate is known and finishes its work after that.
TEST_F(PromptDialogTest, HookReportsFromAnotherThreadGetTheirAnswers)
{
    HWND w = reinterpret_cast<HWND>(prompt.Handle());
    struct Report {
        HWND window;
        unsigned ch, vk;
        bool release;
        DWORD_PTR answer;
        BOOL sent;
    };
    auto ask = [&](unsigned ch, unsigned vk, bool release) {
        Report report{w, ch, vk, release, 99, FALSE};
        HANDLE thread = ::CreateThread(
            nullptr, 0,
            [](LPVOID p) -> DWORD {
                Report& r = *static_cast<Report*>(p);
                r.sent = ::SendMessageTimeoutA(r.window, WM_HOOK_KEY, r.ch, (r.vk << 8) | (r.release ? 1 : 0),
                                               SMTO_NORMAL, 5000, &r.answer);
                return 0;
            },
            &report, 0, nullptr);
        EXPECT_TRUE(thread);
        // Our thread must run its messages for the report to be handled.
        while (::MsgWaitForMultipleObjects(1, &thread, FALSE, 5000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
            Pump();
        ::CloseHandle(thread);
        Pump();
        EXPECT_TRUE(report.sent);
        return static_cast<int>(report.answer);
    };
    EXPECT_EQ(ask('x', 'X', false), 1);
    EXPECT_EQ(ask('x', 'X', true), 1);
    prompt.ShowRows(Rows({"xylophone", "xylophones"}), false);
    CaretAt(200, 150, 2, 16);
    prompt.ShowPrompt(true);
    ASSERT_TRUE(::IsWindowVisible(w));
    EXPECT_EQ(ask(0, VK_DOWN, false), 0);
    EXPECT_EQ(ask(0, VK_DOWN, true), 0);
    EXPECT_EQ(ask(27, VK_ESCAPE, false), 0);
    EXPECT_FALSE(::IsWindowVisible(w));
    EXPECT_EQ(ask(0, VK_DOWN, false), 1);
    EXPECT_EQ(ask('y', 'Y', false), 1);
    EXPECT_EQ(prompt.Engine().TypedText(), "y");  // Escape forgot the x
}

TEST_F(PromptDialogTest, TheEnableHotkeyIsHeldAndSwitchesTheProgram)
{
    HWND other = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    // Ctrl+F5 (the default) belongs to the prompt window.
    EXPECT_FALSE(::RegisterHotKey(other, 7, MOD_CONTROL, VK_F5));
    HWND w = reinterpret_cast<HWND>(prompt.Handle());
    ASSERT_TRUE(prompt.IsEnabled());
    ::SendMessageA(w, WM_HOTKEY, CPromptDialog::HOTKEY_ENABLE, 0);
    EXPECT_FALSE(prompt.IsEnabled());
    ::SendMessageA(w, WM_HOTKEY, 55, 0);  // another id: ignored
    EXPECT_FALSE(prompt.IsEnabled());
    ::SendMessageA(w, WM_HOTKEY, CPromptDialog::HOTKEY_ENABLE, 0);
    EXPECT_TRUE(prompt.IsEnabled());
    // Applying the settings again keeps exactly one registration.
    prompt.ApplySettings();
    EXPECT_FALSE(::RegisterHotKey(other, 7, MOD_CONTROL, VK_F5));
    prompt.Destroy();
    EXPECT_TRUE(::RegisterHotKey(other, 7, MOD_CONTROL, VK_F5));
    ::UnregisterHotKey(other, 7);
    ::DestroyWindow(other);
}

}  // namespace
