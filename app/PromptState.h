// What the prompt shows, as the engine thread decided it: handed to the window thread whole, so
// that the window only draws and places, and the latest state is all that counts.
#pragma once

#include <string>
#include <vector>

#include "app/engine/EngineTypes.h"

struct PromptState {
    unsigned serial = 0;      // grows with every state handed over
    unsigned pageSerial = 0;  // grows with every new page; row clicks name the page they meant
    std::vector<PromptRow> rows;
    bool pathPage = false;
    int pageSize = 5;  // rows the list shows at once (path pages scroll through the rest)
    int selected = -1;
    bool visible = false;
    // Where the prompt goes when visible: 5 pixels under the caret, and the caret's rectangle
    // (screen; empty when unknown) that decides on which side it fits.
    int x = 0, y = 0;
    int caretLeft = 0, caretTop = 0, caretRight = 0, caretBottom = 0;
    std::vector<std::string> rowLabels;  // the index keys in use, one per row ("F1", ... or "1", ...)
    std::string preview;
    int previewStyle = PREVIEW_NORMAL;
};
