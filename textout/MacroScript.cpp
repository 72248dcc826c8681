#include "textout/MacroScript.h"

#include "base/Utf8Text.h"
#include "textout/Keystrokes.h"

const char* const g_macroNames[MACRO_NAME_COUNT + 1] = {
    "%DATE%",
    "%TIME_24%",
    "%TIME_12%",
    "%YEAR%",
    "%MONTH%",
    "%MONTH_02%",
    "%MONTHNAME%",
    "%FULLMONTHNAME%",
    "%DAY%",
    "%DAY_02%",
    "%WEEK%",
    "%WEEKNAME%",
    "%FULLWEEKNAME%",
    "%HOUR_24%",
    "%HOUR_24_02%",
    "%HOUR_12%",
    "%HOUR_12_02%",
    "%MINUTE%",
    "%MINUTE_02%",
    "%SECOND%",
    "%SECOND_02%",
    "%CARET%",
    "%UP%",
    "%DOWN%",
    "%PGUP%",
    "%PGDN%",
    "%BACKSPACE%",
    "%RETURN%",
    "%DELETE%",
    "%HOME%",
    "%END%",
    "%TAB%",
    "",
};

namespace {

// Formats of the date and time macros, in MacroName order.
const char* const DATE_FORMATS[MACRO_CARET] = {
    "%x", "%H:%M:%S", "%I:%M:%S %p", "%Y", "%#m", "%m", "%b",  "%B", "%#d", "%d", "%w",
    "%a", "%A",       "%#H",         "%H", "%#I", "%I", "%#M", "%M", "%#S", "%S",
};

const std::uint8_t KEY_MACRO_KEYS[MACRO_NAME_COUNT - MACRO_UP] = {
    vkey::Up,     vkey::Down,   vkey::Prior, vkey::Next, vkey::Back,
    vkey::Return, vkey::Delete, vkey::Home,  vkey::End,  vkey::Tab,
};

const char PERCENT = '%';

// The code points of a UTF-16 text, a surrogate pair as one.
std::u32string CodePointsOf(const std::u16string& units)
{
    std::u32string points;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if ((unit & 0xFC00) == 0xD800 && i + 1 < units.size() && (units[i + 1] & 0xFC00) == 0xDC00) {
            points += static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            points += unit;
        }
    }
    return points;
}

// Types one literal piece, key by key or as Unicode input, in one unit of input; returns the
// caret steps the caret has to go back over.
long PlayLiteral(const std::string& piece, CInputSystem& input)
{
    const std::u32string characters = CodePointsOf(Utf16Of(piece));
    if (characters.empty())
        return 0;
    KeyEventList events;
    long caretSteps = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        AppendCharacter(events, characters[i], input);
        ++caretSteps;
        if (characters[i] == '\r' && i + 1 < characters.size() && characters[i + 1] == '\n')
            ++i;  // Return alone makes the line break, one caret step
    }
    input.SendKeyEvents(events);
    return caretSteps;
}

}  // namespace

int FindMacroName(const std::string& token)
{
    for (int i = 0; i < MACRO_NAME_COUNT; ++i) {
        if (token == g_macroNames[i])
            return i;
    }
    return -1;
}

bool IsDateMacro(int index)
{
    return index >= 0 && index < MACRO_CARET;
}

bool IsKeyMacro(int index)
{
    return index >= MACRO_UP && index < MACRO_NAME_COUNT;
}

std::uint8_t MacroVirtualKey(int index)
{
    return IsKeyMacro(index) ? KEY_MACRO_KEYS[index - MACRO_UP] : 0;
}

std::string ExpandDateMacro(const std::string& token, const CClock& clock)
{
    if (token.empty())
        return std::string();
    const int index = FindMacroName(token);
    if (!IsDateMacro(index))
        return std::string();
    return FormatLocalTime(DATE_FORMATS[index], clock.Now());
}

std::string ExpandDateMacro(const std::string& token)
{
    return ExpandDateMacro(token, CSystemClock());
}

int CMacroScript::ParseMacros(const std::string& text, const CClock& clock)
{
    // An empty text clears the script too: replaying old pieces would type them twice.
    m_pieces.clear();
    std::size_t start = 0;
    std::size_t open = text.find(PERCENT);
    if (open == std::string::npos) {
        m_pieces.push_back(text);
        return 1;
    }
    while (open != std::string::npos) {
        const std::size_t close = text.find(PERCENT, open + 1);
        if (close == std::string::npos) {
            m_pieces.push_back(text.substr(start));
            return 1;
        }
        const std::string token = text.substr(open, close - open + 1);
        if (FindMacroName(token) < 0) {
            open = close;  // the closing sign may open the next name
            continue;
        }
        m_pieces.push_back(text.substr(start, open - start));
        std::string value = ExpandDateMacro(token, clock);
        m_pieces.push_back(value.empty() ? token : value);
        start = close + 1;
        open = text.find(PERCENT, start);
        if (open == std::string::npos)
            m_pieces.push_back(text.substr(start));
    }
    return 1;
}

int CMacroScript::ParseMacros(const std::string& text)
{
    return ParseMacros(text, CSystemClock());
}

namespace {

// Puts key events in front of the first unit of input that passes through it (or sends them
// alone at the end when none did).
class CPrefixedInput : public CInputSystem {
public:
    CPrefixedInput(CInputSystem& input, KeyEventList prefix) : m_input(input), m_prefix(std::move(prefix)) {}
    ~CPrefixedInput() override { Flush(); }
    CPrefixedInput(const CPrefixedInput&) = delete;
    CPrefixedInput& operator=(const CPrefixedInput&) = delete;

    std::int16_t ScanCharacter(char16_t unit) override { return m_input.ScanCharacter(unit); }
    bool IsCapsLockOn() override { return m_input.IsCapsLockOn(); }
    ClipboardResult PutTextOnClipboard(const std::string& text) override { return m_input.PutTextOnClipboard(text); }
    void SendKeyEvents(const KeyEventList& events) override
    {
        if (m_prefix.empty()) {
            m_input.SendKeyEvents(events);
            return;
        }
        KeyEventList joined;
        joined.swap(m_prefix);
        joined.insert(joined.end(), events.begin(), events.end());
        m_input.SendKeyEvents(joined);
    }
    void Flush()
    {
        if (!m_prefix.empty())
            SendKeyEvents(KeyEventList());
    }

private:
    CInputSystem& m_input;
    KeyEventList m_prefix;
};

}  // namespace

int CMacroScript::PlayScript(CInputSystem& target, int leadingBackspaces) const
{
    KeyEventList backspaces;
    for (int i = 0; i < leadingBackspaces; ++i)
        AppendKeyPress(backspaces, vkey::Back);
    CPrefixedInput input(target, std::move(backspaces));
    bool caretSet = false;
    long caretCount = 0;  // characters typed after %CARET%
    for (const std::string& piece : m_pieces) {
        const int name = FindMacroName(piece);
        if (IsKeyMacro(name)) {
            SendKeystroke(input, 0, MacroVirtualKey(name));
            if (caretSet) {
                if (name == MACRO_RETURN || name == MACRO_TAB)
                    ++caretCount;
                else if (name == MACRO_BACKSPACE)
                    --caretCount;
            }
        } else if (name == MACRO_CARET) {
            caretSet = true;
        } else {
            const long typed = PlayLiteral(piece, input);
            if (caretSet)
                caretCount += typed;
        }
    }
    if (caretSet && caretCount > 0) {
        KeyEventList events;
        for (long i = 0; i < caretCount; ++i)
            AppendKeyPress(events, vkey::Left);
        input.SendKeyEvents(events);
    }
    return 1;
}

void PlayText(CInputSystem& input, const std::string& text)
{
    PlayLiteral(text, input);
}
