#include "wnd/PathColumn.h"

#include <commctrl.h>
#include <shlwapi.h>

#include "base/Utf8Text.h"

namespace wnd {
namespace {

// Room the list keeps on each side of a cell's text.
constexpr int kCellMargin96 = 12;

}  // namespace

std::string CompactPath(HDC dc, const std::string& path, int width)
{
    std::wstring text = Widen(path);
    if (text.empty() || width <= 0)
        return path;
    text.resize(text.size() + 4);  // the system may write an ellipsis in place of fewer characters
    if (!::PathCompactPathW(dc, text.data(), static_cast<UINT>(width)))
        return path;
    return Narrow(std::wstring_view(text.c_str()));
}

void CPathColumn::Attach(const CListView& list, int column, FullText fullText)
{
    m_list.Attach(list.Handle());
    m_column = column;
    m_fullText = std::move(fullText);
    m_tip.Reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list.Handle(), nullptr,
                                  nullptr, nullptr));
    if (m_tip.Get()) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = list.Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(list.Handle());
        tool.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(m_tip.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageW(m_tip.Get(), TTM_SETMAXTIPWIDTH, 0, ScaleToWindow(list.Handle(), 600));
    }
    Subclass(list.Handle());
}

void CPathColumn::Fit()
{
    const HWND list = m_list.Handle();
    if (!list || !m_fullText)
        return;
    ClientDC dc(list);
    SelectObjectScope font(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(list, WM_GETFONT, 0, 0)));
    const int width = m_list.ColumnWidth(m_column) - ScaleToWindow(list, kCellMargin96);
    m_paths.clear();
    for (int row = 0; row < m_list.ItemCount(); ++row) {
        m_paths.push_back(m_fullText(row));
        m_list.SetItemText(row, m_column, CompactPath(dc.Get(), m_paths.back(), width));
    }
    m_tipRow = -1;
}

std::string CPathColumn::FullPathAt(int row) const
{
    return row >= 0 && static_cast<size_t>(row) < m_paths.size() ? m_paths[static_cast<size_t>(row)] : std::string();
}

LRESULT CPathColumn::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_MOUSEMOVE)
        OnMouseMove(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    const LRESULT result = CWindow::HandleMessage(msg, wParam, lParam);
    // The header tells the list, its parent, when the user has dragged a column's edge.
    if (msg == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && (header->code == HDN_ITEMCHANGEDW || header->code == HDN_ITEMCHANGEDA))
            Fit();
    }
    return result;
}

void CPathColumn::OnMouseMove(POINT point)
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    ::SendMessageW(m_list.Handle(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const int row = hit.iSubItem == m_column ? hit.iItem : -1;
    if (row == m_tipRow || !m_tip.Get())
        return;
    m_tipRow = row;
    const std::wstring text = Widen(FullPathAt(row));
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_list.Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(m_list.Handle());
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(m_tip.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_tip.Get(), TTM_ACTIVATE, row >= 0, 0);
}

}  // namespace wnd
