// The About box: the program's name, what it does and its homepage.
#pragma once

#include "wnd/Dialog.h"

class CAboutDialog : public wnd::CDialog {
public:
    CAboutDialog();
    // Runs the box modally over owner; a box already open comes forward instead.
    static void Run(HWND owner);

protected:
    bool OnCommand(int id, int code, HWND control) override;
};
