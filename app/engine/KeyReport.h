// One key event as the hooks report it, decoded once where the report arrives: the key, press or
// release, and the UTF-16 text it types (from WM_HOOK_KEY_TEXT, else WM_HOOK_KEY's ANSI bytes
// converted by the key gate).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/Utf8Text.h"

// What becomes of a reported key: it reaches the target, or the program takes it. The values are
// the hook's reply to its message.
enum class KeyAnswer : int { Swallow = 0, Pass = 1 };

struct KeyReport {
    std::uint32_t units = 0;  // up to two UTF-16 units the key types, the first in the low half
    unsigned vk = 0;
    bool released = false;

    // The units and WM_HOOK_KEY's lParam: vk << 8 with the release flag in its low bits.
    static KeyReport FromHook(std::uint32_t units, unsigned keyInfo)
    {
        return KeyReport{units, (keyInfo >> 8) & 0xFF, (keyInfo & 0x0F) != 0};
    }
    // The units up to the first zero.
    std::u16string Utf16() const { return Units(1); }
    // What the key types, in UTF-8.
    std::string Text() const { return Utf8Of(Units(1)); }
    // The text up to the first control character: what is typed again of a key held back.
    std::string PrintableText() const { return Utf8Of(Units(0x20)); }

private:
    std::u16string Units(unsigned lowest) const
    {
        std::u16string text;
        for (std::uint32_t u = units; u != 0 && (u & 0xFFFF) >= lowest; u >>= 16)
            text += static_cast<char16_t>(u & 0xFFFF);
        return text;
    }
};

// Pairs the hook's WM_HOOK_KEY_TEXT with the WM_HOOK_KEY right behind it (same thread, same
// lParam). A text that found no report in time is stale: its report was not sent (the hook's
// time-out), and a later key of the same lParam must not take it.
class CKeyTextPairing {
public:
    // Longer than a sender ever takes between the two, shorter than the hook waits after a
    // time-out before it asks again.
    static constexpr unsigned kPairWithinMs = 150;

    void NoteText(std::uint32_t units, unsigned keyInfo, unsigned nowMs) { m_text = Text{units, keyInfo, nowMs}; }
    // The text sent beside the report of keyInfo, if it came just before; nothing else is kept.
    std::optional<std::uint32_t> TakeFor(unsigned keyInfo, unsigned nowMs)
    {
        const std::optional<Text> text = m_text;
        m_text.reset();
        if (!text || text->keyInfo != keyInfo || nowMs - text->atMs > kPairWithinMs)
            return std::nullopt;
        return text->units;
    }

private:
    struct Text {
        std::uint32_t units;
        unsigned keyInfo;
        unsigned atMs;
    };
    std::optional<Text> m_text;
};
