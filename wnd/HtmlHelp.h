// The HTML Help viewer's entry, taken at run time from the registered help control library.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/WinHandles.h"

namespace wnd {

// Calls HtmlHelpW with the UTF-8 file; a topic (HH_DISPLAY_TOPIC) and the texts of an HH_AKLINK
// (HH_ALINK_LOOKUP, HH_KEYWORD_LOOKUP) given as data are UTF-8 too, other data goes as it is.
// Returns 0 when the help library or its entry cannot be found.
HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);

// The library path of the registered HTML Help control, or "hhctrl.ocx" when none is registered.
std::string HtmlHelpLibraryPath();

// Looks the entry up on first use, from the library the locator names. A failed look-up is
// remembered: later calls return 0 without trying again.
class CHtmlHelpEntry {
public:
    using LibraryLocator = std::function<std::string()>;
    explicit CHtmlHelpEntry(LibraryLocator locator = HtmlHelpLibraryPath);

    HWND Call(HWND caller, const char* file, UINT command, DWORD_PTR data);
    bool Unavailable() const { return m_failed; }

private:
    using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    bool Load();

    LibraryLocator m_locator;
    pvbase::ModuleHandle m_library;
    HtmlHelpFunction m_function = nullptr;
    bool m_failed = false;
};

}  // namespace wnd
