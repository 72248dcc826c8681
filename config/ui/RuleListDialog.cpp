#include "config/ui/RuleListDialog.h"

#include <algorithm>

#include "config/ui/ConfigUiIds.h"
#include "wnd/MessageBoxes.h"

std::string WorkOnStatus(int32_t workOn)
{
    return wnd::LoadResourceString(workOn ? IDS_RULE_ON : IDS_RULE_OFF);
}

CRuleListDialog::CRuleListDialog(int templateId, int listId, CAppRules& rules, RuleEditor editor)
    : CDialog(templateId), m_rules(rules), m_listId(listId), m_editor(std::move(editor))
{
}

void CRuleListDialog::AttachList()
{
    m_list.Attach(Item(m_listId));
    m_list.AddExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_list.SetCellText([this](int row, int column) {
        const AppRule* rule = RuleOfRow(row);
        return rule ? CellText(*rule, column) : std::string();
    });
}

void CRuleListDialog::FillList()
{
    const std::vector<AppRule>& rules = m_rules.Rules();
    m_rows.clear();
    for (std::size_t index = 0; index < rules.size(); ++index) {
        if (!rules[index].deleted && Shows(rules[index]))
            m_rows.push_back(static_cast<int>(index));
    }
    std::stable_sort(m_rows.begin(), m_rows.end(), [&rules](int first, int second) {
        return wnd::CListView::CompareTexts(rules[first].caption, rules[second].caption) < 0;
    });
    m_list.ResetRows(static_cast<int>(m_rows.size()));
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
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return -1;
    const int index = m_rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(index) < m_rules.Rules().size() ? index : -1;
}

const AppRule* CRuleListDialog::RuleOfRow(int row) const
{
    const int index = RuleIndexOfRow(row);
    return index < 0 ? nullptr : &m_rules.Rules()[static_cast<std::size_t>(index)];
}

void CRuleListDialog::AddRule()
{
    AppRule rule = NewRule();
    if (!RunEditor(rule))
        return;
    m_rules.Add(rule);  // a rule without its path or edit box id is not added
    FillList();
}

void CRuleListDialog::EditSelected()
{
    const int row = m_list.SelectedIndex();
    const int index = row < 0 ? -1 : RuleIndexOfRow(row);
    if (index < 0)
        return;
    AppRule rule = m_rules.Rules()[index];
    if (!RunEditor(rule))
        return;
    m_rules.Update(rule);
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
        sections.push_back(m_rules.Rules()[index].section);
    }
    for (const std::string& section : sections)
        m_rules.Remove(section);
    FillList();
}

bool CRuleListDialog::SaveAndClose()
{
    if (!m_rules.Save()) {
        wnd::ShowError(Handle(), wnd::ResourceText(IDS_RULES_NOT_SAVED, {m_rules.Path()}));
        return false;
    }
    m_rules.Load();
    EndDialog(IDOK);
    return true;
}

void CRuleListDialog::OnCancel()
{
    m_rules.Restore();
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

bool CRuleListDialog::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (static_cast<int>(header.idFrom) == m_listId &&
        (header.code == LVN_ITEMCHANGED || header.code == LVN_ODSTATECHANGED))
        UpdateButtons();
    if (m_list.HandleNotify(header, result))
        return true;
    if (static_cast<int>(header.idFrom) != m_listId || header.code != NM_DBLCLK)
        return false;
    EditSelected();
    return true;
}
