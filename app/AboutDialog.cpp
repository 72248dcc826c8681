#include "app/AboutDialog.h"

#include <shellapi.h>

#include "res/resource.h"
#include "wnd/ModalRunner.h"

CAboutDialog::CAboutDialog() : CDialog(IDD_ABOUTBOX) {}

void CAboutDialog::Run(HWND owner)
{
    CAboutDialog about;
    wnd::RunModal(about, owner);
}

bool CAboutDialog::OnCommand(int id, int code, HWND)
{
    if (id != IDC_ABOUT_LINK || code != STN_CLICKED)
        return false;
    const std::string url = wnd::LoadResourceString(IDS_HOMEPAGE_URL);
    if (!url.empty())
        ::ShellExecuteA(Handle(), "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}
