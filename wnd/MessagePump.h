// One step of the nested message loops that long work runs between its steps.
#pragma once

#include <windows.h>

namespace wnd {

enum class WaitingMessage { None, Taken, Quit };

// Takes the next waiting message of this thread. WM_QUIT is posted again for the outer loop
// and reported as Quit.
WaitingMessage TakeWaitingMessage(MSG& msg);
// Dispatches a taken message; a dialog's keyboard navigation gets it first.
void DispatchTakenMessage(MSG& msg);
// Whether the candidate is the window or one of its children.
bool IsWindowOrChild(HWND window, HWND candidate);
// Whether a left-button release happened over the control.
bool IsButtonUpOver(const MSG& msg, HWND control);

}  // namespace wnd
