// One application rule: the executable's path (typed, browsed for or picked among the running
// programs), its caption and whether Pennivox works there.
#pragma once

#include <windows.h>

#include <string>

#include "config/AppRules.h"
#include "wnd/Dialog.h"

class CAppOptionDialog : public wnd::CDialog {
public:
    explicit CAppOptionDialog(AppRule rule);

    // Runs the dialog modally over owner with a copy of rule; on OK the rule takes the result.
    static bool Edit(HWND owner, AppRule& rule);

    const AppRule& Rule() const { return m_rule; }
    // Puts a chosen executable in the path box. A caption the user has not typed follows the
    // file's title; a typed one stays.
    void TakePath(const std::string& path);

protected:
    BOOL OnInitDialog() override;
    void Exchange(wnd::CDataExchange& dx) override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

private:
    void Browse();
    void PickRunning();

    AppRule m_rule;
    std::string m_path;
    std::string m_caption;
    std::string m_lastAutoCaption;
};

// The file title the system shows for a path (with or without extension, by the user's shell
// settings); empty when it has none.
std::string ShownFileTitle(const std::string& path);
