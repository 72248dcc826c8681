#include "wnd/DataExchange.h"

#include <commctrl.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>

#include "base/Utf8Text.h"
#include "wnd/MessageBoxes.h"
#include "wnd/Window.h"
#include "wnd/WndIds.h"

namespace wnd {

std::string RangeMessage(int minimum, int maximum)
{
    return ResourceText(IDS_WND_RANGE, {std::to_string(minimum), std::to_string(maximum)});
}

bool ParseInteger(const std::string& text, int& value)
{
    size_t begin = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    std::string digits = text.substr(begin, end - begin + 1);
    size_t first = (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    if (first == digits.size() || digits.find_first_not_of("0123456789", first) != std::string::npos)
        return false;
    errno = 0;
    long long parsed = std::strtoll(digits.c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

void SetSpinRange(HWND spin, int minimum, int maximum)
{
    ::SendMessageW(spin, UDM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
}

void SetSpinPosition(HWND spin, int value)
{
    ::SendMessageW(spin, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
}

WORD HotkeyControlWord(DWORD stored)
{
    return MAKEWORD(stored & 0xFF, (stored >> 16) & 0xFF);
}

DWORD StoredHotkey(WORD controlWord)
{
    return (static_cast<DWORD>(HIBYTE(controlWord)) << 16) | LOBYTE(controlWord);
}

void FocusField(HWND field)
{
    HWND dialog = ::GetAncestor(field, GA_ROOT);
    // WM_NEXTDLGCTL keeps the dialog's default button in step with the focus.
    if (dialog && dialog != field)
        ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    if (::GetFocus() != field)
        ::SetFocus(field);
    wchar_t className[16] = L"";
    ::GetClassNameW(field, className, static_cast<int>(std::size(className)));
    if (::lstrcmpiW(className, L"Edit") == 0)
        ::SendMessageW(field, EM_SETSEL, 0, -1);
}

void CDataExchange::Fail(int id, const std::string& message)
{
    if (Skipped())
        return;
    HWND field = Field(id);
    m_failedField = field ? field : m_dialog;
    ShowMessage(::GetAncestor(m_dialog, GA_ROOT), message, kProgramCaption, MB_OK | MB_ICONEXCLAMATION);
    FocusField(m_failedField);
}

void CDataExchange::Check(int id, bool& value)
{
    if (Skipped())
        return;
    if (IsLoading())
        ::CheckDlgButton(m_dialog, id, value ? BST_CHECKED : BST_UNCHECKED);
    else
        value = ::IsDlgButtonChecked(m_dialog, id) == BST_CHECKED;
}

void CDataExchange::Check(int id, std::int32_t& value)
{
    bool checked = value != 0;
    Check(id, checked);
    if (IsSaving() && Succeeded())
        value = checked ? 1 : 0;
}

void CDataExchange::CheckGroupOf(const ValueBox* boxes, std::size_t boxCount, std::uint8_t* slots,
                                 std::size_t slotCount, std::uint8_t empty)
{
    if (Skipped())
        return;
    std::uint8_t* const end = slots + slotCount;
    if (IsLoading()) {
        for (const ValueBox* box = boxes; box != boxes + boxCount; ++box) {
            bool held = box->value != empty && std::find(slots, end, box->value) != end;
            ::CheckDlgButton(m_dialog, box->id, held ? BST_CHECKED : BST_UNCHECKED);
        }
        return;
    }
    std::fill(slots, end, empty);
    std::uint8_t* next = slots;
    for (const ValueBox* box = boxes; box != boxes + boxCount && next != end; ++box) {
        if (::IsDlgButtonChecked(m_dialog, box->id) == BST_CHECKED)
            *next++ = box->value;
    }
}

void CDataExchange::Radio(int firstId, int lastId, int& index)
{
    if (Skipped())
        return;
    if (IsLoading()) {
        for (int id = firstId; id <= lastId; ++id)
            ::CheckDlgButton(m_dialog, id, id - firstId == index ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    index = -1;
    for (int id = firstId; id <= lastId && index < 0; ++id) {
        if (::IsDlgButtonChecked(m_dialog, id) == BST_CHECKED)
            index = id - firstId;
    }
}

void CDataExchange::Text(int id, std::string& value, int maxLength)
{
    if (Skipped())
        return;
    if (IsLoading()) {
        if (maxLength > 0)
            ::SendMessageW(Field(id), EM_SETLIMITTEXT, static_cast<WPARAM>(maxLength), 0);
        SetTextOf(Field(id), value);
        return;
    }
    std::string text = WindowText(Field(id));
    // The limit counts what the edit control counts: UTF-16 units, not UTF-8 bytes.
    if (maxLength > 0 && Widen(text).size() > static_cast<size_t>(maxLength))
        Fail(id, ResourceText(IDS_WND_TOO_LONG, {std::to_string(maxLength)}));
    else
        value = text;
}

void CDataExchange::Number(int id, int& value, int minimum, int maximum, int spinId)
{
    if (Skipped())
        return;
    if (IsLoading()) {
        if (spinId) {
            SetSpinRange(Field(spinId), minimum, maximum);
            SetSpinPosition(Field(spinId), value);
        }
        ::SetDlgItemInt(m_dialog, id, static_cast<UINT>(value), TRUE);
        return;
    }
    int typed = 0;
    if (!ParseInteger(WindowText(Field(id)), typed) || typed < minimum || typed > maximum)
        Fail(id, RangeMessage(minimum, maximum));
    else
        value = typed;
}

void CDataExchange::NumberOf(int id, std::uint32_t& value, int minimum, int maximum, int spinId)
{
    int shown = value > static_cast<std::uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
    Number(id, shown, minimum, maximum, spinId);
    if (IsSaving() && Succeeded())
        value = static_cast<std::uint32_t>(shown);
}

void CDataExchange::Hotkey(int id, DWORD& value)
{
    if (Skipped())
        return;
    if (IsLoading())
        ::SendMessageW(Field(id), HKM_SETHOTKEY, HotkeyControlWord(value), 0);
    else
        value = StoredHotkey(static_cast<WORD>(::SendMessageW(Field(id), HKM_GETHOTKEY, 0, 0)));
}

void CDataExchange::ComboData(int id, LPARAM& value)
{
    if (Skipped())
        return;
    HWND combo = Field(id);
    if (IsSaving()) {
        LRESULT selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        value = selected == CB_ERR ? -1 : ::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
        return;
    }
    LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    WPARAM match = static_cast<WPARAM>(-1);
    for (LRESULT item = 0; item < count && match == static_cast<WPARAM>(-1); ++item) {
        if (::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(item), 0) == value)
            match = static_cast<WPARAM>(item);
    }
    ::SendMessageW(combo, CB_SETCURSEL, match, 0);
}

}  // namespace wnd
