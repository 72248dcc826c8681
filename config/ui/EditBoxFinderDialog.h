// Picks an edit box by dragging the finder tool over it: the box under the cursor is outlined
// and its "class#id" shown; releasing the button keeps it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "config/AppRules.h"
#include "config/ui/HighlightFrame.h"
#include "wnd/Dialog.h"

class CEditBoxFinderDialog : public wnd::CDialog {
public:
    explicit CEditBoxFinderDialog(AppRule rule);

    // Runs the finder modally over owner with a copy of rule; on OK the rule takes the result.
    static bool Edit(HWND owner, AppRule& rule);

    const AppRule& Rule() const { return m_rule; }
    bool IsDragging() const { return m_dragging; }

protected:
    BOOL OnInitDialog() override;
    void Exchange(wnd::CDataExchange& dx) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

private:
    // Each takes the point in screen coordinates; false when the message is not the finder's.
    bool BeginDrag(POINT point);
    void FollowCursor(POINT point);
    void EndDrag();
    void ShowPicture(int iconId) const;
    POINT ScreenPoint(LPARAM lParam) const;

    std::string m_editBoxId;
    std::string m_caption;
    AppRule m_rule;
    bool m_dragging = false;
    std::unique_ptr<IHighlightFrame> m_frame;
    RECT m_ownRect = {};
    HWND m_lastPicked = nullptr;
};
