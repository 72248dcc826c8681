#include "wnd/FileDialogs.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <vector>

#include "base/Utf8Text.h"

namespace wnd {
namespace {

// Paths longer than MAX_PATH exist; the buffer leaves room for them.
const size_t kPathCapacity = 4096;

enum class FileDialogKind { Open, OpenSeveral, Save };

// The dialog's buffer as the user left it; empty when cancelled.
std::wstring RunFileDialog(const FileDialogOptions& options, FileDialogKind kind)
{
    const bool save = kind == FileDialogKind::Save;
    const std::wstring filter = Widen(SystemFilter(options.filter));
    const std::wstring fileName = Widen(options.fileName);
    const std::wstring initialFolder = Widen(options.initialFolder);
    const std::wstring title = Widen(options.title);
    const std::wstring defaultExtension = Widen(options.defaultExtension);
    // Several names share the buffer: room for a few hundred.
    std::vector<wchar_t> path(kind == FileDialogKind::OpenSeveral ? 16 * kPathCapacity : kPathCapacity, L'\0');
    fileName.copy(path.data(), path.size() - 1);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = options.owner;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = options.filterIndex ? static_cast<DWORD>(*options.filterIndex) : 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    if (kind == FileDialogKind::OpenSeveral)
        dialog.Flags |= OFN_ALLOWMULTISELECT;

    BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (!chosen || path[0] == L'\0')
        return std::wstring();
    if (options.filterIndex)
        *options.filterIndex = static_cast<int>(dialog.nFilterIndex);
    // Up to the two zeros that end a multiple selection (one name ends with them too).
    std::size_t end = 0;
    while (end + 1 < path.size() && !(path[end] == L'\0' && path[end + 1] == L'\0'))
        ++end;
    return std::wstring(path.data(), end + 1);
}

std::optional<std::string> OnePath(const std::wstring& buffer)
{
    const std::string path = Narrow(buffer.c_str());
    return path.empty() ? std::nullopt : std::optional<std::string>(path);
}

// COM for the folder dialog on a thread that may not have it yet; left as it was found.
class CComScope {
public:
    CComScope() : m_started(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~CComScope()
    {
        if (m_started)
            ::CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;

private:
    bool m_started;
};

template <class T>
struct ComReleaser {
    void operator()(T* object) const { object->Release(); }
};
template <class T>
using ComPtr = std::unique_ptr<T, ComReleaser<T>>;

// nullopt with `failed` set when the system has no such dialog (older systems): the caller asks
// the old way.
std::optional<std::string> PickFolderDialog(HWND owner, const std::string& title, const std::string& initialFolder,
                                            bool& failed)
{
    failed = true;
    IFileOpenDialog* raw = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                  reinterpret_cast<void**>(&raw))))
        return std::nullopt;
    ComPtr<IFileOpenDialog> dialog(raw);
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    if (FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST)))
        return std::nullopt;
    failed = false;
    if (!title.empty())
        dialog->SetTitle(Widen(title).c_str());
    IShellItem* start = nullptr;
    if (!initialFolder.empty() &&
        SUCCEEDED(::SHCreateItemFromParsingName(Widen(initialFolder).c_str(), nullptr, IID_IShellItem,
                                                reinterpret_cast<void**>(&start)))) {
        dialog->SetFolder(start);
        start->Release();
    }
    if (FAILED(dialog->Show(owner)))
        return std::nullopt;  // cancelled
    IShellItem* picked = nullptr;
    if (FAILED(dialog->GetResult(&picked)))
        return std::nullopt;
    ComPtr<IShellItem> item(picked);
    PWSTR path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path)
        return std::nullopt;
    std::string chosen = Narrow(path);
    ::CoTaskMemFree(path);
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
}

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title)
{
    const std::wstring wideTitle = Widen(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = wideTitle.empty() ? nullptr : wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE list = ::SHBrowseForFolderW(&info);
    if (!list)
        return std::nullopt;
    std::vector<wchar_t> path(kPathCapacity, L'\0');
    const bool named = ::SHGetPathFromIDListEx(list, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    ::CoTaskMemFree(list);
    if (!named || path[0] == L'\0')
        return std::nullopt;
    return Narrow(path.data());
}

}  // namespace

std::optional<std::string> AskFolder(HWND owner, const std::string& title, const std::string& initialFolder)
{
    const CComScope com;
    bool failed = false;
    std::optional<std::string> chosen = PickFolderDialog(owner, title, initialFolder, failed);
    if (failed)
        chosen = BrowseForFolder(owner, title);
    return chosen;
}

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
    return OnePath(RunFileDialog(options, FileDialogKind::Open));
}

std::vector<std::string> AskOpenFiles(const FileDialogOptions& options)
{
    return SplitOpenSelection(RunFileDialog(options, FileDialogKind::OpenSeveral));
}

std::optional<std::string> AskSaveFile(const FileDialogOptions& options)
{
    return OnePath(RunFileDialog(options, FileDialogKind::Save));
}

std::vector<std::string> SplitOpenSelection(const std::wstring& buffer)
{
    std::vector<std::wstring> parts;
    for (std::size_t from = 0; from < buffer.size();) {
        std::size_t end = buffer.find(L'\0', from);
        if (end == std::wstring::npos)
            end = buffer.size();
        if (end == from)
            break;  // the second zero
        parts.emplace_back(buffer, from, end - from);
        from = end + 1;
    }
    std::vector<std::string> paths;
    if (parts.size() == 1)
        paths.push_back(Narrow(parts[0]));
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::wstring path = parts[0];
        if (path.back() != L'\\')
            path += L'\\';  // a drive's root comes with its own
        paths.push_back(Narrow(path + parts[i]));
    }
    return paths;
}

}  // namespace wnd
