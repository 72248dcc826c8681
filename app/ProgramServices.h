// The engine's ports on Windows that need the desktop: window queries, folder listings made off the
// engine's thread, and keystroke output.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/engine/EngineServices.h"

inline HWND ToHwnd(WindowHandle handle)
{
    return reinterpret_cast<HWND>(handle);
}
inline WindowHandle ToHandle(HWND window)
{
    return reinterpret_cast<WindowHandle>(window);
}

class CWin32Desktop : public IDesktop {
public:
    // appEnabled: the per-application rule test.
    explicit CWin32Desktop(std::function<bool(HWND)> appEnabled) : m_appEnabled(std::move(appEnabled)) {}
    WindowHandle ForegroundWindow() override;
    WindowHandle TopLevelAncestor(WindowHandle window) override;
    bool WindowExists(WindowHandle window) override;
    bool EngineWorksIn(WindowHandle window) override;

private:
    std::function<bool(HWND)> m_appEnabled;
};

// One folder's entries as listed at one moment.
struct FolderListing {
    std::string pattern;
    bool listed = false;  // the folder could be read
    std::vector<DirectoryEntry> entries;
    DWORD madeAt = 0;
};

// Folder listings for path candidates, made on a thread of their own so that a slow drive holds up
// no key. A folder is served from its last listing; a folder not listed yet (or listed more than
// kFreshMs ago) is listed in the background, and the listing is handed to the engine thread's
// window (WM_ENGINE_FOLDER_LISTED), which searches again. Used on the engine thread only.
class CBackgroundFileSystem : public IFileSystem {
public:
    static constexpr DWORD kFreshMs = 2000;
    static constexpr size_t kMaxEntries = 200000;

    // The window that receives the listings; null lists at once, on the calling thread.
    void SetNotifyWindow(HWND window) { m_notify = window; }
    bool ListDirectory(const std::string& pattern, const std::function<bool(const DirectoryEntry&)>& visit) override;
    // A listing made in the background arrived.
    void TakeListing(std::unique_ptr<FolderListing> listing);
    // Lists a folder on the calling thread.
    static std::unique_ptr<FolderListing> List(const std::string& pattern);

private:
    void StartListing(const std::string& pattern);

    HWND m_notify = nullptr;
    std::unique_ptr<FolderListing> m_last;
    std::string m_listing;  // pattern being listed now, "" when none
    std::string m_wanted;   // asked for while another listing ran
};

class CWin32KeyOutput : public IKeyOutput {
public:
    void BringToFront(WindowHandle target) override;
    void Type(WindowHandle target, int backspaces, const CMacroScript& script) override;
    void ReplayText(const std::string& text) override;
    void ReplayKey(unsigned vk, bool release) override;
    void SendOwnInputMarker(unsigned vk) override;
    void Beep() override;
};
