// Exports of Zel.dll. They are exported by ordinal only; callers link the import library,
// which binds them as ordinals 1, 2, 10, 11 and 12.
#pragma once
#include <windows.h>

#ifdef PV_BUILDING_ZEL
#define ZEL_API extern "C"
#else
#define ZEL_API extern "C" __declspec(dllimport)
#endif

// Ordinal 1: reports every key typed on the desktop to `mainWindow` with WM_HOOK_KEY.
// Re-installs when called again. Always returns 1, also when the hook could not be set.
ZEL_API int WINAPI InstallHook(HWND mainWindow);

// Ordinal 2: removes the hook (harmless when none is installed) and forgets the main window.
ZEL_API void WINAPI RemoveHook(void);

// Ordinal 11: reports the keys of one thread only to `mainWindow` (a hook in that thread's chain,
// which the caller removes with UnhookWindowsHookEx). Null when the hook could not be set.
// For a helper that serves the threads the global hook cannot reach.
ZEL_API HHOOK WINAPI InstallThreadHook(HWND mainWindow, DWORD threadId);

// Ordinal 12: the hook procedure itself, for callers that call it as the system would.
ZEL_API LRESULT WINAPI KeyboardProc(int code, WPARAM wParam, LPARAM lParam);

// Ordinal 10: brings the recorded target window to the foreground; 0 when there is none.
ZEL_API BOOL WINAPI ActivateTarget(void);

#define ZEL_ORDINAL_INSTALL_HOOK 1
#define ZEL_ORDINAL_REMOVE_HOOK 2
#define ZEL_ORDINAL_ACTIVATE_TARGET 10
#define ZEL_ORDINAL_INSTALL_THREAD_HOOK 11
#define ZEL_ORDINAL_KEYBOARD_PROC 12
