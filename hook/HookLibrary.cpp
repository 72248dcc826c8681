// Exports and shared state of Zel.dll. Built without the C runtime: it imports only
// kernel32 and user32, so it can be mapped into any process that receives keyboard input.
#define PV_BUILDING_ZEL
#include "hook/HookState.h"
#include "hook/SharedSection.h"
#include "hook/ZelApi.h"

PV_SHARED_BEGIN
HWND g_mainWindow PV_SHARED = nullptr;
HHOOK g_keyboardHook PV_SHARED = nullptr;
HWND g_targetWindow PV_SHARED = nullptr;
volatile LONG g_lateSinceTick PV_SHARED = 0;
DWORD g_installerThread PV_SHARED = 0;
PV_SHARED_END

namespace {
// Installation looks the module up by this name: the file must keep it (Zel32.dll when 32-bit).
#ifndef PV_ZEL_MODULE_NAME
#define PV_ZEL_MODULE_NAME "Zel.dll"
#endif
const char kModuleName[] = PV_ZEL_MODULE_NAME;
}  // namespace

// No per-process set-up: the library runs inside foreign processes and must stay inert there.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

ZEL_API void WINAPI RemoveHook(void)
{
    if (g_keyboardHook) {
        UnhookWindowsHookEx(g_keyboardHook);
        g_keyboardHook = nullptr;
    }
    g_mainWindow = nullptr;
    InterlockedExchange(&g_lateSinceTick, 0);
}

namespace {

void Receive(HWND mainWindow)
{
    g_mainWindow = mainWindow;
    g_installerThread = GetCurrentThreadId();
}

}  // namespace

ZEL_API int WINAPI InstallHook(HWND mainWindow)
{
    RemoveHook();
    Receive(mainWindow);
    if (g_keyboardHook) {
        UnhookWindowsHookEx(g_keyboardHook);
        g_keyboardHook = nullptr;
    }
    HMODULE self = GetModuleHandleA(kModuleName);
    if (self && !g_keyboardHook)
        g_keyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, self, 0);
    return 1;
}

ZEL_API HHOOK WINAPI InstallThreadHook(HWND mainWindow, DWORD threadId)
{
    HMODULE self = GetModuleHandleA(kModuleName);
    if (!self || !threadId)
        return nullptr;
    Receive(mainWindow);
    return SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, self, threadId);
}

ZEL_API LRESULT WINAPI KeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    return KeyboardHookProc(code, wParam, lParam);
}

ZEL_API BOOL WINAPI ActivateTarget(void)
{
    return SetForegroundWindow(g_targetWindow);
}
