// What text output needs from the platform: the keyboard layout, the Caps Lock state, the
// ANSI code page, the clipboard and a way to inject key events. The Windows implementation
// is CWin32InputSystem; tests use a fake layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Flags of a key event; the values are those of KEYEVENTF_EXTENDEDKEY and KEYEVENTF_KEYUP.
enum KeyEventFlag : std::uint8_t {
    KEY_EVENT_EXTENDED = 0x01,
    KEY_EVENT_UP = 0x02,
};

struct KeyEvent {
    std::uint8_t virtualKey = 0;
    std::uint8_t scanCode = 0;
    std::uint8_t flags = 0;  // KeyEventFlag bits

    bool IsRelease() const { return (flags & KEY_EVENT_UP) != 0; }
    bool operator==(const KeyEvent& other) const
    {
        return virtualKey == other.virtualKey && scanCode == other.scanCode && flags == other.flags;
    }
    bool operator!=(const KeyEvent& other) const { return !(*this == other); }
};

using KeyEventList = std::vector<KeyEvent>;

enum class ClipboardResult {
    Stored,    // the clipboard now holds the text
    Busy,      // another program kept the clipboard open
    NoMemory,  // the clipboard memory could not be allocated; the clipboard is unchanged
};

class CInputSystem {
public:
    virtual ~CInputSystem() = default;

    // VkKeyScanExA in the keyboard layout of the current thread: low byte the virtual key,
    // high byte the shift state (1 Shift, 2 Ctrl, 4 Alt); -1 when the layout has no key for it.
    virtual std::int16_t ScanCharacter(char ch) = 0;
    virtual bool IsCapsLockOn() = 0;
    // True for the first byte of a double-byte character of the ANSI code page.
    virtual bool IsLeadByte(char ch) = 0;
    virtual ClipboardResult PutTextOnClipboard(const std::string& text) = 0;
    // Injects the events in order, as one unit so that the user's own keys cannot come between.
    virtual void SendKeyEvents(const KeyEventList& events) = 0;
};
