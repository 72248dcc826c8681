// What text output needs from the platform: the target's keyboard layout, the Caps Lock state,
// the clipboard and a way to inject key events. Text is UTF-8; the Windows implementation is
// CWin32InputSystem; tests use a fake layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Flags of a key event; the values are those of KEYEVENTF_EXTENDEDKEY, KEYEVENTF_KEYUP and
// KEYEVENTF_UNICODE.
enum KeyEventFlag : std::uint8_t {
    KEY_EVENT_EXTENDED = 0x01,
    KEY_EVENT_UP = 0x02,
    KEY_EVENT_UNICODE = 0x04,  // types `unit` whatever the layout; no virtual key
};

struct KeyEvent {
    std::uint8_t virtualKey = 0;
    std::uint8_t scanCode = 0;
    std::uint8_t flags = 0;  // KeyEventFlag bits
    char16_t unit = 0;       // KEY_EVENT_UNICODE: one UTF-16 unit (a surrogate pair is two events)

    bool IsRelease() const { return (flags & KEY_EVENT_UP) != 0; }
    bool IsUnicode() const { return (flags & KEY_EVENT_UNICODE) != 0; }
    bool operator==(const KeyEvent& other) const
    {
        return virtualKey == other.virtualKey && scanCode == other.scanCode && flags == other.flags &&
               unit == other.unit;
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

    // VkKeyScanExW in the keyboard layout of the target (the focus window's thread): low byte
    // the virtual key, high byte the shift state (1 Shift, 2 Ctrl, 4 Alt); -1 when the layout
    // has no key for the unit.
    virtual std::int16_t ScanCharacter(char16_t unit) = 0;
    virtual bool IsCapsLockOn() = 0;
    // The UTF-8 text as Unicode text (CF_UNICODETEXT).
    virtual ClipboardResult PutTextOnClipboard(const std::string& text) = 0;
    // Injects the events in order, as one unit so that the user's own keys cannot come between.
    virtual void SendKeyEvents(const KeyEventList& events) = 0;
};
