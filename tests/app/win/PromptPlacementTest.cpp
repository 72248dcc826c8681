#include <gtest/gtest.h>

#include "app/win/InputMethod.h"
#include "app/win/PromptPlacement.h"

namespace {

const RECT kWork{0, 0, 1024, 740};

TEST(PromptPlacementTest, APromptThatFitsStaysExactlyWhereItWasAsked)
{
    RECT caret{100, 200, 102, 216};
    POINT p = FitPromptToWorkArea(POINT{102, 221}, SIZE{150, 120}, caret, kWork);
    EXPECT_EQ(p.x, 102);
    EXPECT_EQ(p.y, 221);
    // Touching the edges exactly still fits.
    p = FitPromptToWorkArea(POINT{874, 620}, SIZE{150, 120}, RECT{870, 600, 872, 615}, kWork);
    EXPECT_EQ(p.x, 874);
    EXPECT_EQ(p.y, 620);
}

TEST(PromptPlacementTest, NoRoomBelowPutsThePromptAboveTheCaret)
{
    RECT caret{300, 700, 302, 716};
    POINT p = FitPromptToWorkArea(POINT{302, 721}, SIZE{150, 120}, caret, kWork);
    EXPECT_EQ(p.x, 302);
    EXPECT_EQ(p.y, 700 - 120);
}

TEST(PromptPlacementTest, NoRoomToTheRightShiftsThePromptLeft)
{
    RECT caret{1000, 100, 1002, 116};
    POINT p = FitPromptToWorkArea(POINT{1002, 121}, SIZE{150, 120}, caret, kWork);
    EXPECT_EQ(p.x, 1024 - 150);
    EXPECT_EQ(p.y, 121);
}

TEST(PromptPlacementTest, BottomRightCornerMendsBothWaysAndNeverLeavesTheWorkArea)
{
    RECT caret{1010, 730, 1012, 739};
    POINT p = FitPromptToWorkArea(POINT{1012, 744}, SIZE{150, 120}, caret, kWork);
    EXPECT_EQ(p.x, 874);
    EXPECT_EQ(p.y, 610);
    // A prompt taller than the room above the caret is held at the top of the work area.
    RECT offsetWork{0, 50, 1024, 300};
    p = FitPromptToWorkArea(POINT{10, 295}, SIZE{100, 200}, RECT{5, 80, 7, 290}, offsetWork);
    EXPECT_EQ(p.y, 50);
    // Without a caret rectangle the prompt is pulled up to the bottom edge.
    p = FitPromptToWorkArea(POINT{10, 735}, SIZE{100, 100}, RECT{}, kWork);
    EXPECT_EQ(p.y, 640);
}

TEST(PromptPlacementTest, WorkAreaOfTheScreenHoldsThePoint)
{
    RECT area = WorkAreaAt(POINT{10, 10});
    EXPECT_LE(area.left, 10);
    EXPECT_LE(area.top, 10);
    EXPECT_GT(area.right, 10);
    EXPECT_GT(area.bottom, 10);
}

TEST(PromptLayoutTest, WordPagesShowOneLabelPerRowAndNoScrollBar)
{
    PromptLayoutInput in;
    in.columnWidth = 60;
    in.rowHeight = 17;
    in.rowCount = 3;
    in.pageSize = 5;
    in.listTop = 0;
    in.labelRight = 19;
    in.scrollBarWidth = 16;
    PromptLayoutResult out = LayOutPromptPage(in);
    EXPECT_EQ(out.columnWidth, 66);
    EXPECT_EQ(out.listWidth, 71);
    EXPECT_EQ(out.listHeight, 3 * 17 + 6);
    EXPECT_EQ(out.listLeft, 19);
    EXPECT_EQ(out.visibleLabels, 3);
    EXPECT_EQ(out.windowWidth, 71 + 19 + 6);
    EXPECT_EQ(out.windowHeight, 57 + 6);
    // More candidates than the page shows: the height follows the page size.
    in.rowCount = 9;
    EXPECT_EQ(LayOutPromptPage(in).listHeight, 5 * 17 + 6);
}

TEST(PromptLayoutTest, PathPagesHaveAScrollBarAndNoLabels)
{
    PromptLayoutInput in;
    in.columnWidth = 100;
    in.rowHeight = 17;
    in.rowCount = 40;
    in.pageSize = 5;
    in.pathPage = true;
    in.labelRight = 19;
    in.scrollBarWidth = 16;
    PromptLayoutResult out = LayOutPromptPage(in);
    EXPECT_EQ(out.listLeft, 0);
    EXPECT_EQ(out.visibleLabels, 0);
    EXPECT_EQ(out.listWidth, 106 + 16 + 5);
    EXPECT_EQ(out.listHeight, 5 * 17 + 6);
    EXPECT_EQ(out.windowWidth, out.listWidth + 6);
}

TEST(InputMethodTest, WinePlaceholderIsNoInputMethodButRealDescriptionsAre)
{
    EXPECT_FALSE(DescriptionMeansInputMethod("", false));
    EXPECT_FALSE(DescriptionMeansInputMethod("", true));
    EXPECT_TRUE(DescriptionMeansInputMethod("Wine XIM", false));  // a real input method of that name
    EXPECT_FALSE(DescriptionMeansInputMethod("Wine XIM", true));
    EXPECT_TRUE(DescriptionMeansInputMethod("Microsoft Pinyin", true));
}

TEST(InputMethodTest, UnderWineThePlainLayoutHasNoInputMethod)
{
    if (!RunningUnderWine())
        GTEST_SKIP() << "only Wine reports its placeholder";
    HKL layout = ::GetKeyboardLayout(0);
    EXPECT_EQ(InputMethodDescription(layout), "Wine XIM");
    EXPECT_FALSE(ForegroundHasInputMethod());
}

}  // namespace
