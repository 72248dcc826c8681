// The Edit Box List: single edit boxes where Pennivox must or must not work.
#pragma once

#include <windows.h>

#include "config/ui/RuleListDialog.h"

class CEditBoxListDialog : public CRuleListDialog {
public:
    // Runs the list modally over owner; true when it ended with OK (AppConfig.ini was saved).
    static bool Run(HWND owner);

    // The rules must be loaded. The editor defaults to the Edit Box Finder.
    explicit CEditBoxListDialog(CAppRules& rules, RuleEditor editor = nullptr);

protected:
    BOOL OnInitDialog() override;
    AppRule NewRule() const override { return AppRule(); }
    bool Shows(const AppRule& rule) const override { return !rule.editBoxId.empty(); }
    std::string CellText(const AppRule& rule, int column) const override;
    // The list steps aside while the finder runs, so the edit box behind it can be reached.
    bool RunEditor(AppRule& rule) override;
};
