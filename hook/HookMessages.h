// Messages between the keyboard hook library and the engine's window, and the scan code that marks
// key events we synthesise ourselves. Shared by Zel.dll, the main program and text output.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#define WM_USER 0x0400
#endif

// Sent by the hook (SendMessage) for each reported key event:
//   wParam = character from ToAsciiEx (0 if none), lParam = vk * 256 + release flag;
//   answer 0 swallows the event, anything else lets it pass.
#define WM_HOOK_KEY (WM_USER + 1003)

// Scan code carried by every key event the system types itself; the hook never reports these.
#define SYNTHETIC_SCAN_CODE 0xEE

// lParam of WM_HOOK_KEY.
#define HOOK_KEY_VK(lParam) ((unsigned)(((lParam) >> 8) & 0xFF))
#define HOOK_KEY_IS_RELEASE(lParam) (((lParam)&1) != 0)
