#include "app/AboutDialog.h"

#include "res/resource.h"
#include "wnd/ModalRunner.h"

CAboutDialog::CAboutDialog(std::string home) : CDialog(IDD_ABOUTBOX), m_home(std::move(home)) {}

void CAboutDialog::Run(HWND owner, const std::string& home)
{
    CAboutDialog about(home);
    wnd::RunModal(about, owner);
}

BOOL CAboutDialog::OnInitDialog()
{
    m_link.Attach(Item(IDC_ABOUT_LINK));
    m_link.SetLinkTarget(m_home);
    return CDialog::OnInitDialog();
}
