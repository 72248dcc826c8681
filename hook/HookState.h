// State shared by every process that Zel.dll is mapped into (section .hdata).
#pragma once
#include <windows.h>

extern HWND g_mainWindow;     // receives WM_HOOK_KEY; set by InstallHook, cleared by RemoveHook
extern HHOOK g_keyboardHook;  // our WH_KEYBOARD hook, null when not installed
extern HWND g_targetWindow;   // nothing records one yet; read by ActivateTarget
// 0 while the main window answers in time; after it let a key time out, the tick count of that
// (or of the last brief question since) with bit 0 set, so it is never 0. See KeyboardHook.cpp.
extern volatile LONG g_lateSinceTick;
// The thread that put the hook in last: Windows calls a hook of the other bitness there
// (see KeyboardHook.cpp).
extern DWORD g_installerThread;

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
