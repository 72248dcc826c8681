// A report-style list view: columns, rows with item data, check boxes, selection, sorting,
// label editing and an owner-data mode whose texts are asked for on demand.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace wnd {

// A column whose title is a string resource.
struct ListColumn {
    UINT titleId;
    int width;
    int format = LVCFMT_LEFT;
};

// What LVN_ENDLABELEDIT reported: the row, and the typed text unless the user cancelled.
struct LabelEdit {
    int row = -1;
    std::optional<std::string> text;
};

class CListView {
public:
    // Compares two rows by their item data: negative, zero or positive as for strcmp.
    using DataOrder = std::function<int(LPARAM, LPARAM)>;
    // The text of a cell of an owner-data list.
    using CellText = std::function<std::string(int row, int column)>;
    // The image of a row of an owner-data list (an index into its small image list).
    using CellImage = std::function<int(int row)>;

    CListView() = default;
    explicit CListView(HWND control) : m_hwnd(control) {}
    void Attach(HWND control) { m_hwnd = control; }
    HWND Handle() const { return m_hwnd; }

    // Columns; widths are given for 96 dots per inch and scaled to the list's.
    int InsertColumn(int index, const char* title, int format, int width) const;
    // Replaces all columns by these; returns how many were inserted.
    int SetColumns(std::initializer_list<ListColumn> columns) const;
    int ColumnCount() const;
    int ColumnWidth(int column) const { return ListView_GetColumnWidth(m_hwnd, column); }
    void SetColumnWidth(int column, int width) const { ListView_SetColumnWidth(m_hwnd, column, width); }
    // LVS_EX_* styles to add, e.g. LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES.
    void AddExtendedStyle(DWORD styles) const { ListView_SetExtendedListViewStyleEx(m_hwnd, styles, styles); }
    HIMAGELIST SetImageList(HIMAGELIST images, int which) const { return ListView_SetImageList(m_hwnd, images, which); }

    // Rows. Indexes returned are where the row went (a sorted list places it itself); -1 on failure.
    int InsertItem(int index, const std::string& text, int image = -1, LPARAM data = 0) const;
    int InsertRow(int index, const std::vector<std::string>& cells, LPARAM data = 0, int image = -1) const;
    int AddRow(const std::vector<std::string>& cells, LPARAM data = 0, int image = -1) const
    {
        return InsertRow(ItemCount(), cells, data, image);
    }
    bool DeleteItem(int index) const { return ListView_DeleteItem(m_hwnd, index) != FALSE; }
    bool DeleteAllItems() const { return ListView_DeleteAllItems(m_hwnd) != FALSE; }
    int ItemCount() const { return ListView_GetItemCount(m_hwnd); }
    std::string ItemText(int index, int column = 0) const;
    bool SetItemText(int index, int column, const std::string& text) const;
    // The row's item data, or -1 when there is no such row.
    LPARAM ItemData(int index) const;
    bool SetItemData(int index, LPARAM data) const;
    // The first row carrying this item data, or -1.
    int FindData(LPARAM data) const;
    // Bounding rectangle of a row in the list's client coordinates; false when there is no such row.
    bool ItemRect(int index, RECT& rect, int code = LVIR_BOUNDS) const;
    void EnsureVisible(int index) const { ListView_EnsureVisible(m_hwnd, index, FALSE); }

    // Check boxes (LVS_EX_CHECKBOXES).
    bool IsChecked(int index) const;
    void SetChecked(int index, bool checked) const;

    // Selection and focus.
    int SelectedIndex() const { return ListView_GetNextItem(m_hwnd, -1, LVNI_SELECTED); }
    std::vector<int> SelectedIndexes() const;
    int SelectedCount() const { return static_cast<int>(ListView_GetSelectedCount(m_hwnd)); }
    // Selects and focuses one row (clearing the others).
    void Select(int index) const;
    // Adds a row to the selection or takes it out (-1: every row).
    void SetSelected(int index, bool selected) const;
    int FocusedIndex() const { return ListView_GetNextItem(m_hwnd, -1, LVNI_FOCUSED); }
    void SetFocused(int index) const;

    // Orders the rows by their item data.
    bool SortByData(const DataOrder& order) const;
    // Orders the rows by the text of a column (case ignored).
    bool SortByText(int column, bool ascending = true) const;

    // Label editing (LVS_EDITLABELS): starts editing a row; the edit control, or null.
    HWND EditLabel(int index) const;
    // The row whose label edit begins, for the parent's LVN_BEGINLABELEDIT; -1 for other notifications.
    // The parent returns TRUE to refuse the edit.
    static int LabelEditStartRow(const NMHDR& header);
    // The end of a label edit, for the parent's LVN_ENDLABELEDIT; nullopt for other notifications.
    // The parent returns TRUE to keep the typed text as the label.
    static std::optional<LabelEdit> EndedLabelEdit(const NMHDR& header);

    // Owner-data mode (LVS_OWNERDATA in the template): the list keeps only a row count and asks
    // for texts as it draws. The parent passes its WM_NOTIFY to HandleNotify.
    void SetCellText(CellText cellText) { m_cellText = std::move(cellText); }
    void SetCellImage(CellImage cellImage) { m_cellImage = std::move(cellImage); }
    bool SetItemCount(int count) const;
    // Drops the selection and shows count rows afresh, as after refilling a list.
    void ResetRows(int count) const;
    // The order a list sorted by its style (LVS_SORTASCENDING) gives two texts: negative, zero or
    // positive as for strcmp. Owner-data lists cannot sort themselves; their owners sort with this.
    static int CompareTexts(const std::string& first, const std::string& second);
    // Answers LVN_GETDISPINFO for this list; false for notifications it does not handle.
    bool HandleNotify(const NMHDR& header, LRESULT& result) const;

private:
    bool SetState(int index, UINT state, UINT mask) const;
    void FillDisplayText(int row, int column, void* text, int capacity, bool wide) const;

    HWND m_hwnd = nullptr;
    CellText m_cellText;
    CellImage m_cellImage;
};

}  // namespace wnd
