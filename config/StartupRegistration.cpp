#include "config/StartupRegistration.h"

#include "base/WinHandles.h"

const char CStartupRegistration::kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char CStartupRegistration::kValueName[] = "Pennivox";

namespace {

std::string RunningExecutable()
{
    char path[MAX_PATH + 1] = "";
    DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::string(path, length);
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
        ::RegOpenKeyExA(HKEY_CURRENT_USER, m_runKey.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
        return false;
    char value[MAX_PATH * 2] = "";
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (::RegQueryValueExA(key.Get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value[size < sizeof value ? size : sizeof value - 1] = '\0';
    return ::lstrcmpiA(Unquoted(value).c_str(), m_executablePath.c_str()) == 0;
}

bool CStartupRegistration::SetRegistered(bool registered) const
{
    pvbase::RegistryKey key;
    if (!registered) {
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, m_runKey.c_str(), 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS)
            return true;  // no Run key: nothing starts us
        LONG result = ::RegDeleteValueA(key.Get(), kValueName);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    if (m_executablePath.empty() || ::RegCreateKeyExA(HKEY_CURRENT_USER, m_runKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                                      nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return false;
    std::string command = Command();
    return ::RegSetValueExA(key.Get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}
