#include "wnd/PageHost.h"

#include "wnd/DataExchange.h"

namespace wnd {

bool CDialogPage::Load()
{
    if (!Handle())
        return false;
    ReadModel();
    return LoadFields();
}

void CPageHost::Attach(HWND parent, const RECT& area)
{
    m_parent = parent;
    m_area = area;
}

void CPageHost::AttachToPlaceholder(HWND parent, int placeholderId)
{
    RECT area{};
    HWND placeholder = ::GetDlgItem(parent, placeholderId);
    if (placeholder && ::GetWindowRect(placeholder, &area)) {
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
        ::ShowWindow(placeholder, SW_HIDE);
    }
    Attach(parent, area);
}

int CPageHost::AddPage(CDialogPage& page, const std::string& title)
{
    m_pages.push_back(Entry{&page, title, nullptr});
    int index = PageCount() - 1;
    if (m_tree.Handle())
        m_pages.back().treeItem = m_tree.InsertItem(title, index);
    return index;
}

bool CPageHost::CreateAll()
{
    bool created = true;
    for (Entry& entry : m_pages)
        created = Create(entry) && created;
    return created;
}

void CPageHost::BindTree(HWND tree)
{
    m_tree.Attach(tree);
    for (size_t index = 0; index < m_pages.size(); ++index)
        m_pages[index].treeItem = m_tree.InsertItem(m_pages[index].title, static_cast<LPARAM>(index));
}

bool CPageHost::HandleNotify(const NMHDR& header, LRESULT& result)
{
    if (!m_tree.Handle() || header.hwndFrom != m_tree.Handle())
        return false;
    std::optional<LPARAM> picked = CTreeView::SelectedData(header);
    if (!picked)
        return false;
    Show(static_cast<int>(*picked));
    result = 0;
    return true;
}

bool CPageHost::Create(Entry& entry)
{
    if (entry.page->Handle())
        return true;
    if (!m_parent || !entry.page->CreateChild(m_parent))
        return false;
    // Tab and arrow keys of the parent reach the page's controls.
    LONG_PTR exStyle = ::GetWindowLongPtrW(entry.page->Handle(), GWL_EXSTYLE);
    ::SetWindowLongPtrW(entry.page->Handle(), GWL_EXSTYLE, exStyle | WS_EX_CONTROLPARENT);
    Place(entry);
    if (m_tabAfter)
        ::SetWindowPos(entry.page->Handle(), m_tabAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void CPageHost::Place(const Entry& entry) const
{
    ::SetWindowPos(entry.page->Handle(), nullptr, m_area.left, m_area.top, m_area.right - m_area.left,
                   m_area.bottom - m_area.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CPageHost::Show(int index)
{
    if (index < 0 || index >= PageCount() || !Create(m_pages[static_cast<size_t>(index)]))
        return false;
    int previous = m_current;
    m_current = index;
    const Entry& shown = m_pages[static_cast<size_t>(index)];
    for (const Entry& entry : m_pages) {
        if (entry.page != shown.page && entry.page->Handle())
            ::ShowWindow(entry.page->Handle(), SW_HIDE);
    }
    ::ShowWindow(shown.page->Handle(), SW_SHOW);
    if (m_caption)
        SetTextOf(m_caption, shown.title);
    // Selecting the item notifies TVN_SELCHANGED, which lands here again with m_current set.
    if (shown.treeItem && m_tree.Selection() != shown.treeItem)
        m_tree.Select(shown.treeItem);
    if (previous != index)
        shown.page->OnPageShown();
    return true;
}

bool CPageHost::LoadAll()
{
    bool loaded = true;
    for (const Entry& entry : m_pages) {
        if (entry.page->Handle())
            loaded = entry.page->Load() && loaded;
    }
    return loaded;
}

bool CPageHost::SaveAll()
{
    for (int index = 0; index < PageCount(); ++index) {
        CDialogPage& page = Page(index);
        if (!page.Handle())
            continue;
        CDataExchange dx(page.Handle(), ExchangeDirection::Save);
        page.Exchange(dx);
        if (!dx.Succeeded()) {
            Show(index);
            FocusField(dx.FailedField());
            return false;
        }
    }
    for (int index = 0; index < PageCount(); ++index) {
        CDialogPage& page = Page(index);
        if (!page.Handle())
            continue;
        if (!page.WriteModel()) {
            Show(index);
            return false;
        }
        m_wroteAny = true;
    }
    return true;
}

}  // namespace wnd
