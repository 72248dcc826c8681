#include "config/ui/AppOptionDialog.h"

#include <commdlg.h>

#include "base/Utf8Text.h"
#include "config/ui/ConfigUiIds.h"
#include "config/ui/RunningAppsDialog.h"
#include "wnd/DataExchange.h"
#include "wnd/FileDialogs.h"

std::string ShownFileTitle(const std::string& path)
{
    wchar_t title[MAX_PATH] = L"";
    if (path.empty() || ::GetFileTitleW(Widen(path).c_str(), title, MAX_PATH) != 0)
        return std::string();
    return Narrow(title);
}

CAppOptionDialog::CAppOptionDialog(AppRule rule)
    : CDialog(IDD_APP_OPTION), m_rule(std::move(rule)), m_path(m_rule.path), m_caption(m_rule.caption)
{
}

bool CAppOptionDialog::Edit(HWND owner, AppRule& rule)
{
    CAppOptionDialog dialog(rule);
    if (dialog.DoModal(owner) != IDOK)
        return false;
    rule = dialog.Rule();
    return true;
}

BOOL CAppOptionDialog::OnInitDialog()
{
    SetChecked(IDC_RULE_ENABLE, m_rule.workOn != 0);
    SetChecked(IDC_RULE_DISABLE, m_rule.workOn == 0);
    return TRUE;
}

void CAppOptionDialog::Exchange(wnd::CDataExchange& dx)
{
    dx.Text(IDC_OPTION_PATH, m_path, MAX_PATH - 1);
    dx.Text(IDC_RULE_CAPTION, m_caption);
}

void CAppOptionDialog::TakePath(const std::string& path)
{
    SaveFields();
    m_path = path;
    if (m_caption == m_lastAutoCaption) {
        m_caption = ShownFileTitle(path);
        m_lastAutoCaption = m_caption;
    } else {
        m_lastAutoCaption.clear();
    }
    LoadFields();
}

bool CAppOptionDialog::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
        case IDC_OPTION_BROWSE:
            Browse();
            return true;
        case IDC_OPTION_RUNNING:
            PickRunning();
            return true;
        case IDC_RULE_ENABLE:
        case IDC_RULE_DISABLE:
            m_rule.workOn = id == IDC_RULE_ENABLE ? 1 : 0;
            return true;
        default:
            return false;
    }
}

void CAppOptionDialog::Browse()
{
    wnd::FileDialogOptions options;
    options.owner = Handle();
    options.filter = wnd::LoadResourceString(IDS_PROGRAM_FILTER);
    if (const std::optional<std::string> path = wnd::AskOpenFile(options))
        TakePath(*path);
}

void CAppOptionDialog::PickRunning()
{
    CRunningAppsDialog running;
    if (running.DoModal(Handle()) == IDOK && !running.ChosenPath().empty())
        TakePath(running.ChosenPath());
}

void CAppOptionDialog::OnOK()
{
    if (!SaveFields())
        return;
    m_rule.caption = m_caption;
    m_rule.path = m_path;
    m_rule.editBoxId.clear();
    EndDialog(IDOK);
}
