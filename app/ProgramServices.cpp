#include "app/ProgramServices.h"

#include <thread>

#include "app/engine/CompletionEngine.h"
#include "app/ThreadMessages.h"
#include "base/WindowTree.h"
#include "dict/DictionarySet.h"
#include "textout/Win32InputSystem.h"
#include "wnd/Handles.h"

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
    WIN32_FIND_DATAA data;
    wnd::FindHandle find(::FindFirstFileA(pattern.c_str(), &data));
    listing->listed = static_cast<bool>(find);
    if (find) {
        do {
            listing->entries.push_back(DirectoryEntry{data.cFileName, data.dwFileAttributes});
        } while (listing->entries.size() < kMaxEntries && ::FindNextFileA(find.Get(), &data));
    }
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
        FolderListing* listing = List(pattern).release();
        if (!::PostMessageA(notify, WM_ENGINE_FOLDER_LISTED, 0, reinterpret_cast<LPARAM>(listing)))
            delete listing;  // the engine is gone
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

bool CDictionarySearchAdapter::FindFirst(const std::string& query, int matchMode, bool includeShorthand,
                                         DictionaryMatch& match)
{
    m_searchInterrupted = false;
    return m_set.FindFirst(query, match, matchMode, includeShorthand);
}

bool CDictionarySearchAdapter::FindNext(DictionaryMatch& match)
{
    // A known-word check ran its own search on the shared cursor: the engine's search is over.
    if (m_searchInterrupted)
        return false;
    return m_set.FindNext(match);
}

bool CDictionarySearchAdapter::FindFirstRanked(const std::string& query, int matchMode, bool includeShorthand,
                                               DictionaryMatch& match, int& rank)
{
    m_searchInterrupted = false;
    return m_set.FindFirstRanked(query, match, matchMode, includeShorthand, rank);
}

bool CDictionarySearchAdapter::FindNextRanked(DictionaryMatch& match, int& rank)
{
    rank = 0;
    if (m_searchInterrupted)
        return false;
    return m_set.FindNextRanked(match, rank);
}

int CDictionarySearchAdapter::RankOf(const std::string& word)
{
    m_searchInterrupted = true;
    return m_set.RankOf(word);
}

bool CDictionarySearchAdapter::HoldsExactly(const std::string& text)
{
    if (text.empty())
        return false;
    m_searchInterrupted = true;
    DictionaryMatch match;
    return m_set.FindFirst(text, match, MATCH_START | MATCH_WORDS | MATCH_PHRASES, true) && match.key == text;
}

bool CAutoLearnAdapter::EndsWithSeparator(const std::string& text)
{
    return m_store->EndsWithSeparator(text);
}

void CAutoLearnAdapter::Learn(const std::string& typedText)
{
    m_store->Learn(typedText);
}

std::string CAutoLearnAdapter::FirstSuggestion(const std::string& prefix)
{
    if (!m_store->IsEnabled())
        return {};
    return m_store->FirstSuggestion(prefix);
}

std::string CAutoLearnAdapter::NextSuggestion(const std::string& prefix)
{
    if (!m_store->IsEnabled())
        return {};
    return m_store->NextSuggestion(prefix);
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

void CWin32KeyOutput::SendOwnInputMarker()
{
    // Not the synthetic scan code: the hook must report this key.
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = static_cast<WORD>(CCompletionEngine::kOwnInputMarkerKey);
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
}

void CWin32KeyOutput::Beep()
{
    ::MessageBeep(0xFFFFFFFF);
}
