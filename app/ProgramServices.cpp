#include "app/ProgramServices.h"
#include "app/ThreadPost.h"

#include <thread>

#include "app/engine/CompletionEngine.h"
#include "app/ThreadMessages.h"
#include "base/FileIo.h"
#include "base/WindowTree.h"
#include "textout/Win32InputSystem.h"

WindowHandle CWin32Desktop::ForegroundWindow()
{
    return ToHandle(::GetForegroundWindow());
}

WindowHandle CWin32Desktop::TopLevelAncestor(WindowHandle window)
{
    return ToHandle(pvbase::TopLevelWindow(ToHwnd(window)));
}

bool CWin32Desktop::WindowExists(WindowHandle window)
{
    RECT r;
    // Only a handle the system no longer knows frees a slot.
    return ::GetWindowRect(ToHwnd(window), &r) || ::GetLastError() != ERROR_INVALID_WINDOW_HANDLE;
}

bool CWin32Desktop::EngineWorksIn(WindowHandle window)
{
    return !m_appEnabled || m_appEnabled(ToHwnd(window));
}

std::unique_ptr<FolderListing> CBackgroundFileSystem::List(const std::string& pattern)
{
    auto listing = std::make_unique<FolderListing>();
    listing->pattern = pattern;
    std::vector<pvbase::FolderEntry> entries;
    listing->listed = pvbase::ListFolder(pattern, entries, kMaxEntries);
    listing->entries.reserve(entries.size());
    for (pvbase::FolderEntry& entry : entries)
        listing->entries.push_back(DirectoryEntry{std::move(entry.name), entry.attributes});
    listing->madeAt = ::GetTickCount();
    return listing;
}

bool CBackgroundFileSystem::ListDirectory(const std::string& pattern,
                                          const std::function<bool(const DirectoryEntry&)>& visit)
{
    if (!m_notify)
        TakeListing(List(pattern));
    const bool known = m_last && m_last->pattern == pattern;
    if (!known || ::GetTickCount() - m_last->madeAt > kFreshMs) {
        if (m_listing.empty())
            StartListing(pattern);
        else if (m_listing != pattern)
            m_wanted = pattern;
    }
    if (!known || !m_last->listed)
        return false;  // nothing to offer until the listing arrives
    for (const DirectoryEntry& entry : m_last->entries)
        if (!visit(entry))
            break;
    return true;
}

void CBackgroundFileSystem::StartListing(const std::string& pattern)
{
    m_listing = pattern;
    HWND notify = m_notify;
    std::thread([pattern, notify] {
        // Freed here if the engine is gone.
        threadpost::PostOwned(notify, WM_ENGINE_FOLDER_LISTED, 0, List(pattern));
    }).detach();
}

void CBackgroundFileSystem::TakeListing(std::unique_ptr<FolderListing> listing)
{
    if (!listing)
        return;
    if (listing->pattern == m_listing)
        m_listing.clear();
    m_last = std::move(listing);
    if (m_listing.empty() && !m_wanted.empty()) {
        const std::string wanted = std::move(m_wanted);
        m_wanted.clear();
        if (wanted != m_last->pattern)
            StartListing(wanted);
    }
}

void CWin32KeyOutput::BringToFront(WindowHandle target)
{
    HWND w = ToHwnd(target);
    if (w && ::GetForegroundWindow() != w)
        ::SetForegroundWindow(w);
}

void CWin32KeyOutput::Type(WindowHandle, int backspaces, const CMacroScript& script)
{
    ::PlayScript(script, backspaces);
}

void CWin32KeyOutput::ReplayText(const std::string& text)
{
    ::PlayText(text);
}

void CWin32KeyOutput::ReplayKey(unsigned vk, bool release)
{
    ::SendKeyEvent(static_cast<BYTE>(vk), release);
}

void CWin32KeyOutput::SendOwnInputMarker(unsigned vk)
{
    // Not the synthetic scan code: the hook must report this key.
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = static_cast<WORD>(vk);
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
}

void CWin32KeyOutput::Beep()
{
    ::MessageBeep(0xFFFFFFFF);
}
