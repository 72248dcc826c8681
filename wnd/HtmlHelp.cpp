#include "wnd/HtmlHelp.h"

#include <htmlhelp.h>

#include "base/Utf8Text.h"

namespace wnd {

namespace {

const wchar_t kControlKey[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const char kFallbackLibrary[] = "hhctrl.ocx";
const int kHtmlHelpWOrdinal = 15;

// HH_AKLINK as HtmlHelpW reads it.
struct WideAkLink {
    int cbStruct;
    BOOL fReserved;
    const wchar_t* pszKeywords;
    const wchar_t* pszUrl;
    const wchar_t* pszMsgText;
    const wchar_t* pszMsgTitle;
    const wchar_t* pszWindow;
    BOOL fIndexOnFail;
};

// The wide texts behind the data of one call.
class WideHelpData {
public:
    WideHelpData(UINT command, DWORD_PTR data) : m_data(data)
    {
        if (command == HH_DISPLAY_TOPIC && data) {
            m_topic = Widen(reinterpret_cast<const char*>(data));
            m_data = reinterpret_cast<DWORD_PTR>(m_topic.c_str());
        } else if ((command == HH_ALINK_LOOKUP || command == HH_KEYWORD_LOOKUP) && data) {
            const auto& link = *reinterpret_cast<const HH_AKLINK*>(data);
            m_link = WideAkLink{sizeof(WideAkLink),      link.fReserved,           Keep(0, link.pszKeywords),
                                Keep(1, link.pszUrl),    Keep(2, link.pszMsgText), Keep(3, link.pszMsgTitle),
                                Keep(4, link.pszWindow), link.fIndexOnFail};
            m_data = reinterpret_cast<DWORD_PTR>(&m_link);
        }
    }
    WideHelpData(const WideHelpData&) = delete;
    WideHelpData& operator=(const WideHelpData&) = delete;
    DWORD_PTR Data() const { return m_data; }

private:
    const wchar_t* Keep(int slot, const char* text)
    {
        if (!text)
            return nullptr;
        m_texts[slot] = Widen(text);
        return m_texts[slot].c_str();
    }

    DWORD_PTR m_data;
    std::wstring m_topic;
    std::wstring m_texts[5];
    WideAkLink m_link{};
};

}  // namespace

std::string HtmlHelpLibraryPath()
{
    wchar_t path[MAX_PATH] = L"";
    DWORD size = sizeof(path);
    if (::RegGetValueW(HKEY_CLASSES_ROOT, kControlKey, nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, path,
                       &size) != ERROR_SUCCESS ||
        path[0] == L'\0')
        return kFallbackLibrary;
    return Narrow(path);
}

CHtmlHelpEntry::CHtmlHelpEntry(LibraryLocator locator) : m_locator(std::move(locator)) {}

bool CHtmlHelpEntry::Load()
{
    if (m_function)
        return true;
    if (m_failed)
        return false;
    const std::string path = m_locator ? m_locator() : std::string(kFallbackLibrary);
    m_library.Reset(::LoadLibraryW(Widen(path).c_str()));
    if (m_library) {
        m_function = reinterpret_cast<HtmlHelpFunction>(
            reinterpret_cast<void*>(::GetProcAddress(m_library.Get(), MAKEINTRESOURCEA(kHtmlHelpWOrdinal))));
    }
    m_failed = m_function == nullptr;
    if (m_failed)
        m_library.Reset();
    return !m_failed;
}

HWND CHtmlHelpEntry::Call(HWND caller, const char* file, UINT command, DWORD_PTR data)
{
    if (!Load())
        return nullptr;
    const WideHelpData wideData(command, data);
    const std::wstring wideFile = Widen(file ? file : "");
    return m_function(caller, file ? wideFile.c_str() : nullptr, command, wideData.Data());
}

HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data)
{
    static CHtmlHelpEntry entry;
    return entry.Call(caller, file, command, data);
}

}  // namespace wnd
