// How the main program drives Zel32Host.exe, the 32-bit program that puts Zel32.dll's hook in for
// 32-bit applications. Started as
//   Zel32Host.exe <window> <process id>
// (both decimal): it installs the hook for <window> at once and ends, removing the hook, when the
// process ends or when WM_QUIT is posted to its thread. Thread messages switch the hook.
#pragma once
#include <windows.h>

#define HOST32_EXE_NAME "Zel32Host.exe"

#define WM_HOST32_INSTALL (WM_APP + 1)
#define WM_HOST32_REMOVE (WM_APP + 2)

// Exit codes of the helper.
#define HOST32_EXIT_DONE 0
#define HOST32_EXIT_USAGE 2       // missing or malformed arguments
#define HOST32_EXIT_NO_OWNER 3    // the process to watch is not there
#define HOST32_EXIT_NO_LIBRARY 4  // Zel32.dll or its exports are missing
