#include "app/win/SystemTray.h"

#include <shlwapi.h>

#include <algorithm>

#include "base/Utf8Text.h"
#include "wnd/Handles.h"
#include "wnd/Language.h"

namespace {

const char kTrayWindowClass[] = "PennivoxTrayWindow";

HICON LoadProgramIcon(UINT resource)
{
    // Shared icons from the program's resources: the system keeps them, nothing to free.
    return static_cast<HICON>(::LoadImageW(wnd::ResourceInstance(), MAKEINTRESOURCEW(resource), IMAGE_ICON,
                                           ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                           LR_SHARED));
}

// The record's first version, which kRecordSize gives, holds 64 units of the tip.
const size_t kTipCapacity = 64;

// The tip as much as the record holds, never half a surrogate pair.
void CopyTip(const std::string& tip, wchar_t* to)
{
    const std::wstring wide = Widen(tip);
    size_t n = std::min(wide.size(), kTipCapacity - 1);
    if (n > 0 && n < wide.size() && IS_HIGH_SURROGATE(wide[n - 1]))
        --n;
    std::fill(to, to + kTipCapacity, L'\0');
    wide.copy(to, n);
}

}  // namespace

bool ShellHasNotificationArea()
{
    HMODULE shell = ::GetModuleHandleW(L"shell32.dll");
    auto getVersion =
        shell ? reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(::GetProcAddress(shell, "DllGetVersion")))
              : nullptr;
    if (!getVersion)
        return false;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    return SUCCEEDED(getVersion(&info)) && info.dwMajorVersion >= 4;
}

CSystemTray::~CSystemTray()
{
    Remove();
    Destroy();
}

bool CSystemTray::Install(HWND target, UINT callbackMessage, const std::string& tip, UINT iconResource, UINT id)
{
    if (!ShellHasNotificationArea())
        return false;
    if (!Handle()) {
        // The shell's restart message reaches top-level windows only: a hidden pop-up.
        RECT small{0, 0, 10, 10};
        if (!wnd::RegisterWindowClass(kTrayWindowClass) || !Create(kTrayWindowClass, "", WS_POPUP, 0, small, nullptr))
            return false;
        m_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    }
    m_target = target ? target : Handle();
    m_iconResource = iconResource;
    m_record = NOTIFYICONDATAW{};
    m_record.cbSize = kRecordSize;
    m_record.hWnd = m_target;
    m_record.uID = id;
    m_record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_record.uCallbackMessage = callbackMessage;
    m_record.hIcon = LoadProgramIcon(iconResource);
    CopyTip(tip, m_record.szTip);
    return AddIcon();
}

bool CSystemTray::AddIcon()
{
    m_added = ::Shell_NotifyIconW(NIM_ADD, &m_record) != FALSE;
    return m_added;
}

bool CSystemTray::ChangeIcon(UINT iconResource)
{
    m_iconResource = iconResource;
    m_record.hIcon = LoadProgramIcon(iconResource);
    if (!m_added)
        return false;
    NOTIFYICONDATAW change = m_record;
    change.uFlags = NIF_ICON;
    return ::Shell_NotifyIconW(NIM_MODIFY, &change) != FALSE;
}

void CSystemTray::SetDefaultCommand(UINT command, bool byPosition)
{
    m_defaultCommand = command;
    m_defaultByPosition = byPosition;
}

void CSystemTray::Remove()
{
    if (!m_added)
        return;
    ::Shell_NotifyIconW(NIM_DELETE, &m_record);
    m_added = false;
}

LRESULT CSystemTray::OnIconMessage(WPARAM iconId, LPARAM mouseMessage)
{
    if (iconId != m_record.uID)
        return 0;
    if (mouseMessage == WM_RBUTTONUP && m_menuEnabled)
        ShowMenu();
    else if (mouseMessage == WM_LBUTTONDBLCLK)
        RunDefaultCommand();
    return 1;
}

void CSystemTray::ShowMenu()
{
    wnd::MenuHandle menu(wnd::LoadUiMenu(m_record.uID));
    HMENU popup = menu.Get() ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup)
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(m_target);
    if (m_prepareMenu)
        m_prepareMenu(popup);
    ::SetMenuDefaultItem(popup, m_defaultCommand, m_defaultByPosition);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_target, nullptr);
    ::PostMessageW(m_target, WM_NULL, 0, 0);
}

UINT CSystemTray::DefaultCommand(HMENU popup) const
{
    if (!m_defaultByPosition)
        return m_defaultCommand;
    return popup ? ::GetMenuItemID(popup, static_cast<int>(m_defaultCommand)) : 0;
}

void CSystemTray::RunDefaultCommand()
{
    ::SetForegroundWindow(m_target);
    UINT command = m_defaultCommand;
    if (m_defaultByPosition) {
        wnd::MenuHandle menu(wnd::LoadUiMenu(m_record.uID));
        command = DefaultCommand(menu.Get() ? ::GetSubMenu(menu.Get(), 0) : nullptr);
    }
    if (command != 0 && command != static_cast<UINT>(-1))
        ::SendMessageW(m_target, WM_COMMAND, command, 0);
}

LRESULT CSystemTray::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_taskbarCreated != 0 && msg == m_taskbarCreated) {
        // A restarted shell knows no icons: ours comes back as it was.
        AddIcon();
        return 0;
    }
    if (m_target == Handle() && msg == m_record.uCallbackMessage && msg != 0)
        return OnIconMessage(wParam, lParam);
    return wnd::CWindow::HandleMessage(msg, wParam, lParam);
}
