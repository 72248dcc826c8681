// AppConfig.ini rules, the window questions and process lookup, with real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Utf8Text.h"
#include "config/AppRules.h"
#include "config/AppVerdict.h"
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
    CAppRules rules(m_dir.Folder());
    EXPECT_TRUE(rules.Load());
    EXPECT_EQ(0, rules.WorkOnOtherApps());
    ASSERT_EQ((std::vector<std::string>{"APP1", "Custom", "Empty"}), Sections(rules.Rules()));
    EXPECT_EQ("Editor", rules.Rules()[0].caption);
    EXPECT_EQ("C:\\Tools\\ed.exe", rules.Rules()[0].path);
    EXPECT_EQ(0, rules.Rules()[0].workOn);
    EXPECT_EQ("Edit#1001", rules.Rules()[1].editBoxId);
    EXPECT_EQ(1, rules.Rules()[1].workOn);  // missing: default 1
    EXPECT_EQ("", rules.Rules()[2].path);   // kept although it can never match
    rules.Remove("APP1");
    rules.Restore();  // the list as loaded
    EXPECT_EQ((std::vector<std::string>{"APP1", "Custom", "Empty"}), Sections(rules.Rules()));
    EXPECT_EQ(0, rules.Rules()[0].deleted);

    // Without an Other_Apps section the value stays as it was.
    WriteAppConfig("[APP1]\nPATH=x\n");
    rules.Load();
    EXPECT_EQ(0, rules.WorkOnOtherApps());
}

TEST_F(AppRulesTest, SaveWritesTheFormatAndKeepsForeignSections)
{
    WriteAppConfig("[Foreign]\nCAPTION=not ours\n");
    CAppRules rules(m_dir.Folder());
    rules.Load();
    AppRule rule;
    rule.caption = "Two\r\nLines";
    rule.path = "C:\\Apps\\thing.exe";
    rule.workOn = 0;
    EXPECT_EQ(1, rules.Add(rule));
    EXPECT_EQ("APP1", rules.Rules()[1].section);
    EXPECT_EQ(-1, rules.Add(AppRule{}));  // neither path nor edit box
    std::vector<AppRule> withoutForeign(rules.Rules().begin() + 1, rules.Rules().end());
    rules.Replace(withoutForeign);  // the list does not mention Foreign
    EXPECT_TRUE(rules.Save());
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
    CAppRules rules(m_dir.Folder());
    EXPECT_EQ("APP8", rules.NewSection());  // an empty list is loaded first
    EXPECT_EQ(3u, rules.Rules().size());
    WriteAppConfig("[MyRule5]\nPATH=a\n");
    rules.Load();
    EXPECT_EQ("APP1", rules.NewSection());
    EXPECT_TRUE(rules.Remove("MyRule5"));
    std::vector<AppRule> list = rules.Rules();
    list.push_back(list.back());
    list.back().section = "APP4";
    rules.Replace(list);
    rules.Remove("APP4");
    EXPECT_EQ("APP5", rules.NewSection());  // numbers of deleted rules stay taken
}

TEST_F(AppRulesTest, DeleteThenSaveRemovesTheSectionAndRestorePutsItBack)
{
    WriteAppConfig("[Other_Apps]\nWORK_ON_PV=1\n[APP1]\nPATH=a\n[APP2]\nPATH=b\n[APP3]\nPATH=c\n");
    CAppRules rules(m_dir.Folder());
    rules.Load();
    // Cancel: the list goes back to the last load, APP2 in its old place.
    ASSERT_TRUE(rules.Remove("APP2"));
    rules.Restore();
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP2", "APP3"}), Sections(rules.Rules()));
    EXPECT_EQ(0, rules.Rules()[1].deleted);
    // OK: save, then load.
    ASSERT_TRUE(rules.Remove("APP2"));
    EXPECT_TRUE(rules.Save());
    rules.Load();
    EXPECT_EQ((std::vector<std::string>{"Other_Apps", "APP1", "APP3"}), FileSections());
    EXPECT_EQ((std::vector<std::string>{"APP1", "APP3"}), Sections(rules.Rules()));
    EXPECT_EQ((std::vector<std::string>{"AppConfig.ini"}), m_dir.Entries());
}

TEST_F(AppRulesTest, ReadOnlyAppConfigIsUntouched)
{
    const std::string original = "[APP1]\nPATH=a\n";
    WriteAppConfig(original);
    ASSERT_TRUE(SetFileAttributesA(AppIni().c_str(), FILE_ATTRIBUTE_READONLY));
    CAppRules rules(m_dir.Folder());
    rules.Load();
    rules.Remove("APP1");
    EXPECT_FALSE(rules.Save());
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
    CAppRules rules(m_dir.Folder());
    rules.Load();
    EXPECT_GE(rules.Rules().size(), 41u);
    auto app2 =
        std::find_if(rules.Rules().begin(), rules.Rules().end(), [](const AppRule& r) { return r.section == "APP2"; });
    ASSERT_NE(rules.Rules().end(), app2);
    EXPECT_EQ(0, app2->workOn);  // no leading number
    EXPECT_EQ(50000u, app2->editBoxId.size());
    EXPECT_EQ("APP3", rules.NewSection());  // R0 .. R39 are too short to carry a number
    // The profile writer may not hold a value this long: then the save fails as a whole and
    // the file stays byte for byte as it was; otherwise everything reads back.
    if (rules.Save()) {
        CAppRules again(m_dir.Folder());
        again.Load();
        EXPECT_EQ(rules.Rules().size(), again.Rules().size());
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
    EXPECT_EQ("Edit#15", CAppRules::EditBoxId(edit.get()));
    EXPECT_EQ("#32770#0", CAppRules::EditBoxId(dialog.get()));
    EXPECT_EQ("Button#-2", CAppRules::EditBoxId(negative.get()));
    EXPECT_EQ("", CAppRules::EditBoxId(nullptr));
    // A top-level window with a menu: the system answers the menu's handle as its id.
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "&File");
    HWND framed = CreateWindowExA(0, "#32770", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr, menu,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(framed);
    EXPECT_EQ("#32770#0", CAppRules::EditBoxId(framed));
    DestroyWindow(framed);  // destroys its menu too
}

TEST(AppRulesWindows, EditBoxRuleWalksUpToTheDialog)
{
    Window dialog("#32770", nullptr, 0, WS_POPUP);
    Window panel("Static", dialog.get(), 7, WS_CHILD);
    Window edit("Edit", panel.get(), 15, WS_CHILD);
    ASSERT_TRUE(edit.get());
    CAppRules rules("unused");
    rules.Replace({EditRule("APP1", "#32770#0", 1), EditRule("APP2", "edit#15", 0)});
    EXPECT_EQ(0, rules.EditBoxRule(edit.get()));  // the control's own rule, case aside
    rules.Replace({EditRule("APP1", "#32770#0", 1)});
    EXPECT_EQ(1, rules.EditBoxRule(edit.get()));  // through the panel to the dialog
    rules.Replace({});
    EXPECT_EQ(-1, rules.EditBoxRule(edit.get()));
    EXPECT_EQ(-1, rules.EditBoxRule(nullptr));
    AppRule app;
    app.path = "C:\\x.exe";  // application rules never answer for edit boxes
    rules.Replace({app});
    EXPECT_EQ(-1, rules.EditBoxRule(edit.get()));
}

TEST(AppRulesWindows, IsAppEnabledMatchesPathsWithoutCaseAndAsksOncePerWindow)
{
    Window first("Static", nullptr, 0, WS_POPUP);
    Window second("Static", nullptr, 0, WS_POPUP);
    ASSERT_TRUE(first.get() && second.get());
    CAppRules rules("unused");
    int lookups = 0;
    bool pathFound = true;
    CAppVerdict verdict(rules, [&](CAppVerdict::WindowHandle window) {
        ++lookups;
        return pathFound ? CAppVerdict::DefaultImagePath(window) : std::string();
    });
    AppRule rule;
    rule.section = "APP1";
    rule.path = Upper(OwnExePath());
    rule.workOn = 0;
    rules.Replace({rule});
    EXPECT_EQ(0, verdict.IsAppEnabled(first.get()));
    EXPECT_EQ(0, verdict.IsAppEnabled(first.get()));
    EXPECT_EQ(1, lookups);  // the second question comes from the cache
    EXPECT_EQ(0, verdict.IsAppEnabled(second.get()));
    EXPECT_EQ(2, lookups);

    // No path found: the last verdict stands, now for this window.
    pathFound = false;
    EXPECT_EQ(0, verdict.IsAppEnabled(first.get()));
    EXPECT_EQ(0, verdict.IsAppEnabled(first.get()));
    EXPECT_EQ(3, lookups);
    // After a change of the rules there is no last verdict to keep: the program works.
    rules.SetWorkOnOtherApps(0);
    EXPECT_EQ(1, verdict.IsAppEnabled(first.get()));
    EXPECT_EQ(4, lookups);
}

TEST(AppRulesWindows, EveryChangeOfTheRulesDropsTheRememberedVerdict)
{
    Window window("Static", nullptr, 0, WS_POPUP);
    CAppRules rules("unused");
    int lookups = 0;
    CAppVerdict verdict(rules, [&lookups](CAppVerdict::WindowHandle) {
        ++lookups;
        return std::string("C:\\Apps\\Game.exe");
    });
    rules.Replace({});
    EXPECT_EQ(1, verdict.IsAppEnabled(window.get()));

    AppRule game;
    game.section = "APP1";
    game.path = "c:\\apps\\game.exe";
    game.workOn = 0;
    rules.Add(game);
    EXPECT_EQ(0, verdict.IsAppEnabled(window.get()));  // the same window, judged anew
    game.workOn = 1;
    rules.Update(game);
    EXPECT_EQ(1, verdict.IsAppEnabled(window.get()));
    rules.Remove("APP1");  // deleted rules still match until the next load
    rules.SetWorkOnOtherApps(0);
    EXPECT_EQ(1, verdict.IsAppEnabled(window.get()));
    rules.Restore();  // the list of the last load: none
    EXPECT_EQ(0, verdict.IsAppEnabled(window.get()));
    EXPECT_EQ(5, lookups);
    EXPECT_EQ(0, verdict.IsAppEnabled(window.get()));
    EXPECT_EQ(5, lookups);  // unchanged rules: the cache answers
}

TEST_F(AppRulesTest, AddingAPathOrEditBoxThatHasARuleEditsThatRule)
{
    CAppRules rules(m_dir.Folder());
    rules.Load();
    AppRule first;
    first.caption = "Game";
    first.path = "C:\\Apps\\Game.exe";
    first.workOn = 0;
    EXPECT_EQ(0, rules.Add(first));
    rules.Add(EditRule("", "Edit#5", 0));
    AppRule again = first;
    again.path = "c:\\apps\\GAME.EXE";
    again.caption = "Game again";
    again.workOn = 1;
    EXPECT_EQ(1, rules.Add(again));
    ASSERT_EQ(2u, rules.Rules().size());
    EXPECT_EQ("APP1", rules.Rules()[1].section);
    EXPECT_EQ("Game again", rules.Rules()[1].caption);
    EXPECT_EQ(1, rules.Rules()[1].workOn);
    EXPECT_EQ(1, rules.Add(EditRule("", "EDIT#5", 1)));
    ASSERT_EQ(2u, rules.Rules().size());
    EXPECT_EQ("APP2", rules.Rules()[1].section);

    // A deleted rule's path may be added again as a new rule.
    rules.Remove("APP1");
    EXPECT_EQ(2, rules.Add(first));
    EXPECT_EQ("APP3", rules.Rules()[2].section);
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
    CAppRules rules(m_dir.Folder());
    rules.Load();
    AppRule program;
    program.caption = "Łódź";
    program.path = "C:\\Łódź\\app.exe";
    program.workOn = 0;
    AppRule box;
    box.caption = "Поле ввода";
    box.editBoxId = "RichEdit20W#1001";
    rules.Add(program);
    rules.Add(box);
    ASSERT_TRUE(rules.Save());

    CAppRules read(m_dir.Folder());
    read.Load();
    ASSERT_EQ((std::vector<std::string>{"APP1", "APP2", "APP3"}), Sections(read.Rules()));
    EXPECT_EQ("Łódź", read.Rules()[1].caption);
    EXPECT_EQ("C:\\Łódź\\app.exe", read.Rules()[1].path);
    EXPECT_EQ("Поле ввода", read.Rules()[2].caption);
    EXPECT_EQ("Editor", read.Rules()[0].caption);
    CAppVerdict verdict(read, [](CAppVerdict::WindowHandle) { return std::string("c:\\ŁÓDŹ\\APP.EXE"); });
    Window window("Static", nullptr, 0, WS_POPUP);
    EXPECT_EQ(0, verdict.IsAppEnabled(window.get()));

    // Without them the file is ANSI again, as other programs read it.
    read.Remove("APP2");
    read.Remove("APP3");
    ASSERT_TRUE(read.Save());
    EXPECT_NE("\xFF\xFE", ReadRaw(AppIni()).substr(0, 2));
    CAppRules again(m_dir.Folder());
    again.Load();
    EXPECT_EQ((std::vector<std::string>{"APP1"}), Sections(again.Rules()));
    EXPECT_EQ("C:\\Tools\\ed.exe", again.Rules()[0].path);
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
    CAppRules rules("unused");
    AppRule rule;
    rule.section = "APP1";
    rule.path = dir.Folder() + "\\ŁÓDŹ\\CHILD.EXE";
    rule.workOn = 0;
    rules.Replace({rule});
    CAppVerdict verdict(rules, [&found](CAppVerdict::WindowHandle) { return found; });
    Window window("Static", nullptr, 0, WS_POPUP);
    EXPECT_EQ(0, verdict.IsAppEnabled(window.get()));
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
