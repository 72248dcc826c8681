// The system's open and save file dialogs and its folder picker.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace wnd {

struct FileDialogOptions {
    HWND owner = nullptr;
    // Pairs of description and pattern separated by '|': "Text (*.txt)|*.txt|All Files (*.*)|*.*||".
    std::string filter;
    std::string defaultExtension;  // without the dot, added to names typed without one
    std::string initialFolder;
    std::string fileName;  // shown at first, e.g. "*.txt"
    std::string title;     // empty: the system's "Open" or "Save As"
    // When given: the filter shown first (1 on), and the one the user left chosen.
    int* filterIndex = nullptr;
};

// The chosen path; nullopt when the user cancels or the path is empty.
std::optional<std::string> AskOpenFile(const FileDialogOptions& options);
// Several files picked at once (a multi-select open dialog); empty when the user cancels.
std::vector<std::string> AskOpenFiles(const FileDialogOptions& options);
// What a multi-select open dialog leaves in its buffer, as paths: one full path, or the folder
// followed by the names picked in it, each ended by a zero, the list by a second one.
std::vector<std::string> SplitOpenSelection(const std::wstring& buffer);

// As AskOpenFile; the dialog asks before a file is overwritten.
std::optional<std::string> AskSaveFile(const FileDialogOptions& options);

// A folder the user picks (the system's folder dialog), starting at initialFolder when it is
// given; nullopt when the user cancels.
std::optional<std::string> AskFolder(HWND owner, const std::string& title, const std::string& initialFolder);

// The filter in the system's form: each '|' becomes a zero, ending with two zeros.
std::string SystemFilter(const std::string& filter);

}  // namespace wnd
