// Resource ids of the toolkit's own widgets (Wnd.rc): the wait dialog and the links' hand cursor.
#pragma once

#define IDD_WAIT 137
#define IDC_HAND_CURSOR 144

#define IDC_WAIT_TEXT 1024
#define IDC_WAIT_CANCEL 1047
