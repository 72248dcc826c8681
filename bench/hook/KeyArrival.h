// What a benchmark's injecting thread waits for in a target's edit control, and the note the
// target takes when a key message arrives. The record may sit in memory shared by a 64-bit
// benchmark and a 32-bit target (keytarget.exe), so it has the same layout in both.
#pragma once
#include <windows.h>

#include <cstdio>

#include "bench/hook/LatencyStats.h"

namespace bench {

// One of: a single key message (`awaited`), a press and release of `pairVk`, or `countTo` key
// messages of any kind. `ticks` is the QueryPerformanceCounter reading of the arrival, which is
// the same clock in every process.
struct KeyArrival {
    volatile LONG awaited;
    volatile LONG pairVk;
    volatile LONG counted;
    volatile LONG countTo;
    volatile LONGLONG ticks;
    volatile LONGLONG pressTicks;
};
static_assert(sizeof(KeyArrival) == 32, "one layout for 32-bit and 64-bit processes");

// True when what was awaited is complete: the caller then sets its event.
inline bool NoteKeyMessage(KeyArrival& a, UINT message, WPARAM vk)
{
    long long now = Now();
    if ((LONG)message == a.awaited) {
        a.ticks = now;
        a.awaited = 0;
        return true;
    }
    if (a.pairVk && (LONG)vk == a.pairVk) {
        if (message == WM_KEYDOWN) {
            a.pressTicks = now;
            return false;
        }
        a.ticks = now;
        a.pairVk = 0;
        return true;
    }
    if (a.countTo && ++a.counted == a.countTo) {
        a.ticks = now;
        a.countTo = 0;
        return true;
    }
    return false;
}

// Names of the shared record and its event for a benchmark process.
inline void KeyArrivalNames(DWORD benchPid, char* mapping, char* event, size_t size)
{
    snprintf(mapping, size, "Local\\PvKeyArrival.%lu", (unsigned long)benchPid);
    snprintf(event, size, "Local\\PvKeyArrived.%lu", (unsigned long)benchPid);
}

}  // namespace bench
