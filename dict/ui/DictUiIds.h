// Resource ids of the dictionary dialogs: editor, New Dictionary, Dictionaries Manager.
#pragma once

#define IDD_DICT_EDITOR 131
#define IDD_DICT_MANAGER 132
#define IDR_MISC_MENU 141
#define IDD_NEW_DICTIONARY 145

// Dictionary editor.
#define IDC_EDITOR_QUERY 1005
#define IDC_EDITOR_RELOAD 1006
#define IDC_EDITOR_LIST 1007
#define IDC_EDITOR_KEY 1008
#define IDC_EDITOR_DATA 1009
#define IDC_EDITOR_ADD 1010
#define IDC_EDITOR_DELETE 1011
#define IDC_EDITOR_SAVE 1012
#define IDC_EDITOR_IMPORT 1013
#define IDC_EDITOR_MISC_KEY 1014
#define IDC_EDITOR_EXPORT 1015
#define IDC_EDITOR_HELP 1016
#define IDC_EDITOR_ADVANCE 1019
#define IDC_EDITOR_STATUS 1034
#define IDC_EDITOR_CAN_EDIT 1040

// Shared by the editor and the New Dictionary dialog.
#define IDC_DICT_DESCRIPTION 1017
#define IDC_DICT_TYPE 1018
#define IDC_DICT_NAME 1023
#define IDC_NEW_DICT_FILE 1072

// Dictionaries Manager.
#define IDC_MANAGER_LIST 1019
#define IDC_MANAGER_CREATE 1021
#define IDC_MANAGER_DELETE 1022
#define IDC_MANAGER_ENCRYPT 1047
#define IDC_MANAGER_EDIT 1068

// The MISC menu's macro names, in menu order: %CARET%, then the date, then the time macros.
#define ID_MISC_FIRST 32801
#define ID_MISC_LAST 32822

// Column titles.
#define IDS_COLUMN_DICT_NAME 2101
#define IDS_COLUMN_DICT_TYPE 2102
#define IDS_COLUMN_DESCRIPTION 2103
#define IDS_COLUMN_FILE_PATH 2104
#define IDS_COLUMN_SHORTHAND 2105
#define IDS_COLUMN_FULL_TEXT 2106
#define IDS_COLUMN_SPELLING 2107
#define IDS_COLUMN_REMARK 2108
