// The small window beside the prompt list that shows the selected candidate's data. It never
// takes the focus; a click hides it, a drag moves it.
#pragma once

#include <string>

#include "wnd/Handles.h"
#include "wnd/Window.h"

class CPreviewWindow : public wnd::CWindow {
public:
    static constexpr int kStyleNormal = 1;
    static constexpr int kStyleShorthand = 2;
    static constexpr int kMargin = 10;

    CPreviewWindow();
    bool Create(HWND parent);
    // An empty text hides the window.
    void SetText(const std::string& text, int style);
    // Shows the window at (x, y) unless it is already visible; hides it when show is false or
    // there is no text.
    void Show(bool show, int x, int y);
    void Hide() { Show(false, 0, 0); }
    // Shows the window at (x, y), moving it there when it is already visible.
    void ShowAt(int x, int y);

    const std::string& PreviewText() const { return m_text; }
    int PreviewStyle() const { return m_style; }
    // Window size for the current text: the text's extent plus the margins on every side.
    SIZE MeasuredSize() const;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void OnLButtonDown(POINT client);
    void OnMouseMove(POINT client);
    void OnLButtonUp(POINT client);
    void FitToText();

    std::string m_text;
    std::wstring m_wideText;  // m_text as drawn
    int m_style = kStyleNormal;
    wnd::FontHandle m_font;
    POINT m_dragStartClient{};
    POINT m_dragStartScreen{};
    bool m_buttonDown = false;
    bool m_dragging = false;
};
