#pragma once
// What the shorthand readers and writers share: line breaks, the program's macro names, and date
// codes in the strftime and Qt spellings the other tools use.

#include <cstddef>
#include <string>
#include <string_view>

#include "dict/interchange/ShorthandInterchange.h"

namespace interchange {

// Every line break ("\r\n", "\r" or "\n") as "\r\n", the form the entries keep.
std::string CrLfBreaks(std::string_view text);
// Every line break as "\n", the form the files are written with.
std::string LfBreaks(std::string_view text);

// The macros this program plays, in the spelling it reads them ("%CARET%").
constexpr const char* kCaretMacro = "%CARET%";
// The date and time macros; the key macros; both end with nullptr.
extern const char* const kDateMacros[];
extern const char* const kKeyMacros[];
// The length of the macro name starting at text[pos] ("%...%" of the lists above), else 0.
std::size_t MacroAt(std::string_view text, std::size_t pos);
bool IsDateMacro(std::string_view macro);

// Date macros by their strftime code ("%Y" -> "%YEAR%"), as espanso's date variables spell them,
// and back. Empty where there is none.
std::string DateMacroOfStrftime(std::string_view code);
std::string StrftimeOfDateMacro(std::string_view macro);

// The number of characters (code points) of UTF-8 text.
std::size_t CountCharacters(std::string_view text);

// Collects what is skipped; the readers share it.
inline void Skip(ShorthandReading& reading, int line, std::string what, std::string reason)
{
    reading.skipped.push_back({line, std::move(what), std::move(reason)});
}

}  // namespace interchange
