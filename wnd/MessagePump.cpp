#include "wnd/MessagePump.h"

#include <iterator>

namespace wnd {
namespace {

bool IsDialogWindow(HWND window)
{
    wchar_t className[16] = L"";
    return window && ::GetClassNameW(window, className, static_cast<int>(std::size(className))) &&
           ::lstrcmpW(className, L"#32770") == 0;
}

}  // namespace

WaitingMessage TakeWaitingMessage(MSG& msg)
{
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return WaitingMessage::None;
    if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return WaitingMessage::Quit;
    }
    return WaitingMessage::Taken;
}

void DispatchTakenMessage(MSG& msg)
{
    // The dialog the work was started from keeps Tab, Enter and Esc as its own loop would.
    HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (IsDialogWindow(root) && ::IsDialogMessageW(root, &msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool IsWindowOrChild(HWND window, HWND candidate)
{
    return window && candidate && (candidate == window || ::IsChild(window, candidate));
}

bool IsButtonUpOver(const MSG& msg, HWND control)
{
    RECT rect{};
    return msg.message == WM_LBUTTONUP && control && ::GetWindowRect(control, &rect) && ::PtInRect(&rect, msg.pt);
}

}  // namespace wnd
