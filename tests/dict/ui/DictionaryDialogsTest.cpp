// The Dictionaries Manager over a program folder whose path its code page cannot hold.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/Utf8Text.h"
#include "config/AppSettings.h"
#include "dict/DictionaryFile.h"
#include "dict/ui/DictUiIds.h"
#include "dict/ui/DictionariesManager.h"
#include "tests/support/TempFolder.h"
#include "wnd/Controls.h"

TEST(DictionariesManagerTest, OpensADictionaryInAFolderBeyondTheCodePageAndRecordsItsFlag)
{
    ASSERT_TRUE(wnd::InitCommonControlsOnce());
    pvtest::TempFolder dir;
    const std::string program = dir.Folder() + "\\Łódź\\";
    ASSERT_TRUE(::CreateDirectoryW(Widen(program).c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Widen(program + "libs").c_str(), nullptr));
    const std::string path = program + "libs\\Miasto.lib";
    {
        CDictionaryFile dictionary;
        ASSERT_TRUE(dictionary.Open(path)) << dictionary.OpenError();
        ASSERT_TRUE(dictionary.AddEntry("lodz", "city"));
        ASSERT_TRUE(dictionary.WriteInfo());
    }

    CDictionariesManager manager(program);
    ASSERT_TRUE(manager.CreateModeless(nullptr));
    wnd::CListView list(manager.Item(IDC_MANAGER_LIST));
    ASSERT_EQ(1, list.ItemCount());
    EXPECT_EQ("Words", list.ItemText(0, 1));  // its type: opened, not listed as damaged
    EXPECT_TRUE(list.IsChecked(0));
    list.SetChecked(0, false);
    manager.Send(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

    // The flag is recorded under the file's whole path, which Config.ini then holds in UTF-16.
    CAppSettings settings(program);
    EXPECT_FALSE(settings.IsDictionaryEnabled(path));
    EXPECT_TRUE(settings.IsDictionaryEnabled(program + "libs\\Other.lib"));
}
