// The Applications Manager: where Pennivox works and where not, application by application.
#pragma once

#include <windows.h>

class CDlgAppManager {
public:
    // Runs the manager modally over owner; true when it ended with OK (AppConfig.ini was saved).
    static bool Run(HWND owner);
};
