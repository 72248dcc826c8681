#include "config/StartupRegistration.h"

#include <vector>

#include "base/Utf8Text.h"
#include "base/WinHandles.h"
#include "config/WinText.h"

const char CStartupRegistration::kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char CStartupRegistration::kValueName[] = "Pennivox";

namespace {

std::string RunningExecutable()
{
    std::vector<wchar_t> path(32768, L'\0');
    DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return {};
    return Narrow(std::wstring_view(path.data(), length));
}

std::string Unquoted(std::string text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

CStartupRegistration::CStartupRegistration() : CStartupRegistration(kRunKey, RunningExecutable()) {}

CStartupRegistration::CStartupRegistration(std::string runKey, std::string executablePath)
    : m_runKey(std::move(runKey)), m_executablePath(std::move(executablePath))
{
}

bool CStartupRegistration::IsRegistered() const
{
    pvbase::RegistryKey key;
    if (m_executablePath.empty() ||
        ::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(m_runKey).c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
        return false;
    wchar_t value[MAX_PATH * 4] = L"";
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.Get(), Widen(kValueName).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value),
                           &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    const std::size_t units = size / sizeof(wchar_t);
    std::wstring_view text(value, units < MAX_PATH * 4 ? units : MAX_PATH * 4 - 1);
    while (!text.empty() && text.back() == L'\0')
        text.remove_suffix(1);
    return EqualsNoCase(Unquoted(Narrow(text)), m_executablePath);
}

bool CStartupRegistration::SetRegistered(bool registered) const
{
    pvbase::RegistryKey key;
    if (!registered) {
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(m_runKey).c_str(), 0, KEY_SET_VALUE, key.Receive()) !=
            ERROR_SUCCESS)
            return true;  // no Run key: nothing starts us
        LONG result = ::RegDeleteValueW(key.Get(), Widen(kValueName).c_str());
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    if (m_executablePath.empty() || ::RegCreateKeyExW(HKEY_CURRENT_USER, Widen(m_runKey).c_str(), 0, nullptr, 0,
                                                      KEY_SET_VALUE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring command = Widen(Command());
    return ::RegSetValueExW(key.Get(), Widen(kValueName).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}
