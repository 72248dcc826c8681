// Resource ids of the toolkit tests' dialogs, shared by WndTest.rc and the tests.
#pragma once

#define IDD_FIELDS 300
#define IDC_COUNT 301
#define IDC_COUNT_SPIN 302
#define IDC_SPEED_SLOW 303
#define IDC_SPEED_FAST 305
#define IDC_ENABLED 306
#define IDC_LABEL 307
#define IDC_HOTKEY 308
#define IDC_KIND 309
#define IDD_LISTS 320
#define IDC_ROWS 321
#define IDC_MANY 322
#define IDD_PAGES 340
#define IDC_PAGE_TREE 341
#define IDC_PAGE_AREA 342
#define IDC_PAGE_CAPTION 343
#define IDD_PAGE_ONE 350
#define IDC_ONE_VALUE 351
#define IDD_PAGE_TWO 360
#define IDC_TWO_VALUE 361
#define IDS_COLUMN_NAME 400
#define IDS_COLUMN_SIZE 401
