#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win/PromptList.h"
#include "tests/support/MessagePump.h"
#include "wnd/Handles.h"

namespace {

using pvtest::Pump;

std::vector<CPromptList::Row> Rows(int count, const std::string& stem = "row ")
{
    std::vector<CPromptList::Row> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(CPromptList::Row{stem + std::to_string(i), i % 5});
    return rows;
}

struct Recorder : CPromptList::IListener {
    void OnRowClicked(int row) override { clicks.push_back(row); }
    void OnRowDoubleClicked(int row) override { doubleClicks.push_back(row); }
    std::vector<int> clicks, doubleClicks;
};

class PromptListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        font.Reset(::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma"));
        parent = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100,
                                   400, 400, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(parent);
        ASSERT_TRUE(list.Create(parent, 1001, RECT{0, 0, 100, 100}));
        list.SetFont(static_cast<HFONT>(font.Get()));
        list.SetListener(&recorder);
    }
    void TearDown() override
    {
        list.Destroy();
        ::DestroyWindow(parent);
        Pump();
    }
    void SizeFor(int visibleRows)
    {
        SIZE size = list.PreferredWindowSize(visibleRows);
        ::SetWindowPos(list.Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Middle of a row in the list's client coordinates.
    LPARAM RowPoint(int row)
    {
        RECT r = list.RowScreenRect(row);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::ScreenToClient(list.Handle(), &p);
        return MAKELPARAM(p.x, p.y);
    }
    bool RowWhollyShown(int row)
    {
        RECT r = list.RowScreenRect(row), client = list.ClientRect();
        ::MapWindowPoints(list.Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        return r.top >= client.top && r.bottom <= client.bottom && r.bottom > r.top;
    }
    COLORREF Pixel(int x, int y)
    {
        ::UpdateWindow(list.Handle());
        wnd::ClientDC dc(list.Handle());
        return ::GetPixel(dc.Get(), x, y);
    }

    wnd::GdiObject font;
    HWND parent = nullptr;
    CPromptList list;
    Recorder recorder;
};

TEST_F(PromptListTest, SelectionMovesAndScrollsIntoView)
{
    list.SetRows(Rows(10), false, 0);
    SizeFor(4);
    EXPECT_EQ(list.RowCount(), 10);
    EXPECT_EQ(list.Selected(), 0);
    list.Select(6);
    EXPECT_EQ(list.Selected(), 6);
    EXPECT_EQ(list.TopRow(), 3);
    EXPECT_TRUE(RowWhollyShown(6));
    list.Select(1);
    EXPECT_EQ(list.TopRow(), 1);
    EXPECT_TRUE(RowWhollyShown(1));

    list.SetRows(Rows(9, "other "), false, 8);  // new rows start at the top, then show the selection
    EXPECT_EQ(list.TopRow(), 5);
    EXPECT_TRUE(RowWhollyShown(8));

    // Rows that do not exist clear the selection.
    list.Select(9);
    EXPECT_EQ(list.Selected(), -1);
    list.SetRows(Rows(3), false, -2);
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(list.RowScreenRect(3).bottom, 0);
}

TEST_F(PromptListTest, ClicksReachTheListenerWithTheRowUnderThem)
{
    list.SetRows(Rows(8), false, 0);
    SizeFor(5);
    list.Select(7);  // scrolled: rows 3..7 shown
    ::PostMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(4));
    ::PostMessageA(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(3));
    Pump();
    EXPECT_EQ(recorder.clicks, std::vector<int>{4});
    EXPECT_EQ(recorder.doubleClicks, std::vector<int>{3});
    EXPECT_EQ(list.Selected(), 3);

    list.SetRows(Rows(2), false, 0);  // below the last row there is nothing to click
    ::PostMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, list.RowHeight() * 4));
    Pump();
    EXPECT_EQ(recorder.clicks.size(), 1u);
    EXPECT_EQ(::SendMessageA(list.Handle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(parent), 0), MA_NOACTIVATE);
}

TEST_F(PromptListTest, PathPagesScrollAndShowNoNumbers)
{
    list.SetRows(Rows(5), false, 1);
    SizeFor(5);
    const COLORREF buttonFace = ::GetSysColor(COLOR_BTNFACE), white = RGB(255, 255, 255);
    const int middle = list.RowHeight() / 2;
    EXPECT_EQ(Pixel(1, middle), buttonFace);  // the numbers column
    EXPECT_EQ(Pixel(list.ClientRect().right - 2, list.RowHeight() + middle), CPromptList::kSelectedBackground);
    EXPECT_FALSE(::GetWindowLongPtrA(list.Handle(), GWL_STYLE) & WS_VSCROLL);

    list.SetRows(Rows(30, "C:\\folder\\"), true, 0);
    SizeFor(10);
    EXPECT_TRUE(::GetWindowLongPtrA(list.Handle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(Pixel(1, list.RowHeight() + middle), white);  // no numbers column
    list.Select(25);
    EXPECT_EQ(list.TopRow(), 16);
    EXPECT_EQ(::GetScrollPos(list.Handle(), SB_VERT), 16);

    ::SendMessageA(list.Handle(), WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(list.TopRow(), 0);
    ::SendMessageA(list.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_GT(list.TopRow(), 0);
    ::SendMessageA(list.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(list.TopRow(), 20);
    ::PostMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(29));
    Pump();
    EXPECT_EQ(recorder.clicks, std::vector<int>{29});

    list.SetRows(Rows(3), false, 0);
    EXPECT_FALSE(::GetWindowLongPtrA(list.Handle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(PromptListTest, PreferredSizeFitsTheRowsAndTheWidestText)
{
    EXPECT_GE(list.RowHeight(), 18);
    list.SetRows({{"ab", 0}, {"abc", 1}}, false, 0);
    SIZE small = list.PreferredClientSize(5);
    EXPECT_EQ(small.cy, 2 * list.RowHeight());

    const std::string longText = "a considerably longer candidate";
    list.SetRows({{"ab", 0}, {longText, 1}, {"abc", 2}, {"x", 3}}, false, 0);
    SIZE large = list.PreferredClientSize(3);
    wnd::ClientDC dc(list.Handle());
    wnd::SelectObjectScope select(dc.Get(), font.Get());
    SIZE shortExtent{}, longExtent{};
    ::GetTextExtentPoint32A(dc.Get(), "abc", 3, &shortExtent);
    ::GetTextExtentPoint32A(dc.Get(), longText.c_str(), static_cast<int>(longText.size()), &longExtent);
    EXPECT_EQ(large.cx - small.cx, longExtent.cx - shortExtent.cx);
    EXPECT_EQ(large.cy, 3 * list.RowHeight());

    SizeFor(3);
    RECT client = list.ClientRect();
    EXPECT_EQ(client.right, large.cx);
    EXPECT_EQ(client.bottom, large.cy);

    list.SetRows(Rows(12), true, 0);  // the scroll bar is part of the preferred size
    SizeFor(10);
    client = list.ClientRect();
    EXPECT_EQ(client.right + ::GetSystemMetrics(SM_CXVSCROLL), list.PreferredClientSize(10).cx);
    EXPECT_TRUE(RowWhollyShown(9));
    EXPECT_FALSE(RowWhollyShown(10));
}

TEST_F(PromptListTest, TheSameRowsAgainRepaintOnlyTheSelection)
{
    const auto rows = Rows(5);
    list.SetRows(rows, false, 0);
    SizeFor(5);
    ::UpdateWindow(list.Handle());
    list.SetRows(rows, false, 0);
    EXPECT_FALSE(::GetUpdateRect(list.Handle(), nullptr, FALSE));

    list.SetRows(rows, false, 2);
    RECT dirty{};
    ASSERT_TRUE(::GetUpdateRect(list.Handle(), &dirty, FALSE));
    EXPECT_EQ(dirty.top, 0);  // rows 0 and 2, nothing below
    EXPECT_EQ(dirty.bottom, 3 * list.RowHeight());
    ::UpdateWindow(list.Handle());

    auto changed = rows;
    changed[4].image = 0;
    list.SetRows(changed, false, 2);
    ASSERT_TRUE(::GetUpdateRect(list.Handle(), &dirty, FALSE));
    EXPECT_EQ(dirty.bottom, list.ClientRect().bottom);
}

}  // namespace
