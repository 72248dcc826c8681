#include "wnd/Controls.h"

#include <iterator>

#include "base/Utf8Text.h"

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

HTREEITEM CTreeView::InsertItem(const std::string& text, LPARAM data, HTREEITEM parent, HTREEITEM after) const
{
    std::wstring wide = Widen(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = wide.data();
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(::SendMessageW(m_hwnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

int AddComboItem(HWND combo, const std::string& text, LPARAM data)
{
    const LRESULT index = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
    if (index < 0)
        return -1;
    ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return static_cast<int>(index);
}

LPARAM SelectedComboData(HWND combo)
{
    const LRESULT selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : ::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
}

LPARAM CTreeView::ItemData(HTREEITEM item) const
{
    TVITEMW query{};
    query.mask = TVIF_PARAM;
    query.hItem = item;
    if (!item || !::SendMessageW(m_hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)))
        return -1;
    return query.lParam;
}

std::string CTreeView::ItemText(HTREEITEM item) const
{
    wchar_t buffer[512] = L"";
    TVITEMW query{};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer;
    query.cchTextMax = static_cast<int>(std::size(buffer));
    if (!item || !::SendMessageW(m_hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)))
        return {};
    return Narrow(buffer);
}

std::optional<LPARAM> CTreeView::SelectedData(const NMHDR& header)
{
    if (header.code == TVN_SELCHANGEDA)
        return reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.lParam;
    if (header.code == TVN_SELCHANGEDW)
        return reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.lParam;
    return std::nullopt;
}

}  // namespace wnd
