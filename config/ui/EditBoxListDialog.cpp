#include "config/ui/EditBoxListDialog.h"

#include "config/ui/ConfigUiIds.h"
#include "config/ui/EditBoxFinderDialog.h"

bool CEditBoxListDialog::Run(HWND owner)
{
    return RunOverSavedRules<CEditBoxListDialog>(owner);
}

CEditBoxListDialog::CEditBoxListDialog(CAppRules& rules, RuleEditor editor)
    : CRuleListDialog(IDD_EDIT_BOX_LIST, IDC_EDIT_BOX_LIST, rules,
                      editor ? std::move(editor) : &CEditBoxFinderDialog::Edit)
{
}

BOOL CEditBoxListDialog::OnInitDialog()
{
    AttachList();
    m_list.InsertColumn(0, wnd::LoadResourceString(IDS_COLUMN_RULE_NAME).c_str(), LVCFMT_LEFT, 120);
    m_list.InsertColumn(1, wnd::LoadResourceString(IDS_COLUMN_EDIT_BOX_ID).c_str(), LVCFMT_LEFT, 120);
    m_list.InsertColumn(2, wnd::LoadResourceString(IDS_COLUMN_RULE_STATUS).c_str(), LVCFMT_LEFT, 120);
    FillList();
    return TRUE;
}

std::string CEditBoxListDialog::CellText(const AppRule& rule, int column) const
{
    switch (column) {
        case 0:
            return rule.caption;
        case 1:
            return rule.editBoxId;
        default:
            return WorkOnStatus(rule.workOn);
    }
}

bool CEditBoxListDialog::RunEditor(AppRule& rule)
{
    ::ShowWindow(Handle(), SW_HIDE);
    const bool accepted = CRuleListDialog::RunEditor(rule);
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    return accepted;
}
