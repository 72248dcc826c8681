// Runs this thread's messages the way the program's message loop would, for tests that drive
// real windows.
#pragma once

#include <windows.h>

#include <functional>

namespace pvtest {

// The messages waiting now.
void Pump();
// Every message for that long (at least one round).
void Pump(DWORD milliseconds);
// Until done() holds (checked after each round); false when the time ran out first.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

}  // namespace pvtest
