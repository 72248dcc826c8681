#include "config/ProcessInfo.h"

#include <tlhelp32.h>

#include <cstring>

#include "base/Utf8Text.h"
#include "base/WinHandles.h"

namespace {

// Only ever from the system directory: a DLL of the same name planted in the current or
// the program directory must not be loaded into this process.
HMODULE LoadSystemLibrary(const wchar_t* name)
{
    wchar_t directory[MAX_PATH + 1];
    UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    std::wstring path(directory, length);
    if (path.back() != L'\\')
        path += L'\\';
    path += name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <typename Fn>
Fn Entry(HMODULE module, const char* name)
{
    if (!module)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using ProcessHandle = pvbase::KernelHandle;

bool DetectNtFamily()
{
    OSVERSIONINFOW info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    if (!GetVersionExW(&info))
        return true;  // every system still in use is of the NT family
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::size_t CopyOut(const std::string& text, char* buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return 0;
    std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

}  // namespace

CProcessInfo::CProcessInfo(Source source)
{
    m_ntFamily = (source == Source::Snapshot) ? false : DetectNtFamily();
}

CProcessInfo::~CProcessInfo() = default;

bool CProcessInfo::Init()
{
    if (!m_ntFamily)
        return true;
    if (!m_psapi)
        m_psapi.Reset(LoadSystemLibrary(L"PSAPI.DLL"));
    if (!m_vdmdbg)
        m_vdmdbg.Reset(LoadSystemLibrary(L"VDMDBG.DLL"));
    m_enumProcesses = Entry<EnumProcessesFn>(m_psapi.Get(), "EnumProcesses");
    m_enumProcessModules = Entry<EnumProcessModulesFn>(m_psapi.Get(), "EnumProcessModules");
    m_getModuleFileNameEx = Entry<GetModuleFileNameExFn>(m_psapi.Get(), "GetModuleFileNameExW");
    m_getModuleBaseName = Entry<GetModuleBaseNameFn>(m_psapi.Get(), "GetModuleBaseNameW");
    m_vdmEnumTaskWowEx = Entry<VdmEnumTaskWowExFn>(m_vdmdbg.Get(), "VDMEnumTaskWOWEx");
    // 16-bit tasks are not listed on their own; the library only has to be there.
    return m_psapi && m_vdmdbg && m_enumProcesses && m_enumProcessModules && m_getModuleFileNameEx &&
           m_getModuleBaseName && m_vdmEnumTaskWowEx;
}

void CProcessInfo::Enumerate()
{
    m_processes.clear();
    if (m_ntFamily) {
        EnumerateWithPsapi();
    } else {
        EnumerateWithSnapshot();
    }
}

void CProcessInfo::EnumerateWithPsapi()
{
    if (!m_enumProcesses || !m_enumProcessModules || !m_getModuleFileNameEx)
        return;
    // Start with room for 1024 processes and grow while the list comes back full.
    std::vector<DWORD> ids(1024);
    DWORD returned = 0;
    for (;;) {
        DWORD bytes = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!m_enumProcesses(ids.data(), bytes, &returned))
            return;
        if (returned < bytes || ids.size() >= 65536)
            break;
        ids.resize(ids.size() * 2);
    }
    const std::size_t count = returned / sizeof(DWORD);
    std::vector<HMODULE> modules(1024);
    // Long paths (\\?\\ names) are longer than MAX_PATH.
    std::vector<wchar_t> path(32768);
    for (std::size_t i = 0; i < count; ++i) {
        ProcessHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]));
        if (!process.Get())
            continue;
        DWORD needed = 0;
        if (!m_enumProcessModules(process.Get(), modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)),
                                  &needed) ||
            needed < sizeof(HMODULE)) {
            continue;
        }
        DWORD length = m_getModuleFileNameEx(process.Get(), modules[0], path.data(), static_cast<DWORD>(path.size()));
        if (length == 0 || length >= path.size())
            continue;
        m_processes.push_back(ProcessRecord{Narrow(std::wstring_view(path.data(), length)), ids[i]});
    }
}

void CProcessInfo::EnumerateWithSnapshot()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    ProcessHandle owner(snapshot);
    PROCESSENTRY32W entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        entry.szExeFile[MAX_PATH - 1] = L'\0';
        if (entry.szExeFile[0])
            m_processes.push_back(ProcessRecord{Narrow(entry.szExeFile), entry.th32ProcessID});
    }
}

std::string CProcessInfo::ImagePathOfProcess(DWORD processId)
{
    Enumerate();
    for (const ProcessRecord& record : m_processes) {
        if (record.processId == processId)
            return record.path;
    }
    return std::string();
}

std::string CProcessInfo::ImagePathOfWindow(HWND window)
{
    if (!window)
        return std::string();
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(window, &processId) || processId == 0)
        return std::string();
    return ImagePathOfProcess(processId);
}

std::size_t CProcessInfo::ImagePathOfProcess(DWORD processId, char* buffer, std::size_t size)
{
    return CopyOut(ImagePathOfProcess(processId), buffer, size);
}

std::size_t CProcessInfo::ImagePathOfWindow(HWND window, char* buffer, std::size_t size)
{
    return CopyOut(ImagePathOfWindow(window), buffer, size);
}
