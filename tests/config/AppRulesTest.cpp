// AppConfig.ini rules, the window questions and process lookup, with real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Utf8Text.h"
#include "config/AppSettings.h"
#include "config/ProcessInfo.h"
#include "config/ProfileFile.h"
#include "tests/config/RuleLists.h"
#include "tests/config/WinTestFiles.h"

using configtest::EditRule;
using configtest::ReadRaw;
using configtest::ScratchDir;
using configtest::Sections;
using configtest::WriteRaw;

namespace {

std::string OwnExePath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string Upper(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

class Window {
public:
    Window(const char* cls, HWND parent, int id, DWORD style)
    {
        m_window =
            CreateWindowExA(0, cls, "", style, 0, 0, 100, 50, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), nullptr);
    }
    ~Window()
    {
        if (m_window)
            DestroyWindow(m_window);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND get() const { return m_window; }

private:
    HWND m_window;
};

class AppRulesTest : public ::testing::Test {
protected:
    std::string AppIni() const { return m_dir.File("AppConfig.ini"); }
    void WriteAppConfig(const std::string& text) { ASSERT_TRUE(WriteRaw(AppIni(), text)); }
    std::vector<std::string> FileSections() const
    {
        std::vector<std::string> names;
        CProfileFile(AppIni().c_str()).SectionNames(names);
        return names;
    }

    ScratchDir m_dir;
};

}  // namespace

TEST_F(AppRulesTest, LoadsRulesInFileOrderAndALowerCaseOtherAppsSection)
{
    WriteAppConfig(
        "[APP1]\nCAPTION=Editor\nPATH=C:\\Tools\\ed.exe\nEDIT_ID=\nWORK_ON_PV=0\n"
        "[other_apps]\nWORK_ON_PV=0\n"
        "[Custom]\nCAPTION=Box\nEDIT_ID=Edit#1001\n"
        "[Empty]\n");
    CAppSettings settings(m_dir.Folder());
    EXPECT_TRUE(settings.LoadAppRules());
    EXPECT_EQ(0, settings.workOnOtherApps);
    ASSERT_EQ((std::vector<std::string>{"APP1", "Custom", "Empty"}), Sections(settings.appRules));
    EXPECT_EQ("Editor", settings.appRules[0].caption);
    EXPECT_EQ("C:\\Tools\\ed.exe", settings.appRules[0].path);
    EXPECT_EQ(0, settings.appRules[0].workOn);
    EXPECT_EQ("Edit#1001", settings.appRules[1].editBoxId);
    EXPECT_EQ(1, settings.appRules[1].workOn);  // missing: default 1
    EXPECT_EQ("", settings.appRules[2].path);   // kept although it can never match
    EXPECT_EQ(Sections(settings.appRules), Sections(settings.savedAppRules));

    // Without an Other_Apps section the value stays as it was.
    WriteAppConfig("[APP1]\nPATH=x\n");
    settings.LoadAppRules();
    EXPECT_EQ(0, settings.workOnOtherApps);
}

TEST_F(AppRulesTest, SaveWritesTheFormatAndKeepsForeignSections)
{
    WriteAppConfig("[Foreign]\nCAPTION=not ours\n");
    CAppSettings settings(m_dir.Folder());
    settings.LoadAppRules();
    AppRule rule;
    rule.caption = "Two\r\nLines";
    rule.path = "C:\\Apps\\thing.exe";
    rule.workOn = 0;
    EXPECT_EQ(1, settings.AddAppRule(rule));
    EXPECT_EQ("APP1", settings.appRules[1].section);
    EXPECT_EQ(-1, settings.AddAppRule(AppRule{}));       // neither path nor edit box
    settings.appRules.erase(settings.appRules.begin());  // the list does not mention Foreign
    EXPECT_TRUE(settings.SaveAppRules());
    const std::string text = ReadRaw(AppIni());
    EXPECT_NE(std::string::npos, text.find("[Foreign]"));
    EXPECT_LT(text.find("[Other_Apps]"), text.find("[APP1]"));
    const std::string app1 = text.substr(text.find("[APP1]"));
    EXPECT_LT(app1.find("CAPTION=Two  Lines"), app1.find("PATH=C:\\Apps\\thing.exe"));
    EXPECT_LT(app1.find("PATH="), app1.find("EDIT_ID="));
    EXPECT_LT(app1.find("EDIT_ID="), app1.find("WORK_ON_PV=0"));
    CProfileFile ini(AppIni().c_str());
    EXPECT_EQ("1", ini.ReadText("Other_Apps", "WORK_ON_PV"));
    EXPECT_TRUE(ini.HasKey("APP1", "EDIT_ID"));  // empty values are written too
}

TEST_F(AppRulesTest, NewRuleSectionFollowsTheLargestNumber)
{
    WriteAppConfig("[APP1]\nPATH=a\n[APP3]\nPATH=b\n[APP7]\nPATH=c\n");
    CAppSettings settings(m_dir.Folder());
    EXPECT_EQ("APP8", settings.NewRuleSection());  // an empty list is loaded first
    EXPECT_EQ(3u, settings.appRules.size());
    WriteAppConfig("[MyRule5]\nPATH=a\n");
    settings.LoadAppRules();
    EXPECT_EQ("APP1", settings.NewRuleSection());
    EXPECT_TRUE(settings.RemoveAppRule("MyRule5"));
    settings.appRules.push_back(settings.appRules.back());
    settings.appRules.back().section = "APP4";
    settings.RemoveAppRule("APP4");
    EXPECT_EQ("APP5", settings.NewRuleSection());  // numbers of deleted rules stay taken
}

TEST_F(AppRulesTest, DeleteThenSaveRemovesTheSectionAndRestorePutsItBack)
{
    WriteAppConfig("[Other_Apps]\nWORK_ON_PV=1\n[APP1]\nPATH=a\n[APP2]\nPATH=b\n[APP3]\nPATH=c\n");
    CAppSettings settings(m_dir.Folder());
    settings.LoadAppRules();
    // Cancel: the list goes back to the last load, APP2 in its old place.
    ASSERT_TRUE(settings.RemoveAppRule("APP2"));
    settings.RestoreAppRules();
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP2", "APP3"}), Sections(settings.appRules));
    EXPECT_EQ(0, settings.appRules[1].deleted);
    // OK: save, then load.
    ASSERT_TRUE(settings.RemoveAppRule("APP2"));
    EXPECT_TRUE(settings.SaveAppRules());
    settings.LoadAppRules();
    EXPECT_EQ((std::vector<std::string>{"Other_Apps", "APP1", "APP3"}), FileSections());
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP3"}), Sections(settings.appRules));
    EXPECT_EQ((std::vector<std::string>{"AppConfig.ini"}), m_dir.Entries());
}

TEST_F(AppRulesTest, ReadOnlyAppConfigIsUntouched)
{
    const std::string original = "[APP1]\nPATH=a\n";
    WriteAppConfig(original);
    ASSERT_TRUE(SetFileAttributesA(AppIni().c_str(), FILE_ATTRIBUTE_READONLY));
    CAppSettings settings(m_dir.Folder());
    settings.LoadAppRules();
    settings.RemoveAppRule("APP1");
    EXPECT_FALSE(settings.SaveAppRules());
    SetFileAttributesA(AppIni().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(original, ReadRaw(AppIni()));
}

TEST_F(AppRulesTest, CorruptAppConfigLoadsWithoutCrashing)
{
    std::string junk =
        "[\x01\x02]\nCAPTION=\xFF\xFE\nPATH\n[APP2]\nWORK_ON_PV=maybe\nEDIT_ID=" + std::string(50000, '#');
    for (int i = 0; i < 40; ++i)
        junk += "\n[R" + std::to_string(i) + "]\n=\n";
    WriteAppConfig(junk);
    CAppSettings settings(m_dir.Folder());
    settings.LoadAppRules();
    EXPECT_GE(settings.appRules.size(), 41u);
    auto app2 = std::find_if(settings.appRules.begin(), settings.appRules.end(),
                             [](const AppRule& r) { return r.section == "APP2"; });
    ASSERT_NE(settings.appRules.end(), app2);
    EXPECT_EQ(0, app2->workOn);  // no leading number
    EXPECT_EQ(50000u, app2->editBoxId.size());
    EXPECT_EQ("APP3", settings.NewRuleSection());  // R0 .. R39 are too short to carry a number
    // The profile writer may not hold a value this long: then the save fails as a whole and
    // the file stays byte for byte as it was; otherwise everything reads back.
    if (settings.SaveAppRules()) {
        CAppSettings again(m_dir.Folder());
        again.LoadAppRules();
        EXPECT_EQ(settings.appRules.size(), again.appRules.size());
        EXPECT_EQ(50000u, CProfileFile(AppIni().c_str()).ReadText("APP2", "EDIT_ID").size());
    } else {
        EXPECT_EQ(junk, ReadRaw(AppIni()));
    }
    EXPECT_EQ((std::vector<std::string>{"AppConfig.ini"}), m_dir.Entries());
}

// ---- windows -----------------------------------------------------------------------------

TEST(AppRulesWindows, EditBoxIdIsClassAndSignedControlId)
{
    Window dialog("#32770", nullptr, 0, WS_POPUP);
    ASSERT_TRUE(dialog.get());
    Window edit("Edit", dialog.get(), 15, WS_CHILD);
    Window negative("Button", dialog.get(), -2, WS_CHILD);
    EXPECT_EQ("Edit#15", CAppSettings::EditBoxId(edit.get()));
    EXPECT_EQ("#32770#0", CAppSettings::EditBoxId(dialog.get()));
    EXPECT_EQ("Button#-2", CAppSettings::EditBoxId(negative.get()));
    EXPECT_EQ("", CAppSettings::EditBoxId(nullptr));
    // A top-level window with a menu: the system answers the menu's handle as its id.
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "&File");
    HWND framed = CreateWindowExA(0, "#32770", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr, menu,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(framed);
    EXPECT_EQ("#32770#0", CAppSettings::EditBoxId(framed));
    DestroyWindow(framed);  // destroys its menu too
}

TEST(AppRulesWindows, EditBoxRuleWalksUpToTheDialog)
{
    Window dialog("#32770", nullptr, 0, WS_POPUP);
    Window panel("Static", dialog.get(), 7, WS_CHILD);
    Window edit("Edit", panel.get(), 15, WS_CHILD);
    ASSERT_TRUE(edit.get());
    CAppSettings settings("unused");
    settings.appRules = {EditRule("APP1", "#32770#0", 1), EditRule("APP2", "edit#15", 0)};
    EXPECT_EQ(0, settings.EditBoxRule(edit.get()));  // the control's own rule, case aside
    settings.appRules.erase(settings.appRules.begin() + 1);
    EXPECT_EQ(1, settings.EditBoxRule(edit.get()));  // through the panel to the dialog
    settings.appRules.clear();
    EXPECT_EQ(-1, settings.EditBoxRule(edit.get()));
    EXPECT_EQ(-1, settings.EditBoxRule(nullptr));
    AppRule app;
    app.path = "C:\\x.exe";  // application rules never answer for edit boxes
    settings.appRules = {app};
    EXPECT_EQ(-1, settings.EditBoxRule(edit.get()));
}

TEST(AppRulesWindows, IsAppEnabledMatchesPathsWithoutCaseAndAsksOncePerWindow)
{
    Window first("Static", nullptr, 0, WS_POPUP);
    Window second("Static", nullptr, 0, WS_POPUP);
    ASSERT_TRUE(first.get() && second.get());
    CAppSettings settings("unused");
    int lookups = 0;
    settings.SetImagePathLookup([&lookups](CAppSettings::WindowHandle window) {
        ++lookups;
        return CAppSettings::DefaultImagePath(window);
    });
    AppRule rule;
    rule.section = "APP1";
    rule.path = Upper(OwnExePath());
    rule.workOn = 0;
    settings.appRules = {rule};
    settings.workOnOtherApps = 1;
    EXPECT_EQ(0, settings.IsAppEnabled(first.get()));
    EXPECT_EQ(0, settings.IsAppEnabled(first.get()));
    EXPECT_EQ(1, lookups);  // the second question comes from the cache

    // A change applies once another window was asked about.
    settings.appRules.clear();
    EXPECT_EQ(0, settings.IsAppEnabled(first.get()));
    EXPECT_EQ(1, settings.IsAppEnabled(second.get()));
    EXPECT_EQ(2, lookups);

    // No path found: the cached verdict stands, now for this window.
    settings.SetImagePathLookup([&lookups](CAppSettings::WindowHandle) {
        ++lookups;
        return std::string();
    });
    settings.workOnOtherApps = 0;
    EXPECT_EQ(1, settings.IsAppEnabled(first.get()));
    EXPECT_EQ(1, settings.IsAppEnabled(first.get()));
    EXPECT_EQ(3, lookups);
}

TEST(AppRulesWindows, EveryChangeOfTheRulesDropsTheRememberedVerdict)
{
    Window window("Static", nullptr, 0, WS_POPUP);
    CAppSettings settings("unused");
    int lookups = 0;
    settings.SetImagePathLookup([&lookups](CAppSettings::WindowHandle) {
        ++lookups;
        return std::string("C:\\Apps\\Game.exe");
    });
    settings.appRules = {};
    EXPECT_EQ(1, settings.IsAppEnabled(window.get()));

    AppRule game;
    game.section = "APP1";
    game.path = "c:\\apps\\game.exe";
    game.workOn = 0;
    settings.AddAppRule(game);
    EXPECT_EQ(0, settings.IsAppEnabled(window.get()));  // the same window, judged anew
    game.workOn = 1;
    settings.UpdateAppRule(game);
    EXPECT_EQ(1, settings.IsAppEnabled(window.get()));
    settings.RemoveAppRule("APP1");  // deleted rules still match until the next load
    settings.SetWorkOnOtherApps(0);
    EXPECT_EQ(1, settings.IsAppEnabled(window.get()));
    settings.RestoreAppRules();  // the list of the last load: none
    EXPECT_EQ(0, settings.IsAppEnabled(window.get()));
    EXPECT_EQ(5, lookups);
    EXPECT_EQ(0, settings.IsAppEnabled(window.get()));
    EXPECT_EQ(5, lookups);  // unchanged rules: the cache answers
}

TEST_F(AppRulesTest, AddingAPathOrEditBoxThatHasARuleEditsThatRule)
{
    CAppSettings settings(m_dir.Folder());
    settings.LoadAppRules();
    AppRule first;
    first.caption = "Game";
    first.path = "C:\\Apps\\Game.exe";
    first.workOn = 0;
    EXPECT_EQ(0, settings.AddAppRule(first));
    settings.AddAppRule(EditRule("", "Edit#5", 0));
    AppRule again = first;
    again.path = "c:\\apps\\GAME.EXE";
    again.caption = "Game again";
    again.workOn = 1;
    EXPECT_EQ(1, settings.AddAppRule(again));
    ASSERT_EQ(2u, settings.appRules.size());
    EXPECT_EQ("APP1", settings.appRules[1].section);
    EXPECT_EQ("Game again", settings.appRules[1].caption);
    EXPECT_EQ(1, settings.appRules[1].workOn);
    EXPECT_EQ(1, settings.AddAppRule(EditRule("", "EDIT#5", 1)));
    ASSERT_EQ(2u, settings.appRules.size());
    EXPECT_EQ("APP2", settings.appRules[1].section);

    // A deleted rule's path may be added again as a new rule.
    settings.RemoveAppRule("APP1");
    EXPECT_EQ(2, settings.AddAppRule(first));
    EXPECT_EQ("APP3", settings.appRules[2].section);
}

TEST(ProcessInfo, FindsItsOwnPathAndNothingForANullWindow)
{
    Window window("Static", nullptr, 0, WS_POPUP);
    CProcessInfo info;
    EXPECT_TRUE(info.IsNtFamily());
    EXPECT_TRUE(info.Init());
    EXPECT_EQ(Lower(OwnExePath()), Lower(info.ImagePathOfWindow(window.get())));
    EXPECT_EQ(Lower(OwnExePath()), Lower(info.ImagePathOfProcess(GetCurrentProcessId())));
    EXPECT_EQ("", info.ImagePathOfWindow(nullptr));
    EXPECT_EQ("", info.ImagePathOfProcess(0xFFFFFFF0u));
    char small[8];
    EXPECT_EQ(7u, info.ImagePathOfWindow(window.get(), small, sizeof small));
    EXPECT_EQ(7u, std::string(small).size());
}

TEST(ProcessInfo, FindsAChildProcessItStarts)
{
    std::string child = OwnExePath();
    child.resize(child.rfind('\\') + 1);
    child += "config_sleeping_child.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + child + "\"";
    ASSERT_TRUE(CreateProcessA(child.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    WaitForInputIdle(process.hProcess, 2000);
    CProcessInfo info;
    info.Init();
    std::string found;
    for (int attempt = 0; attempt < 100 && found.empty(); ++attempt) {
        found = info.ImagePathOfProcess(process.dwProcessId);
        if (found.empty())
            Sleep(20);
    }
    EXPECT_EQ(Lower(child), Lower(found));
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ("", info.ImagePathOfProcess(process.dwProcessId));
}

TEST_F(AppRulesTest, RulesBeyondTheCodePageAreSavedReadBackAndMatched)
{
    WriteAppConfig("[APP1]\r\nCAPTION=Editor\r\nPATH=C:\\Tools\\ed.exe\r\nEDIT_ID=\r\nWORK_ON_PV=0\r\n");
    const std::string before = ReadRaw(AppIni());
    CAppSettings settings(m_dir.Folder());
    settings.LoadAppRules();
    AppRule program;
    program.caption = "Łódź";
    program.path = "C:\\Łódź\\app.exe";
    program.workOn = 0;
    AppRule box;
    box.caption = "Поле ввода";
    box.editBoxId = "RichEdit20W#1001";
    settings.AddAppRule(program);
    settings.AddAppRule(box);
    ASSERT_TRUE(settings.SaveAppRules());

    CAppSettings read(m_dir.Folder());
    read.LoadAppRules();
    ASSERT_EQ((std::vector<std::string>{"APP1", "APP2", "APP3"}), Sections(read.appRules));
    EXPECT_EQ("Łódź", read.appRules[1].caption);
    EXPECT_EQ("C:\\Łódź\\app.exe", read.appRules[1].path);
    EXPECT_EQ("Поле ввода", read.appRules[2].caption);
    EXPECT_EQ("Editor", read.appRules[0].caption);
    read.SetImagePathLookup([](CAppSettings::WindowHandle) { return std::string("c:\\ŁÓDŹ\\APP.EXE"); });
    Window window("Static", nullptr, 0, WS_POPUP);
    EXPECT_EQ(0, read.IsAppEnabled(window.get()));

    // Without them the file is ANSI again, as other programs read it.
    read.RemoveAppRule("APP2");
    read.RemoveAppRule("APP3");
    ASSERT_TRUE(read.SaveAppRules());
    EXPECT_NE("\xFF\xFE", ReadRaw(AppIni()).substr(0, 2));
    CAppSettings again(m_dir.Folder());
    again.LoadAppRules();
    EXPECT_EQ((std::vector<std::string>{"APP1"}), Sections(again.appRules));
    EXPECT_EQ("C:\\Tools\\ed.exe", again.appRules[0].path);
}

TEST(ProcessInfo, FindsAProgramInAFolderBeyondTheCodePage)
{
    ScratchDir dir;
    const std::wstring folder = Widen(dir.Folder() + "\\Łódź");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::wstring child = Widen(OwnExePath());
    child.resize(child.rfind(L'\\') + 1);
    const std::wstring copy = folder + L"\\child.exe";
    ASSERT_TRUE(CopyFileW((child + L"config_sleeping_child.exe").c_str(), copy.c_str(), FALSE));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + copy + L"\"";
    ASSERT_TRUE(CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    CProcessInfo info;
    info.Init();
    std::string found;
    for (int attempt = 0; attempt < 100 && found.empty(); ++attempt) {
        found = info.ImagePathOfProcess(process.dwProcessId);
        if (found.empty())
            Sleep(20);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(Lower(Narrow(copy)), Lower(found));

    // Its application rule names it in other letter case.
    CAppSettings settings("unused");
    AppRule rule;
    rule.section = "APP1";
    rule.path = dir.Folder() + "\\ŁÓDŹ\\CHILD.EXE";
    rule.workOn = 0;
    settings.appRules = {rule};
    settings.workOnOtherApps = 1;
    settings.SetImagePathLookup([&found](CAppSettings::WindowHandle) { return found; });
    Window window("Static", nullptr, 0, WS_POPUP);
    EXPECT_EQ(0, settings.IsAppEnabled(window.get()));
}

TEST(ProcessInfo, SnapshotsListExecutableNames)
{
    CProcessInfo info(CProcessInfo::Source::Snapshot);
    EXPECT_FALSE(info.IsNtFamily());
    EXPECT_TRUE(info.Init());
    info.Enumerate();
    const std::string own = OwnExePath();
    const std::string name = Lower(own.substr(own.rfind('\\') + 1));
    bool listed = false;
    for (const CProcessInfo::ProcessRecord& record : info.Processes()) {
        if (record.processId == GetCurrentProcessId()) {
            const std::string path = Lower(record.path);
            listed = path.size() >= name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0;
        }
    }
    EXPECT_TRUE(listed);
}
