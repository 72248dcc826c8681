#include "wnd/Controls.h"

#include <vector>

namespace wnd {

bool InitCommonControlsOnce()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{};
        init.dwSize = sizeof(init);
        init.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_HOTKEY_CLASS | ICC_UPDOWN_CLASS |
                     ICC_PROGRESS_CLASS | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
        return ::InitCommonControlsEx(&init) != FALSE;
    }();
    return done;
}

int CListView::InsertColumn(int index, const char* title, int format, int width) const
{
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(title ? title : "");
    column.iSubItem = index;
    return static_cast<int>(
        ::SendMessageA(m_hwnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
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

std::string CListView::ItemText(int index, int column) const
{
    std::vector<char> buffer(1024);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    int n = static_cast<int>(
        ::SendMessageA(m_hwnd, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
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

bool CListView::ItemRect(int index, RECT& rect, int code) const
{
    rect = RECT{};
    rect.left = code;
    return ::SendMessageA(m_hwnd, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) !=
           FALSE;
}

void CListView::Select(int index) const
{
    ListView_SetItemState(m_hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(m_hwnd, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

}  // namespace wnd
