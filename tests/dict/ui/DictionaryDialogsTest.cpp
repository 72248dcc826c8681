// The Dictionaries Manager over a program folder whose path its code page cannot hold, and the
// import preview.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/Utf8Text.h"
#include "config/DictionaryFlags.h"
#include "config/AppSettings.h"
#include "dict/DictionaryMatch.h"
#include "dict/DictionaryFile.h"
#include "dict/ui/DictUiIds.h"
#include "dict/ui/DictionariesManager.h"
#include "dict/ui/ImportPreviewDialog.h"
#include "tests/support/MessagePump.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowImage.h"
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
    CDictionaryFlags flags(CAppSettings(program).ConfigPath());
    EXPECT_FALSE(flags.IsEnabled(path));
    EXPECT_TRUE(flags.IsEnabled(program + "libs\\Other.lib"));
}

// The preview of an espanso file: the summary, every skipped item with its reason, the keys the
// dictionary has with the choice for all of them, and nothing chosen that was not asked for.
TEST(ImportPreviewTest, ListsSkippedItemsAndTheChoicesForKeysTheDictionaryHas)
{
    ASSERT_TRUE(wnd::InitCommonControlsOnce());
    pvtest::TempFolder dir;
    CDictionaryFile dictionary;
    ASSERT_TRUE(dictionary.Open(dir.File("short.lib")));
    dictionary.SetType(DICTIONARY_SHORTHAND);
    ASSERT_TRUE(dictionary.AddEntry("btw", "between"));
    ASSERT_TRUE(dictionary.AddEntry(":home", "home sweet home"));
    ASSERT_TRUE(dictionary.Commit());
    const interchange::ShorthandImportPlan plan = interchange::PlanShorthandImport(
        std::string(PV_SOURCE_DIR) + "/tests/dict/interchange/espanso-match.yml", dictionary);
    ASSERT_EQ(plan.problem, "");

    CImportPreviewDialog preview(plan);
    ASSERT_TRUE(preview.CreateModeless(nullptr));
    EXPECT_EQ(preview.ItemText(IDC_PREVIEW_SUMMARY),
              "espanso file (UTF-8): 11 of its 13 shorthands will come in; 6 items are skipped; 2 shorthands are "
              "already in the dictionary.");
    wnd::CListView skipped(preview.Item(IDC_PREVIEW_SKIPPED)), clashes(preview.Item(IDC_PREVIEW_CLASHES));
    ASSERT_EQ(skipped.ItemCount(), 6);
    EXPECT_EQ(skipped.ItemText(0, 1) + " " + skipped.ItemText(0, 2), ":ip it runs a shell command");
    ASSERT_EQ(clashes.ItemCount(), 2);
    EXPECT_EQ(clashes.ItemText(0, 1), "between");
    EXPECT_EQ(clashes.ItemText(0, 3), "Keep");
    ::ShowWindow(preview.Handle(), SW_SHOW);
    pvtest::Pump(300);  // the lists paint their rows
    pvtest::SaveShotIfAsked(preview.Handle(), "import_preview");

    preview.Send(WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_REPLACE, BN_CLICKED), 0);
    EXPECT_EQ(clashes.ItemText(1, 3), "Replace");
    preview.SetChecked(IDC_PREVIEW_ALL, false);
    clashes.Select(1);
    preview.Send(WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_BOTH, BN_CLICKED), 0);
    EXPECT_EQ(clashes.ItemText(0, 3) + "/" + clashes.ItemText(1, 3), "Replace/Keep both");
    int replaced = 0, both = 0;
    for (interchange::ClashChoice choice : preview.Choices())
        replaced += choice == interchange::ClashChoice::Replace, both += choice == interchange::ClashChoice::KeepBoth;
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(both, 1);
    EXPECT_EQ(preview.ItemText(IDC_PREVIEW_SUMMARY).substr(0, 47), "espanso file (UTF-8): 13 of its 13 shorthands w");
    preview.EndDialog(IDCANCEL);
}
