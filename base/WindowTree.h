#pragma once
// Questions about where a window sits among the others. Inline: the window libraries use it
// without linking pv_base.

#include <windows.h>

namespace pvbase {

// The top-level window that holds `window`: its root, not its owner chain, so a control in an
// owned dialog belongs to that dialog. A window without a root is its own; null stays null.
inline HWND TopLevelWindow(HWND window)
{
    if (!window)
        return nullptr;
    HWND root = ::GetAncestor(window, GA_ROOT);
    return root ? root : window;
}

}  // namespace pvbase
