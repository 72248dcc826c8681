// A recording input system with a US keyboard layout, for tests of the event plans.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "base/Utf8Text.h"
#include "textout/InputSystem.h"
#include "textout/Keystrokes.h"

struct OutputStep {
    enum Kind { Keys, Clipboard } kind = Keys;
    KeyEventList events;  // Keys: one batch as injected
    std::string text;     // Clipboard: what was stored (UTF-8)
};

class CFakeInputSystem : public CInputSystem {
public:
    bool capsLock = false;
    ClipboardResult clipboardResult = ClipboardResult::Stored;
    std::map<char16_t, std::int16_t> layoutOverrides;  // e.g. AltGr characters of another layout
    std::vector<OutputStep> steps;

    std::int16_t ScanCharacter(char16_t unit) override
    {
        auto found = layoutOverrides.find(unit);
        if (found != layoutOverrides.end())
            return found->second;
        return unit < 0x80 ? UsLayoutScan(static_cast<char>(unit)) : -1;
    }
    bool IsCapsLockOn() override { return capsLock; }
    ClipboardResult PutTextOnClipboard(const std::string& text) override
    {
        if (clipboardResult == ClipboardResult::Stored) {
            OutputStep step;
            step.kind = OutputStep::Clipboard;
            step.text = text;
            steps.push_back(step);
        }
        return clipboardResult;
    }
    void SendKeyEvents(const KeyEventList& events) override
    {
        OutputStep step;
        step.kind = OutputStep::Keys;
        step.events = events;
        steps.push_back(step);
    }

    // Every injected event, batches joined.
    KeyEventList AllEvents() const
    {
        KeyEventList all;
        for (const OutputStep& step : steps)
            all.insert(all.end(), step.events.begin(), step.events.end());
        return all;
    }

    static std::int16_t UsLayoutScan(char ch)
    {
        const int shift = 0x100;
        if (ch >= 'a' && ch <= 'z')
            return static_cast<std::int16_t>(ch - 'a' + 'A');
        if (ch >= 'A' && ch <= 'Z')
            return static_cast<std::int16_t>(shift | ch);
        if (ch >= '0' && ch <= '9')
            return ch;
        static const char shiftedDigits[] = ")!@#$%^&*(";
        for (int i = 0; i < 10; ++i) {
            if (ch == shiftedDigits[i])
                return static_cast<std::int16_t>(shift | ('0' + i));
        }
        static const struct {
            char plain, shifted;
            std::uint8_t vk;
        } oem[] = {
            {';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC},  {'-', '_', 0xBD},
            {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0},  {'[', '{', 0xDB},
            {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE},
        };
        for (const auto& key : oem) {
            if (ch == key.plain)
                return key.vk;
            if (ch == key.shifted)
                return static_cast<std::int16_t>(shift | key.vk);
        }
        switch (ch) {
            case ' ':
                return 0x20;
            case '\r':
                return 0x0D;
            case '\n':
                return 0x20D;  // Ctrl+Return
            case '\t':
                return 0x09;
            case '\b':
                return 0x08;
            case 0x1B:
                return 0x1B;
            default:
                return -1;
        }
    }
};

// What a target with a US layout makes of the events: typed characters (Unicode input in UTF-8),
// "<RET>" for Return, "<TAB>", "<BS>", "<LEFT>" and "<vk 0x..>" for other keys, "<PASTE:text>"
// for Ctrl+V.
inline std::string SimulateTarget(const std::vector<OutputStep>& steps, bool capsLock)
{
    std::string out;
    std::string clipboard;
    std::u16string units;  // Unicode input not yet put together
    bool shift = false, control = false;
    for (const OutputStep& step : steps) {
        if (step.kind == OutputStep::Clipboard) {
            clipboard = step.text;
            continue;
        }
        for (const KeyEvent& e : step.events) {
            const bool down = !e.IsRelease();
            if (e.IsUnicode()) {
                if (down)
                    units += e.unit;
                if (down && (e.unit & 0xFC00) != 0xD800) {
                    out += Utf8Of(units);
                    units.clear();
                }
                continue;
            }
            if (e.virtualKey == vkey::Shift) {
                shift = down;
                continue;
            }
            if (e.virtualKey == vkey::Control) {
                control = down;
                continue;
            }
            if (!down)
                continue;
            const std::uint8_t vk = e.virtualKey;
            if (control) {
                out += vk == vkey::V ? "<PASTE:" + clipboard + ">" : "<ctrl>";
                continue;
            }
            if (vk >= 'A' && vk <= 'Z') {
                const bool upper = shift != capsLock;
                out += static_cast<char>(upper ? vk : vk - 'A' + 'a');
                continue;
            }
            bool found = false;
            for (int c = 0x20; c < 0x7F && !found; ++c) {
                const std::int16_t scan = CFakeInputSystem::UsLayoutScan(static_cast<char>(c));
                if (scan != -1 && (scan & 0xFF) == vk && ((scan & 0x100) != 0) == shift && !(c >= 'a' && c <= 'z') &&
                    !(c >= 'A' && c <= 'Z')) {
                    out += static_cast<char>(c);
                    found = true;
                }
            }
            if (found)
                continue;
            switch (vk) {
                case vkey::Return:
                    out += "<RET>";
                    break;
                case vkey::Tab:
                    out += "<TAB>";
                    break;
                case vkey::Back:
                    out += "<BS>";
                    break;
                case vkey::Left:
                    out += "<LEFT>";
                    break;
                default: {
                    char name[16];
                    std::snprintf(name, sizeof name, "<vk 0x%02X>", vk);
                    out += name;
                }
            }
        }
    }
    return out;
}
