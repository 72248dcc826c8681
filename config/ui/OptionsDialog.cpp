#include "config/ui/OptionsDialog.h"

#include <htmlhelp.h>

#include "base/ProgramPaths.h"
#include "base/Utf8Text.h"
#include "config/AppSettings.h"
#include "config/ui/ConfigUiIds.h"
#include "res/resource.h"
#include "wnd/HtmlHelp.h"
#include "wnd/MessageBoxes.h"
#include "wnd/ModalRunner.h"

namespace {

// The page host keeps the pages in saving order; the tree lists them in its own.
constexpr int kHotkeysPage = 0;
constexpr int kOthersPage = 1;
constexpr int kAutoLearnPage = 2;

int PageOfItem(LPARAM treeItem)
{
    switch (treeItem) {
        case COptionsDialog::kAutoLearnItem:
            return kAutoLearnPage;
        case COptionsDialog::kOthersItem:
            return kOthersPage;
        default:
            return kHotkeysPage;
    }
}

LPARAM ItemOfPage(int page)
{
    switch (page) {
        case kAutoLearnPage:
            return COptionsDialog::kAutoLearnItem;
        case kOthersPage:
            return COptionsDialog::kOthersItem;
        default:
            return COptionsDialog::kHotkeysItem;
    }
}

}  // namespace

COptionsDialog::COptionsDialog(CAppSettings& settings, wnd::CDialogPage& autoLearnPage,
                               const CStartupRegistration& startup)
    : CDialog(IDD_OPTIONS),
      m_settings(settings),
      m_othersPage(settings, startup),
      m_hotkeyPage(settings),
      m_autoLearnPage(autoLearnPage),
      m_firstPage(wnd::LoadResourceString(IDS_HOTKEYS_PAGE))
{
}

bool COptionsDialog::Run(HWND owner, const std::string& firstPage, wnd::CDialogPage& autoLearnPage,
                         CAppSettings& settings)
{
    CStartupRegistration startup;
    COptionsDialog dialog(settings, autoLearnPage, startup);
    dialog.SetFirstPage(firstPage);
    wnd::ModalResult result = wnd::RunModal(dialog, owner);
    return result.outcome == wnd::ModalOutcome::Closed && dialog.Saved();
}

BOOL COptionsDialog::OnInitDialog()
{
    SetIcons();
    m_pages.Attach(Handle(), PageArea());
    m_pages.AddPage(m_hotkeyPage, wnd::LoadResourceString(IDS_HOTKEYS_PAGE));
    m_pages.AddPage(m_othersPage, wnd::LoadResourceString(IDS_OTHERS_PAGE));
    m_pages.AddPage(m_autoLearnPage, wnd::LoadResourceString(IDS_AUTOLEARN_PAGE));
    m_pages.SetCaptionControl(Item(IDC_OPTIONS_CAPTION));
    m_pages.SetTabPosition(Item(IDC_OPTIONS_TREE));  // tree, page, then OK, Cancel, Help
    m_pages.CreateAll();

    m_tree.Attach(Item(IDC_OPTIONS_TREE));
    const UINT names[] = {IDS_HOTKEYS_PAGE, IDS_AUTOLEARN_PAGE, IDS_OTHERS_PAGE};
    LPARAM first = kHotkeysItem;
    for (LPARAM item = kHotkeysItem; item <= kOthersItem; ++item) {
        std::string name = wnd::LoadResourceString(names[item]);
        m_treeItems[item] = m_tree.InsertItem(name, item);
        if (name == m_firstPage)
            first = item;
    }
    ShowItem(first);
    return TRUE;
}

void COptionsDialog::SetIcons()
{
    HINSTANCE instance = wnd::ResourceInstance();
    // Shared icons belong to the module: nothing to free when the dialog closes.
    auto bigIcon =
        static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_SHARED));
    auto smallIcon =
        static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

RECT COptionsDialog::PageArea() const
{
    // Below the caption's line, as wide as the line, down to the tree's bottom.
    RECT line = ChildRect(Item(IDC_OPTIONS_SEPARATOR));
    RECT tree = ChildRect(Item(IDC_OPTIONS_TREE));
    return RECT{line.left, line.bottom, line.right, tree.bottom};
}

void COptionsDialog::ShowItem(LPARAM treeItem)
{
    m_pages.Show(PageOfItem(treeItem));
    HTREEITEM item = m_treeItems[treeItem];
    if (item && m_tree.Selection() != item)
        m_tree.Select(item);
}

bool COptionsDialog::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.hwndFrom != m_tree.Handle())
        return false;
    std::optional<LPARAM> picked = wnd::CTreeView::SelectedData(header);
    if (!picked || *picked < kHotkeysItem || *picked > kOthersItem)
        return false;
    ShowItem(*picked);
    result = 0;
    return true;
}

bool COptionsDialog::SavePages()
{
    if (m_pages.SaveAll())
        return true;
    ShowItem(ItemOfPage(m_pages.Current()));  // the page with the refused field
    return false;
}

bool COptionsDialog::AnyPageChanged() const
{
    return m_hotkeyPage.IsChanged() || m_othersPage.IsChanged() || m_autoLearnPage.IsChanged();
}

void COptionsDialog::OnOK()
{
    if (!SavePages())
        return;
    m_saved = true;
    EndDialog(IDOK);
}

void COptionsDialog::OnCancel()
{
    if (AnyPageChanged() &&
        wnd::Ask(Handle(), IDS_OPTIONS_CHANGED, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
        OnOK();  // saved changes take effect at once, as after OK
        return;
    }
    EndDialog(IDCANCEL);
}

bool COptionsDialog::OnCommand(int id, int code, HWND)
{
    if (id != IDC_OPTIONS_HELP || code != BN_CLICKED)
        return false;
    ShowHelp();
    return true;
}

void COptionsDialog::ShowHelp() const
{
    std::string directory = pvbase::ProgramDirectory();
    if (directory.empty())
        return;
    std::string file = directory + "PVHelp.chm";
    char keyword[] = "Options";
    HH_AKLINK link{};
    link.cbStruct = sizeof link;
    link.pszKeywords = keyword;
    link.fIndexOnFail = TRUE;
    const bool fileThere = ::GetFileAttributesW(Widen(file).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (fileThere &&
        (wnd::CallHtmlHelp(Handle(), file.c_str(), HH_ALINK_LOOKUP, reinterpret_cast<DWORD_PTR>(&link)) ||
         wnd::CallHtmlHelp(Handle(), file.c_str(), HH_KEYWORD_LOOKUP, reinterpret_cast<DWORD_PTR>(&link)) ||
         wnd::CallHtmlHelp(Handle(), file.c_str(), HH_DISPLAY_TOPIC, 0)))
        return;
    // Nothing showed: say so rather than leave the button doing nothing.
    wnd::ShowError(Handle(), wnd::ResourceText(fileThere ? IDS_HELP_NOT_OPENED : IDS_HELP_MISSING, {file}));
}
