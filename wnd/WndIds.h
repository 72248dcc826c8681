// Resource ids of the toolkit's own widgets (Wnd.rc): the wait dialog and the links' hand cursor.
#pragma once

#define IDD_WAIT 137
#define IDC_HAND_CURSOR 144

// The toolkit's messages (WndStrings.rc).
#define IDS_WND_RANGE 2400
#define IDS_WND_TOO_LONG 2401
#define IDS_WND_CANNOT_OPEN 2402

#define IDC_WAIT_TEXT 1024
#define IDC_WAIT_CANCEL 1047
