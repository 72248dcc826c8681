// pvwininfo: what the end-to-end scenarios need to know about windows of other processes.
//   pvwininfo rect HWND    -> "VISIBLE LEFT TOP RIGHT BOTTOM" (screen pixels, VISIBLE 0 or 1)
//   pvwininfo caret HWND   -> "LEFT TOP RIGHT BOTTOM" of the caret of the window's thread, or "none"
// HWND is hexadecimal. Exit code 2 for bad usage or a window that does not exist.
#include <windows.h>

#include "app/win/CaretTracker.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Screen pixels whatever the scaling: this tool reads other programs' windows as they are drawn.
void UsePixels()
{
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "SetProcessDpiAwarenessContext")));
    if (set)
        set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

}  // namespace

int main(int argc, char** argv)
{
    UsePixels();
    if (argc != 3) {
        std::fprintf(stderr, "usage: pvwininfo rect|caret HWND\n");
        return 2;
    }
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(argv[2], nullptr, 16)));
    if (!::IsWindow(window)) {
        std::fprintf(stderr, "pvwininfo: no window %s\n", argv[2]);
        return 2;
    }
    if (std::strcmp(argv[1], "rect") == 0) {
        RECT r{};
        ::GetWindowRect(window, &r);
        std::printf("%d %ld %ld %ld %ld\n", ::IsWindowVisible(window) ? 1 : 0, r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (std::strcmp(argv[1], "caret") == 0) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndCaret) {
            std::printf("none\n");
            return 0;
        }
        // Mapped plainly, not with the program's own conversion, so that a test of that conversion
        // compares it with where the caret is drawn (Wine draws every window unscaled).
        RECT r = info.rcCaret;
        ::MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    std::fprintf(stderr, "pvwininfo: unknown command %s\n", argv[1]);
    return 2;
}
