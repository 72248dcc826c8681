// Moving values between a dialog's controls and its members, both ways through one method.
//
// A dialog writes one Exchange(CDataExchange& dx) that names each field once:
//     dx.Check(IDC_ENABLE, m_enabled);
//     dx.Number(IDC_ITEMS, m_items, 1, 10, IDC_ITEMS_SPIN);
// Loading fills the controls from the members; saving reads them back and checks them. A save
// stops at the first bad field: it shows the reason in a message box, leaves the focus on that
// field, and every later call does nothing, so the dialog can stay open.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace wnd {

enum class ExchangeDirection { Load, Save };

// A check box that stands for a value (CDataExchange::CheckGroup).
struct ValueBox {
    int id;
    std::uint8_t value;
};

class CDataExchange {
public:
    CDataExchange(HWND dialog, ExchangeDirection direction) : m_dialog(dialog), m_direction(direction) {}

    bool IsLoading() const { return m_direction == ExchangeDirection::Load; }
    bool IsSaving() const { return m_direction == ExchangeDirection::Save; }
    // False once a field was refused; FailedField is that control.
    bool Succeeded() const { return m_failedField == nullptr; }
    HWND FailedField() const { return m_failedField; }

    // A check box: BST_CHECKED is true.
    void Check(int id, bool& value);
    // A check box for a 32-bit flag: any non-zero value checks it; saving gives 1 or 0.
    void Check(int id, std::int32_t& value);
    // Check boxes that pick values into slots. Loading checks each box whose value is in a slot
    // and clears the others; saving empties every slot, then fills them from the front with the
    // values of the checked boxes, in the boxes' order.
    template <std::size_t BoxCount, std::size_t SlotCount>
    void CheckGroup(const ValueBox (&boxes)[BoxCount], std::uint8_t (&slots)[SlotCount], std::uint8_t empty)
    {
        CheckGroupOf(boxes, BoxCount, slots, SlotCount, empty);
    }
    // Radio buttons firstId..lastId (consecutive ids): the index of the checked one, -1 for none.
    void Radio(int firstId, int lastId, int& index);
    // An edit's text; a maximum length above zero also limits typing.
    void Text(int id, std::string& value, int maxLength = 0);
    // A whole number in minimum..maximum. Loading also sets the spin (up-down) button spinId, if
    // any, to that range and value. Saving refuses text that is no number or out of range.
    void Number(int id, int& value, int minimum, int maximum, int spinId = 0);
    // An unsigned number (shown as at most INT_MAX), in a range with minimum and maximum members.
    template <class Range>
    void Number(int id, std::uint32_t& value, const Range& range, int spinId = 0)
    {
        NumberOf(id, value, range.minimum, range.maximum, spinId);
    }
    // A hotkey control; the value keeps the virtual key in bits 0-7 and HOTKEYF_* flags in 16-23.
    void Hotkey(int id, DWORD& value);
    // A combo box's selection by item data (-1 when nothing is selected).
    void ComboData(int id, LPARAM& value);

    // Refuses a field for a reason of the dialog's own: shows it, focuses the field, stops the save.
    void Fail(int id, const std::string& message);

private:
    void CheckGroupOf(const ValueBox* boxes, std::size_t boxCount, std::uint8_t* slots, std::size_t slotCount,
                      std::uint8_t empty);
    void NumberOf(int id, std::uint32_t& value, int minimum, int maximum, int spinId);
    bool Skipped() const { return m_failedField != nullptr; }
    HWND Field(int id) const { return ::GetDlgItem(m_dialog, id); }

    HWND m_dialog;
    ExchangeDirection m_direction;
    HWND m_failedField = nullptr;
};

// The text "Please enter an integer between 1 and 10." for a range.
std::string RangeMessage(int minimum, int maximum);
// Reads a whole number (spaces around it allowed); false for anything else or an overflow.
bool ParseInteger(const std::string& text, int& value);
// A spin button's range and position, for spins whose range differs from their edit's.
void SetSpinRange(HWND spin, int minimum, int maximum);
void SetSpinPosition(HWND spin, int value);
// The hotkey control's word (virtual key low byte, HOTKEYF_* high byte) and the stored 32-bit form.
WORD HotkeyControlWord(DWORD stored);
DWORD StoredHotkey(WORD controlWord);
// Gives a control of a dialog (also one inside a child dialog) the focus and selects an edit's text.
void FocusField(HWND field);

}  // namespace wnd
