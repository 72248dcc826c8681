#include "config/ui/HotkeyText.h"

#include <commctrl.h>

#include <vector>

#include "base/Utf8Text.h"

namespace {

// The names Wine gives the modifier keys: its X server's key names, whatever the Windows layout.
const char* XServerName(UINT virtualKey)
{
    switch (virtualKey) {
        case VK_CONTROL:
            return "Control";
        case VK_SHIFT:
            return "Shift";
        case VK_MENU:
            return "Alt";
    }
    return nullptr;
}

// What Windows' own layouts of that language call the key; English names for the others.
const char* WindowsModifierName(UINT virtualKey, LANGID layoutLanguage)
{
    const bool control = virtualKey == VK_CONTROL, shift = virtualKey == VK_SHIFT;
    switch (PRIMARYLANGID(layoutLanguage)) {
        case LANG_GERMAN:
            return control ? "Strg" : shift ? "Umschalt" : "Alt";
        case LANG_FRENCH:
            return control ? "Ctrl" : shift ? "Maj" : "Alt";
        case LANG_SWEDISH:
            return control ? "Ctrl" : shift ? "Skift" : "Alt";
    }
    return control ? "Ctrl" : shift ? "Shift" : "Alt";
}

std::string SystemKeyName(UINT virtualKey, bool extended)
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

}  // namespace

std::string ModifierNameFor(UINT virtualKey, const std::string& systemName, LANGID layoutLanguage)
{
    const char* xName = XServerName(virtualKey);
    if (!xName || systemName != xName)
        return systemName;
    return WindowsModifierName(virtualKey, layoutLanguage);
}

std::string KeyName(UINT virtualKey, bool extended)
{
    const LANGID layoutLanguage = LOWORD(reinterpret_cast<UINT_PTR>(::GetKeyboardLayout(0)));
    return ModifierNameFor(virtualKey, SystemKeyName(virtualKey, extended), layoutLanguage);
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
