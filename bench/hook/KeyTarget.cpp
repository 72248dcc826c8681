// keytarget.exe BENCH_PID: an edit control that app_bench types into from another process, so
// that keys can be timed in a program of the other bitness. Each WM_KEYDOWN / WM_KEYUP of the
// edit is noted in the benchmark's shared KeyArrival record (bench/hook/KeyArrival.h), whose
// event then wakes the benchmark. Ends on WM_CLOSE or when the benchmark ends.
#include <windows.h>

#include <cstdlib>

#include "base/WinHandles.h"
#include "bench/hook/KeyArrival.h"
#include "bench/hook/KeyTargetWindow.h"

namespace {

const char kTargetClass[] = "PvKeyTarget";

// Pumps until the window closes or the benchmark process ends.
void Pump(HANDLE bench)
{
    for (;;) {
        if (MsgWaitForMultipleObjects(1, &bench, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0 + 1)
            return;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    DWORD pid = __argc > 1 ? strtoul(__argv[1], nullptr, 10) : 0;
    char mappingName[64], eventName[64];
    bench::KeyArrivalNames(pid, mappingName, eventName, sizeof mappingName);
    pvbase::KernelHandle bench(OpenProcess(SYNCHRONIZE, FALSE, pid));
    pvbase::FileMappingHandle mapping(OpenFileMappingA(FILE_MAP_WRITE, FALSE, mappingName));
    pvbase::KernelHandle event(OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName));
    if (!bench || !mapping || !event)
        return 2;
    pvbase::MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(bench::KeyArrival)));
    if (!view || !bench::CreateKeyTargetWindow(kTargetClass, "Typing into an edit box of a 32-bit program", 40, 220,
                                               static_cast<bench::KeyArrival*>(view.Get()), event.Get())
                      .edit)
        return 3;
    Pump(bench.Get());
    return 0;
}
