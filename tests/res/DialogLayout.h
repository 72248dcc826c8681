// Measures the dialogs as the user sees them: every static text, check box, radio button, group
// box and push button of a template, in one language, with the control's own font at the screen's
// dots per inch, against the room its control gives it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace layout_check {

// A text that a dialog puts into one of its controls at run time, measured there as well.
struct RuntimeText {
    int dialogId;
    int controlId;
    UINT stringId;
};

// One "language dialog control: text needs N px, has M px" line per text that does not fit; the
// template comes in the language given (wnd/Language.h), English where that language lacks it.
std::vector<std::string> Problems(int dialogId, LANGID language, const std::vector<RuntimeText>& runtimeTexts = {});

// Every dialog template of the program, and the texts its dialogs put in at run time.
std::vector<int> ProgramDialogs();
std::vector<RuntimeText> ProgramRuntimeTexts();
// Problems() of every program dialog in one language.
std::vector<std::string> ProgramProblems(LANGID language);

// The room a text has in a control of this class and style, width by height, in pixels at the
// control's dots per inch (a check box's box and a group box's edges taken off).
SIZE RoomFor(HWND control);
// The size of a text in the control's font: on one line, or broken at blanks within maxWidth.
SIZE TextSize(HWND control, const std::wstring& text, bool wrap, int maxWidth);

}  // namespace layout_check
