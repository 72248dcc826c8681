// Thin wrappers over common controls: a handle plus the messages dialogs use.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace wnd {

// Loads the common controls (list views, hotkeys, up-down controls) once per process.
bool InitCommonControlsOnce();

class CListView {
public:
    CListView() = default;
    explicit CListView(HWND control) : m_hwnd(control) {}
    void Attach(HWND control) { m_hwnd = control; }
    HWND Handle() const { return m_hwnd; }

    int InsertColumn(int index, const char* title, int format, int width) const;
    int InsertItem(int index, const std::string& text, int image = -1, LPARAM data = 0) const;
    bool DeleteAllItems() const { return ListView_DeleteAllItems(m_hwnd) != FALSE; }
    int ItemCount() const { return ListView_GetItemCount(m_hwnd); }
    std::string ItemText(int index, int column = 0) const;
    LPARAM ItemData(int index) const;
    // Bounding rectangle of a row in the list's client coordinates; false when there is no such row.
    bool ItemRect(int index, RECT& rect, int code = LVIR_BOUNDS) const;
    int ColumnWidth(int column) const { return ListView_GetColumnWidth(m_hwnd, column); }
    void SetColumnWidth(int column, int width) const { ListView_SetColumnWidth(m_hwnd, column, width); }
    int SelectedIndex() const { return ListView_GetNextItem(m_hwnd, -1, LVNI_SELECTED); }
    // Selects and focuses one row (clearing the others).
    void Select(int index) const;
    void EnsureVisible(int index) const { ListView_EnsureVisible(m_hwnd, index, FALSE); }
    HIMAGELIST SetImageList(HIMAGELIST images, int which) const { return ListView_SetImageList(m_hwnd, images, which); }

private:
    HWND m_hwnd = nullptr;
};

// Sets a font on a window (and redraws it).
inline void SetControlFont(HWND window, HFONT font)
{
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}
inline HFONT WindowFont(HWND window)
{
    return reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0));
}

}  // namespace wnd
