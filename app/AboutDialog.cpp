#include "app/AboutDialog.h"

#include "base/VersionInfo.h"
#include "res/resource.h"
#include "wnd/ModalRunner.h"

namespace {

// What the program's own version resource says; empty in a program without one (the tests).
std::string ProgramVersion()
{
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    return data ? pvbase::FileVersionText(data, ::SizeofResource(nullptr, found)) : std::string();
}

}  // namespace

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
    const std::string version = ProgramVersion();
    if (!version.empty())
        SetItemText(IDC_ABOUT_VERSION, wnd::ResourceText(IDS_ABOUT_VERSION, {version}));
    return CDialog::OnInitDialog();
}
