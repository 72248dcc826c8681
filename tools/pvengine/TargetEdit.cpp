#include "tools/pvengine/TargetEdit.h"

#include <algorithm>
#include <cstring>

#include "base/Utf8Text.h"
#include "dict/CodePage.h"
#include "textout/Keystrokes.h"

namespace {

const unsigned kShiftBit = 0x100;
// Punctuation of the US layout: the unshifted and the shifted character of each key.
struct PunctuationKey {
    std::uint8_t vk;
    char plain;
    char shifted;
};
const PunctuationKey kPunctuation[] = {
    {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'},  {0xBD, '-', '_'}, {0xBE, '.', '>'},  {0xBF, '/', '?'},
    {0xC0, '`', '~'}, {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'},
};
const char kShiftedDigits[] = ")!@#$%^&*(";

// The character a key types with or without Shift; 0 for none.
char CharacterOf(unsigned vk, bool shift)
{
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<char>(shift ? vk : vk + 32);
    if (vk >= '0' && vk <= '9')
        return shift ? kShiftedDigits[vk - '0'] : static_cast<char>(vk);
    if (vk == ' ')
        return ' ';
    for (const PunctuationKey& key : kPunctuation)
        if (key.vk == vk)
            return shift ? key.shifted : key.plain;
    return 0;
}

}  // namespace

std::int16_t CTargetEdit::LayoutKey(char ch)
{
    if (ch >= 'a' && ch <= 'z')
        return static_cast<std::int16_t>(ch - 32);
    if ((ch >= 'A' && ch <= 'Z'))
        return static_cast<std::int16_t>(kShiftBit | static_cast<unsigned>(ch));
    if ((ch >= '0' && ch <= '9') || ch == ' ')
        return ch;
    if (ch == '\r' || ch == '\n')
        return vkey::Return;
    if (ch == '\t')
        return vkey::Tab;
    if (ch != 0) {
        if (const char* digit = std::strchr(kShiftedDigits, ch))
            return static_cast<std::int16_t>(kShiftBit | static_cast<unsigned>('0' + (digit - kShiftedDigits)));
        for (const PunctuationKey& key : kPunctuation) {
            if (key.plain == ch)
                return key.vk;
            if (key.shifted == ch)
                return static_cast<std::int16_t>(kShiftBit | key.vk);
        }
    }
    return -1;
}

ClipboardResult CTargetEdit::PutTextOnClipboard(const std::string& text)
{
    m_clipboard = text;
    return ClipboardResult::Stored;
}

void CTargetEdit::SendKeyEvents(const KeyEventList& events)
{
    for (const KeyEvent& event : events) {
        const bool down = !event.IsRelease();
        if (event.IsUnicode()) {
            if (down)
                ApplyUnit(event.unit);
        } else if (event.virtualKey == vkey::Shift) {
            m_shift = down;
        } else if (event.virtualKey == vkey::Control) {
            m_control = down;
        } else if (down) {
            if (m_control && event.virtualKey == vkey::V)
                Insert(m_clipboard);
            else if (!m_control) {
                const char ch = CharacterOf(event.virtualKey, m_shift);
                Apply(event.virtualKey, ch ? std::string(1, ch) : std::string());
            }
        }
    }
}

void CTargetEdit::ApplyUnit(char16_t unit)
{
    if ((unit & 0xFC00) == 0xD800) {
        m_highSurrogate = unit;
        return;
    }
    std::u16string character;
    if (m_highSurrogate != 0 && (unit & 0xFC00) == 0xDC00)
        character += m_highSurrogate;
    m_highSurrogate = 0;
    character += unit;
    Insert(Utf8Of(character));
}

void CTargetEdit::UserKey(unsigned vk, const std::string& text)
{
    Apply(vk, !text.empty() && static_cast<unsigned char>(text[0]) >= 0x20 ? text : std::string());
}

void CTargetEdit::Clear()
{
    m_text.clear();
    m_caret = 0;
}

void CTargetEdit::Apply(unsigned vk, const std::string& text)
{
    if (!text.empty()) {
        Insert(text);
        return;
    }
    switch (vk) {
        case vkey::Back:
            DeleteBack();
            break;
        case vkey::Delete:
            DeleteForward();
            break;
        case vkey::Return:
            Insert("\n");
            break;
        case vkey::Tab:
            Insert("\t");
            break;
        case vkey::Left:
            if (m_caret > 0)
                m_caret = m_codePage.PreviousCharStart(m_text, m_caret);
            break;
        case 0x27:  // Right
            if (m_caret < m_text.size())
                m_caret += m_codePage.CharLength(m_text, m_caret);
            break;
        case vkey::Home:
            m_caret = LineStart(m_caret);
            break;
        case vkey::End:
            m_caret = LineEnd(m_caret);
            break;
        case vkey::Up:
        case vkey::Down:
            MoveLine(vk == vkey::Down);
            break;
        default:
            break;  // keys without an effect on a plain edit
    }
}

void CTargetEdit::Insert(const std::string& text)
{
    m_text.insert(m_caret, text);
    m_caret += text.size();
}

void CTargetEdit::DeleteBack()
{
    if (m_caret == 0)
        return;
    const std::size_t width = m_caret - m_codePage.PreviousCharStart(m_text, m_caret);
    m_text.erase(m_caret - width, width);
    m_caret -= width;
}

void CTargetEdit::DeleteForward()
{
    if (m_caret >= m_text.size())
        return;
    m_text.erase(m_caret, m_codePage.CharLength(m_text, m_caret));
}

std::size_t CTargetEdit::LineStart(std::size_t at) const
{
    const std::size_t found = at == 0 ? std::string::npos : m_text.rfind('\n', at - 1);
    return found == std::string::npos ? 0 : found + 1;
}

std::size_t CTargetEdit::LineEnd(std::size_t at) const
{
    const std::size_t found = m_text.find('\n', at);
    return found == std::string::npos ? m_text.size() : found;
}

void CTargetEdit::MoveLine(bool down)
{
    const std::size_t start = LineStart(m_caret);
    const std::size_t column = m_caret - start;
    std::size_t target;
    if (down) {
        const std::size_t end = LineEnd(m_caret);
        if (end >= m_text.size())
            return;
        target = end + 1;
    } else {
        if (start == 0)
            return;
        target = LineStart(start - 1);
    }
    m_caret = std::min(target + column, LineEnd(target));
}
