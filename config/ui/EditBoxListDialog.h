// The Edit Box List: single edit boxes where Pennivox must or must not work.
#pragma once

#include <windows.h>

class CDlgEditBoxList {
public:
    // Runs the list modally over owner; true when it ended with OK (AppConfig.ini was saved).
    static bool Run(HWND owner);
};
