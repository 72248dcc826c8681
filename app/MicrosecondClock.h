// The engine thread's clock for pacing and its work log: microseconds of the performance counter,
// the clock every process reads alike.
#pragma once

#include <windows.h>

#include <cstdint>

inline std::int64_t MicrosecondsNow()
{
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return now.QuadPart / frequency.QuadPart * 1000000 +
           now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}
