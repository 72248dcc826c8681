// Resource ids of the toolkit's own widgets (Wnd.rc): the wait dialog and the links' hand cursor.
#pragma once

#define IDD_WAIT 137
#define IDC_HAND_CURSOR 144

// The toolkit's messages (WndStrings.rc).
#define IDS_WND_RANGE 2400
#define IDS_WND_TOO_LONG 2401
#define IDS_WND_CANNOT_OPEN 2402
// Why a file could not be read or written (FileFaultText), in the order of pvbase::FileFault.
#define IDS_WND_FAULT_MISSING 2403
#define IDS_WND_FAULT_READ_ONLY 2404
#define IDS_WND_FAULT_FOLDER_READ_ONLY 2405
#define IDS_WND_FAULT_DISK_FULL 2406
#define IDS_WND_FAULT_IN_USE 2407
#define IDS_WND_FAULT_DAMAGED 2408
#define IDS_WND_FAULT_OTHER 2409

#define IDC_WAIT_TEXT 1024
#define IDC_WAIT_CANCEL 1047
