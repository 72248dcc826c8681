// Where the prompt goes and how big it is: plain arithmetic, kept apart from the window.
#pragma once

#include <windows.h>

// Moves a prompt of the given size placed at 'desired' so that it fits the work area of the
// caret's monitor: above the caret when it would reach below the bottom, shifted left when it
// would reach past the right edge. Anywhere it fits it stays where it was asked to be.
// 'caret' may be empty (no caret known): the prompt is then pulled up to the bottom edge.
POINT FitPromptToWorkArea(POINT desired, SIZE prompt, const RECT& caret, const RECT& workArea);

// The work area of the monitor that holds a point (the nearest one when none does).
RECT WorkAreaAt(POINT point);

// Page layout of the prompt list (sizes in pixels).
struct PromptLayoutInput {
    int columnWidth = 0;  // auto-sized column 0 before the 6 extra pixels
    int rowHeight = 0;    // height of one row
    int rowCount = 0;
    int pageSize = 5;
    bool pathPage = false;   // folders and files: a vertical scroll bar, no row labels
    int scrollBarWidth = 0;  // GetSystemMetrics(SM_CXHSCROLL)
    int listTop = 0;         // list top in client coordinates
    int labelRight = 0;      // right edge of the row labels in client coordinates
};
struct PromptLayoutResult {
    int columnWidth = 0;
    int listLeft = 0, listWidth = 0, listHeight = 0;
    int windowWidth = 0, windowHeight = 0;
    int visibleLabels = 0;
};
PromptLayoutResult LayOutPromptPage(const PromptLayoutInput& in);
