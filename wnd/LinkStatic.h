// A static control that behaves as a link: coloured text, a hand cursor, and a click that asks
// the shell to open its target. With no target it stays plain text.
#pragma once

#include <windows.h>

#include <string>

#include "wnd/Handles.h"
#include "wnd/Window.h"

namespace wnd {

class CZELStatic : public wnd::CWindow {
public:
    static constexpr COLORREF kLinkColour = RGB(0, 0, 255);
    static constexpr COLORREF kVisitedColour = RGB(0, 128, 192);

    // Drives an existing static control (a dialog's control) from now on.
    bool Attach(HWND control);
    void SetLinkTarget(const std::string& target);
    const std::string& LinkTarget() const { return m_target; }
    void SetColours(COLORREF link, COLORREF visited, COLORREF background);
    void SetHandCursor(bool hand) { m_handCursor = hand; }
    // Sent to the window (wParam value, lParam this control) before the target is opened.
    void SetNotification(HWND window, UINT message, WPARAM value);
    bool Visited() const { return m_visited; }

    // What a click does: the notification, then the shell's "open"; a failure beeps and says so.
    void Click();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    HFONT LinkFont();
    HCURSOR Cursor() const;

    std::string m_target;
    COLORREF m_linkColour = kLinkColour;
    COLORREF m_visitedColour = kVisitedColour;
    COLORREF m_background = ::GetSysColor(COLOR_BTNFACE);
    bool m_visited = false;
    bool m_handCursor = true;
    HWND m_notifyWindow = nullptr;
    UINT m_notifyMessage = 0;
    WPARAM m_notifyValue = 0;
    wnd::FontHandle m_underlined;
    HFONT m_underlinedFrom = nullptr;
};

}  // namespace wnd
