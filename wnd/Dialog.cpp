#include "wnd/Dialog.h"

#include "wnd/DataExchange.h"
#include "wnd/Language.h"

#include <algorithm>
#include <vector>

namespace wnd {
namespace {

// Only the user-interface thread creates dialogs, so a plain list serves.
std::vector<HWND>& ModelessDialogs()
{
    static std::vector<HWND> dialogs;
    return dialogs;
}

// Posted by a dialog to itself once it is shown, to take the foreground.
UINT BringForwardMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"PvDialogBringForward");
    return message;
}

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg)
{
    switch (msg) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}

}  // namespace

LPCDLGTEMPLATEW CDialog::Template() const
{
    return static_cast<LPCDLGTEMPLATEW>(LoadUiResource(UiResource::Dialog, static_cast<UINT>(m_templateId)));
}

INT_PTR CDialog::DoModal(HWND parent)
{
    if (Handle())
        return -1;
    m_modal = true;
    INT_PTR result = ::DialogBoxIndirectParamW(ResourceInstance(), Template(), parent, &CDialog::DialogProc,
                                               reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

bool CDialog::CreateModeless(HWND parent)
{
    if (Handle())
        return false;
    m_modal = false;
    HWND window = ::CreateDialogIndirectParamW(ResourceInstance(), Template(), parent, &CDialog::DialogProc,
                                               reinterpret_cast<LPARAM>(this));
    if (!window)
        return false;
    AddModelessDialog(window);
    return true;
}

bool CDialog::CreateChild(HWND parent)
{
    if (Handle() || !parent)
        return false;
    m_modal = false;
    return ::CreateDialogIndirectParamW(ResourceInstance(), Template(), parent, &CDialog::DialogProc,
                                        reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool CDialog::LoadFields()
{
    if (!Handle())
        return false;
    CDataExchange dx(Handle(), ExchangeDirection::Load);
    Exchange(dx);
    return dx.Succeeded();
}

bool CDialog::SaveFields()
{
    if (!Handle())
        return false;
    CDataExchange dx(Handle(), ExchangeDirection::Save);
    Exchange(dx);
    return dx.Succeeded();
}

void CDialog::EndDialog(INT_PTR result)
{
    if (!Handle())
        return;
    if (m_modal)
        ::EndDialog(Handle(), result);
    else
        ::DestroyWindow(Handle());
}

int CDialog::ItemInt(int id, bool* ok) const
{
    BOOL translated = FALSE;
    int value = static_cast<int>(::GetDlgItemInt(Handle(), id, &translated, TRUE));
    if (ok)
        *ok = translated != FALSE;
    return value;
}

LRESULT CDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_INITDIALOG: {
            BOOL systemFocus = OnInitDialog();
            LoadFields();
            if (m_foregroundOnOpen && m_modal && Handle())
                Post(BringForwardMessage());
            return systemFocus;
        }
        case WM_COMMAND:
            if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
                if (LOWORD(wParam) == IDOK) {
                    OnOK();
                    return 0;
                }
                if (LOWORD(wParam) == IDCANCEL) {
                    OnCancel();
                    return 0;
                }
            }
            break;
        default:
            if (msg == BringForwardMessage() && msg != 0) {
                // A modal dialog shows itself only once its queue is idle; show it now.
                if (!IsVisible())
                    ::ShowWindow(Handle(), SW_SHOW);
                ::SetForegroundWindow(Handle());
                return 0;
            }
            break;
    }
    return CWindow::HandleMessage(msg, wParam, lParam);
}

LRESULT CDialog::DefaultProcessing(UINT, WPARAM, LPARAM)
{
    m_handled = false;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CDialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        if (self)
            self->AttachHandle(window);
    } else {
        self = static_cast<CDialog*>(FromHandle(window));
    }
    if (!self)
        return FALSE;

    // Handlers may send messages to their own dialog: keep the flag per call.
    bool outer = self->m_handled;
    self->m_handled = true;
    LRESULT result = self->Dispatch(msg, wParam, lParam);
    bool handled = self->m_handled;
    self->m_handled = outer;

    if (msg == WM_NCDESTROY) {
        RemoveModelessDialog(window);
        self->DetachHandle();
        self->OnFinalMessage();
        return FALSE;
    }
    if (ReturnsResultDirectly(msg))
        return handled ? static_cast<INT_PTR>(result) : FALSE;
    if (!handled)
        return FALSE;
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

void AddModelessDialog(HWND dialog)
{
    auto& dialogs = ModelessDialogs();
    if (std::find(dialogs.begin(), dialogs.end(), dialog) == dialogs.end())
        dialogs.push_back(dialog);
}

void RemoveModelessDialog(HWND dialog)
{
    auto& dialogs = ModelessDialogs();
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
}

int RunMessageLoop()
{
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)
            return -1;
        bool consumed = false;
        for (HWND dialog : ModelessDialogs()) {
            if (::IsDialogMessageW(dialog, &msg)) {
                consumed = true;
                break;
            }
        }
        if (consumed)
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace wnd
