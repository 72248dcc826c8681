// Messages between the keyboard hook library and the engine's window, and the scan code that marks
// key events we synthesise ourselves (base/SyntheticKeys.h). Shared by Zel.dll and the main program.
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

// SYNTHETIC_SCAN_CODE: the scan code of the program's own key events; the hook never reports these.
#include "base/SyntheticKeys.h"

// lParam of WM_HOOK_KEY.
#define HOOK_KEY_VK(lParam) ((unsigned)(((lParam) >> 8) & 0xFF))
#define HOOK_KEY_IS_RELEASE(lParam) (((lParam)&1) != 0)
