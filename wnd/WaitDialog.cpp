#include "wnd/WaitDialog.h"

#include "wnd/MessagePump.h"
#include "wnd/WndIds.h"

namespace wnd {

CWaitDialog::CWaitDialog() : CDialog(IDD_WAIT) {}

bool CWaitDialog::Create(HWND owner)
{
    m_cancelled = false;
    if (!CreateModeless(owner))
        return false;
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
    return true;
}

void CWaitDialog::SetText(const std::string& text)
{
    if (Handle())
        SetItemText(IDC_WAIT_TEXT, text);
}

void CWaitDialog::ProcessMessages()
{
    MSG msg;
    while (!m_cancelled) {
        if (TakeWaitingMessage(msg) != WaitingMessage::Taken)
            return;
        const bool esc = msg.message == WM_CHAR && msg.wParam == VK_ESCAPE;
        if (esc || IsButtonUpOver(msg, Item(IDC_WAIT_CANCEL))) {
            m_cancelled = true;
            return;
        }
        DispatchTakenMessage(msg);
    }
}

bool CWaitDialog::OnCommand(int id, int code, HWND)
{
    if (id != IDC_WAIT_CANCEL || code != BN_CLICKED)
        return false;
    m_cancelled = true;
    return true;
}

LRESULT CWaitDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY)
        m_cancelled = true;  // work must not go on against a dialog that is gone
    return CDialog::HandleMessage(msg, wParam, lParam);
}

}  // namespace wnd
