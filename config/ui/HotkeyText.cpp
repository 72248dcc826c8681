#include "config/ui/HotkeyText.h"

#include <commctrl.h>

#include <vector>

#include "base/Utf8Text.h"

std::string KeyName(UINT virtualKey, bool extended)
{
    UINT scanCode = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LONG keyData = static_cast<LONG>(scanCode << 16);
    if (extended)
        keyData |= 1L << 24;
    // Some layouts have long names; a name that fills the buffer may have been cut.
    for (size_t size = 128;; size *= 2) {
        std::vector<wchar_t> name(size, L'\0');
        int length = ::GetKeyNameTextW(keyData, name.data(), static_cast<int>(size));
        if (length <= 0)
            return {};
        if (static_cast<size_t>(length) < size - 1 || size >= 0x10000)
            return Narrow(std::wstring_view(name.data(), static_cast<size_t>(length)));
    }
}

std::string HotkeyText(DWORD value)
{
    UINT virtualKey = value & 0xFF;
    UINT flags = (value >> 16) & 0xFF;
    if (virtualKey == 0 && flags == 0)
        return {};
    std::string text;
    const struct {
        UINT flag;
        UINT key;
    } modifiers[] = {{HOTKEYF_CONTROL, VK_CONTROL}, {HOTKEYF_SHIFT, VK_SHIFT}, {HOTKEYF_ALT, VK_MENU}};
    for (const auto& modifier : modifiers) {
        if (flags & modifier.flag)
            text += KeyName(modifier.key, false) + "+";
    }
    return text + KeyName(virtualKey, (flags & HOTKEYF_EXT) != 0);
}
