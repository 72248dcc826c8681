#include "wnd/HtmlHelp.h"

namespace wnd {

namespace {

const char kControlKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const char kFallbackLibrary[] = "hhctrl.ocx";
const int kHtmlHelpAOrdinal = 14;

}  // namespace

std::string HtmlHelpLibraryPath()
{
    char path[MAX_PATH] = "";
    DWORD size = sizeof(path);
    if (::RegGetValueA(HKEY_CLASSES_ROOT, kControlKey, nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, path,
                       &size) != ERROR_SUCCESS ||
        path[0] == '\0')
        return kFallbackLibrary;
    return path;
}

CHtmlHelpEntry::CHtmlHelpEntry(LibraryLocator locator) : m_locator(std::move(locator)) {}

bool CHtmlHelpEntry::Load()
{
    if (m_function)
        return true;
    if (m_failed)
        return false;
    const std::string path = m_locator ? m_locator() : std::string(kFallbackLibrary);
    m_library.Reset(::LoadLibraryA(path.c_str()));
    if (m_library) {
        m_function = reinterpret_cast<HtmlHelpFunction>(
            reinterpret_cast<void*>(::GetProcAddress(m_library.Get(), MAKEINTRESOURCEA(kHtmlHelpAOrdinal))));
    }
    m_failed = m_function == nullptr;
    if (m_failed)
        m_library.Reset();
    return !m_failed;
}

HWND CHtmlHelpEntry::Call(HWND caller, const char* file, UINT command, DWORD_PTR data)
{
    return Load() ? m_function(caller, file, command, data) : nullptr;
}

HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data)
{
    static CHtmlHelpEntry entry;
    return entry.Call(caller, file, command, data);
}

}  // namespace wnd
