// The About box: the program's name, what it does and a link to its home page.
#pragma once

#include <string>

#include "wnd/Dialog.h"
#include "wnd/LinkStatic.h"

class CAboutDialog : public wnd::CDialog {
public:
    // home: what the link opens (the help file, whose first topic is the program's home page).
    explicit CAboutDialog(std::string home);
    // Runs the box modally over owner; a box already open comes forward instead.
    static void Run(HWND owner, const std::string& home);

protected:
    BOOL OnInitDialog() override;

private:
    std::string m_home;
    wnd::CZELStatic m_link;
};
