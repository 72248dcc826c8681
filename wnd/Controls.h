// Thin wrappers over common controls: a handle plus the messages dialogs use.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "wnd/ListView.h"

namespace wnd {

// Loads the common controls (list views, hotkeys, up-down controls) once per process.
bool InitCommonControlsOnce();

// A tree view whose items carry item data.
class CTreeView {
public:
    CTreeView() = default;
    explicit CTreeView(HWND control) : m_hwnd(control) {}
    void Attach(HWND control) { m_hwnd = control; }
    HWND Handle() const { return m_hwnd; }

    HTREEITEM InsertItem(const std::string& text, LPARAM data, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST) const;
    bool Select(HTREEITEM item) const { return TreeView_SelectItem(m_hwnd, item) != FALSE; }
    HTREEITEM Selection() const { return TreeView_GetSelection(m_hwnd); }
    // The item data of an item, or -1 when there is no such item.
    LPARAM ItemData(HTREEITEM item) const;
    std::string ItemText(HTREEITEM item) const;
    // The item data of the newly selected item for TVN_SELCHANGED; nullopt for other notifications.
    static std::optional<LPARAM> SelectedData(const NMHDR& header);

private:
    HWND m_hwnd = nullptr;
};

// Adds an item with its item data to a combo box (a sorted one places it itself); its index or -1.
int AddComboItem(HWND combo, const std::string& text, LPARAM data);
// The item data of the selected item, or -1 when none is selected.
LPARAM SelectedComboData(HWND combo);

// Sets a font on a window (and redraws it).
inline void SetControlFont(HWND window, HFONT font)
{
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}
inline HFONT WindowFont(HWND window)
{
    return reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
}

}  // namespace wnd
