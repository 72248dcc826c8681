#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "wnd/Controls.h"
#include "wnd/Dialog.h"
#include "wnd/Handles.h"
#include "wnd/Window.h"

namespace {

const UINT kAsk = WM_APP + 1;
const UINT kThrow = WM_APP + 2;
const UINT kUnhandled = WM_APP + 3;
const int IDD_TEST = 200;
const int IDC_NAME = 201;
const int IDC_LIST = 202;

class CountingWindow : public wnd::CWindow {
public:
    int commands = 0;
    int lastCommandId = 0;
    bool finalSeen = false;
    bool* destroyedFlag = nullptr;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
            case kAsk:
                return static_cast<LRESULT>(wParam * 2);
            case kThrow:
                throw std::runtime_error("handler failure");
            default:
                return CWindow::HandleMessage(msg, wParam, lParam);
        }
    }
    bool OnCommand(int id, int, HWND) override
    {
        ++commands;
        lastCommandId = id;
        return true;
    }
    void OnFinalMessage() override
    {
        finalSeen = true;
        if (destroyedFlag)
            *destroyedFlag = true;
    }
};

bool CreateTestWindow(wnd::CWindow& window)
{
    EXPECT_TRUE(wnd::RegisterWindowClass("PvWndTestClass"));
    RECT r{10, 10, 110, 60};
    return window.Create("PvWndTestClass", "test", WS_POPUP, 0, r, nullptr);
}

TEST(WindowTest, MessagesReachTheirHandlersAndTheRestGetsDefaultHandling)
{
    CountingWindow window;
    ASSERT_TRUE(CreateTestWindow(window));
    EXPECT_EQ(wnd::CWindow::FromHandle(window.Handle()), &window);
    EXPECT_EQ(window.Send(kAsk, 21), 42);
    EXPECT_EQ(window.Send(kUnhandled), 0);  // DefWindowProc of an unknown message
    window.Send(WM_COMMAND, MAKEWPARAM(77, 0), 0);
    EXPECT_EQ(window.commands, 1);
    EXPECT_EQ(window.lastCommandId, 77);
    window.SetText("renamed");
    EXPECT_EQ(window.Text(), "renamed");  // WM_SETTEXT/WM_GETTEXT by the default procedure
}

TEST(WindowTest, AnExceptionInAHandlerStopsAtTheWindowProcedure)
{
    CountingWindow window;
    ASSERT_TRUE(CreateTestWindow(window));
    EXPECT_EQ(window.Send(kThrow), 0);
    EXPECT_TRUE(window.IsAlive());
    EXPECT_EQ(window.Send(kAsk, 5), 10);
}

TEST(WindowTest, DestroyingDetachesAndTheObjectOutlivesItsWindow)
{
    CountingWindow window;
    ASSERT_TRUE(CreateTestWindow(window));
    HWND handle = window.Handle();
    window.Destroy();
    EXPECT_TRUE(window.finalSeen);
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_FALSE(window.Create("NoSuchClassHere", "", WS_POPUP, 0, RECT{0, 0, 1, 1}, nullptr));
}

TEST(WindowTest, TheObjectsDestructorDestroysItsWindow)
{
    HWND handle = nullptr;
    bool destroyed = false;
    {
        CountingWindow window;
        ASSERT_TRUE(CreateTestWindow(window));
        window.destroyedFlag = &destroyed;
        handle = window.Handle();
    }
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_FALSE(destroyed);  // detached first: no call into a half-destroyed object
}

class UpperCaseEdit : public wnd::CWindow {
public:
    int chars = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CHAR && wParam >= 'a' && wParam <= 'z') {
            ++chars;
            return DefaultProcessing(msg, wParam - 'a' + 'A', lParam);
        }
        return CWindow::HandleMessage(msg, wParam, lParam);
    }
};

TEST(WindowTest, SubclassingAControlKeepsItsOwnBehaviourAsDefault)
{
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    UpperCaseEdit hook;
    ASSERT_TRUE(hook.Subclass(edit));
    ::SendMessageA(edit, WM_CHAR, 'a', 0);
    ::SendMessageA(edit, WM_CHAR, '1', 0);
    EXPECT_EQ(wnd::WindowText(edit), "A1");
    EXPECT_EQ(hook.chars, 1);
    hook.Unsubclass();
    ::SendMessageA(edit, WM_CHAR, 'b', 0);
    EXPECT_EQ(wnd::WindowText(edit), "A1b");
    EXPECT_EQ(hook.chars, 1);
    UpperCaseEdit second;
    ASSERT_TRUE(second.Subclass(edit));
    EXPECT_FALSE(hook.Subclass(edit));  // one object per window
    ::DestroyWindow(edit);
    EXPECT_EQ(second.Handle(), nullptr);
}

class TestDialog : public wnd::CDialog {
public:
    TestDialog() : CDialog(IDD_TEST) {}
    bool initSeen = false;
    bool endFromInit = false;
    int okCount = 0;

protected:
    BOOL OnInitDialog() override
    {
        initSeen = true;
        SetItemText(IDC_NAME, "hello");
        if (endFromInit)
            Post(WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
            case kAsk:
                return 1234;
            case kThrow:
                throw std::logic_error("dialog handler failure");
            default:
                return CDialog::HandleMessage(msg, wParam, lParam);
        }
    }
    void OnOK() override { ++okCount; }  // stays open
};

TEST(DialogTest, ModelessDialogFromTemplate)
{
    ASSERT_TRUE(wnd::InitCommonControlsOnce());
    TestDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    EXPECT_TRUE(dialog.initSeen);
    EXPECT_EQ(dialog.ItemText(IDC_NAME), "hello");
    // A handled message's result comes back through DWLP_MSGRESULT.
    EXPECT_EQ(dialog.Send(kAsk), 1234);
    EXPECT_EQ(dialog.Send(kThrow), 0);
    dialog.Send(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(dialog.Item(IDOK)));
    EXPECT_EQ(dialog.okCount, 1);
    EXPECT_TRUE(dialog.IsAlive());
    dialog.SetItemInt(IDC_NAME, -17);
    bool ok = false;
    EXPECT_EQ(dialog.ItemInt(IDC_NAME, &ok), -17);
    EXPECT_TRUE(ok);
    dialog.EndDialog(IDCANCEL);
    EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST(DialogTest, ModalDialogReturnsTheValueItEndsWith)
{
    TestDialog dialog;
    dialog.endFromInit = true;
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(dialog.initSeen);
    EXPECT_EQ(dialog.Handle(), nullptr);
    wnd::CDialog missing(9999);
    EXPECT_EQ(missing.DoModal(nullptr), -1);
}

TEST(ControlsTest, ListViewRowsCarryTheirDataAndSelection)
{
    TestDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    wnd::CListView list(dialog.Item(IDC_LIST));
    ASSERT_EQ(list.InsertColumn(0, "", LVCFMT_LEFT, 80), 0);
    EXPECT_EQ(list.InsertItem(0, "alpha", -1, 10), 0);
    EXPECT_EQ(list.InsertItem(1, "beta", -1, 20), 1);
    EXPECT_EQ(list.ItemCount(), 2);
    EXPECT_EQ(list.ItemText(1), "beta");
    EXPECT_EQ(list.ItemData(0), 10);
    EXPECT_EQ(list.SelectedIndex(), -1);
    list.Select(1);
    EXPECT_EQ(list.SelectedIndex(), 1);
    list.Select(0);
    EXPECT_EQ(list.SelectedIndex(), 0);
    RECT first, second;
    ASSERT_TRUE(list.ItemRect(0, first));
    ASSERT_TRUE(list.ItemRect(1, second));
    EXPECT_EQ(second.top, first.bottom);
    EXPECT_FALSE(list.ItemRect(5, first));
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.ItemCount(), 0);
}

TEST(HandlesTest, OwnersReleaseExactlyOnceAndMoveOwnership)
{
    const char* name = "PvWndTestMutex";
    {
        wnd::HandleOwner mutex(::CreateMutexA(nullptr, FALSE, name));
        ASSERT_TRUE(mutex);
        wnd::HandleOwner moved(std::move(mutex));
        EXPECT_FALSE(mutex);
        ASSERT_TRUE(moved);
        HANDLE again = ::OpenMutexA(SYNCHRONIZE, FALSE, name);
        EXPECT_NE(again, nullptr);
        if (again)
            ::CloseHandle(again);
    }
    EXPECT_EQ(::OpenMutexA(SYNCHRONIZE, FALSE, name), nullptr);  // closed with its owner

    HFONT raw = ::CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    ASSERT_NE(raw, nullptr);
    {
        wnd::FontHandle font(raw);
        EXPECT_EQ(::GetObjectType(font.Get()), static_cast<DWORD>(OBJ_FONT));
        wnd::FontHandle other;
        other = std::move(font);
        EXPECT_EQ(other.Get(), raw);
    }
    EXPECT_EQ(::GetObjectType(raw), 0u);

    wnd::MenuHandle menu(::CreatePopupMenu());
    ASSERT_TRUE(menu);
    HMENU menuRaw = menu.Get();
    menu.Reset();
    EXPECT_FALSE(::IsMenu(menuRaw));

    wnd::ClipboardSession first(nullptr);
    ASSERT_TRUE(first.IsOpen());
}

}  // namespace
