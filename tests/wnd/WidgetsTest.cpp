// The toolkit's widgets as real windows: the progress window (its place kept in Config.ini by
// config/), the wait dialog, the link control and the help entry.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "config/ProfileFile.h"
#include "config/ProgressPosition.h"
#include "tests/support/BoxAnswer.h"
#include "tests/support/TempFolder.h"
#include "wnd/HtmlHelp.h"
#include "wnd/Language.h"
#include "wnd/LinkStatic.h"
#include "wnd/MessageBoxes.h"
#include "wnd/ProgressWindow.h"
#include "wnd/WaitDialog.h"
#include "wnd/WndIds.h"

namespace {

using namespace std::chrono_literals;
using namespace wnd;

ProgressWindowOptions Options(pvbase::IPositionMemory* position = nullptr)
{
    ProgressWindowOptions options;
    options.position = position;
    return options;
}

TEST(ProgressWindowTest, TitleShowsThePercentageOnlyWhenItChanges)
{
    CProgressWindow progress(Options());
    ASSERT_TRUE(progress.Created());
    progress.SetRange(0, 200);
    progress.SetPosition(50);
    EXPECT_EQ(progress.Text(), "Progress [25%]");
    progress.SetPosition(51);
    EXPECT_EQ(progress.Text(), "Progress [25%]");
    EXPECT_EQ(::SendMessageA(progress.Item(CProgressWindow::kBarId), PBM_GETPOS, 0, 0), 51);
    progress.StepForward();
    progress.AddToPosition(48);
    EXPECT_EQ(progress.Position(), 100);
    EXPECT_EQ(progress.Text(), "Progress [50%]");

    CProgressWindow empty(Options());
    empty.SetRange(0, 0);
    empty.SetPosition(7);
    EXPECT_EQ(empty.Text(), "Progress");
    empty.SetText("%s of %d", "line", 3);
    EXPECT_EQ(wnd::WindowText(empty.Item(CProgressWindow::kTextId)), "line of 3");
}

TEST(ProgressWindowTest, EscCancelsOnlyWhenAskedAndTheButtonAlways)
{
    CProgressWindow progress(Options());
    HWND button = progress.Item(CProgressWindow::kCancelId);
    EXPECT_EQ(wnd::WindowText(button), " &Cancel ");
    ::PostMessageA(button, WM_CHAR, VK_ESCAPE, 0);
    progress.ProcessMessages(false);
    EXPECT_FALSE(progress.IsCancelled());
    ::PostMessageA(button, WM_CHAR, VK_ESCAPE, 0);
    progress.ProcessMessages(true);
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_FALSE(progress.IsVisible());

    progress.Clear();
    EXPECT_FALSE(progress.IsCancelled());
    ::SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_TRUE(progress.IsCancelled());
}

TEST(ProgressWindowTest, ModalDisablesTheOwnerUntilCancelledAndAQuitIsPassedOn)
{
    HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    {
        ProgressWindowOptions options = Options();
        options.owner = owner;
        CProgressWindow progress(options);
        progress.MakeModal();
        EXPECT_FALSE(::IsWindowEnabled(owner));

        ::PostQuitMessage(7);
        progress.ProcessMessages(true);
        MSG quit{};
        ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(quit.wParam, 7u);

        ::SendMessageA(progress.Item(CProgressWindow::kCancelId), BM_CLICK, 0, 0);
        EXPECT_TRUE(progress.IsCancelled());
        EXPECT_TRUE(::IsWindowEnabled(owner));
        EXPECT_FALSE(progress.IsAlive());  // a modal progress closes on cancel

        progress.Clear();
        progress.MakeModal();
        EXPECT_TRUE(progress.Created());
        EXPECT_FALSE(::IsWindowEnabled(owner));
    }
    EXPECT_TRUE(::IsWindowEnabled(owner));
    ::DestroyWindow(owner);
}

TEST(ProgressWindowTest, PositionIsRememberedAndAnOffScreenOneIsCentred)
{
    pvtest::TempFolder folder;
    const std::string profile = folder.File("Config.ini");
    CProgressPosition place(profile);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    int width = 0;
    {
        CProgressWindow progress(Options(&place));
        RECT rect = progress.WindowRect();
        width = rect.right - rect.left;
        ::SetWindowPos(progress.Handle(), nullptr, screenWidth - width, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    CProfileFile file(profile.c_str());
    EXPECT_EQ(file.ReadSigned("Settings", "X", 0), screenWidth - width);
    {
        CProgressWindow progress(Options(&place));
        EXPECT_EQ(progress.WindowRect().left, screenWidth - width);
        EXPECT_EQ(progress.WindowRect().top, 40);
    }
    file.WriteSigned("Settings", "X", screenWidth + 500);  // from a larger screen
    {
        CProgressWindow progress(Options(&place));
        RECT work{};
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR(progress.WindowRect().left, work.left + (work.right - work.left - width) / 2, 1);
    }
}

TEST(WaitDialogTest, EscOrAButtonReleaseOverCancelStopsTheWork)
{
    CWaitDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(dialog.Text(), "Pennivox");
    IWaitProgress& wait = dialog;
    wait.SetText("Importing words...");
    EXPECT_EQ(dialog.ItemText(IDC_WAIT_TEXT), "Importing words...");
    wait.Pump();
    EXPECT_FALSE(wait.Cancelled());
    ::PostMessageA(dialog.Handle(), WM_CHAR, VK_ESCAPE, 0);
    wait.Pump();
    EXPECT_TRUE(wait.Cancelled());
    dialog.EndDialog(IDCANCEL);

    CWaitDialog second;
    ASSERT_TRUE(second.Create(nullptr));
    RECT button{};
    ::GetWindowRect(second.Item(IDC_WAIT_CANCEL), &button);
    ::SetCursorPos((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    ::PostMessageA(second.Item(IDC_WAIT_CANCEL), WM_LBUTTONUP, 0, 0);  // the message carries the cursor's place
    second.ProcessMessages();
    EXPECT_TRUE(second.Cancelled());
}

// Counts the link's notifications.
class NotifyCounter : public wnd::CWindow {
public:
    int count = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_APP && wParam == 5)
            ++count;
        return CWindow::HandleMessage(msg, wParam, lParam);
    }
};

TEST(LinkStaticTest, AFailedOpenBeepsAndSaysSoAndTheNotificationComesFirst)
{
    ASSERT_TRUE(wnd::RegisterWindowClass("PvLinkTestParent"));
    NotifyCounter parent;
    ASSERT_TRUE(parent.Create("PvLinkTestParent", "links", WS_POPUP, 0, RECT{0, 0, 200, 50}, nullptr));
    HWND control = ::CreateWindowExA(0, "STATIC", "homepage", WS_CHILD | WS_VISIBLE, 5, 5, 150, 16, parent.Handle(),
                                     nullptr, nullptr, nullptr);
    CZELStatic link;
    ASSERT_TRUE(link.Attach(control));
    EXPECT_FALSE(::GetWindowLongPtrA(control, GWL_STYLE) & SS_NOTIFY);  // plain text without a target
    const std::string target = "C:\\pv_missing_folder\\nothing.pvx";
    link.SetLinkTarget(target);
    EXPECT_TRUE(::GetWindowLongPtrA(control, GWL_STYLE) & SS_NOTIFY);
    link.SetNotification(parent.Handle(), WM_APP, 5);

    pvtest::BoxAnswer closer(kProgramCaption);
    ::SendMessageA(control, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(closer.Seen());
    EXPECT_EQ(closer.Text(), target + " could not be opened.");
    EXPECT_EQ(parent.count, 1);
    EXPECT_FALSE(link.Visited());
    EXPECT_NE(::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HAND_CURSOR)), nullptr);
}

TEST(HtmlHelpTest, AMissingLibraryIsLookedForOnceOnly)
{
    int lookups = 0;
    CHtmlHelpEntry entry([&] {
        ++lookups;
        return std::string("C:\\pv_nowhere\\bogus_help.ocx");
    });
    EXPECT_EQ(entry.Call(nullptr, "PVHelp.chm", 0, 0), nullptr);
    EXPECT_TRUE(entry.Unavailable());
    EXPECT_EQ(entry.Call(nullptr, "PVHelp.chm", 0, 0), nullptr);
    EXPECT_EQ(lookups, 1);
    EXPECT_FALSE(HtmlHelpLibraryPath().empty());
}

// Told inside translated sentences: each language needs its own words for every fault.
TEST(FileFaultTextTest, EveryFaultHasItsOwnWordsInEveryLanguage)
{
    using pvbase::FileFault;
    const FileFault faults[] = {FileFault::Missing, FileFault::ReadOnly, FileFault::FolderReadOnly, FileFault::DiskFull,
                                FileFault::InUse,   FileFault::Damaged,  FileFault::Other};
    SetUiLanguage(LANG_ENGLISH);
    std::vector<std::string> english;
    for (FileFault fault : faults)
        english.push_back(FileFaultText(fault));
    EXPECT_EQ(english[1], "the file is read-only");
    EXPECT_EQ(FileFaultText(FileFault::None), "");
    for (const UiLanguageInfo& language : UiLanguages()) {
        SetUiLanguage(language.primary);
        std::set<std::string> seen;
        for (size_t i = 0; i < std::size(faults); ++i) {
            const std::string text = FileFaultText(faults[i]);
            EXPECT_TRUE(seen.insert(text).second) << language.code << ": " << text << " twice";
            if (language.primary != LANG_ENGLISH)
                EXPECT_NE(text, english[i]) << language.code << " leaves it English";
        }
    }
    SetUiLanguage(LANG_GERMAN);
    EXPECT_EQ(FileFaultText(FileFault::ReadOnly), "die Datei ist schreibgeschützt");
    SetUiLanguage(0);
}

}  // namespace
