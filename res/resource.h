// Resource ids of the main program.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_PROMPT 102
#define IDS_LIBS_PATTERN 103
#define IDS_ENABLE_PENNIVOX 105
#define IDS_DISABLE_PENNIVOX 107
#define IDS_HOMEPAGE_TOPIC 112
#define IDS_MORE_DICTIONARIES_TOPIC 113
#define IDS_PROGRAM_TITLE 114
#define IDS_FEEDBACK_MAIL 115
#define IDS_UNABLE_TO_OPEN 117
#define IDS_NO_DICTIONARY 123
#define IDS_TRAY_TIP 126
#define IDR_MAINFRAME 128
#define IDB_CANDIDATE_KINDS 129
#define IDS_AUTOLEARN_PAGE 158
#define IDI_DISABLED 162
#define IDR_TRAY 171
#define IDS_ALREADY_RUNNING 178
#define IDS_USER_DICTIONARY 181
#define IDS_USER_SHORTHANDS 182

#define IDC_PROMPT_LIST 1001
#define IDC_ABOUT_LINK 1002
#define IDC_ABOUT_VERSION 1003

// System menu item "About".
#define IDM_ABOUTBOX 0x0010

// Tray menu commands.
#define ID_TRAY_OPTIONS 32771
#define ID_TRAY_EXIT 32772
#define ID_TRAY_APP_MANAGER 32794
#define ID_TRAY_DICT_MANAGER 32795
#define ID_TRAY_ENABLE 32797
#define ID_TRAY_WORDS 32823
#define ID_TRAY_SHORTHANDS 32824
#define ID_TRAY_HOMEPAGE 32828
#define ID_TRAY_FEEDBACK 32831
#define ID_TRAY_ABOUT 32832
#define ID_TRAY_HELP 32833
#define ID_TRAY_MORE_DICTIONARIES 32834
#define ID_TRAY_AUTOLEARN 32835
#define ID_TRAY_USER_DICTIONARY 32838
#define ID_TRAY_USER_SHORTHANDS 32839
#define ID_TRAY_AUTOLEARN_DICTIONARY 32840
#define ID_TRAY_EDIT_MANAGER 32841
#define ID_TRAY_PHRASES 32842
#define ID_TRAY_FIRST ID_TRAY_OPTIONS
#define ID_TRAY_LAST ID_TRAY_PHRASES

// Test and benchmark aids, sent as WM_COMMAND to the prompt or the controller window with the
// milliseconds in lParam: keep the window thread busy, or hold up the engine thread (now, or right
// after it typed its next completion, while the keys typed behind it are held back).
#define ID_DEBUG_BUSY_WINDOW_THREAD 0x7F10
#define ID_DEBUG_HANG_ENGINE 0x7F11
#define ID_DEBUG_HANG_ENGINE_AFTER_COMPLETION 0x7F12
