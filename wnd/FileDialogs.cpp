#include "wnd/FileDialogs.h"

#include <commdlg.h>

#include <vector>

#include "base/Utf8Text.h"

namespace wnd {
namespace {

// Paths longer than MAX_PATH exist; the buffer leaves room for them.
const size_t kPathCapacity = 4096;

std::optional<std::string> RunFileDialog(const FileDialogOptions& options, bool save)
{
    const std::wstring filter = Widen(SystemFilter(options.filter));
    const std::wstring fileName = Widen(options.fileName);
    const std::wstring initialFolder = Widen(options.initialFolder);
    const std::wstring title = Widen(options.title);
    const std::wstring defaultExtension = Widen(options.defaultExtension);
    std::vector<wchar_t> path(kPathCapacity, L'\0');
    fileName.copy(path.data(), path.size() - 1);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = options.owner;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;

    BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (!chosen || path[0] == L'\0')
        return std::nullopt;
    return Narrow(path.data());
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
