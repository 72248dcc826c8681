#include "base/WindowTree.h"

namespace pvbase {

HWND TopLevelWindow(HWND window)
{
    if (!window)
        return nullptr;
    HWND root = ::GetAncestor(window, GA_ROOT);
    return root ? root : window;
}

}  // namespace pvbase
