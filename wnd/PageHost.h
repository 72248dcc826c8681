// Child pages of a dialog, one shown at a time in a rectangle of their parent, picked from a
// tree (or by the parent itself). Saving takes every page's fields before any page writes its
// values anywhere, so a refused field leaves everything as it was.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wnd/Controls.h"
#include "wnd/Dialog.h"

namespace wnd {

// A page: a dialog from a DS_CONTROL | WS_CHILD template.
class CDialogPage : public CDialog {
public:
    using CDialog::CDialog;

    // Reads the page's members from where they live (settings, ...) and fills its controls.
    bool Load();
    // Whether the user changed anything since the page was loaded or saved (a dialog's Cancel asks
    // before dropping changes).
    virtual bool IsChanged() const { return false; }

protected:
    // Fills the members from the model; runs before the fields are loaded.
    virtual void ReadModel() {}
    // Stores the members into the model, after every page's fields were taken. False when the
    // model refused them (a file that could not be written); the page has told the user and
    // keeps its values.
    virtual bool WriteModel() { return true; }
    // The page is shown (each time it is picked).
    virtual void OnPageShown() {}

    // A page that overrides this calls it first. FALSE: creating a page must not move the focus.
    BOOL OnInitDialog() override
    {
        ReadModel();
        return FALSE;
    }

private:
    friend class CPageHost;
};

class CPageHost {
public:
    // Pages go into the area given in the parent's client coordinates, or into the rectangle of a
    // placeholder control, which is hidden. Call from the parent's OnInitDialog.
    void Attach(HWND parent, const RECT& area);
    void AttachToPlaceholder(HWND parent, int placeholderId);
    // Adds a page (not yet created); returns its index. The title names it in the tree.
    int AddPage(CDialogPage& page, const std::string& title);
    // Creates every page now (hidden); otherwise each page is created when first shown.
    bool CreateAll();
    // The tree lists the pages (item data: page index) and picks the shown page; pass the parent's
    // WM_NOTIFY to HandleNotify. A caption control, if set, shows the title of the shown page.
    void BindTree(HWND tree);
    void SetCaptionControl(HWND caption) { m_caption = caption; }
    // Pages come right after this control in the parent's tab order (else last, after the
    // parent's buttons). Set before the pages are created.
    void SetTabPosition(HWND after) { m_tabAfter = after; }
    bool HandleNotify(const NMHDR& header, LRESULT& result);

    // Shows one page (creating it if needed) and hides the others; false for a bad index or a
    // page that cannot be created.
    bool Show(int index);
    int Current() const { return m_current; }
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    CDialogPage& Page(int index) const { return *m_pages[static_cast<size_t>(index)].page; }

    // Every created page loads again from its model.
    bool LoadAll();
    // Every created page's fields are taken; on the first refusal that page is shown with the
    // field focused and false returned, nothing written. Then each page writes its model; the
    // first page whose model refuses is shown and false returned, the pages after it unwritten.
    bool SaveAll();
    // Whether a page's model was written since the pages were made.
    bool WroteAny() const { return m_wroteAny; }

private:
    struct Entry {
        CDialogPage* page;
        std::string title;
        HTREEITEM treeItem;
    };

    bool Create(Entry& entry);
    void Place(const Entry& entry) const;

    HWND m_parent = nullptr;
    RECT m_area{};
    std::vector<Entry> m_pages;
    CTreeView m_tree;
    HWND m_caption = nullptr;
    HWND m_tabAfter = nullptr;
    int m_current = -1;
    bool m_wroteAny = false;
};

}  // namespace wnd
