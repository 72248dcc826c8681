// Typing into the focused window: one character or key as synthetic key events, and text
// through the clipboard with Ctrl+V. The plans are built here; CInputSystem injects them. A
// character the target's layout has is typed with its keys; any other one as Unicode input.
#pragma once

#include <cstdint>
#include <string>

#include "textout/InputSystem.h"

// Virtual-key codes used by text output (the values of the Win32 VK_ constants).
namespace vkey {
constexpr std::uint8_t Back = 0x08;
constexpr std::uint8_t Tab = 0x09;
constexpr std::uint8_t Return = 0x0D;
constexpr std::uint8_t Shift = 0x10;
constexpr std::uint8_t Control = 0x11;
constexpr std::uint8_t Menu = 0x12;
constexpr std::uint8_t Prior = 0x21;
constexpr std::uint8_t Next = 0x22;
constexpr std::uint8_t End = 0x23;
constexpr std::uint8_t Home = 0x24;
constexpr std::uint8_t Left = 0x25;
constexpr std::uint8_t Up = 0x26;
constexpr std::uint8_t Down = 0x28;
constexpr std::uint8_t Delete = 0x2E;
constexpr std::uint8_t V = 0x56;
}  // namespace vkey

// Press and release of one key, both with the synthetic scan code.
void AppendKeyPress(KeyEventList& events, std::uint8_t virtualKey);
// The key events that type one character (a code point): its key on the target's layout (Shift
// and Caps Lock rules), else a press and a release of each of its UTF-16 units as Unicode input.
void AppendCharacter(KeyEventList& events, char32_t character, CInputSystem& input);

// One press or release of a key, with the synthetic scan code.
void SendKeyEvent(CInputSystem& input, std::uint8_t virtualKey, bool release);

// Presses the virtual key (if not 0), then types the character (a code point, if not 0).
// Returns 0 when both are 0 and nothing is sent, else 1.
int SendKeystroke(CInputSystem& input, char32_t character, std::uint8_t virtualKey);
KeyEventList PlanKeystroke(char32_t character, std::uint8_t virtualKey, CInputSystem& input);

// Puts the UTF-8 text on the clipboard as Unicode text and presses Ctrl+V. The clipboard keeps
// the text. Returns 1 when Ctrl+V was sent, 0 when the clipboard could not take the text.
int PasteText(CInputSystem& input, const char* text);
KeyEventList PlanPasteKeys();
