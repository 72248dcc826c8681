#include "config/ui/EditBoxListDialog.h"

#include "config/ui/ConfigUiIds.h"
#include "config/ui/EditBoxFinderDialog.h"
#include "wnd/ModalRunner.h"

bool CDlgEditBoxList::Run(HWND owner)
{
    CAppSettings settings;
    settings.LoadAppRules();
    CDlgEditBoxList list(settings);
    return wnd::RunModal(list, owner).EndedWithOk();
}

CDlgEditBoxList::CDlgEditBoxList(CAppSettings& settings, RuleEditor editor)
    : CRuleListDialog(IDD_EDIT_BOX_LIST, IDC_EDIT_BOX_LIST, settings,
                      editor ? std::move(editor) : &CDlgEditBoxFinder::Edit)
{
}

BOOL CDlgEditBoxList::OnInitDialog()
{
    m_list.Attach(Item(IDC_EDIT_BOX_LIST));
    m_list.InsertColumn(0, "Caption", LVCFMT_LEFT, 120);
    m_list.InsertColumn(1, "Edit Box ID", LVCFMT_LEFT, 120);
    m_list.InsertColumn(2, "Status", LVCFMT_LEFT, 120);
    m_list.AddExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    FillList();
    return TRUE;
}

void CDlgEditBoxList::AddRow(int ruleIndex, const AppRule& rule)
{
    m_list.AddRow({rule.caption, rule.editBoxId, WorkOnStatus(rule.workOn)}, ruleIndex);
}

bool CDlgEditBoxList::RunEditor(AppRule& rule)
{
    ::ShowWindow(Handle(), SW_HIDE);
    const bool accepted = CRuleListDialog::RunEditor(rule);
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    return accepted;
}
