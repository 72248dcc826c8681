#include <gtest/gtest.h>

#include "app/win/PreviewWindow.h"
#include "wnd/Handles.h"

namespace {

SIZE TextExtent(const std::string& text)
{
    wnd::FontHandle font(::CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial"));
    wnd::ClientDC dc(nullptr);
    wnd::SelectObjectScope select(dc.Get(), font.Get());
    RECT r{0, 0, 0, 0};
    ::DrawTextA(dc.Get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE WindowSize(HWND w)
{
    RECT r;
    ::GetWindowRect(w, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

POINT WindowPos(HWND w)
{
    RECT r;
    ::GetWindowRect(w, &r);
    return POINT{r.left, r.top};
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(preview.Create(nullptr)); }
    CPreviewWindow preview;
};

TEST_F(PreviewTest, WithoutTextItNeverShows)
{
    EXPECT_FALSE(preview.IsVisible());
    preview.Show(true, 40, 40);
    EXPECT_FALSE(preview.IsVisible());
    preview.SetText("data", CPreviewWindow::kStyleNormal);
    preview.Show(true, 40, 40);
    EXPECT_TRUE(preview.IsVisible());
    preview.SetText("", CPreviewWindow::kStyleNormal);
    EXPECT_FALSE(preview.IsVisible());
}

TEST_F(PreviewTest, TheWindowIsTheTextPlusItsMargins)
{
    const std::string text = "Dear Sir or Madam,\r\n\tWith kind regards";
    preview.SetText(text, CPreviewWindow::kStyleShorthand);
    SIZE extent = TextExtent(text);
    SIZE size = WindowSize(preview.Handle());
    EXPECT_EQ(size.cx, extent.cx + 20);
    EXPECT_EQ(size.cy, extent.cy + 20);
    SIZE one = TextExtent("Dear Sir or Madam,");
    EXPECT_GT(size.cy, one.cy + 20);  // two lines are taller than one

    preview.SetText("x", CPreviewWindow::kStyleNormal);
    SIZE small = WindowSize(preview.Handle());
    EXPECT_LT(small.cx, size.cx);
    EXPECT_EQ(preview.PreviewStyle(), CPreviewWindow::kStyleNormal);
}

TEST_F(PreviewTest, ShowPlacesItOnceAndLeavesAVisibleWindowWhereItIs)
{
    preview.SetText("good morning", CPreviewWindow::kStyleNormal);
    preview.Show(true, 120, 80);
    POINT at = WindowPos(preview.Handle());
    EXPECT_EQ(at.x, 120);
    EXPECT_EQ(at.y, 80);
    preview.Show(true, 300, 300);
    at = WindowPos(preview.Handle());
    EXPECT_EQ(at.x, 120);
    preview.Show(false, 0, 0);
    EXPECT_FALSE(preview.IsVisible());
    preview.Show(true, 300, 310);
    at = WindowPos(preview.Handle());
    EXPECT_EQ(at.x, 300);
    EXPECT_EQ(at.y, 310);
    EXPECT_NE(::GetForegroundWindow(), preview.Handle());
}

TEST_F(PreviewTest, AClickHidesAndADragMoves)
{
    preview.SetText("shorthand text", CPreviewWindow::kStyleShorthand);
    preview.Show(true, 200, 200);
    HWND w = preview.Handle();
    ::SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(45, 25));
    POINT moved = WindowPos(w);
    EXPECT_EQ(moved.x, 240);
    EXPECT_EQ(moved.y, 220);
    // The pointer is over the grabbed point again, in the moved window's coordinates.
    ::SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(preview.IsVisible());
    EXPECT_EQ(WindowPos(w).x, 240);

    ::SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    ::SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    EXPECT_FALSE(preview.IsVisible());

    preview.Show(true, 10, 10);
    ::SendMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(preview.IsVisible());
}

TEST_F(PreviewTest, PaintsTheStyleColours)
{
    preview.SetText("colour", CPreviewWindow::kStyleShorthand);
    preview.Show(true, 50, 50);
    ::UpdateWindow(preview.Handle());
    wnd::ClientDC dc(preview.Handle());
    // Inside the margin, away from the edges and the text.
    EXPECT_EQ(::GetPixel(dc.Get(), 5, 12), RGB(100, 100, 228));
    EXPECT_EQ(::GetPixel(dc.Get(), 0, 12), RGB(200, 200, 200));  // the border
    preview.SetText("colour", CPreviewWindow::kStyleNormal);
    ::UpdateWindow(preview.Handle());
    EXPECT_EQ(::GetPixel(dc.Get(), 5, 12), RGB(255, 255, 191));
}

}  // namespace
