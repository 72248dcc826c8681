// Message boxes with the program's captions, so every dialog reports alike.
#pragma once

#include <windows.h>

#include <string>

#include "base/FileIo.h"

namespace wnd {

extern const char kProgramCaption[];  // "Pennivox": information and questions
extern const char kErrorCaption[];    // "Pennivox - ERROR": errors

// A message given as text or as a string resource id.
class MessageText {
public:
    MessageText(const char* text) : m_text(text ? text : "") {}
    MessageText(std::string text) : m_text(std::move(text)) {}
    MessageText(UINT resourceId);
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// Each returns the button pressed (IDOK, IDYES, ...), or 0 when the box could not be shown.
// Boxes come to the foreground: dialogs opened from the tray have no active window of ours.
int ShowInfo(HWND owner, const MessageText& text, UINT icon = MB_ICONINFORMATION);
int ShowError(HWND owner, const MessageText& text);
// A question under the program's caption; flags default to OK and Cancel with the question icon.
int Ask(HWND owner, const MessageText& text, UINT flags = MB_OKCANCEL | MB_ICONQUESTION);
// Any box under the program's caption.
int ShowMessage(HWND owner, const MessageText& text, const char* caption, UINT flags);

// Why a file could not be read or written, in the interface's language, to follow "could not be
// saved: " (e.g. "the file is read-only"); empty for no fault.
std::string FileFaultText(pvbase::FileFault fault);

}  // namespace wnd
