#include "wnd/ListView.h"

#include <algorithm>

#include "base/Utf8Text.h"
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

// A list whose parent is an ANSI window talks in the system's code page.
std::string FromCodePage(const char* text)
{
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (size <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(static_cast<size_t>(size) - 1);
    return Narrow(wide);
}

// Copies as much of the text as fits with its terminating zero, never half a surrogate pair.
void CopyTruncated(const std::wstring& text, wchar_t* to, int capacity)
{
    size_t n = std::min(text.size(), static_cast<size_t>(capacity) - 1);
    if (n > 0 && n < text.size() && IS_HIGH_SURROGATE(text[n - 1]))
        --n;
    text.copy(to, n);
    to[n] = L'\0';
}

}  // namespace

int CListView::InsertColumn(int index, const char* title, int format, int width) const
{
    std::wstring wideTitle = Widen(title ? title : "");
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = ScaleToWindow(m_hwnd, width);
    column.pszText = wideTitle.data();
    column.iSubItem = index;
    return static_cast<int>(
        ::SendMessageW(m_hwnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
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
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = index;
    item.pszText = wide.data();
    item.iImage = image;
    item.lParam = data;
    return static_cast<int>(::SendMessageW(m_hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
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
        std::vector<wchar_t> buffer(size);
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        int n = static_cast<int>(
            ::SendMessageW(m_hwnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
        if (n < static_cast<int>(size) - 1 || size >= (1u << 20))
            return Narrow(std::wstring_view(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0));
    }
}

bool CListView::SetItemText(int index, int column, const std::string& text) const
{
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    return ::SendMessageW(m_hwnd, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
           FALSE;
}

LPARAM CListView::ItemData(int index) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!::SendMessageW(m_hwnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.lParam;
}

bool CListView::SetItemData(int index, LPARAM data) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = data;
    return ::SendMessageW(m_hwnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

int CListView::FindData(LPARAM data) const
{
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return static_cast<int>(
        ::SendMessageW(m_hwnd, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

bool CListView::ItemRect(int index, RECT& rect, int code) const
{
    rect = RECT{};
    rect.left = code;
    return ::SendMessageW(m_hwnd, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) !=
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
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    return ::SendMessageW(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
           FALSE;
}

bool CListView::SortByData(const DataOrder& order) const
{
    if (!order)
        return false;
    return ::SendMessageW(m_hwnd, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&order),
                          reinterpret_cast<LPARAM>(&CompareByData)) != FALSE;
}

bool CListView::SortByText(int column, bool ascending) const
{
    // Rows are numbered through their item data while sorting, then get their own data back:
    // the indexes that LVM_SORTITEMSEX passes shift while the sort moves rows.
    int count = ItemCount();
    std::vector<std::wstring> texts(static_cast<size_t>(count));
    std::vector<LPARAM> data(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) {
        texts[row] = Widen(ItemText(row, column));
        data[row] = ItemData(row);
        SetItemData(row, row);
    }
    bool sorted = SortByData([&](LPARAM first, LPARAM second) {
        int order = ::lstrcmpiW(texts[first].c_str(), texts[second].c_str());
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
    return reinterpret_cast<HWND>(::SendMessageW(m_hwnd, LVM_EDITLABELW, static_cast<WPARAM>(index), 0));
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
            edit.text = FromCodePage(info.item.pszText);
    } else if (header.code == LVN_ENDLABELEDITW) {
        const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
        edit.row = info.item.iItem;
        if (info.item.pszText)
            edit.text = Narrow(info.item.pszText);
    } else {
        return std::nullopt;
    }
    return edit;
}

bool CListView::SetItemCount(int count) const
{
    return ::SendMessageW(m_hwnd, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL) != FALSE;
}

void CListView::ResetRows(int count) const
{
    SetItemCount(0);
    SetItemCount(count);
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

int CListView::CompareTexts(const std::string& first, const std::string& second)
{
    return ::lstrcmpW(Widen(first).c_str(), Widen(second).c_str());
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
    const std::wstring cell = Widen(m_cellText(row, column));
    if (wide) {
        CopyTruncated(cell, static_cast<wchar_t*>(text), capacity);
        return;
    }
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, cell.data(), static_cast<int>(cell.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, cell.data(), static_cast<int>(cell.size()), bytes.data(), size, nullptr, nullptr);
    const size_t n = std::min(bytes.size(), static_cast<size_t>(capacity) - 1);
    bytes.copy(static_cast<char*>(text), n);
    static_cast<char*>(text)[n] = '\0';
}

}  // namespace wnd
