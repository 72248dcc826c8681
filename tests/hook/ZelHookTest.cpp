// Zel.dll in-process under Wine: its export and import tables, the shared section, and the hook
// procedure fed with real input (SendInput) into a window of this thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hook/HookMessages.h"
#include "tests/support/HookWindows.h"
#include "tests/support/MessagePump.h"

namespace {

using pvtest::KeyInput;
using pvtest::Send;
using pvtest::Tap;

// Zel.dll, or Zel32.dll in the 32-bit build.
#ifdef PV_ZEL_FILE
const char kZelFile[] = PV_ZEL_FILE;
#else
const char kZelFile[] = "Zel.dll";
#endif

using InstallHookFn = int(WINAPI*)(HWND);
using RemoveHookFn = void(WINAPI*)();
using ActivateTargetFn = BOOL(WINAPI*)();
using InstallThreadHookFn = HHOOK(WINAPI*)(HWND, DWORD);
using KeyboardProcFn = LRESULT(WINAPI*)(int, WPARAM, LPARAM);

template <class Fn>
Fn Ordinal(HMODULE module, int ordinal)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

const IMAGE_NT_HEADERS* NtHeaders(HMODULE module)
{
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

std::vector<std::string> ImportedDlls(HMODULE module)
{
    auto base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_DATA_DIRECTORY& dir = NtHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    for (auto desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         dir.VirtualAddress && desc->Name; ++desc) {
        std::string name = reinterpret_cast<const char*>(base + desc->Name);
        for (char& c : name)
            c = (char)toupper((unsigned char)c);
        names.push_back(name);
    }
    return names;
}

struct Report {
    HWND window;
    unsigned character;
    unsigned vk;
    bool released;
};

// A receiver window and a target edit, both in this thread; the hook calls the receiver directly.
class HookFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_zel = LoadLibraryA(kZelFile);
        ASSERT_NE(m_zel, nullptr);
        m_install = Ordinal<InstallHookFn>(m_zel, 1);
        m_remove = Ordinal<RemoveHookFn>(m_zel, 2);
        m_activate = Ordinal<ActivateTargetFn>(m_zel, 10);
        ASSERT_TRUE(m_install && m_remove && m_activate);

        m_windows = std::make_unique<pvtest::HookWindows>([this](HWND window, WPARAM wParam, LPARAM lParam) {
            m_reports.push_back({window, (unsigned)wParam, HOOK_KEY_VK(lParam), HOOK_KEY_IS_RELEASE(lParam)});
            EXPECT_EQ(lParam & ~(LPARAM)0xFF01, 0) << "only the vk and the release bit may be set";
            return m_answer ? m_answer((unsigned)wParam) : 1;
        });
        ASSERT_TRUE(m_windows->Created());
        m_receiver = m_windows->Receiver();
        m_target = m_windows->Target();
    }

    void TearDown() override
    {
        if (m_remove)
            m_remove();
        m_windows.reset();
        // The hook keeps the library loaded in this process until it is unhooked; that is fine.
        FreeLibrary(m_zel);
    }

    bool WaitForText(const std::string& wanted) { return m_windows->WaitForText(wanted); }

    HMODULE m_zel = nullptr;
    InstallHookFn m_install = nullptr;
    RemoveHookFn m_remove = nullptr;
    ActivateTargetFn m_activate = nullptr;
    std::unique_ptr<pvtest::HookWindows> m_windows;
    HWND m_receiver = nullptr;
    HWND m_target = nullptr;
    std::vector<Report> m_reports;
    std::function<LRESULT(unsigned)> m_answer;
};

TEST(ZelLibrary, ExportsOnlyItsOrdinals)
{
    HMODULE zel = LoadLibraryA(kZelFile);
    ASSERT_NE(zel, nullptr);
    for (int ordinal : {1, 2, 10, 11, 12})
        EXPECT_NE(GetProcAddress(zel, MAKEINTRESOURCEA(ordinal)), nullptr) << ordinal;
    for (int ordinal : {3, 4, 5, 6, 7, 8, 9, 13})
        EXPECT_EQ(GetProcAddress(zel, MAKEINTRESOURCEA(ordinal)), nullptr) << ordinal;
    for (const char* name : {"InstallHook", "RemoveHook", "ActivateTarget", "InstallThreadHook", "KeyboardProc",
                             "KeyboardHookProc", "DllMain"})
        EXPECT_EQ(GetProcAddress(zel, name), nullptr) << name << " is exported by name";

    auto base = reinterpret_cast<const BYTE*>(zel);
    const IMAGE_DATA_DIRECTORY& dir = NtHeaders(zel)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    EXPECT_EQ(exports->NumberOfNames, 0u);
    FreeLibrary(zel);
}

TEST(ZelLibrary, ImportsOnlyKernelAndUser)
{
    HMODULE zel = LoadLibraryA(kZelFile);
    ASSERT_NE(zel, nullptr);
    EXPECT_EQ(ImportedDlls(zel), (std::vector<std::string>{"KERNEL32.DLL", "USER32.DLL"}));
    FreeLibrary(zel);
}

TEST(ZelLibrary, StateLivesInOneSharedWritableSection)
{
    HMODULE zel = LoadLibraryA(kZelFile);
    ASSERT_NE(zel, nullptr);
    const IMAGE_NT_HEADERS* nt = NtHeaders(zel);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    const IMAGE_SECTION_HEADER* shared = nullptr;
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i)
        if (strncmp(reinterpret_cast<const char*>(section[i].Name), ".hdata", 8) == 0)
            shared = &section[i];
    ASSERT_NE(shared, nullptr);
    const DWORD rws = IMAGE_SCN_MEM_SHARED | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE;
    EXPECT_EQ(shared->Characteristics & rws, rws);
    // Main window, hook and target window: three pointers, all null at load.
    EXPECT_GE(shared->Misc.VirtualSize, 3 * sizeof(void*));
    auto data = reinterpret_cast<const void* const*>(reinterpret_cast<const BYTE*>(zel) + shared->VirtualAddress);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(data[i], nullptr);
    FreeLibrary(zel);
}

TEST_F(HookFixture, ReportsPressAndReleaseWithCharacterAndKey)
{
    EXPECT_EQ(m_install(m_receiver), 1);
    Send(Tap("AB"));
    ASSERT_TRUE(WaitForText("ab"));
    ASSERT_EQ(m_reports.size(), 4u);
    EXPECT_EQ(m_reports[0].character, (unsigned)'a');
    EXPECT_EQ(m_reports[0].vk, (unsigned)'A');
    EXPECT_FALSE(m_reports[0].released);
    EXPECT_EQ(m_reports[1].character, (unsigned)'a');
    EXPECT_TRUE(m_reports[1].released);
    EXPECT_EQ(m_reports[2].vk, (unsigned)'B');
    EXPECT_TRUE(m_reports[3].released);
}

TEST_F(HookFixture, EachRepeatIsReported)
{
    m_install(m_receiver);
    WORD scan = (WORD)MapVirtualKeyA('R', MAPVK_VK_TO_VSC);
    Send({KeyInput('R', scan, false), KeyInput('R', scan, false), KeyInput('R', scan, false),
          KeyInput('R', scan, true)});
    ASSERT_TRUE(WaitForText("rrr"));
    ASSERT_EQ(m_reports.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(m_reports[i].released);
    EXPECT_TRUE(m_reports[3].released);
}

TEST_F(HookFixture, PeekingWithoutRemovingReportsNothing)
{
    m_install(m_receiver);
    Send(Tap("P"));
    MSG msg;
    DWORD start = GetTickCount();
    while (!PeekMessageA(&msg, m_target, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE) && GetTickCount() - start < 2000)
        Sleep(2);
    PeekMessageA(&msg, m_target, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE);
    EXPECT_TRUE(m_reports.empty()) << "a peeked key was reported";
    ASSERT_TRUE(WaitForText("p"));
    EXPECT_EQ(m_reports.size(), 2u);
}

TEST_F(HookFixture, AnswerZeroSwallowsPressAndRelease)
{
    m_install(m_receiver);
    m_answer = [](unsigned ch) -> LRESULT {
        return ch == 'x' ? 0 : 1;
    };
    Send(Tap("AXB"));
    ASSERT_TRUE(WaitForText("ab"));
    EXPECT_EQ(m_reports.size(), 6u);
}

TEST_F(HookFixture, SyntheticScanCodePassesUnreported)
{
    m_install(m_receiver);
    m_answer = [](unsigned) -> LRESULT {
        return 0;
    };
    Send(Tap("QZ", SYNTHETIC_SCAN_CODE));
    ASSERT_TRUE(WaitForText("qz"));
    EXPECT_TRUE(m_reports.empty());
}

// Unicode input holds its character where the scan code would be, so the scan code cannot mark
// ours. Wine sets the message's extra information only after the hook ran: there the hook reports
// every such event as VK_PACKET, and the key gate lets them pass unseen by the engine.
TEST_F(HookFixture, UnicodeInputIsReportedAsPacketAndArrivesWhole)
{
    m_install(m_receiver);
    std::vector<INPUT> ours;
    for (wchar_t unit : {L'\x017C', L'\xD83D', L'\xDE00', L'\x00EE'})
        for (bool release : {false, true})
            ours.push_back(pvtest::UnicodeInput(unit, release, SYNTHETIC_EXTRA_INFO));
    Send(ours);
    ASSERT_TRUE(WaitForText("ż😀î")) << "target holds " << m_windows->TargetText();
    for (const Report& report : m_reports)
        EXPECT_EQ(report.vk, (unsigned)VK_PACKET);
}

// The report a receiver written for the ANSI code page gets is unchanged; only a character the
// code page cannot carry comes with a second message, just before the report, same lParam.
TEST_F(HookFixture, TextBeyondTheCodePageComesJustBeforeItsReport)
{
    std::vector<std::pair<unsigned, LPARAM>> texts;  // units, and how many reports came before
    m_windows->OnKeyText([&](HWND, WPARAM wParam, LPARAM lParam) -> LRESULT {
        texts.push_back({(unsigned)wParam, (LPARAM)m_reports.size()});
        EXPECT_EQ(lParam, (LPARAM)('A' << 8)) << "the lParam of the report that follows";
        return 0;  // the answer means nothing
    });
    m_install(m_receiver);
    Send(Tap("A"));
    ASSERT_TRUE(WaitForText("a"));
    EXPECT_TRUE(texts.empty()) << "ASCII is carried by the report alone";
    EXPECT_EQ(m_reports.size(), 2u);

    // Under a layout with such a letter (see the key gate's test), the text comes first.
    const WORD key = pvtest::KeyTyping(L'\x043F');  // п
    BOOL lacking = FALSE;
    char byte = 0;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\x043F", 1, &byte, 1, nullptr, &lacking);
    if (key == 0 || !lacking)
        GTEST_SKIP() << "the keyboard layout has no letter beyond the code page " << GetACP();
    m_reports.clear();
    m_windows->OnKeyText([&](HWND, WPARAM wParam, LPARAM lParam) -> LRESULT {
        texts.push_back({(unsigned)wParam, (LPARAM)m_reports.size()});
        EXPECT_EQ(HOOK_KEY_VK(lParam), (unsigned)key);
        return 0;
    });
    const WORD scan = (WORD)MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    Send({KeyInput(key, scan, false), KeyInput(key, scan, true)});
    ASSERT_TRUE(WaitForText("aп"));
    ASSERT_EQ(m_reports.size(), 2u);
    EXPECT_EQ(m_reports[0].character, 0u) << "the code page lacks it: no look-alike";
    EXPECT_EQ(texts, (std::vector<std::pair<unsigned, LPARAM>>{{0x043F, 0}, {0x043F, 1}}));
}

TEST_F(HookFixture, KeysWithControlHeldPassUnreported)
{
    m_install(m_receiver);
    m_answer = [](unsigned) -> LRESULT {
        return 0;
    };
    std::vector<INPUT> inputs{KeyInput(VK_CONTROL, (WORD)MapVirtualKeyA(VK_CONTROL, 0), false)};
    for (const INPUT& key : Tap("C"))
        inputs.push_back(key);
    inputs.push_back(KeyInput(VK_CONTROL, (WORD)MapVirtualKeyA(VK_CONTROL, 0), true));
    Send(inputs);
    pvtest::Pump(300);
    // Ctrl's own press is reported (and swallowed here); C and Ctrl's release are not.
    for (const Report& report : m_reports)
        EXPECT_EQ(report.vk, (unsigned)VK_CONTROL);
}

// Right Alt with Ctrl is AltGr: a key that makes no printable character with it (no letter of
// the layout's third level) is a shortcut and passes unreported, as with Ctrl alone.
TEST_F(HookFixture, CtrlAltKeysWithoutACharacterPassUnreported)
{
    m_install(m_receiver);
    m_answer = [](unsigned) -> LRESULT {
        return 0;
    };
    const WORD control = (WORD)MapVirtualKeyA(VK_CONTROL, 0), alt = (WORD)MapVirtualKeyA(VK_MENU, 0);
    std::vector<INPUT> inputs{KeyInput(VK_LCONTROL, control, false), KeyInput(VK_RMENU, alt, false)};
    for (const INPUT& key : Tap("C"))
        inputs.push_back(key);
    inputs.push_back(KeyInput(VK_RMENU, alt, true));
    inputs.push_back(KeyInput(VK_LCONTROL, control, true));
    Send(inputs);
    pvtest::Pump(300);
    for (const Report& report : m_reports)
        EXPECT_NE(report.vk, (unsigned)'C') << "Ctrl+AltGr+C reached the main window";
}

TEST_F(HookFixture, InstallTwiceReportsOnceToTheSecondWindow)
{
    HWND other = m_windows->NewReceiver();
    ASSERT_NE(other, nullptr);
    m_install(other);
    EXPECT_EQ(m_install(m_receiver), 1);
    Send(Tap("K"));
    ASSERT_TRUE(WaitForText("k"));
    ASSERT_EQ(m_reports.size(), 2u);
    EXPECT_EQ(m_reports[0].window, m_receiver);
    EXPECT_EQ(m_reports[1].window, m_receiver);
    DestroyWindow(other);
}

TEST_F(HookFixture, RemoveTwiceIsHarmlessAndStopsReports)
{
    m_install(m_receiver);
    m_remove();
    m_remove();
    Send(Tap("M"));
    ASSERT_TRUE(WaitForText("m"));
    EXPECT_TRUE(m_reports.empty());
}

TEST_F(HookFixture, KeysPassWhenTheMainWindowIsGone)
{
    m_install(m_receiver);
    DestroyWindow(m_receiver);
    Send(Tap("GO"));
    EXPECT_TRUE(WaitForText("go"));
}

TEST_F(HookFixture, AThreadHookBesideTheGlobalOneReportsEachKeyOnce)
{
    auto installThread = Ordinal<InstallThreadHookFn>(m_zel, 11);
    ASSERT_NE(installThread, nullptr);
    HHOOK threadHook = installThread(m_receiver, GetCurrentThreadId());
    ASSERT_NE(threadHook, nullptr);
    Send(Tap("T"));
    ASSERT_TRUE(WaitForText("t"));
    EXPECT_EQ(m_reports.size(), 2u) << "the thread's own hook";
    m_install(m_receiver);
    Send(Tap("U"));
    ASSERT_TRUE(WaitForText("tu"));
    EXPECT_EQ(m_reports.size(), 4u) << "thread hook and global hook in one chain";
    UnhookWindowsHookEx(threadHook);
}

// Windows calls a global hook for a program of the other bitness in the installing thread.
TEST_F(HookFixture, CalledInTheInstallingThreadForAnotherProcessPassesUnreported)
{
    auto proc = Ordinal<KeyboardProcFn>(m_zel, 12);
    ASSERT_NE(proc, nullptr);
    m_install(m_receiver);
    m_answer = [](unsigned) -> LRESULT {
        return 0;
    };
    const LPARAM press = 1 | ((LPARAM)MapVirtualKeyA('A', MAPVK_VK_TO_VSC) << 16);
    pvtest::ForeignNotepad foreign;
    ASSERT_NE(foreign.Window(), nullptr);
    ASSERT_TRUE(pvtest::BringToFront(foreign.Window()));
    EXPECT_EQ(proc(HC_ACTION, 'A', press), 0) << "the key passes";
    EXPECT_TRUE(m_reports.empty()) << "a key of another process reported out of context";

    ASSERT_TRUE(pvtest::BringToFront(m_target));
    EXPECT_EQ(proc(HC_ACTION, 'A', press), -1) << "a key of this process is the main window's to swallow";
    EXPECT_EQ(m_reports.size(), 1u);
}

TEST_F(HookFixture, ActivateTargetWithoutTargetFailsAndKeepsForeground)
{
    m_install(m_receiver);
    HWND before = GetForegroundWindow();
    EXPECT_EQ(m_activate(), FALSE);
    EXPECT_EQ(GetForegroundWindow(), before);
}

}  // namespace
