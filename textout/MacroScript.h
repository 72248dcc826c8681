// Texts with macros between percent signs: date and time macros (replaced while parsing), key
// macros (pressed while playing) and %CARET%, where the caret stands when the output is done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "textout/InputSystem.h"
#include "textout/TimeFormat.h"

enum MacroName {
    MACRO_DATE,
    MACRO_TIME_24,
    MACRO_TIME_12,
    MACRO_YEAR,
    MACRO_MONTH,
    MACRO_MONTH_02,
    MACRO_MONTHNAME,
    MACRO_FULLMONTHNAME,
    MACRO_DAY,
    MACRO_DAY_02,
    MACRO_WEEK,
    MACRO_WEEKNAME,
    MACRO_FULLWEEKNAME,
    MACRO_HOUR_24,
    MACRO_HOUR_24_02,
    MACRO_HOUR_12,
    MACRO_HOUR_12_02,
    MACRO_MINUTE,
    MACRO_MINUTE_02,
    MACRO_SECOND,
    MACRO_SECOND_02,
    MACRO_CARET,
    MACRO_UP,
    MACRO_DOWN,
    MACRO_PGUP,
    MACRO_PGDN,
    MACRO_BACKSPACE,
    MACRO_RETURN,
    MACRO_DELETE,
    MACRO_HOME,
    MACRO_END,
    MACRO_TAB,
    MACRO_NAME_COUNT
};

// The macro names in MacroName order, ended by an empty string.
extern const char* const g_macroNames[MACRO_NAME_COUNT + 1];

// The index of a whole, case-sensitive name such as "%TAB%", or -1.
int FindMacroName(const std::string& token);
bool IsDateMacro(int index);
bool IsKeyMacro(int index);
// The virtual key of a key macro, 0 for any other index.
std::uint8_t MacroVirtualKey(int index);

// The text of a date or time macro (token with its percent signs) at the clock's current time;
// an empty string for every other token.
std::string ExpandDateMacro(const std::string& token, const CClock& clock);
std::string ExpandDateMacro(const std::string& token);

// The pieces of one output: literal texts and single key-macro or caret tokens.
class CMacroScript {
public:
    // Replaces the pieces by those of the text, date and time macros already expanded. Returns 1.
    int ParseMacros(const std::string& text, const CClock& clock);
    int ParseMacros(const std::string& text);

    // Types the pieces (UTF-8) into the focused window and puts the caret back where %CARET% stood.
    // leadingBackspaces Backspace presses go out first, in one unit of input with the first
    // piece, so that no key of the user falls between the deleting and the typing. Returns 1.
    int PlayScript(CInputSystem& input, int leadingBackspaces = 0) const;

    const std::vector<std::string>& GetPieces() const { return m_pieces; }
    std::size_t GetCount() const { return m_pieces.size(); }
    void RemoveAll() { m_pieces.clear(); }

private:
    std::vector<std::string> m_pieces;
};

// Types a UTF-8 text as it stands (percent signs are just characters).
void PlayText(CInputSystem& input, const std::string& text);
