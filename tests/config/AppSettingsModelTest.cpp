// The settings' members and rule-list edits, which need no system calls.
#include "config/AppRules.h"
#include "config/AppSettings.h"
#include "config/DictionaryLanguages.h"
#include "config/SelectionKeyCheck.h"
#include "tests/config/RuleLists.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include <string>
#include <vector>

using configtest::PathRule;
using configtest::Sections;

TEST(AppSettingsModel, DefaultsOfAFreshObject)
{
    const CAppSettings file("some/dir");
    const SettingsRecord& settings = file.Values();
    EXPECT_EQ(0x26, settings.vkSelectPrev);
    EXPECT_EQ(0x28, settings.vkSelectNext);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(0x70 + i, settings.vkSelectIndex[i]);
    EXPECT_EQ(0x22, settings.vkSelectPageDown);
    EXPECT_EQ(0x21, settings.vkSelectPageUp);
    EXPECT_EQ(0x09, settings.vkSelect[0]);
    EXPECT_EQ(0x0D, settings.vkSelect[1]);
    for (int i = 2; i < 10; ++i)
        EXPECT_EQ(0xFF, settings.vkSelect[i]);
    EXPECT_EQ(1, settings.bEnableAutolearn);
    EXPECT_EQ(0u, settings.nMinLearnLength);
    EXPECT_EQ(std::string("; ',.!\"?"), settings.strSeparate);
    EXPECT_EQ(8u, settings.strSeparate.size());
    EXPECT_EQ(131188u, settings.dwEnableZel);
    EXPECT_EQ(1, settings.bEnableWord);
    EXPECT_EQ(1, settings.bEnablePhrase);
    EXPECT_EQ(1, settings.bEnableShorthand);
    EXPECT_EQ(1u, settings.nMinInput);
    EXPECT_EQ(1u, settings.nMinWordLength);
    EXPECT_EQ(500u, settings.nMaxWordLength);
    EXPECT_EQ(5u, settings.nMaxItemShow);
    EXPECT_EQ("some/dir\\", file.ProgramDirectory());
    EXPECT_EQ("some/dir\\Config.ini", file.ConfigPath());
    const CAppRules rules("C:\\Pv");
    EXPECT_EQ("C:\\Pv\\AppConfig.ini", rules.Path());
    EXPECT_EQ(1, rules.WorkOnOtherApps());
    EXPECT_TRUE(rules.Rules().empty());
}

TEST(AppSettingsModel, NextRuleSectionNumberTakesLeadingDigitsAfterThreeCharacters)
{
    EXPECT_EQ(1, NextRuleSectionNumber({}));
    EXPECT_EQ(8, NextRuleSectionNumber({PathRule("APP1", "a"), PathRule("APP3", "b"), PathRule("APP7", "c")}));
    EXPECT_EQ(1, NextRuleSectionNumber({PathRule("MyRule5", "a")}));  // "ule5" has no leading digits
    EXPECT_EQ(13, NextRuleSectionNumber({PathRule("XYZ12abc", "a"), PathRule("AP9", "b")}));  // AP9 is too short
    AppRule deleted = PathRule("APP20", "d");
    deleted.deleted = 1;
    EXPECT_EQ(21, NextRuleSectionNumber({PathRule("APP2", "a"), deleted}));  // deleted numbers stay taken
    // A hostile number neither overflows nor wraps round to a small one.
    EXPECT_EQ(0x7FFFFFFF, NextRuleSectionNumber({PathRule("APP99999999999999999999", "a")}));
}

TEST(AppRuleList, UpdateMovesTheReplacedRuleToTheEnd)
{
    CAppRules rules("d");
    rules.Replace({PathRule("APP1", "a"), PathRule("APP2", "b"), PathRule("APP3", "c")});
    AppRule changed = PathRule("APP2", "B2", 0);
    EXPECT_TRUE(rules.Update(changed));
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP3", "APP2"}), Sections(rules.Rules()));
    EXPECT_EQ("B2", rules.Rules().back().path);
    EXPECT_EQ(0, rules.Rules().back().workOn);
    EXPECT_FALSE(rules.Update(PathRule("app1", "x")));  // case matters
    // Passing a rule of the list itself must not read freed memory.
    EXPECT_TRUE(rules.Update(rules.Rules()[0]));
    EXPECT_EQ((std::vector<std::string>{"APP3", "APP2", "APP1"}), Sections(rules.Rules()));
}

TEST(AppRuleList, RemoveMarksAndMovesAndRestoreUndoes)
{
    CAppRules rules("d");
    rules.Replace({PathRule("APP1", "a"), PathRule("APP2", "b"), PathRule("APP3", "c")});
    EXPECT_TRUE(rules.Remove("APP2"));
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP3", "APP2"}), Sections(rules.Rules()));
    EXPECT_EQ(1, rules.Rules().back().deleted);
    EXPECT_FALSE(rules.Remove("APP9"));
    EXPECT_FALSE(rules.Remove("app1"));
    rules.Restore();
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP2", "APP3"}), Sections(rules.Rules()));
    EXPECT_EQ(0, rules.Rules()[1].deleted);
}

// Keys a hand-edited Config.ini may name: each role keeps only what the Options page could choose.
TEST(SelectionKeyCheck, KeysThePageCouldNotChooseFallBackToTheirDefaults)
{
    const SelectionKeys defaults;
    auto same = [](const SelectionKeys& a, const SelectionKeys& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    };

    // What the page offers stays: brackets, minus and equals, digits, Space among the complete keys.
    SelectionKeys chosen;
    chosen.vkSelectPrev = 0xDB;
    chosen.vkSelectNext = 0xDD;
    chosen.vkSelectPageDown = 0xBD;
    chosen.vkSelectPageUp = 0xBB;
    const std::uint8_t digits[10] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
    std::memcpy(chosen.vkSelectIndex, digits, 10);
    chosen.vkSelect[2] = 0x20;
    SelectionKeys keys = chosen;
    EXPECT_FALSE(RestoreUnchoosableSelectionKeys(keys));
    EXPECT_TRUE(same(keys, chosen));

    // A letter as the next key: that pair only goes back.
    keys = chosen;
    keys.vkSelectNext = 'A';
    EXPECT_TRUE(RestoreUnchoosableSelectionKeys(keys));
    EXPECT_EQ(keys.vkSelectPrev, defaults.vkSelectPrev);
    EXPECT_EQ(keys.vkSelectNext, defaults.vkSelectNext);
    EXPECT_EQ(keys.vkSelectPageDown, 0xBD);
    EXPECT_EQ(keys.vkSelectIndex[0], '1');

    // The blank as an index key, a letter as a complete key.
    keys = chosen;
    keys.vkSelectIndex[4] = ' ';
    keys.vkSelect[0] = 'A';
    EXPECT_TRUE(RestoreUnchoosableSelectionKeys(keys));
    EXPECT_EQ(0, std::memcmp(keys.vkSelectIndex, defaults.vkSelectIndex, 10));
    EXPECT_EQ(0, std::memcmp(keys.vkSelect, defaults.vkSelect, 10));
    EXPECT_EQ(keys.vkSelectPrev, 0xDB);

    // Every role "A": all defaults. Tab in every role (each valid alone for its own kind or not):
    // one key in several roles leaves nothing to complete with, so all go back.
    std::memset(static_cast<void*>(&keys), 'A', sizeof keys);
    EXPECT_TRUE(RestoreUnchoosableSelectionKeys(keys));
    EXPECT_TRUE(same(keys, defaults));
    keys = defaults;
    keys.vkSelect[2] = 0x09;  // Tab twice among the complete keys
    EXPECT_TRUE(RestoreUnchoosableSelectionKeys(keys));
    EXPECT_TRUE(same(keys, defaults));
    keys = defaults;
    keys.vkSelectPageUp = keys.vkSelectPageDown;
    keys.vkSelectIndex[9] = '1';
    keys.vkSelectIndex[8] = '1';
    EXPECT_TRUE(RestoreUnchoosableSelectionKeys(keys));
    EXPECT_TRUE(same(keys, defaults));
}

TEST(AppRuleList, EditingARuleToAnotherRulesTargetMergesIntoThatRule)
{
    CAppRules rules("d");
    rules.Replace({PathRule("APP1", "C:\\Tools\\a.exe"), PathRule("APP2", "C:\\b.exe"),
                   configtest::EditRule("APP3", "Edit#1", 1), configtest::EditRule("APP4", "Edit#2", 1)});
    rules.Remove("APP1");  // a deleted rule takes no merge
    std::vector<AppRule> list = rules.Rules();
    list.push_back(PathRule("APP5", "c:\\tools\\A.EXE"));
    rules.Replace(list);
    AppRule edited = rules.Rules()[0];  // APP2
    edited.path = "C:\\TOOLS\\a.exe";
    edited.workOn = 0;
    ASSERT_TRUE(rules.Update(edited));
    EXPECT_EQ((std::vector<std::string>{"APP3", "APP4", "APP1", "APP2", "APP5"}), Sections(rules.Rules()));
    EXPECT_EQ(1, rules.Rules()[3].deleted);  // APP2 leaves the file
    EXPECT_EQ(0, rules.Rules()[4].deleted);
    EXPECT_EQ("C:\\TOOLS\\a.exe", rules.Rules()[4].path);
    EXPECT_EQ(0, rules.Rules()[4].workOn);

    AppRule box = rules.Rules()[1];  // APP4 becomes Edit#1 as well
    box.editBoxId = "EDIT#1";
    ASSERT_TRUE(rules.Update(box));
    int live = 0;
    for (const AppRule& rule : rules.Rules())
        live += !rule.deleted && !rule.editBoxId.empty();
    EXPECT_EQ(1, live);
    EXPECT_EQ("APP3", rules.Rules().back().section);
    EXPECT_EQ("EDIT#1", rules.Rules().back().editBoxId);
    // An edit that keeps its own target stays in its own section.
    AppRule same = rules.Rules().back();
    same.caption = "renamed";
    ASSERT_TRUE(rules.Update(same));
    EXPECT_EQ("APP3", rules.Rules().back().section);
}

// The portable reading of Config.ini that tools use: the same keys and text forms as the
// program's, defaults for what is missing.
TEST(AppSettingsModel, ReadConfigFileTakesTheEngineSectionsAndKeepsDefaults)
{
    const std::string path = ::testing::TempDir() + "pv_read_config.ini";
    {
        std::ofstream ini(path, std::ios::binary);
        ini << "[Others]\r\nnMaxItemShow = 7\r\nbEnableShorthand=no\r\n[HotKeys]\r\nvkSelectIndex=3132\r\n"
               "vkSelectNext=zz\r\n[AutoLearn]\r\nstrSeparate=\" ;\"\r\nbEanbleAutolearn=0\r\n";
    }
    CAppSettings file("");
    ASSERT_TRUE(file.ReadConfigFile(path));
    const SettingsRecord& settings = file.Values();
    EXPECT_EQ(settings.nMaxItemShow, 7u);
    EXPECT_EQ(settings.bEnableShorthand, 0);
    EXPECT_EQ(settings.bEnableWord, settings_defaults::bEnableWord);
    EXPECT_EQ(settings.vkSelectIndex[0], 0x31);
    EXPECT_EQ(settings.vkSelectIndex[1], 0x32);
    EXPECT_EQ(settings.vkSelectIndex[2], 0x72) << "bytes beyond the value keep their defaults";
    EXPECT_EQ(settings.vkSelectNext, SelectionKeys().vkSelectNext) << "a malformed value is ignored";
    EXPECT_EQ(settings.strSeparate, " ;") << "one pair of quotes is dropped";
    EXPECT_EQ(settings.bEnableAutolearn, 0);
    std::remove(path.c_str());

    CAppSettings fresh("");
    EXPECT_FALSE(fresh.ReadConfigFile(path));
    EXPECT_EQ(fresh.Values().nMaxItemShow, settings_defaults::nMaxItemShow);
}

TEST(DictionaryLanguages, BundledFilesAreKnownByTheirNameInAnyFolderAndCase)
{
    using namespace dictionary_languages;
    EXPECT_EQ(0x07, LanguageOfFile("C:\\Pennivox\\Libs\\german.LIB"));
    EXPECT_EQ(0x19, LanguageOfFile("/opt/pennivox/Libs/Russian.lib"));
    EXPECT_EQ(0x15, LanguageOfFile("Polish.lib"));
    EXPECT_EQ(0, LanguageOfFile("C:\\Libs\\German.lib.dic"));  // its scrambled copy is the user's
    EXPECT_EQ(0, LanguageOfFile("C:\\Libs\\MyGerman.lib"));
    EXPECT_EQ(0, LanguageOfFile(""));
    EXPECT_TRUE(EnabledWithoutRecord("C:\\Libs\\Mine.lib", {}));
    EXPECT_TRUE(EnabledWithoutRecord("C:\\Libs\\Swedish.lib", {0x09, 0x1D}));
    EXPECT_FALSE(EnabledWithoutRecord("C:\\Libs\\Swedish.lib", {0x09}));
}
