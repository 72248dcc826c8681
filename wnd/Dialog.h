// Dialogs from .rc templates, modal or modeless, driven by the same message map as CWindow.
//
// Inside a dialog, DefaultProcessing means "not handled": the dialog manager then does its
// own processing. A handled message's result is returned through DWLP_MSGRESULT.
#pragma once

#include "wnd/Window.h"

namespace wnd {

class CDataExchange;

class CDialog : public CWindow {
public:
    explicit CDialog(int templateId) : m_templateId(templateId) {}

    // Runs the dialog modally; returns the EndDialog value, or -1 when it could not be created.
    INT_PTR DoModal(HWND parent);
    // Creates the dialog modeless; the message loop of RunMessageLoop serves its keyboard.
    bool CreateModeless(HWND parent);
    // Creates the dialog as a child window (a DS_CONTROL | WS_CHILD template) of a parent dialog,
    // whose own keyboard navigation serves it.
    bool CreateChild(HWND parent);
    // Ends a modal dialog, or destroys a modeless one.
    void EndDialog(INT_PTR result);
    bool IsModal() const { return m_modal; }
    int TemplateId() const { return m_templateId; }
    // A modal run brings the dialog to the foreground once it shows (no window of ours may be active).
    void SetForegroundOnOpen(bool bring) { m_foregroundOnOpen = bring; }

    // Fills the controls from the members through Exchange; done after OnInitDialog.
    bool LoadFields();
    // Takes the control values into the members; false, with the focus on the refused field and
    // its reason shown, when a value is refused.
    bool SaveFields();

    // Control helpers.
    std::string ItemText(int id) const { return WindowText(Item(id)); }
    void SetItemText(int id, const std::string& text) const { SetTextOf(Item(id), text); }
    int ItemInt(int id, bool* ok = nullptr) const;
    void SetItemInt(int id, int value) const { ::SetDlgItemInt(Handle(), id, static_cast<UINT>(value), TRUE); }
    bool IsChecked(int id) const { return ::IsDlgButtonChecked(Handle(), id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) const
    {
        ::CheckDlgButton(Handle(), id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void EnableItem(int id, bool enable) const { ::EnableWindow(Item(id), enable ? TRUE : FALSE); }

protected:
    // WM_INITDIALOG; return TRUE to let the system set the focus. The fields are loaded after it.
    virtual BOOL OnInitDialog() { return TRUE; }
    // Names every field once, for both directions (see DataExchange.h).
    virtual void Exchange(CDataExchange& dx) {}
    // IDOK and IDCANCEL commands (Enter and Escape). OK ends the dialog only when its fields save.
    virtual void OnOK()
    {
        if (SaveFields())
            EndDialog(IDOK);
    }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // The template in the interface language (wnd/Language.h).
    LPCDLGTEMPLATEW Template() const;
    static INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    bool m_modal = false;
    bool m_handled = false;
    bool m_foregroundOnOpen = false;
};

// A message loop that gives registered modeless dialogs their keyboard navigation.
// Returns the exit code of WM_QUIT.
int RunMessageLoop();
// Modeless dialogs register and unregister themselves.
void AddModelessDialog(HWND dialog);
void RemoveModelessDialog(HWND dialog);

}  // namespace wnd
