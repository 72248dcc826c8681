// The plain edit control that pvengine types into: a text and a caret that take the user's keys
// that pass and the engine's synthetic key events, on a US keyboard layout, with a clipboard for
// what keys cannot type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "textout/InputSystem.h"

class CCodePage;

class CTargetEdit : public CInputSystem {
public:
    // The key and shift state (1 Shift) of a character on the layout, as VkKeyScan gives it: -1
    // when no key types it.
    static std::int16_t LayoutKey(char ch);

    explicit CTargetEdit(const CCodePage& codePage) : m_codePage(codePage) {}

    // A key of the user's that reached the edit: its text (UTF-8, empty for none) or its action.
    void UserKey(unsigned vk, const std::string& text);
    void Clear();
    const std::string& Text() const { return m_text; }
    std::size_t Caret() const { return m_caret; }

    // CInputSystem
    std::int16_t ScanCharacter(char16_t unit) override { return unit < 0x80 ? LayoutKey(static_cast<char>(unit)) : -1; }
    bool IsCapsLockOn() override { return false; }
    ClipboardResult PutTextOnClipboard(const std::string& text) override;
    void SendKeyEvents(const KeyEventList& events) override;

private:
    void Apply(unsigned vk, const std::string& text);
    // A Unicode event's unit: a surrogate waits for its other half.
    void ApplyUnit(char16_t unit);
    void Insert(const std::string& text);
    void DeleteBack();
    void DeleteForward();
    std::size_t LineStart(std::size_t at) const;
    std::size_t LineEnd(std::size_t at) const;
    void MoveLine(bool down);

    const CCodePage& m_codePage;
    std::string m_text;
    std::size_t m_caret = 0;
    std::string m_clipboard;
    bool m_shift = false;
    bool m_control = false;
    char16_t m_highSurrogate = 0;
};
