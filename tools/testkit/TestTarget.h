// Identifiers of the test target application (pvtarget.exe), for the tools that drive it.
#pragma once

#define TARGET_WINDOW_CLASS "PvTestTarget"
#define TARGET_ID_SINGLE 101
#define TARGET_ID_MULTI 102
#define TARGET_ID_PASSWORD 103
// wParam = control id; answers 1 when that control has the focus afterwards.
#define TARGET_FOCUS_CONTROL (WM_APP + 1)
