#include "config/ui/RuleListDialog.h"

#include "config/ui/ConfigUiIds.h"
#include "wnd/MessageBoxes.h"

const char* WorkOnStatus(int32_t workOn)
{
    return workOn ? "Enable" : "Disable";
}

CRuleListDialog::CRuleListDialog(int templateId, int listId, CAppSettings& settings, RuleEditor editor)
    : CDialog(templateId), m_settings(settings), m_listId(listId), m_editor(std::move(editor))
{
}

void CRuleListDialog::FillList()
{
    m_list.SetRedraw(false);  // thousands of rows are painted once, not row by row
    m_list.DeleteAllItems();
    BeforeFill();
    for (std::size_t index = 0; index < m_settings.appRules.size(); ++index) {
        const AppRule& rule = m_settings.appRules[index];
        if (!rule.deleted && Shows(rule))
            AddRow(static_cast<int>(index), rule);
    }
    m_list.SetRedraw(true);
    UpdateButtons();
}

void CRuleListDialog::UpdateButtons() const
{
    // Edit and Delete act on the selected rows: without one they could only do nothing.
    const bool selected = m_list.SelectedIndex() >= 0;
    EnableItem(IDC_RULE_EDIT, selected);
    EnableItem(IDC_RULE_DELETE, selected);
}

int CRuleListDialog::RuleIndexOfRow(int row) const
{
    const LPARAM index = m_list.ItemData(row);
    return index >= 0 && index < static_cast<LPARAM>(m_settings.appRules.size()) ? static_cast<int>(index) : -1;
}

void CRuleListDialog::AddRule()
{
    AppRule rule = NewRule();
    if (!RunEditor(rule))
        return;
    m_settings.AddAppRule(rule);  // a rule without its path or edit box id is not added
    FillList();
}

void CRuleListDialog::EditSelected()
{
    const int row = m_list.SelectedIndex();
    const int index = row < 0 ? -1 : RuleIndexOfRow(row);
    if (index < 0)
        return;
    AppRule rule = m_settings.appRules[index];
    if (!RunEditor(rule))
        return;
    m_settings.UpdateAppRule(rule);
    FillList();
}

void CRuleListDialog::DeleteSelected()
{
    // Removing a rule moves it to the end of the list, so every section is read first.
    std::vector<std::string> sections;
    for (int row : m_list.SelectedIndexes()) {
        const int index = RuleIndexOfRow(row);
        if (index < 0)
            break;
        sections.push_back(m_settings.appRules[index].section);
    }
    for (const std::string& section : sections)
        m_settings.RemoveAppRule(section);
    FillList();
}

bool CRuleListDialog::SaveAndClose()
{
    if (!m_settings.SaveAppRules()) {
        wnd::ShowError(Handle(), "The rules could not be saved to " + m_settings.AppConfigPath() +
                                     ".\nThe file may be read-only or in use; your changes are still here.");
        return false;
    }
    m_settings.LoadAppRules();
    EndDialog(IDOK);
    return true;
}

void CRuleListDialog::OnCancel()
{
    m_settings.RestoreAppRules();
    EndDialog(IDCANCEL);
}

bool CRuleListDialog::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
        case IDC_RULE_ADD:
            AddRule();
            return true;
        case IDC_RULE_EDIT:
            EditSelected();
            return true;
        case IDC_RULE_DELETE:
            DeleteSelected();
            return true;
        default:
            return false;
    }
}

bool CRuleListDialog::OnNotify(const NMHDR& header, LRESULT&)
{
    if (static_cast<int>(header.idFrom) == m_listId && header.code == LVN_ITEMCHANGED) {
        UpdateButtons();
        return false;
    }
    if (static_cast<int>(header.idFrom) != m_listId || header.code != NM_DBLCLK)
        return false;
    EditSelected();
    return true;
}
