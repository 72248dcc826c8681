#include "config/ui/RunningAppsDialog.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include "base/Utf8Text.h"
#include "config/ui/ConfigUiIds.h"

namespace {

std::string Lower(const wchar_t* text)
{
    std::wstring lower(text);
    if (!lower.empty())
        ::CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
    return Narrow(lower);
}

// The module that is the process's executable: the one with the process's module id, or the
// one whose name holds the executable's name. False when the process has none we may read.
bool MainModule(const PROCESSENTRY32W& process, RunningProgram& program)
{
    pvbase::KernelHandle modules(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.th32ProcessID));
    if (!modules.Get() || modules.Get() == INVALID_HANDLE_VALUE)
        return false;
    const std::string exeName = Lower(process.szExeFile);
    MODULEENTRY32W module = {};
    module.dwSize = sizeof module;
    for (BOOL more = ::Module32FirstW(modules.Get(), &module); more; more = ::Module32NextW(modules.Get(), &module)) {
        const std::string name = Lower(module.szModule);
        if (module.th32ModuleID == process.th32ModuleID || name.find(exeName) != std::string::npos) {
            program.fileName = name;
            program.path = Narrow(module.szExePath);
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<RunningProgram> ListRunningPrograms()
{
    std::vector<RunningProgram> programs;
    pvbase::KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Get() || snapshot.Get() == INVALID_HANDLE_VALUE)
        return programs;
    PROCESSENTRY32W process = {};
    process.dwSize = sizeof process;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &process); more;
         more = ::Process32NextW(snapshot.Get(), &process)) {
        // The idle process. A parent id of 0 is not a reason to skip: programs started from outside
        // the session have it, and the kernel's own process has no module list anyway.
        if (process.th32ProcessID == 0)
            continue;
        RunningProgram program;
        if (MainModule(process, program))
            programs.push_back(std::move(program));
    }
    return programs;
}

CRunningAppsDialog::CRunningAppsDialog() : CDialog(IDD_RUNNING_APPS) {}

BOOL CRunningAppsDialog::OnInitDialog()
{
    m_images.Reset(::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 16, 16));
    m_list.Attach(Item(IDC_RUNNING_LIST));
    m_list.SetImageList(m_images.Get(), LVSIL_SMALL);
    m_list.InsertColumn(0, wnd::LoadResourceString(IDS_COLUMN_FILE_NAME).c_str(), LVCFMT_LEFT, 120);
    m_list.InsertColumn(1, wnd::LoadResourceString(IDS_COLUMN_FULL_PATH).c_str(), LVCFMT_LEFT, 300);
    m_list.AddExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    FillList();
    m_chosenPath.clear();
    return TRUE;
}

void CRunningAppsDialog::FillList()
{
    m_list.DeleteAllItems();
    ::ImageList_RemoveAll(m_images.Get());
    for (const RunningProgram& program : ListRunningPrograms()) {
        int image = -1;
        HICON small = nullptr;
        if (::ExtractIconExW(Widen(program.path).c_str(), 0, nullptr, &small, 1) != 0 && small) {
            wnd::IconHandle icon(small);
            image = ::ImageList_AddIcon(m_images.Get(), icon.Get());
        }
        m_list.AddRow({program.fileName, program.path}, 0, image);
    }
}

bool CRunningAppsDialog::OnCommand(int id, int code, HWND)
{
    if (id != IDC_RUNNING_REFRESH || code != BN_CLICKED)
        return false;
    FillList();
    return true;
}

bool CRunningAppsDialog::OnNotify(const NMHDR& header, LRESULT&)
{
    if (header.idFrom != IDC_RUNNING_LIST || header.code != NM_DBLCLK)
        return false;
    OnOK();
    return true;
}

void CRunningAppsDialog::OnOK()
{
    m_chosenPath.clear();
    for (int row : m_list.SelectedIndexes()) {
        std::string path = m_list.ItemText(row, 1);
        if (!path.empty()) {
            m_chosenPath = std::move(path);
            break;
        }
    }
    // Without an owner there is nobody to take the path.
    EndDialog(::GetWindow(Handle(), GW_OWNER) ? IDOK : IDCANCEL);
}
