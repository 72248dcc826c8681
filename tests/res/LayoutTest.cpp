// The layout check itself: it finds texts too long for their controls, passes ones that fit, and
// every dialog of the program fits in every language at the test display's scale.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "tests/res/DialogLayout.h"
#include "tests/res/LayoutTestIds.h"
#include "wnd/Language.h"
#include "wnd/Window.h"

namespace {

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        wnd::SetResourceInstance(::GetModuleHandleW(nullptr));
    }
};

TEST_F(LayoutTest, FindsEveryKindOfTextThatDoesNotFitAndPassesOnesThatDo)
{
    const std::vector<std::string> cramped = layout_check::Problems(IDD_LAYOUT_CRAMPED, LANG_ENGLISH);
    ASSERT_EQ(cramped.size(), 4u);
    for (int id : {IDC_LAYOUT_BUTTON, IDC_LAYOUT_CHECK, IDC_LAYOUT_LABEL, IDC_LAYOUT_GROUP}) {
        const std::string control = " control " + std::to_string(id) + " ";
        EXPECT_EQ(std::count_if(cramped.begin(), cramped.end(),
                                [&](const std::string& p) { return p.find(control) != std::string::npos; }),
                  1)
            << id;
    }
    EXPECT_EQ(layout_check::Problems(IDD_LAYOUT_ROOMY, LANG_ENGLISH), std::vector<std::string>{});
}

TEST_F(LayoutTest, ARuntimeTextIsMeasuredInItsControl)
{
    // The roomy button given a long string resource of its own.
    const std::vector<std::string> problems =
        layout_check::Problems(IDD_LAYOUT_ROOMY, LANG_ENGLISH, {{IDD_LAYOUT_ROOMY, IDC_LAYOUT_BUTTON, 1}});
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("Far too long for a small button"), std::string::npos) << problems[0];
}

TEST_F(LayoutTest, EveryProgramDialogFitsInEveryLanguage)
{
    for (const wnd::UiLanguageInfo& language : wnd::UiLanguages())
        EXPECT_EQ(layout_check::ProgramProblems(language.primary), std::vector<std::string>{}) << language.code;
}

}  // namespace
