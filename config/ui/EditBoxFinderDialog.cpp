#include "config/ui/EditBoxFinderDialog.h"

#include <windowsx.h>

#include "config/ui/ConfigUiIds.h"
#include "wnd/DataExchange.h"

namespace {

const char kDefaultCaption[] = "Edit1";

HCURSOR FinderCursor()
{
    return ::LoadCursorW(wnd::ResourceInstance(), MAKEINTRESOURCEW(IDC_FINDER_CURSOR));
}

}  // namespace

CEditBoxFinderDialog::CEditBoxFinderDialog(AppRule rule) : CDialog(IDD_EDIT_BOX_FINDER), m_rule(std::move(rule)) {}

bool CEditBoxFinderDialog::Edit(HWND owner, AppRule& rule)
{
    CEditBoxFinderDialog finder(rule);
    if (finder.DoModal(owner) != IDOK)
        return false;
    rule = finder.Rule();
    return true;
}

BOOL CEditBoxFinderDialog::OnInitDialog()
{
    m_frame = CreateHighlightFrame(wnd::ResourceInstance());
    m_editBoxId = m_rule.editBoxId;
    m_caption = m_rule.caption.empty() ? kDefaultCaption : m_rule.caption;
    SetChecked(IDC_RULE_ENABLE, m_rule.workOn != 0);
    SetChecked(IDC_RULE_DISABLE, m_rule.workOn == 0);
    return TRUE;
}

void CEditBoxFinderDialog::Exchange(wnd::CDataExchange& dx)
{
    dx.Text(IDC_FINDER_EDIT_ID, m_editBoxId);
    dx.Text(IDC_RULE_CAPTION, m_caption);
}

POINT CEditBoxFinderDialog::ScreenPoint(LPARAM lParam) const
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ClientToScreen(Handle(), &point);
    return point;
}

LRESULT CEditBoxFinderDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_LBUTTONDOWN:
            if (BeginDrag(ScreenPoint(lParam)))
                return 0;
            break;
        case WM_MOUSEMOVE:
            if (m_dragging) {
                FollowCursor(ScreenPoint(lParam));
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            if (m_dragging) {
                EndDrag();
                return 0;
            }
            break;
        case WM_CAPTURECHANGED:
            // Another window took the mouse (a box, a switch of tasks): the drag is over.
            if (m_dragging && reinterpret_cast<HWND>(lParam) != Handle())
                EndDrag();
            break;
        case WM_DESTROY:
            m_frame.reset();
            break;
        default:
            break;
    }
    return CDialog::HandleMessage(msg, wParam, lParam);
}

bool CEditBoxFinderDialog::BeginDrag(POINT point)
{
    RECT picture;
    if (!::GetWindowRect(Item(IDC_FINDER_PICTURE), &picture) || !::PtInRect(&picture, point))
        return false;
    m_ownRect = WindowRect();
    ShowPicture(IDI_FINDER_EMPTY);
    ::SetCursor(FinderCursor());
    m_dragging = true;
    ::SetCapture(Handle());
    return true;
}

void CEditBoxFinderDialog::FollowCursor(POINT point)
{
    if (::PtInRect(&m_ownRect, point))
        return;  // over the finder itself
    HWND window = ::WindowFromPoint(point);
    ::SetCursor(FinderCursor());
    if (!window || window == m_lastPicked)
        return;
    SaveFields();
    m_editBoxId = CAppRules::EditBoxId(window);
    LoadFields();
    m_lastPicked = window;
    RECT rect;
    if (!m_frame)
        return;
    if (::IsWindow(window) && ::GetWindowRect(window, &rect)) {
        m_frame->SetRect(rect);
        m_frame->Show(true);
    } else {
        m_frame->Show(false);
    }
}

void CEditBoxFinderDialog::EndDrag()
{
    m_dragging = false;  // first: releasing the capture reports WM_CAPTURECHANGED
    ::ReleaseCapture();
    ShowPicture(IDI_FINDER);
    ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    if (m_frame)
        m_frame->Show(false);
}

void CEditBoxFinderDialog::ShowPicture(int iconId) const
{
    HICON icon = ::LoadIconW(wnd::ResourceInstance(), MAKEINTRESOURCEW(iconId));
    ::SendMessageW(Item(IDC_FINDER_PICTURE), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

bool CEditBoxFinderDialog::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED || (id != IDC_RULE_ENABLE && id != IDC_RULE_DISABLE))
        return false;
    m_rule.workOn = id == IDC_RULE_ENABLE ? 1 : 0;
    return true;
}

void CEditBoxFinderDialog::OnOK()
{
    if (!SaveFields())
        return;
    m_rule.caption = m_caption;
    m_rule.path.clear();
    m_rule.editBoxId = m_editBoxId;
    EndDialog(IDOK);
}
