#include "tests/support/MessagePump.h"

namespace pvtest {

void Pump()
{
    MSG msg;
    // Unicode: characters beyond the code page reach Unicode windows whole.
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void Pump(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do {
        Pump();
        ::Sleep(2);
    } while (::GetTickCount() - start < milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        Pump();
        if (done())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(5);
    }
}

}  // namespace pvtest
