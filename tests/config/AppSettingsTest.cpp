// CAppSettings against real Config.ini files, and the bFirstRun registry value.
#include "config/DictionaryFlags.h"
#include "config/FirstRunRecord.h"
#include "config/AppSettings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "config/ProfileFile.h"
#include "dict/ui/DictionaryEnableSettings.h"
#include "tests/config/WinTestFiles.h"

using configtest::Exists;
using configtest::ReadRaw;
using configtest::ScratchDir;
using configtest::WriteRaw;

namespace {

class AppSettingsTest : public ::testing::Test {
protected:
    std::string ConfigIni() const { return m_dir.File("Config.ini"); }
    void WriteConfig(const std::string& text) { ASSERT_TRUE(WriteRaw(ConfigIni(), text)); }
    std::string Value(const char* section, const char* key) const
    {
        return CProfileFile(ConfigIni().c_str()).ReadText(section, key, "<missing>");
    }

    ScratchDir m_dir;
};

void ExpectDefaults(const CAppSettings& s)
{
    const CAppSettings fresh("unused");
    EXPECT_EQ(0, std::memcmp(fresh.Values().vkSelectIndex, s.Values().vkSelectIndex, 10));
    EXPECT_EQ(0, std::memcmp(fresh.Values().vkSelect, s.Values().vkSelect, 10));
    EXPECT_EQ(0x26, s.Values().vkSelectPrev);
    EXPECT_EQ(0x28, s.Values().vkSelectNext);
    EXPECT_EQ(0x22, s.Values().vkSelectPageDown);
    EXPECT_EQ(0x21, s.Values().vkSelectPageUp);
    EXPECT_EQ(1, s.Values().bEnableAutolearn);
    EXPECT_EQ(0u, s.Values().nMinLearnLength);
    EXPECT_EQ(fresh.Values().strSeparate, s.Values().strSeparate);
    EXPECT_EQ(131188u, s.Values().dwEnableZel);
    EXPECT_EQ(1, s.Values().bEnableWord);
    EXPECT_EQ(1, s.Values().bEnablePhrase);
    EXPECT_EQ(1, s.Values().bEnableShorthand);
    EXPECT_EQ(1u, s.Values().nMinInput);
    EXPECT_EQ(1u, s.Values().nMinWordLength);
    EXPECT_EQ(500u, s.Values().nMaxWordLength);
    EXPECT_EQ(5u, s.Values().nMaxItemShow);
}

}  // namespace

TEST(AppSettingsProgramDirectory, IsTheFolderOfTheRunningProgram)
{
    CAppSettings settings;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::string expected(path, length);
    expected.resize(expected.rfind('\\') + 1);
    EXPECT_EQ(expected, settings.ProgramDirectory());
    EXPECT_EQ(expected + "Config.ini", settings.ConfigPath());
}

TEST_F(AppSettingsTest, NoConfigFileGivesTheDefaultsAndCreatesNothing)
{
    CAppSettings settings(m_dir.Folder());
    settings.Values().nMinLearnLength = 9;  // a load replaces what the member held
    settings.Values().dwEnableZel = 1;
    EXPECT_TRUE(settings.LoadAll());
    ExpectDefaults(settings);
    EXPECT_TRUE(m_dir.Entries().empty());
}

TEST_F(AppSettingsTest, ByteArraysNeverShrinkAndBadValuesLeaveMembersAlone)
{
    WriteConfig(
        "[HotKeys]\nvkSelectIndex=3132\nvkSelect=31G2\nvkSelectPrev=2\nvkSelectNext=DDDB\n"
        "vkSelectPageUp=\nvkSelectPageDown=0x\n");
    CAppSettings settings(m_dir.Folder());
    settings.LoadHotKeys();
    EXPECT_EQ('1', settings.Values().vkSelectIndex[0]);
    EXPECT_EQ('2', settings.Values().vkSelectIndex[1]);
    for (int i = 2; i < 10; ++i)
        EXPECT_EQ(0x70 + i, settings.Values().vkSelectIndex[i]) << i;  // F3..F10 stay
    const CAppSettings fresh("unused");
    EXPECT_EQ(0, std::memcmp(fresh.Values().vkSelect, settings.Values().vkSelect, 10));
    EXPECT_EQ(0x26, settings.Values().vkSelectPrev);    // one digit is no byte
    EXPECT_EQ(0xDD, settings.Values().vkSelectNext);    // one-byte member takes the first byte
    EXPECT_EQ(0x21, settings.Values().vkSelectPageUp);  // empty
    EXPECT_EQ(0x22, settings.Values().vkSelectPageDown);
    EXPECT_EQ(131188u, settings.Values().dwEnableZel);
    EXPECT_FALSE(settings.SelectionKeysReplaced());
    // Keys the Options page could not have chosen: the defaults, and the load says so.
    WriteConfig("[HotKeys]\nvkSelectNext=41\n");
    settings.LoadHotKeys();
    EXPECT_EQ(0x28, settings.Values().vkSelectNext);
    EXPECT_TRUE(settings.SelectionKeysReplaced());
}

TEST_F(AppSettingsTest, BooleansReadYesNumbersAndEmpty)
{
    WriteConfig(
        "[Others]\nbEnableWord=yes\nbEnablePhrase=0x1\nbEnableShorthand=\nnMinInput=3abc\n"
        "nMaxItemShow=\nnMaxWordLength=-1\n[AutoLearn]\nbEanbleAutolearn=No\nstrSeparate=\n");
    CAppSettings settings(m_dir.Folder());
    settings.Values().bEnableWord = 0;
    settings.Values().bEnablePhrase = 1;
    settings.Values().bEnableShorthand = 0;
    settings.LoadOthers();
    settings.LoadAutoLearn();
    EXPECT_EQ(1, settings.Values().bEnableWord);
    EXPECT_EQ(0, settings.Values().bEnablePhrase);     // leading decimal number 0
    EXPECT_EQ(1, settings.Values().bEnableShorthand);  // empty: default
    EXPECT_EQ(3u, settings.Values().nMinInput);
    EXPECT_EQ(5u, settings.Values().nMaxItemShow);
    EXPECT_EQ(0xFFFFFFFFu, settings.Values().nMaxWordLength);  // not range-checked on load
    EXPECT_EQ(0, settings.Values().bEnableAutolearn);
    EXPECT_EQ(SettingsRecord().strSeparate, settings.Values().strSeparate);
}

TEST_F(AppSettingsTest, SavedSectionsHaveTheirTextFormsAndReadBack)
{
    CAppSettings settings(m_dir.Folder());
    settings.Values().dwEnableZel = 131154;  // Ctrl+R
    settings.Values().vkSelect[2] = 0x20;
    settings.Values().bEnablePhrase = 7;  // any non-zero value is written as 1
    settings.Values().nMaxItemShow = 9;
    settings.Values().strSeparate = ";,";
    settings.Values().nMinLearnLength = 4;
    settings.Values().bEnableAutolearn = 0;
    EXPECT_TRUE(settings.SaveHotKeys());
    EXPECT_TRUE(settings.SaveOthers());
    EXPECT_TRUE(settings.SaveAutoLearn());
    EXPECT_EQ("70717273747576777879", Value("HotKeys", "vkSelectIndex"));
    EXPECT_EQ("090D20FFFFFFFFFFFFFF", Value("HotKeys", "vkSelect"));
    EXPECT_EQ("26", Value("HotKeys", "vkSelectPrev"));
    EXPECT_EQ("131154", Value("HotKeys", "dwEnableZel"));
    EXPECT_EQ("1", Value("Others", "bEnablePhrase"));
    EXPECT_EQ("9", Value("Others", "nMaxItemShow"));
    EXPECT_EQ(";,", Value("AutoLearn", "strSeparate"));
    EXPECT_EQ("0", Value("AutoLearn", "bEanbleAutolearn"));  // the key every file has had
    EXPECT_EQ("<missing>", Value("AutoLearn", "bEnableAutolearn"));

    CAppSettings loaded(m_dir.Folder());
    loaded.LoadAll();
    EXPECT_EQ(131154u, loaded.Values().dwEnableZel);
    EXPECT_EQ(0x20, loaded.Values().vkSelect[2]);
    EXPECT_EQ(1, loaded.Values().bEnablePhrase);
    EXPECT_EQ(9u, loaded.Values().nMaxItemShow);
    EXPECT_EQ(";,", loaded.Values().strSeparate);
    EXPECT_EQ(4u, loaded.Values().nMinLearnLength);
    EXPECT_EQ(0, loaded.Values().bEnableAutolearn);

    // The default separators (quotes, a blank, a leading semicolon) survive a round trip.
    CAppSettings defaults(m_dir.Folder());
    EXPECT_TRUE(defaults.SaveAutoLearn());
    loaded.LoadAutoLearn();
    EXPECT_EQ(SettingsRecord().strSeparate, loaded.Values().strSeparate);
    EXPECT_EQ((std::vector<std::string>{"Config.ini"}), m_dir.Entries());
}

// Every value set away from its default, as the program has always written it: loaded and saved
// section by section through the system's profile functions, the same bytes come out.
TEST_F(AppSettingsTest, SavedSectionsMakeTheFullConfigByteForByte)
{
    const std::string full = ReadRaw(std::string(PV_SOURCE_DIR) + "/tests/config/data/FullConfig.ini");
    ASSERT_FALSE(full.empty());
    ScratchDir source;
    ASSERT_TRUE(WriteRaw(source.File("Config.ini"), full));
    CAppSettings loaded(source.Folder());
    loaded.LoadAll();
    CAppSettings saved(m_dir.Folder());
    CopySettings(settings_sections::kAll, loaded.Values(), saved.Values());
    EXPECT_TRUE(saved.SaveAutoLearn());
    EXPECT_TRUE(saved.SaveHotKeys());
    EXPECT_TRUE(saved.SaveOthers());
    EXPECT_EQ(full, ReadRaw(ConfigIni()));
}

TEST_F(AppSettingsTest, SavingOneSectionKeepsTheOthers)
{
    WriteConfig("[DBS]\nDB1=C:\\libs\\a.lib\nDB1-B=0\n[Others]\nnMinInput=4\n[Foreign]\nkeep=me\n");
    CAppSettings settings(m_dir.Folder());
    settings.LoadAll();
    EXPECT_EQ(4u, settings.Values().nMinInput);
    settings.Values().nMinInput = 6;
    EXPECT_TRUE(settings.SaveOthers());
    EXPECT_EQ("me", Value("Foreign", "keep"));
    EXPECT_EQ("C:\\libs\\a.lib", Value("DBS", "DB1"));
    EXPECT_EQ("6", Value("Others", "nMinInput"));
}

TEST_F(AppSettingsTest, ReadOnlyConfigIsUntouchedAndMemoryKeepsTheValues)
{
    const std::string original = "[Others]\nnMaxItemShow=7\n";
    WriteConfig(original);
    ASSERT_TRUE(SetFileAttributesA(ConfigIni().c_str(), FILE_ATTRIBUTE_READONLY));
    CAppSettings settings(m_dir.Folder());
    settings.LoadAll();
    settings.Values().nMaxItemShow = 3;
    settings.Values().dwEnableZel = 131154;
    EXPECT_FALSE(settings.SaveOthers());
    EXPECT_FALSE(settings.SaveHotKeys());
    EXPECT_FALSE(settings.SaveAutoLearn());
    EXPECT_FALSE(CDictionaryFlags(ConfigIni()).SetEnabled("C:\\x.lib", false));
    EXPECT_EQ(3u, settings.Values().nMaxItemShow);
    EXPECT_EQ(131154u, settings.Values().dwEnableZel);
    SetFileAttributesA(ConfigIni().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(original, ReadRaw(ConfigIni()));
    EXPECT_EQ((std::vector<std::string>{"Config.ini"}), m_dir.Entries());
}

TEST_F(AppSettingsTest, CorruptConfigGivesDefaultsWhereValuesAreUnreadable)
{
    std::string junk = "[HotKeys]\nvkSelectIndex=";
    for (int i = 0; i < 3000; ++i)
        junk += static_cast<char>(1 + (i * 131) % 255);
    junk += "\n[Others]\nnMaxItemShow\nnMinInput=" + std::string(100000, '7') + "\nbEnableWord=\x01\xFF\n";
    junk += "[AutoLearn]\nstrSeparate=" + std::string(200000, ',') + "\n";
    WriteConfig(junk);
    CAppSettings settings(m_dir.Folder());
    settings.LoadAll();
    const CAppSettings fresh("unused");
    EXPECT_EQ(0, std::memcmp(fresh.Values().vkSelectIndex, settings.Values().vkSelectIndex, 10));
    EXPECT_EQ(5u, settings.Values().nMaxItemShow);             // no '=': missing
    EXPECT_EQ(0xFFFFFFFFu, settings.Values().nMinInput);       // too large: saturated, not wrapped
    EXPECT_EQ(0, settings.Values().bEnableWord);               // junk: leading number 0
    EXPECT_EQ(200000u, settings.Values().strSeparate.size());  // read whole
    EXPECT_EQ(131188u, settings.Values().dwEnableZel);
}

TEST_F(AppSettingsTest, DictionaryFlagsPairPathsWithFirstFreeNumbers)
{
    WriteConfig("[DBS]\nDB1=C:\\Libs\\one.lib\nDB1-B=1\nDB2=c:\\libs\\two.lib\nDB2-B=0\nDB4=C:\\Libs\\four.lib\n");
    CDictionaryFlags settings(ConfigIni());
    EXPECT_TRUE(settings.IsEnabled("C:\\Libs\\one.lib"));
    EXPECT_FALSE(settings.IsEnabled("C:\\LIBS\\TWO.LIB"));  // case does not matter
    EXPECT_TRUE(settings.IsEnabled("C:\\Libs\\four.lib"));  // no flag: enabled
    EXPECT_TRUE(settings.IsEnabled("C:\\Libs\\unknown.lib"));
    EXPECT_TRUE(settings.IsEnabled(""));

    // An existing path only changes its flag.
    EXPECT_TRUE(settings.SetEnabled("C:\\LIBS\\two.lib", true));
    EXPECT_EQ("1", Value("DBS", "DB2-B"));
    EXPECT_EQ("c:\\libs\\two.lib", Value("DBS", "DB2"));
    EXPECT_EQ("<missing>", Value("DBS", "DB3"));
    // A new path takes the first free number.
    EXPECT_TRUE(settings.SetEnabled("C:\\Libs\\new.lib", false));
    EXPECT_EQ("C:\\Libs\\new.lib", Value("DBS", "DB3"));
    EXPECT_EQ("0", Value("DBS", "DB3-B"));
    EXPECT_FALSE(settings.IsEnabled("c:\\libs\\NEW.lib"));
    EXPECT_TRUE(settings.SetEnabled("C:\\Libs\\newer.lib", true));
    EXPECT_EQ("C:\\Libs\\newer.lib", Value("DBS", "DB5"));
    EXPECT_FALSE(settings.SetEnabled("", true));
}

TEST_F(AppSettingsTest, DictionaryPathsBeyondTheCodePageKeepTheirFlagsAndTheOtherValues)
{
    WriteConfig("[Others]\r\nnMinInput=3\r\n[DBS]\r\nDB1=C:\\Libs\\one.lib\r\nDB1-B=0\r\n");
    CDictionaryFlags flags(ConfigIni());
    CAppSettings settings(m_dir.Folder());
    EXPECT_TRUE(flags.SetEnabled("C:\\Łódź\\Libs\\Polish.lib", false));
    EXPECT_EQ("\xFF\xFE", ReadRaw(ConfigIni()).substr(0, 2));
    EXPECT_FALSE(flags.IsEnabled("c:\\ŁÓDŹ\\libs\\polish.lib"));
    EXPECT_FALSE(flags.IsEnabled("C:\\Libs\\one.lib"));
    EXPECT_EQ("C:\\Łódź\\Libs\\Polish.lib", Value("DBS", "DB2"));
    // Both readers take the UTF-16 file: the system's and the portable one the tools use.
    settings.LoadOthers();
    EXPECT_EQ(3u, settings.Values().nMinInput);
    CAppSettings portable("unused");
    EXPECT_TRUE(portable.ReadConfigFile(ConfigIni()));
    EXPECT_EQ(3u, portable.Values().nMinInput);
}

TEST_F(AppSettingsTest, BundledLanguagesWithoutARecordAreOnOnlyForTheirUsers)
{
    // An existing user's records stay; a language dictionary new to them follows their language.
    WriteConfig("[DBS]\nDB1=C:\\Libs\\English.lib\nDB1-B=0\nDB2=C:\\Libs\\French.lib\nDB2-B=1\n");
    CDictionaryFlags settings(ConfigIni());
    settings.SetUserLanguages({0x15, 0x09});
    EXPECT_FALSE(settings.IsEnabled("C:\\Libs\\English.lib"));
    EXPECT_TRUE(settings.IsEnabled("C:\\Libs\\French.lib"));
    EXPECT_TRUE(settings.IsEnabled("C:\\Libs\\polish.LIB"));
    EXPECT_FALSE(settings.IsEnabled("C:\\Libs\\German.lib"));
    EXPECT_TRUE(settings.IsEnabled("C:\\Libs\\Phrases.lib"));
    EXPECT_TRUE(settings.SetEnabled("C:\\Libs\\German.lib", true));
    EXPECT_TRUE(settings.IsEnabled("C:\\Libs\\German.lib"));

    // Without languages given, the system's: under a Russian locale Russian.lib is on.
    CDictionaryFlags system(ConfigIni());
    const bool russianUser = PRIMARYLANGID(GetUserDefaultLangID()) == LANG_RUSSIAN;
    EXPECT_EQ(russianUser, system.IsEnabled("C:\\Libs\\Russian.lib"));
}

TEST_F(AppSettingsTest, DictionaryStoreReachesTheFlagsThroughItsInterface)
{
    CDictionaryEnableSettings adapter(ConfigIni());
    IDictionaryEnableStore& store = adapter;
    EXPECT_TRUE(store.IsDictionaryEnabled("C:\\a.lib"));
    EXPECT_TRUE(store.SetDictionaryEnabled("C:\\a.lib", false));
    EXPECT_FALSE(store.IsDictionaryEnabled("C:\\A.LIB"));
    EXPECT_EQ("C:\\a.lib", Value("DBS", "DB1"));
}

// ---- bFirstRun ---------------------------------------------------------------------------

namespace {

class FirstRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[96];
        std::snprintf(name, sizeof name, "SOFTWARE\\Pennivox Pro\\OptionTest%lu", GetCurrentProcessId());
        m_key = name;
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_key.c_str());
    }
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_key.c_str()); }

    bool ReadValue(std::string* bytes, DWORD* type)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return false;
        char data[64];
        DWORD size = sizeof data;
        LONG rc = RegQueryValueExA(key, "bFirstRun", nullptr, type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            return false;
        bytes->assign(data, size);
        return true;
    }
    void SetValue(const void* data, DWORD size, DWORD type)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                                 nullptr, &key, nullptr));
        RegSetValueExA(key, "bFirstRun", 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    std::string m_key;
};

}  // namespace

TEST_F(FirstRunTest, MissingValueCountsAsFirstRunAndIsResetToFourZeroBytes)
{
    CFirstRunRecord record(m_key);
    EXPECT_EQ(1u, record.Take());
    std::string bytes;
    DWORD type = 0;
    ASSERT_TRUE(ReadValue(&bytes, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(std::string(4, '\0'), bytes);
    EXPECT_EQ(0u, record.Take());  // the second start is no first run
}

TEST_F(FirstRunTest, StoredOneIsReadAndReset)
{
    const DWORD one = 1;
    SetValue(&one, sizeof one, REG_BINARY);
    CFirstRunRecord record(m_key);
    EXPECT_EQ(1u, record.Take());
    std::string bytes;
    DWORD type = 0;
    ASSERT_TRUE(ReadValue(&bytes, &type));
    EXPECT_EQ(std::string(4, '\0'), bytes);
    // An oversized value is no reason to fail: it counts as set and is reset.
    const char big[16] = {1};
    SetValue(big, sizeof big, REG_BINARY);
    EXPECT_NE(0u, record.Take());
    ASSERT_TRUE(ReadValue(&bytes, &type));
    EXPECT_EQ(std::string(4, '\0'), bytes);
}

TEST_F(AppSettingsTest, ConfigThatIsAFolderGivesDefaultsAndIsNeverReplaced)
{
    ASSERT_TRUE(CreateDirectoryA(ConfigIni().c_str(), nullptr));
    CAppSettings settings(m_dir.Folder());
    settings.Values().nMaxItemShow = 8;
    settings.LoadAll();
    ExpectDefaults(settings);
    EXPECT_FALSE(settings.SaveOthers());
    EXPECT_FALSE(CDictionaryFlags(ConfigIni()).SetEnabled("C:\\a.lib", true));
    EXPECT_TRUE(GetFileAttributesA(ConfigIni().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ((std::vector<std::string>{"Config.ini"}), m_dir.Entries());
}
