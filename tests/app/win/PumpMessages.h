// Runs the messages waiting for this thread, as the program's message loop would.
#pragma once

#include <windows.h>

namespace apptest {

inline void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

}  // namespace apptest
