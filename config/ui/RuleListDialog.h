// What the Applications Manager and the Edit Box List share: an owner-data list of the rules of
// one kind, sorted by caption, Add / Edit / Delete on the rule list of CAppRules, OK that
// saves and reloads AppConfig.ini, Cancel that restores the list as it was loaded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "config/AppRules.h"
#include "wnd/Dialog.h"
#include "wnd/ListView.h"
#include "wnd/ModalRunner.h"

class CRuleListDialog : public wnd::CDialog {
public:
    // Edits one rule modally over owner; true when the user pressed OK.
    using RuleEditor = std::function<bool(HWND owner, AppRule& rule)>;

    CRuleListDialog(int templateId, int listId, CAppRules& rules, RuleEditor editor);

    void SetRuleEditor(RuleEditor editor) { m_editor = std::move(editor); }
    const wnd::CListView& List() const { return m_list; }

    // The buttons' work.
    void AddRule();
    void EditSelected();
    void DeleteSelected();

protected:
    // Runs a list over the rules AppConfig.ini holds now, modally over owner; true when it ended
    // with OK (the file was saved).
    template <class ListDialog>
    static bool RunOverSavedRules(HWND owner)
    {
        CAppRules rules;
        rules.Load();
        ListDialog list(rules);
        return wnd::RunModal(list, owner).EndedWithOk();
    }

    // A rule the user starts from with Add.
    virtual AppRule NewRule() const = 0;
    // Whether the list shows this rule (live rules of the dialog's kind).
    virtual bool Shows(const AppRule& rule) const = 0;
    // The text a shown rule's row has in this column.
    virtual std::string CellText(const AppRule& rule, int column) const = 0;
    // Runs the editor over this dialog.
    virtual bool RunEditor(AppRule& rule) { return m_editor && m_editor(Handle(), rule); }

    // Attaches the list control and lets it ask for the rows' texts.
    void AttachList();
    void FillList();
    // The rule a row shows, or null.
    const AppRule* RuleOfRow(int row) const;
    // Saves the rules and reloads them; a failed save is reported and the dialog stays open.
    bool SaveAndClose();

    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnOK() override { SaveAndClose(); }
    void OnCancel() override;

    CAppRules& m_rules;
    wnd::CListView m_list;

private:
    // Edit and Delete enabled exactly while a row is selected.
    void UpdateButtons() const;
    // The rule index of a row, or -1 when there is no such row.
    int RuleIndexOfRow(int row) const;

    int m_listId;
    std::vector<int> m_rows;  // the rule index of each row, in the order shown
    RuleEditor m_editor;
};

// "Enable" or "Disable", as the Status column shows a work-on flag.
std::string WorkOnStatus(int32_t workOn);
