// The Options dialog: a tree of the Hotkeys, AutoLearn and Others pages with the picked page
// beside it. The AutoLearn page is handed in (its code lives with the dictionaries).
#pragma once

#include <windows.h>

#include <string>

#include "config/StartupRegistration.h"
#include "config/ui/HotkeyPage.h"
#include "config/ui/OthersPage.h"
#include "wnd/Controls.h"
#include "wnd/Dialog.h"
#include "wnd/PageHost.h"

class CAppSettings;

class COptionsDialog : public wnd::CDialog {
public:
    // Tree items' data, in tree order.
    enum TreeItem { kHotkeysItem = 0, kAutoLearnItem = 1, kOthersItem = 2 };

    COptionsDialog(CAppSettings& settings, wnd::CDialogPage& autoLearnPage, const CStartupRegistration& startup);

    // Runs the dialog modally, opened at the page of that name ("Hotkeys", "AutoLearn", "Others";
    // any other name opens Hotkeys). True when the pages were saved: OK, or Cancel answered Yes.
    static bool Run(HWND owner, const std::string& firstPage, wnd::CDialogPage& autoLearnPage, CAppSettings& settings);

    void SetFirstPage(std::string name) { m_firstPage = std::move(name); }
    // OK saved every page, or some page was written before another refused.
    bool Saved() const { return m_saved || m_pages.WroteAny(); }
    CHotkeyPage& HotkeyPage() { return m_hotkeyPage; }
    COthersPage& OthersPage() { return m_othersPage; }
    wnd::CDialogPage& AutoLearnPage() { return m_autoLearnPage; }
    const wnd::CPageHost& Pages() const { return m_pages; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

private:
    void SetIcons();
    RECT PageArea() const;
    void ShowItem(LPARAM treeItem);
    // Every page's fields, then Hotkeys, Others and AutoLearn write theirs; a refused field keeps
    // the dialog open on it.
    bool SavePages();
    bool AnyPageChanged() const;
    void ShowHelp() const;

    CAppSettings& m_settings;
    COthersPage m_othersPage;
    CHotkeyPage m_hotkeyPage;
    wnd::CDialogPage& m_autoLearnPage;
    std::string m_firstPage;
    wnd::CTreeView m_tree;
    HTREEITEM m_treeItems[3] = {};
    wnd::CPageHost m_pages;
    bool m_saved = false;
};
