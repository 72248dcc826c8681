// The settings' members and rule-list edits, which need no system calls.
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
    CAppSettings settings("some/dir");
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
    EXPECT_EQ(1, settings.bRunAtStartup);
    EXPECT_EQ(1u, settings.nMinInput);
    EXPECT_EQ(1u, settings.nMinWordLength);
    EXPECT_EQ(500u, settings.nMaxWordLength);
    EXPECT_EQ(5u, settings.nMaxItemShow);
    EXPECT_EQ(1, settings.workOnOtherApps);
    EXPECT_TRUE(settings.appRules.empty());
    EXPECT_EQ("some/dir\\", settings.ProgramDirectory());
    EXPECT_EQ("some/dir\\Config.ini", settings.ConfigPath());
    EXPECT_EQ("C:\\Pv\\AppConfig.ini", CAppSettings("C:\\Pv\\").AppConfigPath());
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

TEST(AppSettingsModel, UpdateMovesTheReplacedRuleToTheEnd)
{
    CAppSettings settings("d");
    settings.appRules = {PathRule("APP1", "a"), PathRule("APP2", "b"), PathRule("APP3", "c")};
    AppRule changed = PathRule("APP2", "B2", 0);
    EXPECT_TRUE(settings.UpdateAppRule(changed));
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP3", "APP2"}), Sections(settings.appRules));
    EXPECT_EQ("B2", settings.appRules.back().path);
    EXPECT_EQ(0, settings.appRules.back().workOn);
    EXPECT_FALSE(settings.UpdateAppRule(PathRule("app1", "x")));  // case matters
    // Passing a rule of the list itself must not read freed memory.
    EXPECT_TRUE(settings.UpdateAppRule(settings.appRules[0]));
    EXPECT_EQ((std::vector<std::string>{"APP3", "APP2", "APP1"}), Sections(settings.appRules));
}

TEST(AppSettingsModel, RemoveMarksAndMovesAndRestoreUndoes)
{
    CAppSettings settings("d");
    settings.appRules = {PathRule("APP1", "a"), PathRule("APP2", "b"), PathRule("APP3", "c")};
    settings.savedAppRules = settings.appRules;
    EXPECT_TRUE(settings.RemoveAppRule("APP2"));
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP3", "APP2"}), Sections(settings.appRules));
    EXPECT_EQ(1, settings.appRules.back().deleted);
    EXPECT_FALSE(settings.RemoveAppRule("APP9"));
    EXPECT_FALSE(settings.RemoveAppRule("app1"));
    settings.RestoreAppRules();
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP2", "APP3"}), Sections(settings.appRules));
    EXPECT_EQ(0, settings.appRules[1].deleted);
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

TEST(AppSettingsModel, EditingARuleToAnotherRulesTargetMergesIntoThatRule)
{
    CAppSettings settings("d");
    settings.appRules = {PathRule("APP1", "C:\\Tools\\a.exe"), PathRule("APP2", "C:\\b.exe"),
                         configtest::EditRule("APP3", "Edit#1", 1), configtest::EditRule("APP4", "Edit#2", 1)};
    settings.RemoveAppRule("APP1");  // a deleted rule takes no merge
    settings.appRules.push_back(PathRule("APP5", "c:\\tools\\A.EXE"));
    AppRule edited = settings.appRules[0];  // APP2
    edited.path = "C:\\TOOLS\\a.exe";
    edited.workOn = 0;
    ASSERT_TRUE(settings.UpdateAppRule(edited));
    EXPECT_EQ((std::vector<std::string>{"APP3", "APP4", "APP1", "APP2", "APP5"}), Sections(settings.appRules));
    EXPECT_EQ(1, settings.appRules[3].deleted);  // APP2 leaves the file
    EXPECT_EQ(0, settings.appRules[4].deleted);
    EXPECT_EQ("C:\\TOOLS\\a.exe", settings.appRules[4].path);
    EXPECT_EQ(0, settings.appRules[4].workOn);

    AppRule box = settings.appRules[1];  // APP4 becomes Edit#1 as well
    box.editBoxId = "EDIT#1";
    ASSERT_TRUE(settings.UpdateAppRule(box));
    int live = 0;
    for (const AppRule& rule : settings.appRules)
        live += !rule.deleted && !rule.editBoxId.empty();
    EXPECT_EQ(1, live);
    EXPECT_EQ("APP3", settings.appRules.back().section);
    EXPECT_EQ("EDIT#1", settings.appRules.back().editBoxId);
    // An edit that keeps its own target stays in its own section.
    AppRule same = settings.appRules.back();
    same.caption = "renamed";
    ASSERT_TRUE(settings.UpdateAppRule(same));
    EXPECT_EQ("APP3", settings.appRules.back().section);
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
    CAppSettings settings("");
    ASSERT_TRUE(settings.ReadConfigFile(path));
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
    EXPECT_EQ(fresh.nMaxItemShow, settings_defaults::nMaxItemShow);
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
