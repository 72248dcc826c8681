// Heap objects handed to another thread's window with a posted message. The sender gives up the
// object only when the post went through; otherwise it is freed here (the window is gone, or its
// queue is full). The receiver takes it back at once, so it is freed however it is handled.
#pragma once

#include <windows.h>

#include <memory>

namespace threadpost {

template <class T>
bool PostOwned(HWND window, UINT msg, WPARAM wParam, std::unique_ptr<T> object)
{
    // No window would post to this thread's own queue, where nobody takes it.
    if (!window || !object || !::PostMessageW(window, msg, wParam, reinterpret_cast<LPARAM>(object.get())))
        return false;
    object.release();  // the receiver's now
    return true;
}

template <class T>
std::unique_ptr<T> TakePosted(LPARAM lParam)
{
    return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}

}  // namespace threadpost
