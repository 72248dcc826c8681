// The highlight frame, the Applications Manager and the Edit Box List with their dialogs, as real
// windows over an AppConfig.ini of their own; the rule editors are stand-ins where a modal dialog
// would wait for a user.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "config/AppRules.h"
#include "config/ui/AppManagerDialog.h"
#include "config/ui/AppOptionDialog.h"
#include "config/ui/ConfigUiIds.h"
#include "config/ui/EditBoxFinderDialog.h"
#include "config/ui/EditBoxListDialog.h"
#include "config/ui/HighlightFrame.h"
#include "config/ui/RunningAppsDialog.h"
#include "tests/config/WinTestFiles.h"
#include "tests/support/BoxAnswer.h"
#include "tests/support/MessagePump.h"
#include "wnd/Controls.h"
#include "wnd/MessageBoxes.h"

namespace {

using namespace std::chrono_literals;
using configtest::ReadRaw;
using configtest::ScratchDir;
using configtest::WriteRaw;

std::vector<HWND> FrameEdges()
{
    std::vector<HWND> edges;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM found) {
            char name[64] = "";
            ::GetClassNameA(window, name, sizeof name);
            if (std::string(name) == kFrameEdgeClass)
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&edges));
    return edges;
}

std::vector<RECT> VisibleEdgeRects()
{
    std::vector<RECT> rects;
    for (HWND edge : FrameEdges()) {
        RECT rect;
        if (::IsWindowVisible(edge) && ::GetWindowRect(edge, &rect))
            rects.push_back(rect);
    }
    return rects;
}

bool HasRect(const std::vector<RECT>& rects, RECT wanted)
{
    for (const RECT& r : rects) {
        if (::EqualRect(&r, &wanted))
            return true;
    }
    return false;
}

using pvtest::Pump;

AppRule Rule(const char* section, const char* caption, const char* path, const char* editBoxId = "", int workOn = 0)
{
    AppRule rule;
    rule.section = section;
    rule.caption = caption;
    rule.path = path;
    rule.editBoxId = editBoxId;
    rule.workOn = workOn;
    return rule;
}

std::vector<std::string> Column(const wnd::CListView& list, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.ItemCount(); ++row)
        texts.push_back(list.ItemText(row, column));
    return texts;
}

void SelectRows(const wnd::CListView& list, std::initializer_list<int> rows)
{
    list.SetSelected(-1, false);
    for (int row : rows)
        list.SetSelected(row, true);
}

}  // namespace

TEST(HighlightFrameTest, EdgesSurroundTheRectangleOnlyWhileShownAndLetClicksThrough)
{
    HWND beneath = ::CreateWindowExA(WS_EX_TOPMOST, "Static", "", WS_POPUP | WS_VISIBLE | SS_NOTIFY, 60, 60, 200, 150,
                                     nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(beneath, nullptr);
    std::unique_ptr<IHighlightFrame> frame = CreateHighlightFrame(::GetModuleHandleA(nullptr));
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(FrameEdges().size(), 4u);
    const HWND active = ::GetActiveWindow();

    frame->SetRect({100, 100, 200, 150});
    EXPECT_TRUE(VisibleEdgeRects().empty());
    frame->Show(true);
    frame->Show(true);
    std::vector<RECT> shown = VisibleEdgeRects();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_TRUE(HasRect(shown, {94, 98, 98, 152}));  // left band x 94-98
    EXPECT_TRUE(HasRect(shown, {94, 94, 206, 98}));  // top band y 94-98, spanning the corners
    EXPECT_TRUE(HasRect(shown, {202, 98, 206, 152}));
    EXPECT_TRUE(HasRect(shown, {94, 152, 206, 156}));
    EXPECT_EQ(::GetActiveWindow(), active);

    // A click on a band reaches the window beneath.
    Pump();
    EXPECT_EQ(::SendMessageA(FrameEdges()[0], WM_NCHITTEST, 0, MAKELPARAM(96, 120)), HTTRANSPARENT);
    EXPECT_EQ(::WindowFromPoint({96, 120}), beneath);

    frame->Show(false);
    frame->Show(false);
    EXPECT_TRUE(VisibleEdgeRects().empty());
    frame->SetRect({300, 300, 310, 320});
    RECT leftNow;
    ::GetWindowRect(FrameEdges()[0], &leftNow);
    EXPECT_TRUE(leftNow.left < 300 - 10);  // hidden: nothing moved yet
    frame->SetGap(0);
    frame->SetThickness(4);
    frame->Show(true);
    shown = VisibleEdgeRects();
    EXPECT_TRUE(HasRect(shown, {294, 300, 300, 320}));
    EXPECT_TRUE(HasRect(shown, {294, 294, 316, 300}));

    frame.reset();
    EXPECT_TRUE(FrameEdges().empty());
    ::DestroyWindow(beneath);
}

class RuleDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(wnd::InitCommonControlsOnce()); }
    std::string AppIni() const { return dir.File("AppConfig.ini"); }
    void LoadRules(const std::vector<AppRule>& list, int otherApps = 1)
    {
        rules.Replace(list);
        rules.SetWorkOnOtherApps(otherApps);
        ASSERT_TRUE(rules.Save());
        ASSERT_TRUE(rules.Load());
    }
    static void Open(wnd::CDialog& dialog)
    {
        ASSERT_TRUE(dialog.CreateModeless(nullptr));
        ::ShowWindow(dialog.Handle(), SW_SHOW);
    }
    static void Press(wnd::CDialog& dialog, int id) { dialog.Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    ScratchDir dir;
    CAppRules rules{dir.Folder()};
};

TEST_F(RuleDialogTest, DeletingTwoSeparateRowsThenEditingAThirdEditsTheRuleThatRowShows)
{
    LoadRules({Rule("APP1", "Delta", "C:\\d.exe"), Rule("APP2", "Alpha", "C:\\a.exe"),
               Rule("APP3", "Charlie", "C:\\c.exe"), Rule("APP4", "Bravo", "C:\\b.exe"),
               Rule("APP5", "Box", "", "Edit#7")});
    std::string edited;
    CAppManagerDialog manager(rules, [&edited](HWND, AppRule& rule) {
        edited = rule.path;
        rule.caption = "Renamed";
        rule.workOn = 1;
        return true;
    });
    Open(manager);
    const wnd::CListView& list = manager.List();
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Alpha", "Bravo", "Charlie", "Delta"}));
    EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"Off", "Off", "Off", "Off"}));

    EXPECT_FALSE(::IsWindowEnabled(manager.Item(IDC_RULE_EDIT)));  // nothing to edit yet
    SelectRows(list, {0, 2});
    EXPECT_TRUE(::IsWindowEnabled(manager.Item(IDC_RULE_DELETE)));
    Press(manager, IDC_RULE_DELETE);
    EXPECT_FALSE(::IsWindowEnabled(manager.Item(IDC_RULE_DELETE)));
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Bravo", "Delta"}));
    SelectRows(list, {1});
    Press(manager, IDC_RULE_EDIT);
    EXPECT_EQ(edited, "C:\\d.exe");
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Bravo", "Renamed"}));
    EXPECT_EQ(Column(list, 2), (std::vector<std::string>{"C:\\b.exe", "C:\\d.exe"}));
    EXPECT_EQ(list.ItemText(1, 1), "On");

    Press(manager, IDOK);
    EXPECT_EQ(manager.Handle(), nullptr);
    CAppRules saved(dir.Folder());
    saved.Load();
    ASSERT_EQ(saved.Rules().size(), 3u);  // Bravo, the edit box rule and Renamed (APP1)
    EXPECT_EQ(saved.Rules()[0].section, "APP1");
    EXPECT_EQ(saved.Rules()[0].caption, "Renamed");
}

TEST_F(RuleDialogTest, CancelAfterAddAndDeleteLeavesTheFileAsItWas)
{
    LoadRules({Rule("APP1", "Alpha", "C:\\a.exe"), Rule("APP2", "Bravo", "C:\\b.exe")}, 0);
    const std::string before = ReadRaw(AppIni());
    int newRuleWorkOn = -1;
    CAppManagerDialog manager(rules, [&newRuleWorkOn](HWND, AppRule& rule) {
        newRuleWorkOn = rule.workOn;
        rule.path = "C:\\new.exe";
        rule.caption = "New";
        return true;
    });
    Open(manager);
    EXPECT_TRUE(manager.IsChecked(IDC_APPS_DISABLE_OTHERS));
    Press(manager, IDC_RULE_ADD);
    EXPECT_EQ(newRuleWorkOn, 0);  // a new rule starts with Disable
    SelectRows(manager.List(), {0});
    Press(manager, IDC_RULE_DELETE);
    EXPECT_EQ(Column(manager.List(), 0), (std::vector<std::string>{"Bravo", "New"}));
    Press(manager, IDCANCEL);
    EXPECT_EQ(ReadRaw(AppIni()), before);
    ASSERT_EQ(rules.Rules().size(), 2u);
    EXPECT_EQ(rules.Rules()[0].caption, "Alpha");
    EXPECT_EQ(rules.Rules()[0].deleted, 0);

    // OK without changes keeps Disable for the other applications.
    CAppManagerDialog again(rules);
    Open(again);
    Press(again, IDOK);
    CAppRules saved(dir.Folder());
    saved.SetWorkOnOtherApps(1);
    saved.Load();
    EXPECT_EQ(saved.WorkOnOtherApps(), 0);
}

TEST_F(RuleDialogTest, AFailedSaveIsReportedAndKeepsTheManagerOpen)
{
    LoadRules({Rule("APP1", "Alpha", "C:\\a.exe")});
    const std::string before = ReadRaw(AppIni());
    ASSERT_TRUE(::SetFileAttributesA(AppIni().c_str(), FILE_ATTRIBUTE_READONLY));
    CAppManagerDialog manager(rules);
    Open(manager);
    Press(manager, IDC_APPS_DISABLE_OTHERS);
    {
        pvtest::BoxAnswer box(wnd::kErrorCaption);
        Press(manager, IDOK);
        EXPECT_NE(box.Text().find("could not be saved"), std::string::npos);
    }
    ASSERT_NE(manager.Handle(), nullptr);
    EXPECT_EQ(ReadRaw(AppIni()), before);
    EXPECT_EQ(rules.WorkOnOtherApps(), 1);

    ::SetFileAttributesA(AppIni().c_str(), FILE_ATTRIBUTE_NORMAL);
    Press(manager, IDOK);
    EXPECT_EQ(manager.Handle(), nullptr);
    EXPECT_EQ(rules.WorkOnOtherApps(), 0);
    EXPECT_NE(ReadRaw(AppIni()).find("WORK_ON_PV=0"), std::string::npos);
}

TEST_F(RuleDialogTest, AnUntouchedCaptionFollowsTheChosenFileATypedOneStays)
{
    CAppOptionDialog option(AppRule{});
    Open(option);
    EXPECT_TRUE(option.IsChecked(IDC_RULE_ENABLE));  // AppRule's own default; the manager starts at Disable
    option.TakePath("C:\\Tools\\first.exe");
    const std::string firstTitle = ShownFileTitle("C:\\Tools\\first.exe");
    EXPECT_TRUE(firstTitle == "first.exe" || firstTitle == "first") << firstTitle;
    EXPECT_EQ(option.ItemText(IDC_RULE_CAPTION), firstTitle);
    option.TakePath("C:\\Tools\\second.exe");
    EXPECT_EQ(option.ItemText(IDC_RULE_CAPTION), ShownFileTitle("C:\\Tools\\second.exe"));

    option.SetItemText(IDC_RULE_CAPTION, "My tool");
    option.TakePath("C:\\Tools\\third.exe");
    EXPECT_EQ(option.ItemText(IDC_OPTION_PATH), "C:\\Tools\\third.exe");
    EXPECT_EQ(option.ItemText(IDC_RULE_CAPTION), "My tool");
    Press(option, IDC_RULE_DISABLE);
    Press(option, IDOK);
    EXPECT_EQ(option.Rule().caption, "My tool");
    EXPECT_EQ(option.Rule().path, "C:\\Tools\\third.exe");
    EXPECT_EQ(option.Rule().workOn, 0);
}

TEST_F(RuleDialogTest, EditBoxListShowsOnlyEditBoxRulesAndStepsAsideForTheFinder)
{
    LoadRules({Rule("APP1", "App", "C:\\a.exe"), Rule("APP2", "Password", "", "Edit#103", 0)});
    bool listVisibleMeanwhile = true;
    CEditBoxListDialog list(rules, [&](HWND owner, AppRule& rule) {
        listVisibleMeanwhile = ::IsWindowVisible(owner) != FALSE;
        rule.editBoxId = "Edit#101";
        rule.caption = "Edit1";
        return true;
    });
    Open(list);
    EXPECT_EQ(Column(list.List(), 1), (std::vector<std::string>{"Edit#103"}));
    Press(list, IDC_RULE_ADD);
    EXPECT_FALSE(listVisibleMeanwhile);
    EXPECT_TRUE(list.IsVisible());
    EXPECT_EQ(Column(list.List(), 0), (std::vector<std::string>{"Edit1", "Password"}));
    EXPECT_EQ(Column(list.List(), 2), (std::vector<std::string>{"On", "Off"}));
    Press(list, IDOK);
    CAppRules saved(dir.Folder());
    saved.Load();
    ASSERT_EQ(saved.Rules().size(), 3u);
    EXPECT_EQ(saved.Rules()[2].section, "APP3");
    EXPECT_EQ(saved.Rules()[2].editBoxId, "Edit#101");
}

TEST_F(RuleDialogTest, DraggingTheFinderOverAnEditShowsItsIdAndOutlinesIt)
{
    HWND host = ::CreateWindowExA(WS_EX_TOPMOST, "#32770", "host", WS_POPUP | WS_VISIBLE, 500, 300, 300, 120, nullptr,
                                  nullptr, nullptr, nullptr);
    HWND edit = ::CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 30, 200, 24, host,
                                  reinterpret_cast<HMENU>(1001), nullptr, nullptr);
    ASSERT_TRUE(host && edit);
    CEditBoxFinderDialog finder(AppRule{});
    Open(finder);
    ::SetWindowPos(finder.Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(finder.ItemText(IDC_RULE_CAPTION), "Edit1");
    RECT picture, target;
    ::GetWindowRect(finder.Item(IDC_FINDER_PICTURE), &picture);
    ::GetWindowRect(edit, &target);
    auto clientPoint = [&finder](LONG x, LONG y) {
        POINT p = {x, y};
        ::ScreenToClient(finder.Handle(), &p);
        return MAKELPARAM(p.x, p.y);
    };
    finder.Send(WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(picture.left + 5, picture.top + 5));
    EXPECT_TRUE(finder.IsDragging());
    finder.Send(WM_MOUSEMOVE, MK_LBUTTON, clientPoint(target.left + 10, target.top + 5));
    EXPECT_EQ(finder.ItemText(IDC_FINDER_EDIT_ID), "Edit#1001");
    const std::vector<RECT> shown = VisibleEdgeRects();
    EXPECT_TRUE(HasRect(shown, {target.left - 6, target.top - 2, target.left - 2, target.bottom + 2}));
    EXPECT_TRUE(HasRect(shown, {target.left - 6, target.top - 6, target.right + 6, target.top - 2}));
    // Back over the finder itself: nothing changes; releasing there keeps the edit's id.
    finder.Send(WM_MOUSEMOVE, MK_LBUTTON, clientPoint(picture.left + 5, picture.top + 5));
    finder.Send(WM_LBUTTONUP, 0, clientPoint(picture.left + 5, picture.top + 5));
    EXPECT_FALSE(finder.IsDragging());
    EXPECT_TRUE(VisibleEdgeRects().empty());
    EXPECT_EQ(finder.ItemText(IDC_FINDER_EDIT_ID), "Edit#1001");
    Press(finder, IDC_RULE_DISABLE);
    Press(finder, IDOK);
    EXPECT_EQ(finder.Rule().editBoxId, "Edit#1001");
    EXPECT_EQ(finder.Rule().caption, "Edit1");
    EXPECT_EQ(finder.Rule().workOn, 0);
    EXPECT_TRUE(FrameEdges().empty());  // closing the finder destroys its frame
    ::DestroyWindow(host);
}

TEST(RunningProgramsTest, ListsThisTestWithItsPath)
{
    char own[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, own, MAX_PATH);
    bool found = false;
    std::string listed;
    for (const RunningProgram& program : ListRunningPrograms()) {
        listed += program.path + "\n";
        if (lstrcmpiA(program.path.c_str(), own) == 0) {
            found = true;
            EXPECT_EQ(program.fileName, "rule_dialogs_test.exe");
        }
    }
    EXPECT_TRUE(found) << own << " not in\n" << listed;
}
