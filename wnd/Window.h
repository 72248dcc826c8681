// The window layer: a C++ object per window, one virtual entry point per message.
//
// Windows are Unicode windows (the W functions); text crosses this layer's API as UTF-8.
//
// A class derived from CWindow (or CDialog) overrides HandleMessage with a switch over the
// messages it handles, each case calling one small OnXxx member, and passes everything else
// to its base class's HandleMessage; that is the message map. Control notifications arrive
// through OnCommand and OnNotify. No exception leaves a window procedure: the procedures catch
// everything and fall back to the default handling.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace wnd {

// The module whose resources (dialog templates, icons, strings) the layer loads.
HINSTANCE ResourceInstance();
void SetResourceInstance(HINSTANCE instance);

// Registers a window class whose windows are driven by CWindow objects. Registering a name
// twice is harmless. Returns false only when the class cannot be registered.
bool RegisterWindowClass(const char* className, UINT classStyle = 0, HICON icon = nullptr, HBRUSH background = nullptr,
                         HCURSOR cursor = nullptr);

class CWindow {
public:
    CWindow() = default;
    virtual ~CWindow();
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    // The object attached to a window of this layer, or null.
    static CWindow* FromHandle(HWND window);

    HWND Handle() const { return m_hwnd; }
    bool IsAlive() const { return m_hwnd != nullptr && ::IsWindow(m_hwnd); }

    // Creates a window of a class registered with RegisterWindowClass.
    bool Create(const char* className, const char* title, DWORD style, DWORD exStyle, const RECT& rect, HWND parent,
                HMENU menuOrId = nullptr);
    // Drives an existing window (a control) through this object; the old procedure becomes
    // the default handling. Undone when the window is destroyed or by Unsubclass.
    bool Subclass(HWND window);
    void Unsubclass();
    void Destroy();

    // Small conveniences used by every dialog.
    HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hwnd, msg, wParam, lParam);
    }
    bool Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hwnd, msg, wParam, lParam) != FALSE;
    }
    bool IsVisible() const { return m_hwnd && ::IsWindowVisible(m_hwnd); }
    std::string Text() const;
    void SetText(const std::string& text) const;
    RECT WindowRect() const;
    RECT ClientRect() const;
    // The window rectangle of a child in this window's client coordinates.
    RECT ChildRect(HWND child) const;

protected:
    // The message map. Derived classes handle their messages and pass the rest to the base.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // What the system would do with the message without this object.
    virtual LRESULT DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND and WM_NOTIFY from controls; true when handled.
    virtual bool OnCommand(int id, int code, HWND control) { return false; }
    virtual bool OnNotify(const NMHDR& header, LRESULT& result) { return false; }
    // The window is gone (after WM_NCDESTROY); Handle() is null from here on.
    virtual void OnFinalMessage() {}

    // Runs HandleMessage with the catch-all of the window procedures.
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void AttachHandle(HWND window);
    void DetachHandle();

private:
    friend bool RegisterWindowClass(const char*, UINT, HICON, HBRUSH, HCURSOR);
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    WNDPROC m_previousProc = nullptr;
};

// Keeps a window disabled while it lives: work that pumps messages (a wait or progress window)
// must not let the user start more work in the window that runs it.
class CDisabledWindow {
public:
    explicit CDisabledWindow(HWND window) : m_window(window), m_wasEnabled(::IsWindowEnabled(window) != FALSE)
    {
        ::EnableWindow(m_window, FALSE);
    }
    ~CDisabledWindow()
    {
        if (m_wasEnabled)
            ::EnableWindow(m_window, TRUE);
    }
    CDisabledWindow(const CDisabledWindow&) = delete;
    CDisabledWindow& operator=(const CDisabledWindow&) = delete;

private:
    HWND m_window;
    bool m_wasEnabled;
};

// The dots per inch a window is drawn at (its monitor's under per-monitor awareness, else the
// system's); 96 is 100 %.
int WindowDpi(HWND window);
// A length given for 96 dots per inch, at the window's dots per inch.
int ScaleToWindow(HWND window, int length96);

// Makes a dialog taller than its monitor's work area fit it: the stretchy control (a list) gives up
// the height, down to a third of its own, the controls below it move up, and the dialog is
// centred on the work area again. A dialog that fits is left alone.
void FitDialogToWorkArea(HWND dialog, HWND stretchy);

// Loads a string resource of the resource module in the interface language (wnd/Language.h),
// else in English ("" when it is missing).
std::string LoadResourceString(UINT id);
// A string resource with %1 ... %9 replaced by the arguments in that order ("%%" is one "%"):
// a translation may put them where its language wants them.
std::string ResourceText(UINT id, std::initializer_list<std::string> arguments = {});
// The text of any window.
std::string WindowText(HWND window);
// Sets the text of any window.
bool SetTextOf(HWND window, const std::string& text);

}  // namespace wnd
