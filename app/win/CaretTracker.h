// Where the caret is and which control has the focus, watched from outside the target process.
//
// Two sources feed the tracker:
//  - accessibility events (SetWinEventHook, out of context): caret objects give the caret
//    rectangle and its window, focus events give the focus window, focus events on menus
//    clear it. The owner (IOwner) hears about focus changes (SaveWindowText, then
//    RestoreWindowText) and caret moves (RefreshPrompt).
//  - GetGUIThreadInfo of the focus window's thread. Many programs (and every program under
//    Wine) never report their caret, so whenever no caret event has been seen for the current
//    focus window, the caret that the system keeps for that thread stands in: its window and
//    rectangle count as the caret for GetCaretPoint and IsTargetControl. As soon as an event
//    reports a caret for the focus window, the event's rectangle is used again.
//  - GetGUIThreadInfo of the foreground thread, before each key: not every control raises focus
//    events (rich edits under Wine raise none), and a control that had the focus before the
//    tracker started raised its event before anyone listened. Without this the focus window
//    would stay the last one an event named, and the prompt would go to the window's centre.
// Password boxes: the focused control is one when it is an edit control with ES_PASSWORD or
// when its focus event's accessible object was in the protected state.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/engine/EngineServices.h"
#include "wnd/Handles.h"

class CCaretTracker : public IFocusTracker {
public:
    // Who hears of focus changes and caret moves: the engine thread's host, which hands them to
    // the engine and the prompt.
    class IOwner {
    public:
        virtual ~IOwner() = default;
        virtual HWND OwnerWindow() const = 0;
        virtual void RefreshPrompt() = 0;
        virtual void SaveWindowText(HWND window) = 0;
        virtual void RestoreWindowText(HWND window) = 0;
        // Controls of this process are never completion targets.
        virtual DWORD OwnProcess() const { return ::GetCurrentProcessId(); }
    };

    // What the accessible object of one event answered (the event callback asks it; tests fill
    // this in themselves).
    struct AccessibleAnswers {
        bool locationOk = false;
        long left = 0, top = 0, width = 0, height = 0;
        bool roleOk = false;
        long role = 0;
        bool stateOk = false;
        long state = 0;
        // A focus event delivered after its window lost the focus again (events come late and
        // out of order): old news that must not move the focus, nor cost the current control its
        // typed text.
        bool outdated = false;
    };

    CCaretTracker();
    ~CCaretTracker() override;
    CCaretTracker(const CCaretTracker&) = delete;
    CCaretTracker& operator=(const CCaretTracker&) = delete;

    // Starts watching the events of every process but this one; true when the hook was set.
    bool Start(IOwner* owner);
    void Stop();
    bool IsTracking() const { return static_cast<bool>(m_eventHook); }

    // Whether a window still has the keyboard focus of its own thread (true when that cannot be
    // told), asked as a focus event about it is delivered.
    static bool StillFocused(HWND window);

    // One event, after its accessible object was found (events without one are dropped before).
    void OnAccessibleEvent(DWORD event, HWND window, LONG objectId, LONG childId, const AccessibleAnswers& answers);

    // Screen point for the prompt's top-left corner: 5 pixels below the caret's bottom right,
    // or below the centre of the foreground window when the caret is not in the focused control;
    // (0, 0) when unknown.
    POINT GetCaretPoint();
    // The caret rectangle (screen) that GetCaretPoint used, empty when it used none.
    RECT LastCaretRect() const { return m_lastUsedCaret; }
    // Microsoft Word's selection, asked through its automation interface.
    bool GetWordCaretPos(POINT& point);

    // IFocusTracker
    bool IsTargetControl() override;
    WindowHandle FocusWindow() override { return reinterpret_cast<WindowHandle>(m_focusWindow); }
    bool IsPasswordControl(WindowHandle window) override;

    HWND FocusHwnd() const { return m_focusWindow; }
    HWND EventCaretWindow() const { return m_caretWindow; }
    const RECT& EventCaretRect() const { return m_caret; }

    // The edit-box rules: 1 complete here, 0 not, -1 no rule (the default answers -1).
    void SetEditBoxRule(std::function<int(HWND)> rule) { m_editBoxRule = std::move(rule); }

    // Takes the control that has the focus in the foreground thread as the focus window when it
    // differs from the one the events told of (see the top of this file). Called before each key
    // and when tracking starts; a control of this program is never a completion target.
    void SyncFocus() override;
    bool FocusIsOwn() const { return m_focusIsOwn; }

    // The caret the tracker believes in for the focus window (see the top of this file).
    bool EffectiveCaret(HWND& window, RECT& rect);

private:
    static void CALLBACK EventProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                                   DWORD thread, DWORD time);
    void ChangeFocus(HWND window);
    // Whether the focus window is a Word document (remembered per focus window).
    bool FocusIsWordDocument();
    // The focus window's thread (remembered per focus window).
    DWORD FocusThread();
    // EffectiveCaret; the rectangle only when asked for.
    bool SystemCaret(HWND& window, RECT* rect);

    RECT m_caret{};  // from the last caret event, screen coordinates
    HWND m_caretWindow = nullptr;
    HWND m_focusWindow = nullptr;
    HWND m_protectedWindow = nullptr;  // focus window whose accessible object is protected
    IOwner* m_owner = nullptr;
    wnd::WinEventHookHandle m_eventHook;
    std::function<int(HWND)> m_editBoxRule;
    RECT m_lastUsedCaret{};
    HWND m_classCheckedFor = nullptr;
    bool m_focusIsWord = false;
    HWND m_threadCheckedFor = nullptr;
    HWND m_editClassCheckedFor = nullptr;  // the window whose class IsPasswordControl looked at
    bool m_isEditClass = false;
    DWORD m_focusThread = 0;
    bool m_focusIsOwn = false;         // the focus window belongs to this process
    HWND m_seenCaretWindow = nullptr;  // the focus window, once the system showed its caret
    RECT m_seenCaret{};
};

// A rectangle in a window's client coordinates on the screen, in pixels, whatever the scaling the
// window's program works with.
void ClientRectToScreen(HWND window, RECT& rect);

// The class name of a window (at most 500 characters).
std::string WindowClassName(HWND window);
