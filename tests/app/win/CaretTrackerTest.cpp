#include <gtest/gtest.h>

#include <oleacc.h>

#include <string>
#include <vector>

#include "app/win/CaretTracker.h"
#include "tests/app/win/AccessibleAnswers.h"
#include "tests/support/MessagePump.h"

namespace {

struct Call {
    std::string what;
    HWND window;
};

class FakeOwner : public CCaretTracker::IOwner {
public:
    HWND window = nullptr;
    DWORD process = 0;  // the test's windows stand for another program's unless set
    std::vector<Call> calls;
    DWORD OwnProcess() const override { return process; }
    HWND OwnerWindow() const override { return window; }
    void RefreshPrompt() override { calls.push_back({"refresh", nullptr}); }
    void SaveWindowText(HWND w) override { calls.push_back({"save", w}); }
    void RestoreWindowText(HWND w) override { calls.push_back({"restore", w}); }
};

using apptest::CaretAt;
using apptest::Role;

using pvtest::Pump;

// A top-level window with two edits, a password edit and a button, in the foreground.
class TrackerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        top = ::CreateWindowExA(0, "STATIC", "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_NE(top, nullptr);
        // Child controls of a static get no keyboard focus trouble: give them a plain parent.
        edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 300, 24, top,
                                 reinterpret_cast<HMENU>(11), nullptr, nullptr);
        edit2 = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 50, 300, 24, top,
                                  reinterpret_cast<HMENU>(12), nullptr, nullptr);
        password = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_PASSWORD, 10, 90, 300, 24, top,
                                     reinterpret_cast<HMENU>(13), nullptr, nullptr);
        button = ::CreateWindowExA(0, "BUTTON", "go", WS_CHILD | WS_VISIBLE | BS_LEFTTEXT, 10, 130, 80, 24, top,
                                   reinterpret_cast<HMENU>(14), nullptr, nullptr);
        prompt = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "prompt", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                   nullptr, nullptr);
        promptChild = ::CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 40, 20, prompt, nullptr, nullptr, nullptr);
        ASSERT_TRUE(edit && edit2 && password && button && prompt && promptChild);
        ::SetForegroundWindow(top);
        ::SetFocus(edit);
        Pump();
        owner.window = prompt;
    }
    void TearDown() override
    {
        ::DestroyWindow(prompt);
        ::DestroyWindow(top);
        Pump();
    }

    HWND top = nullptr, edit = nullptr, edit2 = nullptr, password = nullptr, button = nullptr;
    HWND prompt = nullptr, promptChild = nullptr;
    FakeOwner owner;
};

TEST_F(TrackerTest, FocusEventsTellTheOwnerSaveThenRestore)
{
    CCaretTracker tracker;
    tracker.Start(&owner);
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    ASSERT_EQ(owner.calls.size(), 2u);
    EXPECT_EQ(owner.calls[0].what, "save");
    EXPECT_EQ(owner.calls[0].window, nullptr);
    EXPECT_EQ(owner.calls[1].what, "restore");
    EXPECT_EQ(owner.calls[1].window, edit);
    EXPECT_EQ(tracker.FocusHwnd(), edit);

    // The same window again: nothing new.
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    EXPECT_EQ(owner.calls.size(), 2u);

    // A caret appearing in another control moves the focus there.
    tracker.OnAccessibleEvent(EVENT_OBJECT_SHOW, edit2, OBJID_CARET, CHILDID_SELF, CaretAt(0, 0, 0, 0));
    ASSERT_EQ(owner.calls.size(), 5u);  // refresh, save(edit), restore(edit2)
    EXPECT_EQ(owner.calls[2].what, "refresh");
    EXPECT_EQ(owner.calls[3].what, "save");
    EXPECT_EQ(owner.calls[3].window, edit);
    EXPECT_EQ(owner.calls[4].window, edit2);

    // Events from the prompt's own windows never take the focus.
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, promptChild, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, prompt, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_CLIENT));
    EXPECT_EQ(owner.calls.size(), 5u);
    EXPECT_EQ(tracker.FocusHwnd(), edit2);

    // A menu forgets the focus window.
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, top, OBJID_MENU, 1, Role(ROLE_SYSTEM_MENUITEM));
    ASSERT_EQ(owner.calls.size(), 7u);
    EXPECT_EQ(owner.calls[5].what, "save");
    EXPECT_EQ(owner.calls[5].window, edit2);
    EXPECT_EQ(owner.calls[6].what, "restore");
    EXPECT_EQ(owner.calls[6].window, nullptr);
    EXPECT_EQ(tracker.FocusWindow(), 0u);

    // Other events (a location change without a caret) change nothing.
    tracker.OnAccessibleEvent(EVENT_OBJECT_LOCATIONCHANGE, edit, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    EXPECT_EQ(owner.calls.size(), 7u);
}

TEST_F(TrackerTest, ReportedCaretPlacesThePromptUnderItsBottomRight)
{
    CCaretTracker tracker;
    POINT none = tracker.GetCaretPoint();  // not started: no owner
    EXPECT_EQ(none.x, 0);
    EXPECT_EQ(none.y, 0);
    tracker.Start(&owner);
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    tracker.OnAccessibleEvent(EVENT_OBJECT_LOCATIONCHANGE, edit, OBJID_CARET, CHILDID_SELF, CaretAt(300, 250, 2, 16));
    EXPECT_EQ(owner.calls.back().what, "refresh");
    ASSERT_EQ(::GetForegroundWindow(), top);
    POINT p = tracker.GetCaretPoint();
    EXPECT_EQ(p.x, 302);
    EXPECT_EQ(p.y, 250 + 16 + 5);
    EXPECT_TRUE(tracker.IsTargetControl());
    // A failed location keeps the last rectangle and tells nobody.
    size_t calls = owner.calls.size();
    CCaretTracker::AccessibleAnswers failed = CaretAt(1, 1, 1, 1);
    failed.locationOk = false;
    tracker.OnAccessibleEvent(EVENT_OBJECT_LOCATIONCHANGE, edit, OBJID_CARET, CHILDID_SELF, failed);
    EXPECT_EQ(owner.calls.size(), calls);
    EXPECT_EQ(tracker.GetCaretPoint().x, 302);
}

TEST_F(TrackerTest, CaretOfAnotherControlGivesTheCentreOfTheForegroundWindow)
{
    CCaretTracker tracker;
    tracker.Start(&owner);
    tracker.OnAccessibleEvent(EVENT_OBJECT_LOCATIONCHANGE, edit, OBJID_CARET, CHILDID_SELF, CaretAt(300, 250, 2, 16));
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, button, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_PUSHBUTTON));
    RECT r;
    ::GetWindowRect(top, &r);
    POINT p = tracker.GetCaretPoint();
    EXPECT_EQ(p.x, r.left + (r.right - r.left) / 2);
    EXPECT_EQ(p.y, r.top + (r.bottom - r.top) / 2 + 5);
    EXPECT_FALSE(tracker.IsTargetControl());
}

TEST_F(TrackerTest, ACaretInsideThePromptGivesNoPoint)
{
    CCaretTracker tracker;
    tracker.Start(&owner);
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    tracker.OnAccessibleEvent(EVENT_OBJECT_LOCATIONCHANGE, promptChild, OBJID_CARET, CHILDID_SELF,
                              CaretAt(5, 5, 1, 10));
    // The focus window (edit) has had no caret event of its own, so the system's caret of its
    // thread stands in: the real caret of the edit, not the prompt's.
    POINT p = tracker.GetCaretPoint();
    EXPECT_NE(p.x, 0);
    // With the focus on the prompt's child itself (events never deliver that, but the caret does
    // belong to the prompt then) there is no point.
    CCaretTracker other;
    FakeOwner otherOwner;
    otherOwner.window = prompt;
    other.Start(&otherOwner);
    other.OnAccessibleEvent(EVENT_OBJECT_LOCATIONCHANGE, promptChild, OBJID_CARET, CHILDID_SELF, CaretAt(5, 5, 1, 10));
    POINT q = other.GetCaretPoint();
    EXPECT_EQ(q.x, 0);
    EXPECT_EQ(q.y, 0);
}

TEST_F(TrackerTest, WithoutCaretEventsTheThreadCaretOfTheFocusWindowIsUsed)
{
    CCaretTracker tracker;
    tracker.Start(&owner);
    ::SetFocus(edit);
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
    ::SendMessageA(edit, EM_SETSEL, 5, 5);
    Pump();
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    ASSERT_TRUE(tracker.IsTargetControl());

    POINT caret;
    ASSERT_TRUE(::GetCaretPos(&caret));
    ::ClientToScreen(edit, &caret);
    POINT p = tracker.GetCaretPoint();
    EXPECT_GE(p.x, caret.x + 1);  // the caret's right edge
    EXPECT_LE(p.x, caret.x + 4);
    RECT editRect;
    ::GetWindowRect(edit, &editRect);
    EXPECT_GT(p.y - 5, caret.y);
    EXPECT_LE(p.y - 5, editRect.bottom);

    // Typing moves the caret and the point with it.
    ::SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(" world"));
    POINT later = tracker.GetCaretPoint();
    EXPECT_GT(later.x, p.x);
    EXPECT_EQ(later.y, p.y);

    // The focus moves to the second edit without any caret event: its own caret is used.
    ::SetFocus(edit2);
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit2, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    RECT edit2Rect;
    ::GetWindowRect(edit2, &edit2Rect);
    POINT second = tracker.GetCaretPoint();
    EXPECT_GT(second.y - 5, edit2Rect.top);
    EXPECT_LE(second.y - 5, edit2Rect.bottom);
    EXPECT_TRUE(tracker.IsTargetControl());

    // Once a caret event arrives for the focus window, the event wins.
    tracker.OnAccessibleEvent(EVENT_OBJECT_LOCATIONCHANGE, edit2, OBJID_CARET, CHILDID_SELF, CaretAt(600, 500, 2, 12));
    POINT reported = tracker.GetCaretPoint();
    EXPECT_EQ(reported.x, 602);
    EXPECT_EQ(reported.y, 517);

    // A button with the focus has no caret of its own: no completion target.
    ::SetFocus(button);
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, button, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_PUSHBUTTON));
    EXPECT_FALSE(tracker.IsTargetControl());
}

TEST_F(TrackerTest, SyncFocusTakesTheSystemsFocusButNotThisProgramsOwnWindows)
{
    CCaretTracker tracker;
    tracker.Start(&owner);
    ::SetFocus(edit2);
    Pump();
    // No focus event came: the system's focus window is taken, with the usual notifications.
    tracker.SyncFocus();
    EXPECT_EQ(tracker.FocusHwnd(), edit2);
    ASSERT_EQ(owner.calls.size(), 2u);
    EXPECT_EQ(owner.calls[1].what, "restore");
    EXPECT_EQ(owner.calls[1].window, edit2);
    EXPECT_TRUE(tracker.IsTargetControl());

    // The same windows as this program's own: keys there are no one's, and coming back to edit2
    // is no focus change (its typed text stays, no prompt is searched for).
    owner.process = ::GetCurrentProcessId();
    ::SetFocus(edit);
    tracker.SyncFocus();
    EXPECT_TRUE(tracker.FocusIsOwn());
    EXPECT_FALSE(tracker.IsTargetControl());
    EXPECT_EQ(tracker.FocusHwnd(), edit2);
    ::SetFocus(edit2);
    tracker.SyncFocus();
    EXPECT_FALSE(tracker.FocusIsOwn());
    EXPECT_TRUE(tracker.IsTargetControl());
    EXPECT_EQ(owner.calls.size(), 2u);
}

TEST_F(TrackerTest, AFocusEventArrivingAfterItsWindowLostTheFocusKeepsTheTypedText)
{
    CCaretTracker tracker;
    tracker.Start(&owner);
    // The system moved the focus on (edit, then edit2); the key's look-up already saw edit2 when
    // the event about edit is delivered.
    ::SetFocus(edit2);
    Pump();
    tracker.SyncFocus();
    ASSERT_EQ(tracker.FocusHwnd(), edit2);
    const size_t calls = owner.calls.size();
    EXPECT_FALSE(CCaretTracker::StillFocused(edit));
    EXPECT_TRUE(CCaretTracker::StillFocused(edit2));
    CCaretTracker::AccessibleAnswers late = Role(ROLE_SYSTEM_TEXT);
    late.outdated = true;
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF, late);
    EXPECT_EQ(tracker.FocusHwnd(), edit2);
    EXPECT_EQ(owner.calls.size(), calls);  // no save, no restore: edit2 keeps its word
    // The same control named again, up to date: no change either.
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit2, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    tracker.SyncFocus();
    EXPECT_EQ(owner.calls.size(), calls);
}

TEST_F(TrackerTest, EditBoxRulesOverrideTheCaretTest)
{
    CCaretTracker tracker;
    tracker.Start(&owner);
    ::SetFocus(edit);
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_TEXT));
    HWND asked = nullptr;
    int verdict = 0;
    tracker.SetEditBoxRule([&](HWND w) {
        asked = w;
        return verdict;
    });
    EXPECT_FALSE(tracker.IsTargetControl());
    EXPECT_EQ(asked, edit);
    verdict = -1;
    EXPECT_TRUE(tracker.IsTargetControl());
    ::SetFocus(button);
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, button, OBJID_CLIENT, CHILDID_SELF, Role(ROLE_SYSTEM_PUSHBUTTON));
    verdict = 1;
    EXPECT_TRUE(tracker.IsTargetControl());
}

TEST_F(TrackerTest, PasswordBoxesAreRecognised)
{
    CCaretTracker tracker;
    tracker.Start(&owner);
    auto handle = [](HWND w) {
        return reinterpret_cast<WindowHandle>(w);
    };
    EXPECT_TRUE(tracker.IsPasswordControl(handle(password)));
    EXPECT_FALSE(tracker.IsPasswordControl(handle(edit)));
    EXPECT_FALSE(tracker.IsPasswordControl(handle(button)));  // same style bit, other meaning
    EXPECT_FALSE(tracker.IsPasswordControl(0));
    // A control whose accessible object says "protected" counts as well, while it has the focus.
    CCaretTracker::AccessibleAnswers focus = Role(ROLE_SYSTEM_TEXT);
    focus.stateOk = true;
    focus.state = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_PROTECTED;
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit2, OBJID_CLIENT, CHILDID_SELF, focus);
    EXPECT_TRUE(tracker.IsPasswordControl(handle(edit2)));
    focus.state = STATE_SYSTEM_FOCUSED;
    tracker.OnAccessibleEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF, focus);
    EXPECT_FALSE(tracker.IsPasswordControl(handle(edit2)));
    EXPECT_FALSE(tracker.IsPasswordControl(handle(edit)));
}

TEST_F(TrackerTest, StartHooksTheEventsAndWordIsAbsent)
{
    CCaretTracker tracker;
    EXPECT_TRUE(tracker.Start(&owner));
    EXPECT_TRUE(tracker.IsTracking());
    tracker.Stop();
    EXPECT_FALSE(tracker.IsTracking());
    ::CoInitialize(nullptr);
    POINT p{7, 7};
    EXPECT_FALSE(tracker.GetWordCaretPos(p));
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    ::CoUninitialize();
}

}  // namespace
