#include "app/win/PromptList.h"

#include <windowsx.h>

#include <algorithm>

#include "base/Utf8Text.h"
#include "wnd/Handles.h"

namespace {

const char kPromptListClass[] = "PennivoxPromptList";
const int kIconMargin = 2;       // left of the kind icon
const int kTextGap = 4;          // between icon and text
const int kTextRightMargin = 6;  // right of the widest text in the preferred size
const int kNumberPadding = 5;    // each side of a row number
const UINT kRowTextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

// A memory device context for one paint.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : m_dc(::CreateCompatibleDC(like)) {}
    ~MemoryDC()
    {
        if (m_dc)
            ::DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// Fills a rectangle without creating a brush.
void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

}  // namespace

bool CPromptList::Create(HWND parent, int controlId, const RECT& rect)
{
    if (!wnd::RegisterWindowClass(kPromptListClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW))
        return false;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPSIBLINGS;
    if (!CWindow::Create(kPromptListClass, "", style, 0, rect, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId))))
        return false;
    MeasureFont();
    MeasureTexts();
    return true;
}

void CPromptList::SetImageList(HIMAGELIST images)
{
    m_images = images;
    int cx = 16, cy = 16;
    if (images && ::ImageList_GetIconSize(images, &cx, &cy))
        m_iconSize = SIZE{cx, cy};
    MeasureFont();
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

void CPromptList::SetFont(HFONT font)
{
    m_font = font;
    MeasureFont();
    MeasureTexts();
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

HFONT CPromptList::CurrentFont() const
{
    return m_font ? m_font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void CPromptList::MeasureFont()
{
    wnd::ClientDC dc(Handle());
    if (!dc.Get())
        return;
    wnd::SelectObjectScope font(dc.Get(), CurrentFont());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.Get(), &metrics);
    m_rowHeight = std::max<int>(metrics.tmHeight + 2, m_iconSize.cy + 2);
    int widest = 0;
    for (const std::string& label : m_labels) {
        SIZE size{};
        const std::wstring wide = Widen(label);
        ::GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
        widest = std::max<int>(widest, size.cx);
    }
    m_numbersWidth = std::max<int>(widest + 2 * kNumberPadding, 16);
}

void CPromptList::SetRowLabels(const std::vector<std::string>& labels)
{
    if (labels == m_labels || labels.empty())
        return;
    m_labels = labels;
    MeasureFont();
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void CPromptList::MeasureTexts()
{
    m_wideTexts.resize(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_wideTexts[i] = Widen(m_rows[i].text);
    m_textWidths.assign(m_rows.size(), 0);
    m_widestText = 0;
    wnd::ClientDC dc(Handle());
    if (!dc.Get())
        return;
    wnd::SelectObjectScope font(dc.Get(), CurrentFont());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const std::wstring& text = m_wideTexts[i];
        SIZE extent{};
        if (::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent))
            m_textWidths[i] = extent.cx;
        m_widestText = std::max(m_widestText, m_textWidths[i]);
    }
}

bool CPromptList::SameRows(const std::vector<Row>& rows, bool pathPage) const
{
    if (pathPage != m_pathPage || rows.size() != m_rows.size())
        return false;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].image != m_rows[i].image || rows[i].text != m_rows[i].text)
            return false;
    return true;
}

void CPromptList::SetRows(const std::vector<Row>& rows, bool pathPage, int selected)
{
    if (SameRows(rows, pathPage)) {
        Select(selected);
        return;
    }
    const bool scrollBarChanges = pathPage != m_pathPage;
    m_rows = rows;
    m_pathPage = pathPage;
    m_selected = selected >= 0 && selected < RowCount() ? selected : -1;
    m_topRow = 0;
    MeasureTexts();
    if (!Handle())
        return;
    if (scrollBarChanges)
        ::ShowScrollBar(Handle(), SB_VERT, pathPage);
    UpdateScrollBar();
    EnsureVisible(m_selected);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void CPromptList::Select(int row)
{
    if (row < 0 || row >= RowCount())
        row = -1;
    if (row != m_selected) {
        InvalidateRow(m_selected);
        m_selected = row;
        InvalidateRow(m_selected);
    }
    EnsureVisible(m_selected);
}

int CPromptList::TextOffset() const
{
    return kIconMargin + m_iconSize.cx + kTextGap;
}

SIZE CPromptList::PreferredClientSize(int visibleRows) const
{
    const int rows = std::min(RowCount(), std::max(0, visibleRows));
    int width = NumbersWidth() + TextOffset() + m_widestText + kTextRightMargin;
    if (m_pathPage)
        width += ::GetSystemMetrics(SM_CXVSCROLL);
    return SIZE{width, rows * m_rowHeight};
}

SIZE CPromptList::PreferredWindowSize(int visibleRows) const
{
    const SIZE client = PreferredClientSize(visibleRows);
    RECT rect{0, 0, client.cx, client.cy};
    DWORD style = WS_CHILD | WS_BORDER, exStyle = 0;
    if (Handle()) {
        style = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)) & ~WS_VSCROLL;
        exStyle = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
    }
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

RECT CPromptList::RowClientRect(int row) const
{
    const int top = (row - m_topRow) * m_rowHeight;
    return RECT{NumbersWidth(), top, ClientRect().right, top + m_rowHeight};
}

RECT CPromptList::RowScreenRect(int row) const
{
    if (row < 0 || row >= RowCount() || !Handle())
        return RECT{};
    RECT rect = RowClientRect(row);
    ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int CPromptList::RowAt(POINT client) const
{
    const RECT area = ClientRect();
    if (!::PtInRect(&area, client))
        return -1;
    const int row = m_topRow + client.y / m_rowHeight;
    return row < RowCount() ? row : -1;
}

int CPromptList::WholeRowsShown() const
{
    const RECT client = ClientRect();
    return std::max<int>(1, (client.bottom - client.top) / m_rowHeight);
}

void CPromptList::InvalidateRow(int row)
{
    if (row < 0 || !Handle())
        return;
    RECT rect = RowClientRect(row);
    ::InvalidateRect(Handle(), &rect, FALSE);
}

void CPromptList::EnsureVisible(int row)
{
    if (row < 0)
        return;
    const int shown = WholeRowsShown();
    if (row < m_topRow)
        ScrollTo(row);
    else if (row >= m_topRow + shown)
        ScrollTo(row - shown + 1);
}

void CPromptList::ScrollTo(int topRow)
{
    const int lastTop = std::max(0, RowCount() - WholeRowsShown());
    topRow = std::max(0, std::min(topRow, lastTop));
    if (topRow == m_topRow)
        return;
    m_topRow = topRow;
    UpdateScrollBar();
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

void CPromptList::UpdateScrollBar()
{
    if (!m_pathPage || !Handle())
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    // Always shown on path pages, greyed when everything fits: the width does not jump.
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    info.nMax = std::max(0, RowCount() - 1);
    info.nPage = static_cast<UINT>(WholeRowsShown());
    info.nPos = m_topRow;
    ::SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

LRESULT CPromptList::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_LBUTTONDOWN:
            OnClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, false);
            return 0;
        case WM_LBUTTONDBLCLK:
            OnClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, true);
            return 0;
        case WM_VSCROLL:
            OnVScroll(LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_SETFONT:
            SetFont(reinterpret_cast<HFONT>(wParam));
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(m_font);
        default:
            break;
    }
    return CWindow::HandleMessage(msg, wParam, lParam);
}

void CPromptList::OnPaint()
{
    wnd::PaintDC paint(Handle());
    if (!paint.Get())
        return;
    const RECT dirty = paint.Invalid();
    const int width = dirty.right - dirty.left, height = dirty.bottom - dirty.top;
    if (width <= 0 || height <= 0)
        return;
    // Drawn into one bitmap of the dirty area, then copied at once: no flicker.
    MemoryDC memory(paint.Get());
    wnd::BitmapHandle bitmap(::CreateCompatibleBitmap(paint.Get(), width, height));
    if (!memory.Get() || !bitmap) {
        PaintArea(paint.Get(), dirty);
        return;
    }
    wnd::SelectObjectScope selectBitmap(memory.Get(), bitmap.Get());
    ::SetViewportOrgEx(memory.Get(), -dirty.left, -dirty.top, nullptr);
    PaintArea(memory.Get(), dirty);
    ::BitBlt(paint.Get(), dirty.left, dirty.top, width, height, memory.Get(), dirty.left, dirty.top, SRCCOPY);
}

void CPromptList::PaintArea(HDC dc, const RECT& dirty) const
{
    const int numbers = NumbersWidth();
    if (numbers > 0)
        FillSolid(dc, RECT{0, dirty.top, numbers, dirty.bottom}, ::GetSysColor(COLOR_BTNFACE));
    FillSolid(dc, RECT{std::max<int>(numbers, dirty.left), dirty.top, dirty.right, dirty.bottom}, RGB(255, 255, 255));
    if (RowCount() == 0)
        return;
    wnd::SelectObjectScope font(dc, CurrentFont());
    ::SetBkMode(dc, TRANSPARENT);
    const int first = m_topRow + std::max<int>(0, dirty.top) / m_rowHeight;
    const int last = std::min<int>(RowCount() - 1, m_topRow + (dirty.bottom - 1) / m_rowHeight);
    for (int row = first; row <= last; ++row) {
        PaintRow(dc, row);
        if (numbers > 0)
            PaintNumber(dc, row);
    }
}

void CPromptList::PaintRow(HDC dc, int row) const
{
    const RECT rect = RowClientRect(row);
    const bool selected = row == m_selected;
    if (selected)
        FillSolid(dc, rect, kSelectedBackground);
    const Row& item = m_rows[static_cast<size_t>(row)];
    if (m_images && item.image >= 0) {
        const int y = rect.top + (m_rowHeight - m_iconSize.cy) / 2;
        ::ImageList_Draw(m_images, item.image, dc, rect.left + kIconMargin, y, ILD_TRANSPARENT);
    }
    RECT text = rect;
    text.left += TextOffset();
    text.right -= kTextRightMargin / 2;
    ::SetTextColor(dc, selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
    const std::wstring& wide = m_wideTexts[static_cast<size_t>(row)];
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text, kRowTextFlags);
}

void CPromptList::PaintNumber(HDC dc, int row) const
{
    if (row >= kNumberedRows || row >= static_cast<int>(m_labels.size()))
        return;
    const RECT rowRect = RowClientRect(row);
    RECT rect{0, rowRect.top, NumbersWidth(), rowRect.bottom};
    const std::wstring label = Widen(m_labels[static_cast<size_t>(row)]);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &rect,
                DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
}

void CPromptList::OnSize()
{
    UpdateScrollBar();
    ScrollTo(m_topRow);  // a taller window may show rows above the top one
    EnsureVisible(m_selected);
}

void CPromptList::OnClick(POINT client, bool doubleClick)
{
    const int row = RowAt(client);
    if (row < 0)
        return;
    Select(row);
    if (!m_listener)
        return;
    // Last: the listener may refill or destroy the list.
    if (doubleClick)
        m_listener->OnRowDoubleClicked(row);
    else
        m_listener->OnRowClicked(row);
}

void CPromptList::OnVScroll(int code)
{
    const int page = WholeRowsShown();
    switch (code) {
        case SB_LINEUP:
            ScrollTo(m_topRow - 1);
            break;
        case SB_LINEDOWN:
            ScrollTo(m_topRow + 1);
            break;
        case SB_PAGEUP:
            ScrollTo(m_topRow - page);
            break;
        case SB_PAGEDOWN:
            ScrollTo(m_topRow + page);
            break;
        case SB_TOP:
            ScrollTo(0);
            break;
        case SB_BOTTOM:
            ScrollTo(RowCount());
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            if (::GetScrollInfo(Handle(), SB_VERT, &info))
                ScrollTo(info.nTrackPos);
            break;
        }
        default:
            break;
    }
}

void CPromptList::OnMouseWheel(int delta)
{
    m_wheelRest += delta;
    const int notches = m_wheelRest / WHEEL_DELTA;
    m_wheelRest -= notches * WHEEL_DELTA;
    if (notches == 0)
        return;
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int step = lines == WHEEL_PAGESCROLL ? WholeRowsShown() : static_cast<int>(lines);
    ScrollTo(m_topRow - notches * step);
}
