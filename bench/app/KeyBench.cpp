#include "bench/app/KeyBench.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "base/WinHandles.h"
#include "bench/app/ProgramProcess.h"
#include "bench/hook/KeyTargetWindow.h"
#include "bench/hook/LatencyStats.h"
#include "hook/host32/Host32Protocol.h"
#include "tools/testkit/TestReceiver.h"

namespace appbench {

namespace {

const WORD kTrayEnableCommand = 32797;  // ID_TRAY_ENABLE of the program's resources
const DWORD kKeyWaitMs = 2000;          // a key not there by then is lost

}  // namespace

const char kPromptClass[] = "#32770";  // the prompt is a dialog
const char kPromptReadyTitle[] = "Pennivox";

bool OpenOwnTarget(KeyTarget& target, bench::KeyArrival* arrival, const char* className, const char* title)
{
    target.arrival = arrival;
    target.event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const bench::KeyTargetWindow own =
        bench::CreateKeyTargetWindow(className, title, 40, 40, target.arrival, target.event);
    if (!own.edit) {
        fprintf(stderr, "app_bench: no target window\n");
        return false;
    }
    target.window = own.window;
    target.edit = own.edit;
    return true;
}

bool Process::Start(const std::string& folder, const std::string& commandLine)
{
    std::string command = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info) !=
           FALSE;
}

bool Process::Owns(HWND window) const
{
    return OwnedBy(window, info);
}

void Process::Stop(HWND window)
{
    StopProgram(info, window, 10000);
}

HWND WaitForWindow(const Process& process, const char* cls, const char* title, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND window = FindWindowA(cls, title);
        if (process.Owns(window))
            return window;
        if (WaitForSingleObject(process.info.hProcess, 20) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

bool WaitWindowAnswers(HWND window, DWORD timeoutMs)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

bool WaitPromptHidden(HWND prompt, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindowVisible(prompt)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(1);
    }
    return true;
}

bool ToggleProgram(HWND prompt)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(prompt, WM_COMMAND, kTrayEnableCommand, 0, SMTO_NORMAL, 5000, &ignored) != 0;
}

bool ReceiverCommand(HWND receiver, const char* text)
{
    COPYDATASTRUCT copy = {};
    copy.dwData = RECEIVER_COMMAND_DATA;
    copy.cbData = (DWORD)strlen(text) + 1;
    copy.lpData = (void*)text;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(receiver, WM_COPYDATA, 0, (LPARAM)&copy, SMTO_NORMAL, 5000, &result) && result;
}

void PumpMessagesFor(DWORD ms)
{
    MSG msg;
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(5)) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

bool Focus(const KeyTarget& target)
{
    SetForegroundWindow(target.window);
    const DWORD thread = GetWindowThreadProcessId(target.window, nullptr);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 2000) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (GetForegroundWindow() == target.window && GetGUIThreadInfo(thread, &info) && info.hwndFocus == target.edit)
            return true;
        Sleep(5);
    }
    return false;
}

long long TicksPerSecond()
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
}

INPUT KeyInput(WORD vk, bool release)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

WORD LetterKey(char c)
{
    return (WORD)('A' + (c - 'a'));
}

WORD CharacterKey(char c)
{
    return c == ' ' ? (WORD)VK_SPACE : LetterKey(c);
}

void InjectKey(const KeyTarget& target, WORD vk, bool release, long long& sentTicks)
{
    INPUT input = KeyInput(vk, release);
    ResetEvent(target.event);
    target.arrival->awaited = release ? WM_KEYUP : WM_KEYDOWN;
    sentTicks = bench::Now();
    SendInput(1, &input, sizeof input);
}

bool AwaitKey(const KeyTarget& target, long long sentTicks, double& delayUs)
{
    if (WaitForSingleObject(target.event, kKeyWaitMs) != WAIT_OBJECT_0)
        return false;
    delayUs = bench::Microseconds(target.arrival->ticks - sentTicks);
    return true;
}

std::vector<DWORD> HelperPids(DWORD programPid)
{
    std::vector<DWORD> pids;
    pvbase::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.Get() == INVALID_HANDLE_VALUE)
        return pids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
        const char* slash = strrchr(entry.szExeFile, '\\');
        const char* name = slash ? slash + 1 : entry.szExeFile;
        if (entry.th32ParentProcessID == programPid && _stricmp(name, HOST32_EXE_NAME) == 0)
            pids.push_back(entry.th32ProcessID);
    }
    return pids;
}

bool WaitForHelper(DWORD programPid, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (HelperPids(programPid).empty()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

bool TakeOutHelperHooks(DWORD programPid)
{
    bool told = false;
    for (DWORD pid : HelperPids(programPid)) {
        pvbase::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry))
            if (entry.th32OwnerProcessID == pid && PostThreadMessageA(entry.th32ThreadID, WM_HOST32_REMOVE, 0, 0))
                told = true;
    }
    return told;
}

std::vector<std::string> ReadWords(const char* path)
{
    std::vector<std::string> words;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        bool letters = !line.empty();
        for (char c : line)
            letters = letters && c >= 'a' && c <= 'z';
        if (letters)
            words.push_back(line);
    }
    return words;
}

}  // namespace appbench
