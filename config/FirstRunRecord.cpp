#include "config/FirstRunRecord.h"

#include <windows.h>

#include <cstring>

#include "base/Utf8Text.h"
#include "base/WinHandles.h"

namespace {

const char kFirstRunValue[] = "bFirstRun";

}  // namespace

const char CFirstRunRecord::kOptionRegistryKey[] = "SOFTWARE\\Pennivox Pro\\Option";

std::uint32_t CFirstRunRecord::Take()
{
    pvbase::RegistryKey key;
    const std::wstring keyName = Widen(m_registryKey);
    const std::wstring valueName = Widen(kFirstRunValue);
    bool writable = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                    nullptr, key.Receive(), nullptr) == ERROR_SUCCESS;
    if (!writable &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
        return 1;  // a missing value counts as a first run
    }
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    DWORD size = sizeof bytes;
    DWORD type = 0;
    std::uint32_t value = 1;
    if (RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, bytes, &size) == ERROR_SUCCESS && size > 0) {
        value = 0;
        std::memcpy(&value, bytes, size <= sizeof value ? size : sizeof value);
    }
    if (value != 0 && writable) {
        const std::uint8_t zeros[4] = {0, 0, 0, 0};
        RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_BINARY, zeros, sizeof zeros);  // refusal ignored
    }
    return value;
}
