#include "config/ui/HotkeyPage.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "base/Utf8Text.h"
#include "config/AppSettings.h"
#include "config/SettingsErrors.h"
#include "config/ui/ConfigUiIds.h"
#include "config/ui/HotkeyText.h"
#include "wnd/DataExchange.h"
#include "wnd/MessageBoxes.h"

namespace {

constexpr BYTE kEmptySlot = 0xFF;
constexpr int kToggleItem = 0;  // "Enable/Disable Pennivox", the only other hotkey

// The complete keys' boxes, in the order their keys fill the slots when a box changes.
const wnd::ValueBox kCompleteKeyBoxes[] = {{IDC_HOTKEY_COMPLETE_CTRL, VK_CONTROL},
                                           {IDC_HOTKEY_COMPLETE_RETURN, VK_RETURN},
                                           {IDC_HOTKEY_COMPLETE_SHIFT, VK_SHIFT},
                                           {IDC_HOTKEY_COMPLETE_SPACE, VK_SPACE},
                                           {IDC_HOTKEY_COMPLETE_TAB, VK_TAB}};

bool IsCompleteKeyBox(int id)
{
    return std::any_of(std::begin(kCompleteKeyBoxes), std::end(kCompleteKeyBoxes),
                       [id](const wnd::ValueBox& box) { return box.id == id; });
}

// The virtual key that types the character on the current keyboard layout.
BYTE KeyOfCharacter(char character)
{
    return LOBYTE(::VkKeyScanExW(static_cast<unsigned char>(character), ::GetKeyboardLayout(0)));
}

}  // namespace

CHotkeyPage::CHotkeyPage(CAppSettings& settings) : CDialogPage(IDD_OPTION_HOTKEY), m_settings(settings) {}

BOOL CHotkeyPage::OnInitDialog()
{
    FillOtherList();
    SetItemText(IDC_HOTKEY_ESC, KeyName(VK_ESCAPE, false));  // as the keyboard names it
    return CDialogPage::OnInitDialog();
}

void CHotkeyPage::FillOtherList() const
{
    const std::wstring toggle = Widen(wnd::LoadResourceString(IDS_ENABLE_DISABLE_ITEM));
    ::SendDlgItemMessageW(Handle(), IDC_HOTKEY_OTHER_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toggle.c_str()));
}

void CHotkeyPage::ReadModel()
{
    m_settings.LoadHotKeys();
    m_values = m_settings.Values();
    m_changed = false;
}

bool CHotkeyPage::WriteModel()
{
    CopySettings(settings_sections::kHotKeys, m_values, m_settings.Values());
    if (!m_settings.SaveHotKeys()) {
        wnd::ShowError(Handle(), SettingsNotSavedMessage(m_settings, wnd::LoadResourceString(IDS_OPTIONS_NOT_SAVED),
                                                         wnd::FileFaultText));
        return false;
    }
    m_changed = false;
    return true;
}

void CHotkeyPage::Exchange(wnd::CDataExchange& dx)
{
    if (dx.IsLoading()) {
        RefreshControls();
        dx.CheckGroup(kCompleteKeyBoxes, m_values.vkSelect, kEmptySlot);
        return;
    }
    // The complete keys' slots were taken when a box changed; untouched, they stay as read.

    // The control is the last word, also if it did not report its last edit.
    if (::SendDlgItemMessageW(Handle(), IDC_HOTKEY_OTHER_LIST, LB_GETCURSEL, 0, 0) == kToggleItem) {
        DWORD hotkey = m_values.dwEnableZel;
        dx.Hotkey(IDC_HOTKEY_CONTROL, hotkey);
        m_values.dwEnableZel = hotkey;
    }
}

void CHotkeyPage::RefreshControls() const
{
    ::CheckRadioButton(Handle(), IDC_HOTKEY_UP_DOWN, IDC_HOTKEY_BRACKETS,
                       m_values.vkSelectPrev == VK_UP ? IDC_HOTKEY_UP_DOWN : IDC_HOTKEY_BRACKETS);
    ::CheckRadioButton(Handle(), IDC_HOTKEY_PAGE_UP_DOWN, IDC_HOTKEY_MINUS_PLUS,
                       m_values.vkSelectPageDown == VK_NEXT ? IDC_HOTKEY_PAGE_UP_DOWN : IDC_HOTKEY_MINUS_PLUS);
    ::CheckRadioButton(Handle(), IDC_HOTKEY_FUNCTION_KEYS, IDC_HOTKEY_MAIN_DIGITS,
                       m_values.vkSelectIndex[0] == '1' ? IDC_HOTKEY_MAIN_DIGITS : IDC_HOTKEY_FUNCTION_KEYS);
    HWND other = Item(IDC_HOTKEY_OTHER_LIST);
    ::SendMessageW(other, LB_SETITEMDATA, kToggleItem, static_cast<LPARAM>(m_values.dwEnableZel));
    ::SendMessageW(other, LB_SETCURSEL, kToggleItem, 0);
    ShowSelectedHotkey();
}

void CHotkeyPage::ShowSelectedHotkey() const
{
    HWND other = Item(IDC_HOTKEY_OTHER_LIST);
    LRESULT selected = ::SendMessageW(other, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return;
    auto value = static_cast<DWORD>(::SendMessageW(other, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    ::SendDlgItemMessageW(Handle(), IDC_HOTKEY_CONTROL, HKM_SETHOTKEY, wnd::HotkeyControlWord(value), 0);
    ShowHotkeyName(value);
}

void CHotkeyPage::ShowHotkeyName(DWORD value) const
{
    // The system's hotkey control names the keys as Wine's X server does ("Control"); this is
    // how the tray menu names them.
    SetItemText(IDC_HOTKEY_DESCRIPTION, HotkeyText(value));
}

bool CHotkeyPage::OnCommand(int id, int code, HWND)
{
    switch (id) {
        case IDC_HOTKEY_UP_DOWN:
        case IDC_HOTKEY_BRACKETS:
        case IDC_HOTKEY_PAGE_UP_DOWN:
        case IDC_HOTKEY_MINUS_PLUS:
        case IDC_HOTKEY_FUNCTION_KEYS:
        case IDC_HOTKEY_MAIN_DIGITS:
            if (code != BN_CLICKED)
                return false;
            OnKeyChoice(id);
            return true;
        case IDC_HOTKEY_OTHER_LIST:
            if (code != LBN_SELCHANGE)
                return false;
            ShowSelectedHotkey();
            return true;
        case IDC_HOTKEY_CONTROL:
            if (code != EN_CHANGE)
                return false;
            OnHotkeyEdited();
            return true;
        default:
            if (code != BN_CLICKED || !IsCompleteKeyBox(id))
                return false;
            OnCompleteKeysChanged();
            return true;
    }
}

void CHotkeyPage::OnKeyChoice(int id)
{
    static const BYTE kDigits[10] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
    switch (id) {
        case IDC_HOTKEY_UP_DOWN:
            m_values.vkSelectPrev = VK_UP;
            m_values.vkSelectNext = VK_DOWN;
            break;
        case IDC_HOTKEY_BRACKETS:
            m_values.vkSelectPrev = KeyOfCharacter('[');
            m_values.vkSelectNext = KeyOfCharacter(']');
            break;
        case IDC_HOTKEY_PAGE_UP_DOWN:
            m_values.vkSelectPageDown = VK_NEXT;
            m_values.vkSelectPageUp = VK_PRIOR;
            break;
        case IDC_HOTKEY_MINUS_PLUS:
            // Minus pages down, the plus/equals key up.
            m_values.vkSelectPageDown = KeyOfCharacter('-');
            m_values.vkSelectPageUp = KeyOfCharacter('=');
            break;
        case IDC_HOTKEY_FUNCTION_KEYS:
            for (int slot = 0; slot < 10; ++slot)
                m_values.vkSelectIndex[slot] = static_cast<BYTE>(VK_F1 + slot);
            break;
        case IDC_HOTKEY_MAIN_DIGITS:
            std::memcpy(m_values.vkSelectIndex, kDigits, sizeof kDigits);
            break;
    }
    m_changed = true;
}

void CHotkeyPage::OnCompleteKeysChanged()
{
    wnd::CDataExchange dx(Handle(), wnd::ExchangeDirection::Save);
    dx.CheckGroup(kCompleteKeyBoxes, m_values.vkSelect, kEmptySlot);
    m_changed = true;
}

void CHotkeyPage::OnHotkeyEdited()
{
    HWND other = Item(IDC_HOTKEY_OTHER_LIST);
    LRESULT selected = ::SendMessageW(other, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return;
    auto word = static_cast<WORD>(::SendDlgItemMessageW(Handle(), IDC_HOTKEY_CONTROL, HKM_GETHOTKEY, 0, 0));
    DWORD value = wnd::StoredHotkey(word);
    auto previous = static_cast<DWORD>(::SendMessageW(other, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    if (value == previous)
        return;
    ::SendMessageW(other, LB_SETITEMDATA, static_cast<WPARAM>(selected), static_cast<LPARAM>(value));
    ShowHotkeyName(value);
    if (selected == kToggleItem)
        m_values.dwEnableZel = value;
    m_changed = true;
}
