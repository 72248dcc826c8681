#pragma once
#define IDD_TEST_LEARN_PAGE 9146
#define IDC_TEST_LEARN_BOX 9147
