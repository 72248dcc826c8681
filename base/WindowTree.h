#pragma once
// Questions about where a window sits among the others.

#include <windows.h>

namespace pvbase {

// The top-level window that holds `window`: its root, not its owner chain, so a control in an
// owned dialog belongs to that dialog. A window without a root is its own; null stays null.
HWND TopLevelWindow(HWND window);

}  // namespace pvbase
