// The Dictionaries Manager: every dictionary of the libs folder, which of them the engine loads,
// and where dictionaries are created and opened for editing.
#pragma once

#include "wnd/Dialog.h"

class CDictionariesManager : public wnd::CDialog {
public:
    CDictionariesManager();
    // Runs the manager modally over owner; true when it ended with OK (the enable flags were written).
    static bool Run(HWND owner);
};
