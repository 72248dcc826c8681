#include "wnd/FileDialogs.h"

#include <commdlg.h>

#include <vector>

namespace wnd {
namespace {

// Paths longer than MAX_PATH exist; the buffer leaves room for them.
const size_t kPathCapacity = 4096;

std::optional<std::string> RunFileDialog(const FileDialogOptions& options, bool save)
{
    std::string filter = SystemFilter(options.filter);
    std::vector<char> path(kPathCapacity, '\0');
    options.fileName.copy(path.data(), path.size() - 1);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = options.owner;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = options.initialFolder.empty() ? nullptr : options.initialFolder.c_str();
    dialog.lpstrTitle = options.title.empty() ? nullptr : options.title.c_str();
    dialog.lpstrDefExt = options.defaultExtension.empty() ? nullptr : options.defaultExtension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;

    BOOL chosen = save ? ::GetSaveFileNameA(&dialog) : ::GetOpenFileNameA(&dialog);
    if (!chosen || path[0] == '\0')
        return std::nullopt;
    return std::string(path.data());
}

}  // namespace

std::string SystemFilter(const std::string& filter)
{
    std::string result = filter;
    for (char& c : result) {
        if (c == '|')
            c = '\0';
    }
    // Two zeros end the list, however the text ended.
    while (!result.empty() && result.back() == '\0')
        result.pop_back();
    if (!result.empty())
        result.append(2, '\0');
    return result;
}

std::optional<std::string> AskOpenFile(const FileDialogOptions& options)
{
    return RunFileDialog(options, false);
}

std::optional<std::string> AskSaveFile(const FileDialogOptions& options)
{
    return RunFileDialog(options, true);
}

}  // namespace wnd
