#include "config/ui/AppManagerDialog.h"

#include <shellapi.h>

#include "base/Utf8Text.h"
#include "config/ui/AppOptionDialog.h"
#include "config/ui/ConfigUiIds.h"
#include "res/resource.h"

namespace {

// The first small icon of an executable, or null.
HICON SmallIconOf(const std::string& path)
{
    HICON icon = nullptr;
    if (::ExtractIconExW(Widen(path).c_str(), 0, nullptr, &icon, 1) == 0)
        return nullptr;
    return icon;
}

}  // namespace

bool CAppManagerDialog::Run(HWND owner)
{
    return RunOverSavedRules<CAppManagerDialog>(owner);
}

CAppManagerDialog::CAppManagerDialog(CAppRules& rules, RuleEditor editor)
    : CRuleListDialog(IDD_APP_MANAGER, IDC_APPS_LIST, rules, editor ? std::move(editor) : &CAppOptionDialog::Edit)
{
}

BOOL CAppManagerDialog::OnInitDialog()
{
    const HINSTANCE instance = wnd::ResourceInstance();
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))));
    Send(WM_SETICON, ICON_SMALL,
         reinterpret_cast<LPARAM>(
             ::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_SHARED)));
    m_images.Reset(::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8));
    wnd::IconHandle fallback(
        static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_DEFAULT_APP), IMAGE_ICON, 16, 16, 0)));
    ::ImageList_AddIcon(m_images.Get(), fallback.Get());  // image 0: a program without an icon
    AttachList();
    m_list.SetImageList(m_images.Get(), LVSIL_SMALL);
    m_list.SetCellImage([this](int row) {
        const AppRule* rule = RuleOfRow(row);
        return rule ? ImageOf(rule->path) : 0;
    });
    m_list.InsertColumn(0, wnd::LoadResourceString(IDS_COLUMN_RULE_NAME).c_str(), LVCFMT_LEFT, 120);
    m_list.InsertColumn(1, wnd::LoadResourceString(IDS_COLUMN_RULE_STATUS).c_str(), LVCFMT_LEFT, 120);
    m_list.InsertColumn(2, wnd::LoadResourceString(IDS_COLUMN_FULL_PATH).c_str(), LVCFMT_LEFT, 300);
    FillList();
    m_otherApps = m_rules.WorkOnOtherApps() ? 1 : 0;
    SetChecked(IDC_APPS_ENABLE_OTHERS, m_otherApps == 1);
    SetChecked(IDC_APPS_DISABLE_OTHERS, m_otherApps == 0);
    return TRUE;
}

AppRule CAppManagerDialog::NewRule() const
{
    AppRule rule;
    rule.workOn = 0;  // a rule is mostly made to switch Pennivox off somewhere
    return rule;
}

std::string CAppManagerDialog::CellText(const AppRule& rule, int column) const
{
    switch (column) {
        case 0:
            return rule.caption;
        case 1:
            return WorkOnStatus(rule.workOn);
        default:
            return rule.path;
    }
}

int CAppManagerDialog::ImageOf(const std::string& path)
{
    // Each program's icon is read once, however many rules name it.
    std::wstring wideKey = Widen(path);
    ::CharLowerBuffW(&wideKey[0], static_cast<DWORD>(wideKey.size()));
    std::string key = Narrow(wideKey);
    auto known = m_imageOfPath.find(key);
    if (known != m_imageOfPath.end())
        return known->second;
    int image = 0;
    wnd::IconHandle icon(SmallIconOf(path));
    if (icon.Get()) {
        const int added = ::ImageList_AddIcon(m_images.Get(), icon.Get());
        if (added >= 0)
            image = added;
    }
    m_imageOfPath.emplace(std::move(key), image);
    return image;
}

bool CAppManagerDialog::OnCommand(int id, int code, HWND control)
{
    if (code == BN_CLICKED && (id == IDC_APPS_ENABLE_OTHERS || id == IDC_APPS_DISABLE_OTHERS)) {
        m_otherApps = id == IDC_APPS_ENABLE_OTHERS ? 1 : 0;
        return true;
    }
    return CRuleListDialog::OnCommand(id, code, control);
}

void CAppManagerDialog::OnOK()
{
    const int32_t before = m_rules.WorkOnOtherApps();
    m_rules.SetWorkOnOtherApps(m_otherApps);
    if (!SaveAndClose())
        m_rules.SetWorkOnOtherApps(before);  // kept open: Cancel must still find the old value
}
