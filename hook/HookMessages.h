// Messages between the keyboard hook library and the engine's window, and the scan code that marks
// key events we synthesise ourselves (base/SyntheticKeys.h). Shared by Zel.dll and the main program.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#define WM_USER 0x0400
#endif

// Sent by the hook (SendMessage) for each reported key event:
//   wParam = the key's characters in the ANSI code page, as ToAsciiEx gives them (up to two
//   bytes, the first in the low byte); 0 when the key makes none or the code page lacks one
//   of them (never a look-alike or '?');
//   lParam = vk * 256 + release flag;
//   answer 0 swallows the event, anything else lets it pass.
#define WM_HOOK_KEY (WM_USER + 1003)

// Sent by the hook just before WM_HOOK_KEY, from the same thread and within the same time-out,
// only when the key's UTF-16 text is not what WM_HOOK_KEY's bytes convert back to (a letter the
// code page lacks, an emoji): so a receiver that knows nothing of it loses nothing it had.
//   wParam = up to two UTF-16 units, the first in bits 0-15, the second (0 for none) in 16-31;
//   lParam = the lParam of the WM_HOOK_KEY that follows; the answer is ignored.
// A key whose text was not taken in time is not reported at all (the time-out rules).
#define WM_HOOK_KEY_TEXT (WM_USER + 1005)

// SYNTHETIC_SCAN_CODE: the scan code of the program's own key events; the hook never reports these.
#include "base/SyntheticKeys.h"

// lParam of WM_HOOK_KEY.
#define HOOK_KEY_VK(lParam) ((unsigned)(((lParam) >> 8) & 0xFF))
#define HOOK_KEY_IS_RELEASE(lParam) (((lParam)&1) != 0)
// wParam of WM_HOOK_KEY_TEXT.
#define HOOK_TEXT_UNITS(first, second) ((unsigned)(first) | ((unsigned)(second) << 16))
#define HOOK_TEXT_FIRST_UNIT(wParam) ((unsigned)((wParam)&0xFFFF))
#define HOOK_TEXT_SECOND_UNIT(wParam) ((unsigned)(((wParam) >> 16) & 0xFFFF))
