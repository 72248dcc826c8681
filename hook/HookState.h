// State shared by every process that Zel.dll is mapped into (section .hdata).
#pragma once
#include <windows.h>

extern HWND g_mainWindow;     // receives WM_HOOK_KEY; set by InstallHook, cleared by RemoveHook
extern HHOOK g_keyboardHook;  // our WH_KEYBOARD hook, null when not installed
extern HWND g_targetWindow;   // nothing records one yet; read by ActivateTarget

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
