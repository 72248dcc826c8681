#include "textout/Keystrokes.h"

#include "base/SyntheticKeys.h"

namespace {

constexpr int SHIFT_BIT = 0x01;
constexpr int CTRL_BIT = 0x02;
constexpr int ALT_BIT = 0x04;

void AppendEvent(KeyEventList& events, std::uint8_t virtualKey, std::uint8_t flags)
{
    KeyEvent event;
    event.virtualKey = virtualKey;
    event.scanCode = SYNTHETIC_SCAN_CODE;
    event.flags = flags;
    events.push_back(event);
}

bool NeedsShift(char32_t ch, int shiftState, CInputSystem& input)
{
    // Letters follow Caps Lock so that the target receives the case we mean.
    if (ch >= 'a' && ch <= 'z')
        return input.IsCapsLockOn();
    if (ch >= 'A' && ch <= 'Z')
        return !input.IsCapsLockOn();
    return (shiftState & SHIFT_BIT) != 0;
}

}  // namespace

void SendKeyEvent(CInputSystem& input, std::uint8_t virtualKey, bool release)
{
    KeyEventList events;
    AppendEvent(events, virtualKey, release ? KEY_EVENT_UP : 0);
    input.SendKeyEvents(events);
}

void AppendKeyPress(KeyEventList& events, std::uint8_t virtualKey)
{
    AppendEvent(events, virtualKey, 0);
    AppendEvent(events, virtualKey, KEY_EVENT_UP);
}

namespace {

void AppendUnicodeUnit(KeyEventList& events, char16_t unit)
{
    const std::uint8_t pressAndRelease[] = {KEY_EVENT_UNICODE, KEY_EVENT_UNICODE | KEY_EVENT_UP};
    for (const std::uint8_t flags : pressAndRelease) {
        KeyEvent event;
        event.flags = flags;
        event.unit = unit;
        events.push_back(event);
    }
}

// Beyond the layout (or beyond the basic plane): each unit as it is, the target puts a surrogate
// pair together.
void AppendUnicodeCharacter(KeyEventList& events, char32_t character)
{
    if (character < 0x10000) {
        AppendUnicodeUnit(events, static_cast<char16_t>(character));
        return;
    }
    const char32_t above = character - 0x10000;
    AppendUnicodeUnit(events, static_cast<char16_t>(0xD800 + (above >> 10)));
    AppendUnicodeUnit(events, static_cast<char16_t>(0xDC00 + (above & 0x3FF)));
}

}  // namespace

void AppendCharacter(KeyEventList& events, char32_t ch, CInputSystem& input)
{
    const std::int16_t scan = ch < 0x10000 ? input.ScanCharacter(static_cast<char16_t>(ch)) : -1;
    if (scan == -1) {
        AppendUnicodeCharacter(events, ch);
        return;
    }
    const std::uint8_t virtualKey = static_cast<std::uint8_t>(scan & 0xFF);
    const int shiftState = (scan >> 8) & 0xFF;
    const bool shift = NeedsShift(ch, shiftState, input);
    // A character on the AltGr level: Ctrl+Alt, which Windows reads as AltGr, else the base
    // key's character would be typed. Ctrl alone (control characters, line feed) is not pressed.
    const bool altGr = (shiftState & (CTRL_BIT | ALT_BIT)) == (CTRL_BIT | ALT_BIT);

    if (altGr) {
        AppendEvent(events, vkey::Control, 0);
        AppendEvent(events, vkey::Menu, 0);
    }
    if (shift)
        AppendEvent(events, vkey::Shift, 0);
    AppendKeyPress(events, virtualKey);
    if (shift)
        AppendEvent(events, vkey::Shift, KEY_EVENT_UP);
    if (altGr) {
        AppendEvent(events, vkey::Menu, KEY_EVENT_UP);
        AppendEvent(events, vkey::Control, KEY_EVENT_UP);
    }
}

KeyEventList PlanKeystroke(char32_t ch, std::uint8_t virtualKey, CInputSystem& input)
{
    KeyEventList events;
    if (virtualKey != 0)
        AppendKeyPress(events, virtualKey);
    if (ch != 0)
        AppendCharacter(events, ch, input);
    return events;
}

int SendKeystroke(CInputSystem& input, char32_t ch, std::uint8_t virtualKey)
{
    if (ch == 0 && virtualKey == 0)
        return 0;
    input.SendKeyEvents(PlanKeystroke(ch, virtualKey, input));
    return 1;
}

KeyEventList PlanPasteKeys()
{
    KeyEventList events;
    AppendEvent(events, vkey::Control, KEY_EVENT_EXTENDED);
    AppendEvent(events, vkey::V, KEY_EVENT_EXTENDED);
    AppendEvent(events, vkey::V, KEY_EVENT_EXTENDED | KEY_EVENT_UP);
    AppendEvent(events, vkey::Control, KEY_EVENT_EXTENDED | KEY_EVENT_UP);
    return events;
}

int PasteText(CInputSystem& input, const char* text)
{
    if (text == nullptr)
        return 0;
    // Without the text on the clipboard, Ctrl+V would paste whatever was there before.
    if (input.PutTextOnClipboard(text) != ClipboardResult::Stored)
        return 0;
    input.SendKeyEvents(PlanPasteKeys());
    return 1;
}
