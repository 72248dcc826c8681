#include "wnd/ListView.h"

#include <algorithm>
#include <cstring>

#include "wnd/Window.h"

namespace wnd {
namespace {

// The system calls this from inside LVM_SORTITEMS: nothing may unwind through it.
int CALLBACK CompareByData(LPARAM first, LPARAM second, LPARAM order)
{
    try {
        return (*reinterpret_cast<const CListView::DataOrder*>(order))(first, second);
    } catch (...) {
        return 0;
    }
}

std::string FromWide(const wchar_t* text)
{
    int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, &result[0], size, nullptr, nullptr);
    result.resize(static_cast<size_t>(size) - 1);
    return result;
}

std::wstring ToWide(const std::string& text)
{
    int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

}  // namespace

int CListView::InsertColumn(int index, const char* title, int format, int width) const
{
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = ScaleToWindow(m_hwnd, width);
    column.pszText = const_cast<char*>(title ? title : "");
    column.iSubItem = index;
    return static_cast<int>(
        ::SendMessageA(m_hwnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

int CListView::SetColumns(std::initializer_list<ListColumn> columns) const
{
    while (ListView_DeleteColumn(m_hwnd, 0)) {
    }
    int inserted = 0;
    for (const ListColumn& column : columns) {
        std::string title = LoadResourceString(column.titleId);
        if (InsertColumn(inserted, title.c_str(), column.format, column.width) == inserted)
            ++inserted;
    }
    return inserted;
}

int CListView::ColumnCount() const
{
    HWND header = ListView_GetHeader(m_hwnd);
    return header ? Header_GetItemCount(header) : 0;
}

int CListView::InsertItem(int index, const std::string& text, int image, LPARAM data) const
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    item.lParam = data;
    return static_cast<int>(::SendMessageA(m_hwnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

int CListView::InsertRow(int index, const std::vector<std::string>& cells, LPARAM data, int image) const
{
    int row = InsertItem(index, cells.empty() ? std::string() : cells.front(), image, data);
    for (size_t column = 1; row >= 0 && column < cells.size(); ++column)
        SetItemText(row, static_cast<int>(column), cells[column]);
    return row;
}

std::string CListView::ItemText(int index, int column) const
{
    // The list copies at most the buffer less one: a full buffer may mean a longer text.
    for (size_t size = 256;; size *= 4) {
        std::vector<char> buffer(size);
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        int n = static_cast<int>(
            ::SendMessageA(m_hwnd, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
        if (n < static_cast<int>(size) - 1 || size >= (1u << 20))
            return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
    }
}

bool CListView::SetItemText(int index, int column, const std::string& text) const
{
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    return ::SendMessageA(m_hwnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
           FALSE;
}

LPARAM CListView::ItemData(int index) const
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!::SendMessageA(m_hwnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.lParam;
}

bool CListView::SetItemData(int index, LPARAM data) const
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = data;
    return ::SendMessageA(m_hwnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

int CListView::FindData(LPARAM data) const
{
    LVFINDINFOA find{};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return static_cast<int>(
        ::SendMessageA(m_hwnd, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

bool CListView::ItemRect(int index, RECT& rect, int code) const
{
    rect = RECT{};
    rect.left = code;
    return ::SendMessageA(m_hwnd, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) !=
           FALSE;
}

bool CListView::IsChecked(int index) const
{
    // State image 1 is the empty box, 2 the ticked one.
    UINT state = ListView_GetItemState(m_hwnd, index, LVIS_STATEIMAGEMASK);
    return (state >> 12) == 2;
}

void CListView::SetChecked(int index, bool checked) const
{
    SetState(index, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

std::vector<int> CListView::SelectedIndexes() const
{
    std::vector<int> rows;
    for (int row = ListView_GetNextItem(m_hwnd, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_hwnd, row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

void CListView::Select(int index) const
{
    SetState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SetState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CListView::SetSelected(int index, bool selected) const
{
    SetState(index, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void CListView::SetFocused(int index) const
{
    SetState(index, LVIS_FOCUSED, LVIS_FOCUSED);
}

bool CListView::SetState(int index, UINT state, UINT mask) const
{
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    return ::SendMessageA(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
           FALSE;
}

bool CListView::SortByData(const DataOrder& order) const
{
    if (!order)
        return false;
    return ::SendMessageA(m_hwnd, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&order),
                          reinterpret_cast<LPARAM>(&CompareByData)) != FALSE;
}

bool CListView::SortByText(int column, bool ascending) const
{
    // Rows are numbered through their item data while sorting, then get their own data back:
    // the indexes that LVM_SORTITEMSEX passes shift while the sort moves rows.
    int count = ItemCount();
    std::vector<std::string> texts(static_cast<size_t>(count));
    std::vector<LPARAM> data(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) {
        texts[row] = ItemText(row, column);
        data[row] = ItemData(row);
        SetItemData(row, row);
    }
    bool sorted = SortByData([&](LPARAM first, LPARAM second) {
        int order = ::lstrcmpiA(texts[first].c_str(), texts[second].c_str());
        return ascending ? order : -order;
    });
    for (int row = 0; row < count; ++row) {
        LPARAM original = ItemData(row);
        if (original >= 0 && original < count)
            SetItemData(row, data[original]);
    }
    return sorted;
}

HWND CListView::EditLabel(int index) const
{
    ::SetFocus(m_hwnd);  // the list edits labels only while it has the focus
    return reinterpret_cast<HWND>(::SendMessageA(m_hwnd, LVM_EDITLABELA, static_cast<WPARAM>(index), 0));
}

int CListView::LabelEditStartRow(const NMHDR& header)
{
    if (header.code == LVN_BEGINLABELEDITA)
        return reinterpret_cast<const NMLVDISPINFOA&>(header).item.iItem;
    if (header.code == LVN_BEGINLABELEDITW)
        return reinterpret_cast<const NMLVDISPINFOW&>(header).item.iItem;
    return -1;
}

std::optional<LabelEdit> CListView::EndedLabelEdit(const NMHDR& header)
{
    LabelEdit edit;
    if (header.code == LVN_ENDLABELEDITA) {
        const auto& info = reinterpret_cast<const NMLVDISPINFOA&>(header);
        edit.row = info.item.iItem;
        if (info.item.pszText)
            edit.text = std::string(info.item.pszText);
    } else if (header.code == LVN_ENDLABELEDITW) {
        const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
        edit.row = info.item.iItem;
        if (info.item.pszText)
            edit.text = FromWide(info.item.pszText);
    } else {
        return std::nullopt;
    }
    return edit;
}

bool CListView::SetItemCount(int count) const
{
    return ::SendMessageA(m_hwnd, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL) != FALSE;
}

void CListView::ResetRows(int count) const
{
    SetItemCount(0);
    SetItemCount(count);
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

int CListView::CompareTexts(const std::string& first, const std::string& second)
{
    return ::lstrcmpA(first.c_str(), second.c_str());
}

bool CListView::HandleNotify(const NMHDR& header, LRESULT& result) const
{
    if (header.hwndFrom != m_hwnd || !m_cellText)
        return false;
    // The answer goes into the notification's own record, which the list reads back.
    if (header.code == LVN_GETDISPINFOA) {
        auto& item = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header)).item;
        if (item.mask & LVIF_TEXT)
            FillDisplayText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax, false);
        if ((item.mask & LVIF_IMAGE) && m_cellImage)
            item.iImage = m_cellImage(item.iItem);
    } else if (header.code == LVN_GETDISPINFOW) {
        auto& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
        if (item.mask & LVIF_TEXT)
            FillDisplayText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax, true);
        if ((item.mask & LVIF_IMAGE) && m_cellImage)
            item.iImage = m_cellImage(item.iItem);
    } else {
        return false;
    }
    result = 0;
    return true;
}

void CListView::FillDisplayText(int row, int column, void* text, int capacity, bool wide) const
{
    if (!text || capacity <= 0)
        return;
    std::string cell = m_cellText(row, column);
    if (wide) {
        std::wstring wideCell = ToWide(cell);
        size_t n = std::min(wideCell.size(), static_cast<size_t>(capacity) - 1);
        wideCell.copy(static_cast<wchar_t*>(text), n);
        static_cast<wchar_t*>(text)[n] = L'\0';
        return;
    }
    size_t n = std::min(cell.size(), static_cast<size_t>(capacity) - 1);
    std::memcpy(text, cell.data(), n);
    static_cast<char*>(text)[n] = '\0';
}

}  // namespace wnd
