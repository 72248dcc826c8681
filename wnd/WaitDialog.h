// A small modeless "please wait" dialog with a message and a Cancel button, for dictionary
// loading, import and export. The work checks Cancelled() between its steps.
#pragma once

#include <string>

#include "base/WaitProgress.h"
#include "wnd/Dialog.h"

namespace wnd {

class CWaitDialog : public wnd::CDialog, public IWaitProgress {
public:
    CWaitDialog();

    // Creates and shows the dialog; false when it cannot be created.
    bool Create(HWND owner);

    void SetText(const std::string& text) override;
    // Handles the waiting messages: Esc and a button release over Cancel cancel.
    void ProcessMessages();
    void Pump() override { ProcessMessages(); }
    bool Cancelled() const override { return m_cancelled; }

protected:
    bool OnCommand(int id, int code, HWND control) override;
    void OnCancel() override { m_cancelled = true; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool m_cancelled = false;
};

}  // namespace wnd
