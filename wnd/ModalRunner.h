// Runs dialogs modally, one copy of each kind at a time.
#pragma once

#include <windows.h>

#include "wnd/Dialog.h"

namespace wnd {

enum class ModalOutcome {
    Closed,       // the dialog ran and ended; value is its EndDialog value
    AlreadyOpen,  // a dialog of the same template was open: it was brought forward instead
    NotCreated,   // the dialog could not be created (or ended itself with -1)
};

struct ModalResult {
    ModalOutcome outcome;
    INT_PTR value;

    // The dialog ran and the user closed it with OK.
    bool EndedWithOk() const { return outcome == ModalOutcome::Closed && value == IDOK; }
};

// Runs the dialog modally with the owner (null for none, e.g. from the tray menu) and brings it
// to the foreground when it shows. A dialog whose template id is already running is not opened
// twice: the open one (or the box it shows) comes forward. User-interface thread only.
ModalResult RunModal(CDialog& dialog, HWND owner);
// The dialog of that template now running modally through RunModal, or null.
CDialog* OpenModalDialog(int templateId);

}  // namespace wnd
