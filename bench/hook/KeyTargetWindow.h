// Where the key-delay benchmarks type: a top-level window with one edit control, which notes each
// WM_KEYDOWN / WM_KEYUP in a KeyArrival record and sets an event once what was awaited arrived.
// One per process: the window procedures reach the record through the state below.
#pragma once
#include <windows.h>

#include "bench/hook/KeyArrival.h"

namespace bench {

struct KeyTargetWindow {
    HWND window = nullptr;
    HWND edit = nullptr;
};

namespace key_target {

inline KeyArrival* g_arrival = nullptr;
inline HANDLE g_event = nullptr;
inline WNDPROC g_editProc = nullptr;
inline HWND g_edit = nullptr;

inline LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message == WM_KEYDOWN || message == WM_KEYUP) && g_arrival && NoteKeyMessage(*g_arrival, message, wParam))
        SetEvent(g_event);
    return CallWindowProcA(g_editProc, window, message, wParam, lParam);
}

inline LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
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

}  // namespace key_target

// The window at (x, y), its key messages noted in `arrival` with `event` set; empty on failure.
inline KeyTargetWindow CreateKeyTargetWindow(const char* className, const char* title, int x, int y,
                                             KeyArrival* arrival, HANDLE event)
{
    key_target::g_arrival = arrival;
    key_target::g_event = event;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = key_target::FrameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    KeyTargetWindow made;
    made.window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 700, 140, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (made.window)
        made.edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_LEFT | ES_AUTOHSCROLL, 10,
                                    10, 660, 24, made.window, (HMENU)101, wc.hInstance, nullptr);
    if (!made.edit)
        return KeyTargetWindow();
    key_target::g_edit = made.edit;
    key_target::g_editProc = (WNDPROC)SetWindowLongPtrA(made.edit, GWLP_WNDPROC, (LONG_PTR)key_target::EditProc);
    return made;
}

}  // namespace bench
