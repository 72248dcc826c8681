// One key event as the hook reports it (WM_HOOK_KEY), decoded once where the report arrives.
#pragma once

#include <string>

struct KeyReport {
    unsigned chars = 0;  // up to four bytes the key types (one UTF-8 character), the low byte first
    unsigned vk = 0;
    bool released = false;

    // wParam and lParam of the report: lParam is vk << 8 with the release flag in its low bits.
    static KeyReport FromHook(unsigned chars, unsigned keyInfo)
    {
        return KeyReport{chars & 0xFFFF, (keyInfo >> 8) & 0xFF, (keyInfo & 0x0F) != 0};
    }
    // A key that types this text (its first four bytes).
    static KeyReport Typing(const std::string& text, unsigned vk, bool released)
    {
        unsigned chars = 0;
        for (std::size_t i = text.size() < 4 ? text.size() : 4; i-- > 0;)
            chars = (chars << 8) | static_cast<unsigned char>(text[i]);
        return KeyReport{chars, vk, released};
    }
    // The bytes the key types, up to the first zero.
    std::string Text() const { return Bytes(1); }
    // The bytes up to the first control character: what is typed again of a key held back.
    std::string PrintableText() const { return Bytes(0x20); }

private:
    std::string Bytes(unsigned lowest) const
    {
        std::string text;
        for (unsigned c = chars; c != 0 && (c & 0xFF) >= lowest; c >>= 8)
            text += static_cast<char>(c & 0xFF);
        return text;
    }
};
