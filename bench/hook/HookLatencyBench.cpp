// Delay of a key from its injection (SendInput, normal scan code) to the target window's
// WM_KEYDOWN / WM_KEYUP: (a) with no hook, (b) with Zel.dll installed by a receiver in another
// process that answers at once; the two alternate in batches of 20 keys. Both timestamps are taken in this process with
// QueryPerformanceCounter; with the hook, every key makes the cross-process round trip
// target thread -> receiver process -> target thread before the target sees it.
//
//   hook_bench.exe [KEYS]          prints the figures (default 300 keys per run)
//   hook_bench.exe --receiver      (internal) the receiving process
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/hook/LatencyStats.h"
#include "hook/HookMessages.h"

namespace {

// Zel32.dll in the 32-bit build, which measures the same path in 32-bit processes.
#ifdef PV_ZEL_FILE
const char kZelFile[] = PV_ZEL_FILE;
#else
const char kZelFile[] = "Zel.dll";
#endif
const char kReceiverClass[] = "PvHookBenchReceiver";
const char kTargetClass[] = "PvHookBenchTarget";

using bench::Microseconds;
using bench::Now;
using bench::Percentile;

// ---- receiver process: installs the hook with its window and answers 1 at once

const UINT kInstall = WM_APP + 1;
const UINT kRemove = WM_APP + 2;

int g_reportCount = 0;
int(WINAPI* g_install)(HWND) = nullptr;
void(WINAPI* g_remove)() = nullptr;

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOOK_KEY) {
        ++g_reportCount;
        return 1;
    }
    if (message == kInstall)
        return g_install(window);
    if (message == kRemove) {
        g_remove();
        return 1;
    }
    if (message == WM_CLOSE) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The exit code tells how many keys were reported.
int RunReceiver()
{
    HMODULE zel = LoadLibraryA(kZelFile);
    if (!zel)
        return 2;
    g_install = reinterpret_cast<int(WINAPI*)(HWND)>(reinterpret_cast<void*>(GetProcAddress(zel, MAKEINTRESOURCEA(1))));
    g_remove = reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(zel, MAKEINTRESOURCEA(2))));
    if (!g_install || !g_remove)
        return 2;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kReceiverClass;
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(0, kReceiverClass, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window)
        return 3;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    g_remove();
    return g_reportCount;
}

// ---- target: a window of this process's UI thread; an injector thread types into it

struct Shared {
    HANDLE arrived = nullptr;  // set when the target saw the awaited message
    UINT awaited = 0;
    long long arrivalTicks = 0;
};
Shared g_shared;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message == WM_KEYDOWN || message == WM_KEYUP) && message == g_shared.awaited) {
        g_shared.arrivalTicks = Now();
        g_shared.awaited = 0;
        SetEvent(g_shared.arrived);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct Run {
    int keys = 0;
    int lost = 0;
    std::vector<double> pressUs, releaseUs;
};

// The two cases alternate in batches, so both see the same machine load.
const int kBatch = 20;

struct InjectorArgs {
    Run* plain;
    Run* hooked;
    HWND target;
    HWND receiver;
};

bool InjectOne(WORD vk, bool release, double& delayUs)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    g_shared.awaited = release ? WM_KEYUP : WM_KEYDOWN;
    ResetEvent(g_shared.arrived);
    long long sent = Now();
    SendInput(1, &input, sizeof input);
    if (WaitForSingleObject(g_shared.arrived, 2000) != WAIT_OBJECT_0)
        return false;
    delayUs = Microseconds(g_shared.arrivalTicks - sent);
    return true;
}

void TypeKey(WORD vk, Run* run)
{
    double press = 0, release = 0;
    bool pressed = InjectOne(vk, false, press);
    bool released = InjectOne(vk, true, release);
    if (!run)
        return;
    if (pressed)
        run->pressUs.push_back(press);
    else
        ++run->lost;
    if (released)
        run->releaseUs.push_back(release);
    else
        ++run->lost;
}

DWORD WINAPI Injector(LPVOID param)
{
    auto* args = static_cast<InjectorArgs*>(param);
    const WORD keys[] = {'A', 'S', 'D', 'F', 'J', 'K', 'L'};
    int typed = 0;
    for (int batch = 0; (int)args->hooked->pressUs.size() + args->hooked->lost / 2 < args->hooked->keys; ++batch) {
        bool hooked = batch % 2 == 1;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(args->receiver, hooked ? kInstall : kRemove, 0, 0, SMTO_NORMAL, 5000, &ignored);
        Run* run = hooked ? args->hooked : args->plain;
        TypeKey('G', nullptr);  // warm-up: the first hooked key also loads the library
        for (int i = 0; i < kBatch && (int)run->pressUs.size() + run->lost / 2 < run->keys; ++i)
            TypeKey(keys[typed++ % 7], run);
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(args->receiver, kRemove, 0, 0, SMTO_NORMAL, 5000, &ignored);
    PostMessageA(args->target, WM_CLOSE, 0, 0);
    return 0;
}

bool MeasureRuns(Run& plain, Run& hooked, HWND receiver)
{
    HWND target = CreateWindowExA(0, kTargetClass, "Hook latency", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!target)
        return false;
    SetForegroundWindow(target);
    SetFocus(target);
    // Let the window settle (activation and focus messages) before timing anything.
    DWORD settle = GetTickCount();
    MSG msg;
    while (GetTickCount() - settle < 300) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(5);
    }
    InjectorArgs args{&plain, &hooked, target, receiver};
    HANDLE thread = CreateThread(nullptr, 0, Injector, &args, 0, nullptr);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return true;
}

void Print(const char* label, const Run& run)
{
    printf("%-28s presses: median %8.1f us  p95 %8.1f us | releases: median %8.1f us  p95 %8.1f us | lost %d\n", label,
           Percentile(run.pressUs, 0.5), Percentile(run.pressUs, 0.95), Percentile(run.releaseUs, 0.5),
           Percentile(run.releaseUs, 0.95), run.lost);
}

struct ReceiverProcess {
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;

    // Ends the receiver; returns the number of keys it was asked about (-1 if unknown).
    int Stop()
    {
        if (!info.hProcess)
            return -1;
        PostMessageA(window, WM_CLOSE, 0, 0);
        DWORD code = (DWORD)-1;
        if (WaitForSingleObject(info.hProcess, 5000) != WAIT_OBJECT_0)
            TerminateProcess(info.hProcess, (UINT)-1);
        else
            GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        info = {};
        return (int)code;
    }

    bool Start()
    {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string command = std::string("\"") + path + "\" --receiver";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return false;
        for (int i = 0; i < 500 && !window; ++i) {
            window = FindWindowA(kReceiverClass, nullptr);
            if (!window)
                Sleep(10);
        }
        return window != nullptr;
    }
    ~ReceiverProcess() { Stop(); }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--receiver")
        return RunReceiver();
    int keys = argc > 1 ? atoi(argv[1]) : 300;
    if (keys <= 0)
        keys = 300;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTargetClass;
    RegisterClassA(&wc);
    g_shared.arrived = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    Run plain, hooked;
    plain.keys = hooked.keys = keys;
    int reported = -1;
    {
        ReceiverProcess receiver;
        if (!receiver.Start()) {
            fprintf(stderr, "hook_bench: the receiver did not start (Zel.dll beside the program?)\n");
            return 1;
        }
        if (!MeasureRuns(plain, hooked, receiver.window)) {
            fprintf(stderr, "hook_bench: no target window\n");
            return 1;
        }
        reported = receiver.Stop();
    }

    printf("Key delay from SendInput to the target's message, %d keys each:\n", keys);
    Print("(a) no hook", plain);
    Print((std::string("(b) ") + kZelFile + " + receiver").c_str(), hooked);
    double a = Percentile(plain.pressUs, 0.5), b = Percentile(hooked.pressUs, 0.5);
    double a95 = Percentile(plain.pressUs, 0.95), b95 = Percentile(hooked.pressUs, 0.95);
    // Every hooked batch starts with one untimed warm-up key; each key is reported twice.
    int expected = 2 * (keys + (keys + kBatch - 1) / kBatch);
    printf("reports received in (b): %d, expected %d (press and release of every key, warm-ups included)\n", reported,
           expected);
    printf("ratio b/a (presses): median %.2f  p95 %.2f;  added by the hook: median %.1f us\n", a > 0 ? b / a : 0,
           a95 > 0 ? b95 / a95 : 0, b - a);
    return plain.lost || hooked.lost || reported != expected ? 1 : 0;
}
