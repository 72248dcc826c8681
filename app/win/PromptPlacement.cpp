#include "app/win/PromptPlacement.h"

#include <algorithm>

POINT FitPromptToWorkArea(POINT desired, SIZE prompt, const RECT& caret, const RECT& workArea)
{
    POINT p = desired;
    bool haveCaret = caret.bottom > caret.top || caret.right > caret.left;
    if (p.y + prompt.cy > workArea.bottom) {
        p.y = haveCaret ? caret.top - prompt.cy : workArea.bottom - prompt.cy;
        if (p.y < workArea.top)
            p.y = workArea.top;
    }
    if (p.x + prompt.cx > workArea.right)
        p.x = std::max<LONG>(workArea.left, workArea.right - prompt.cx);
    return p;
}

RECT WorkAreaAt(POINT point)
{
    RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    HMONITOR monitor = ::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && ::GetMonitorInfoW(monitor, &info))
        area = info.rcWork;
    return area;
}

PromptLayoutResult LayOutPromptPage(const PromptLayoutInput& in)
{
    PromptLayoutResult out;
    out.columnWidth = in.columnWidth + 6;
    int shown = std::min(in.rowCount, in.pageSize);
    if (shown < 0)
        shown = 0;
    out.listHeight = in.rowHeight * shown + 6;
    if (in.pathPage) {
        out.listWidth = out.columnWidth + in.scrollBarWidth + 5;
        out.listLeft = 0;
        out.visibleLabels = 0;
        out.windowWidth = out.listWidth + 6;
    } else {
        out.listWidth = out.columnWidth + 5;
        out.listLeft = in.labelRight;
        out.visibleLabels = std::min(in.rowCount, 10);
        out.windowWidth = out.listWidth + in.labelRight + 6;
    }
    out.windowHeight = in.listTop + out.listHeight + 6;
    return out;
}
