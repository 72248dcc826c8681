#include "dict/interchange/InterchangeText.h"

#include <cstring>

namespace interchange {

const char* const kDateMacros[] = {"%DATE%",      "%TIME_24%",    "%TIME_12%",       "%YEAR%",      "%MONTH%",
                                   "%MONTH_02%",  "%MONTHNAME%",  "%FULLMONTHNAME%", "%DAY%",       "%DAY_02%",
                                   "%WEEK%",      "%WEEKNAME%",   "%FULLWEEKNAME%",  "%HOUR_24%",   "%HOUR_24_02%",
                                   "%HOUR_12%",   "%HOUR_12_02%", "%MINUTE%",        "%MINUTE_02%", "%SECOND%",
                                   "%SECOND_02%", nullptr};
const char* const kKeyMacros[] = {"%UP%",     "%DOWN%", "%PGUP%", "%PGDN%", "%BACKSPACE%", "%RETURN%",
                                  "%DELETE%", "%HOME%", "%END%",  "%TAB%",  nullptr};

namespace {

// strftime codes (with chrono's "%-" for no leading zero) beside the macro each stands for.
struct DateCode {
    const char* strftime;
    const char* macro;
};
const DateCode kDateCodes[] = {
    {"%x", "%DATE%"},         {"%T", "%TIME_24%"},  {"%r", "%TIME_12%"},    {"%Y", "%YEAR%"},
    {"%-m", "%MONTH%"},       {"%m", "%MONTH_02%"}, {"%b", "%MONTHNAME%"},  {"%B", "%FULLMONTHNAME%"},
    {"%-d", "%DAY%"},         {"%d", "%DAY_02%"},   {"%w", "%WEEK%"},       {"%a", "%WEEKNAME%"},
    {"%A", "%FULLWEEKNAME%"}, {"%-H", "%HOUR_24%"}, {"%H", "%HOUR_24_02%"}, {"%-I", "%HOUR_12%"},
    {"%I", "%HOUR_12_02%"},   {"%-M", "%MINUTE%"},  {"%M", "%MINUTE_02%"},  {"%-S", "%SECOND%"},
    {"%S", "%SECOND_02%"},    {"%e", "%DAY%"},      {"%h", "%MONTHNAME%"},  {"%X", "%TIME_24%"},
};

std::string Breaks(std::string_view text, const char* lineBreak)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += lineBreak;
        } else {
            out += c;
        }
    }
    return out;
}

std::size_t MatchIn(const char* const* names, std::string_view text, std::size_t pos)
{
    for (; *names; ++names) {
        const std::size_t length = std::strlen(*names);
        if (text.compare(pos, length, *names) == 0)
            return length;
    }
    return 0;
}

}  // namespace

std::string CrLfBreaks(std::string_view text)
{
    return Breaks(text, "\r\n");
}
std::string LfBreaks(std::string_view text)
{
    return Breaks(text, "\n");
}

std::size_t MacroAt(std::string_view text, std::size_t pos)
{
    if (pos >= text.size() || text[pos] != '%')
        return 0;
    if (text.compare(pos, std::strlen(kCaretMacro), kCaretMacro) == 0)
        return std::strlen(kCaretMacro);
    if (const std::size_t length = MatchIn(kDateMacros, text, pos))
        return length;
    return MatchIn(kKeyMacros, text, pos);
}

bool IsDateMacro(std::string_view macro)
{
    return MatchIn(kDateMacros, macro, 0) == macro.size() && !macro.empty();
}

std::string DateMacroOfStrftime(std::string_view code)
{
    for (const DateCode& entry : kDateCodes)
        if (code == entry.strftime)
            return entry.macro;
    return {};
}

std::string StrftimeOfDateMacro(std::string_view macro)
{
    for (const DateCode& entry : kDateCodes)
        if (macro == entry.macro)
            return entry.strftime;  // the first for each macro: the one read back to it
    return {};
}

std::size_t CountCharacters(std::string_view text)
{
    std::size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

}  // namespace interchange
