// The Applications Manager: where Pennivox works and where not, application by application.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "config/ui/RuleListDialog.h"
#include "wnd/Handles.h"

class CAppManagerDialog : public CRuleListDialog {
public:
    // Runs the manager modally over owner; true when it ended with OK (AppConfig.ini was saved).
    static bool Run(HWND owner);

    // The rules must be loaded. The editor defaults to the Application Option dialog.
    explicit CAppManagerDialog(CAppRules& rules, RuleEditor editor = nullptr);

    // The radio buttons' choice for applications without a rule (1 works, 0 does not).
    int OtherAppsChoice() const { return m_otherApps; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

    AppRule NewRule() const override;
    bool Shows(const AppRule& rule) const override { return rule.editBoxId.empty() && !rule.path.empty(); }
    std::string CellText(const AppRule& rule, int column) const override;

private:
    // The image of a program's icon, read when a row naming it is first painted.
    int ImageOf(const std::string& path);

    wnd::ImageListHandle m_images;
    std::map<std::string, int> m_imageOfPath;  // lower-case path -> its image in m_images
    int32_t m_otherApps = 1;
};
