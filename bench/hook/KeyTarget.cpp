// keytarget.exe BENCH_PID: an edit control that app_bench types into from another process, so
// that keys can be timed in a program of the other bitness. Each WM_KEYDOWN / WM_KEYUP of the
// edit is noted in the benchmark's shared KeyArrival record (bench/hook/KeyArrival.h), whose
// event then wakes the benchmark. Ends on WM_CLOSE or when the benchmark ends.
#include <windows.h>

#include <cstdlib>

#include "base/WinHandles.h"
#include "bench/hook/KeyArrival.h"

namespace {

const char kTargetClass[] = "PvKeyTarget";

bench::KeyArrival* g_arrival = nullptr;
HANDLE g_event = nullptr;
WNDPROC g_editProc = nullptr;
HWND g_edit = nullptr;

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message == WM_KEYDOWN || message == WM_KEYUP) && bench::NoteKeyMessage(*g_arrival, message, wParam))
        SetEvent(g_event);
    return CallWindowProcA(g_editProc, window, message, wParam, lParam);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETFOCUS && g_edit) {
        SetFocus(g_edit);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool CreateTarget()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTargetClass;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    HWND target =
        CreateWindowExA(0, kTargetClass, "Typing into an edit box of a 32-bit program",
                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 220, 700, 140, nullptr, nullptr, wc.hInstance, nullptr);
    g_edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_LEFT | ES_AUTOHSCROLL, 10, 10,
                             660, 24, target, (HMENU)101, wc.hInstance, nullptr);
    if (!target || !g_edit)
        return false;
    g_editProc = (WNDPROC)SetWindowLongPtrA(g_edit, GWLP_WNDPROC, (LONG_PTR)EditProc);
    return true;
}

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
    if (!view || !CreateTarget())
        return 3;
    g_arrival = static_cast<bench::KeyArrival*>(view.Get());
    g_event = event.Get();
    Pump(bench.Get());
    return 0;
}
