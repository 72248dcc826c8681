// AutoHotkey hotstrings: ":options:abbreviation::text" lines, continuation sections, the send
// syntax's {Key} names and modifiers, and backtick escapes. A script's other lines are code: passed by.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dict/interchange/InterchangeText.h"
#include "dict/interchange/ShorthandInterchange.h"

namespace interchange {

namespace {

// The send syntax's keys beside the key macros; the first name of each macro is the one written.
struct KeyName {
    const char* ahk;
    const char* macro;
};
const KeyName kKeyNames[] = {
    {"Enter", "%RETURN%"},  {"Tab", "%TAB%"},
    {"Up", "%UP%"},         {"Down", "%DOWN%"},
    {"PgUp", "%PGUP%"},     {"PgDn", "%PGDN%"},
    {"BS", "%BACKSPACE%"},  {"Del", "%DELETE%"},
    {"Home", "%HOME%"},     {"End", "%END%"},
    {"Return", "%RETURN%"}, {"Backspace", "%BACKSPACE%"},
    {"Delete", "%DELETE%"}, {"NumpadEnter", "%RETURN%"},
};
// More presses of one key than this in a {Key N} are taken for a mistake.
constexpr int kMaxRepeat = 100;
// The caret's {Left N} counts the characters behind it: any text's length.
constexpr long kMaxCaretMoves = 1L << 30;

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Hotstring options; those that change nothing here are read and passed by.
struct HotstringOptions {
    int caseMode = 0;  // 0 conforms to the typed case, 1 case-sensitive, 2 keeps the text's case
    bool insideWords = false;
    bool raw = false;  // R or T: braces and modifiers are plain text
    bool executes = false;

    void Apply(std::string_view options)
    {
        for (std::size_t i = 0; i < options.size(); ++i) {
            const char c =
                static_cast<char>(options[i] >= 'a' && options[i] <= 'z' ? options[i] - 'a' + 'A' : options[i]);
            const bool zero = i + 1 < options.size() && options[i + 1] == '0';
            const bool one = i + 1 < options.size() && options[i + 1] == '1';
            switch (c) {
                case '?':
                    insideWords = !zero;
                    break;
                case 'C':
                    caseMode = zero ? 0 : one ? 2 : 1;
                    break;
                case 'R':
                case 'T':
                    raw = !zero;
                    break;
                case 'X':
                    executes = !zero;
                    break;
                default:
                    break;
            }
        }
    }
};

// Backtick escapes, as the script loader takes them out.
std::string Unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '`' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 's':
                out += ' ';
                break;
            default:
                out += text[i];  // `` `; `: `% `{ and the rest: the character itself
        }
    }
    return out;
}

// Walks `count` characters back from the end of `text` ("\r\n" one of them) to where %CARET% may
// go; npos when the start or a percent sign stands in the way, or a macro would end past it.
std::size_t CaretPlace(const std::string& text, int count)
{
    std::size_t pos = text.size();
    for (; count > 0; --count) {
        if (pos == 0 || text[pos - 1] == '%')
            return std::string::npos;
        if (pos >= 2 && text[pos - 2] == '\r' && text[pos - 1] == '\n')
            pos -= 2;
        else
            do
                --pos;
            while (pos > 0 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80);
    }
    // Read as the macros are, from the start: the caret must not become part of another macro.
    const std::string placed = text.substr(0, pos) + kCaretMacro;
    std::size_t i = 0;
    while (i < pos)
        i += std::max<std::size_t>(1, MacroAt(placed, i));
    return i == pos ? pos : std::string::npos;
}

// The text as Send types it, in this program's macros; why not when it cannot be.
std::string FromSendSyntax(std::string_view text, std::string& reason)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '^' || c == '!' || c == '+' || c == '#') {
            reason = "it presses keys with modifiers (^ ! + #)";
            return {};
        }
        if (c != '{') {
            out += c;
            continue;
        }
        // "{{}" and "{}}" hold a brace; else the name runs to the next "}".
        const std::size_t end = text.find('}', i + 2);
        if (end == std::string_view::npos) {
            reason = "a { is not closed";
            return {};
        }
        std::string_view inner = text.substr(i + 1, end - i - 1);
        i = end;
        int repeat = 1;
        if (const std::size_t space = inner.find(' '); space != std::string_view::npos && inner.size() > 1) {
            const std::string number(Trimmed(inner.substr(space + 1)));
            char* stop = nullptr;
            const long value = std::strtol(number.c_str(), &stop, 10);
            const long most = EqualNoCase(inner.substr(0, space), "Left") ? kMaxCaretMoves : kMaxRepeat;
            if (number.empty() || *stop != '\0' || value < 0 || value > most) {
                reason = "{" + std::string(inner) + "} is no key press typed here";
                return {};
            }
            repeat = static_cast<int>(value);
            inner = inner.substr(0, space);
        }
        if (inner.size() == 1 && std::strchr("{}!#+^", inner[0])) {
            out.append(static_cast<std::size_t>(repeat), inner[0]);
            continue;
        }
        if (EqualNoCase(inner, "Space")) {
            out.append(static_cast<std::size_t>(repeat), ' ');
            continue;
        }
        if (EqualNoCase(inner, "Left") && i + 1 == text.size()) {
            // Left presses at the very end put the caret back: that is %CARET%.
            const std::size_t caret = CaretPlace(out, repeat);
            if (caret == std::string::npos) {
                reason = "its {Left} moves over a key press or past the start";
                return {};
            }
            out.insert(caret, kCaretMacro);
            return out;
        }
        const KeyName* key = nullptr;
        for (const KeyName& name : kKeyNames)
            if (EqualNoCase(inner, name.ahk))
                key = &name;
        if (!key) {
            reason = "{" + std::string(inner) + "} has no key macro here";
            return {};
        }
        for (int n = 0; n < repeat; ++n)
            out += key->macro;
    }
    return out;
}

class CAutoHotkeyReader {
public:
    explicit CAutoHotkeyReader(std::string_view text) : m_text(text)
    {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF")
            m_text.remove_prefix(3);
        Read();
    }
    ShorthandReading Take() { return std::move(m_reading); }

private:
    bool NextLine(std::string_view& line)
    {
        if (m_position >= m_text.size())
            return false;
        std::size_t end = m_text.find('\n', m_position);
        if (end == std::string_view::npos)
            end = m_text.size();
        line = m_text.substr(m_position, end - m_position);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_position = end + 1;
        ++m_line;
        return true;
    }

    void Read()
    {
        std::string_view line;
        bool inComment = false;
        while (NextLine(line)) {
            const std::string_view trimmed = Trimmed(line);
            if (inComment) {
                inComment =
                    trimmed.substr(0, 2) != "*/" && (trimmed.size() < 2 || trimmed.substr(trimmed.size() - 2) != "*/");
                continue;
            }
            if (trimmed.substr(0, 2) == "/*") {
                inComment = trimmed.find("*/", 2) == std::string_view::npos;
                continue;
            }
            if (trimmed.size() > 10 && EqualNoCase(trimmed.substr(0, 10), "#Hotstring")) {
                const std::string_view options = Trimmed(trimmed.substr(10));
                if (!EqualNoCase(options.substr(0, 8), "EndChars") && !EqualNoCase(options.substr(0, 7), "NoMouse"))
                    m_defaults.Apply(options);
                continue;
            }
            if (trimmed.size() > 3 && trimmed[0] == ':')
                ReadHotstring(trimmed);
        }
    }

    void ReadHotstring(std::string_view line)
    {
        const std::size_t optionsEnd = line.find(':', 1);
        if (optionsEnd == std::string_view::npos)
            return;
        const std::string_view optionText = line.substr(1, optionsEnd - 1);
        if (optionText.find_first_of(" \t") != std::string_view::npos)
            return;
        const std::size_t abbreviationEnd = line.find("::", optionsEnd + 1);
        if (abbreviationEnd == std::string_view::npos)
            return;
        const int line0 = m_line;
        HotstringOptions options = m_defaults;
        options.Apply(optionText);
        const std::string abbreviation(line.substr(optionsEnd + 1, abbreviationEnd - optionsEnd - 1));
        std::string_view rest = line.substr(abbreviationEnd + 2);
        if (abbreviation.empty())
            return;  // "::" alone is no hotstring
        if (options.executes) {
            Skip(m_reading, line0, abbreviation, "it runs code (option X)");
            return;
        }
        std::string text;
        if (Trimmed(WithoutComment(rest)).empty()) {
            if (!ReadContinuation(text)) {
                Skip(m_reading, line0, abbreviation, "it runs code");
                return;
            }
        } else {
            text.assign(Trimmed(WithoutComment(rest)));
        }
        text = Unescaped(text);
        std::string reason;
        if (!options.raw)
            text = FromSendSyntax(text, reason);
        if (!reason.empty()) {
            Skip(m_reading, line0, abbreviation, reason);
            return;
        }
        ShorthandEntry entry;
        entry.abbreviation = abbreviation;
        entry.text = CrLfBreaks(text);
        entry.propagateCase = options.caseMode == 0;
        entry.wordBoundary = !options.insideWords;
        m_reading.entries.push_back(std::move(entry));
    }

    // A ";" after a blank starts a comment; "`;" is a semicolon.
    static std::string_view WithoutComment(std::string_view text)
    {
        for (std::size_t i = 1; i < text.size(); ++i)
            if (text[i] == ';' && (text[i - 1] == ' ' || text[i - 1] == '\t'))
                return text.substr(0, i);
        return text;
    }

    // A "( ... )" section after the hotstring, its lines joined; false (nothing read) when the
    // next line opens none.
    bool ReadContinuation(std::string& text)
    {
        const std::size_t start = m_position;
        const int startLine = m_line;
        std::string_view line;
        while (NextLine(line) && Trimmed(line).empty()) {
        }
        const std::string_view opening = Trimmed(line);
        if (opening.empty() || opening[0] != '(' || opening.find(')') != std::string_view::npos) {
            m_position = start;
            m_line = startLine;
            return false;
        }
        bool leftTrim = false, rightTrim = true, comments = false;
        std::string join = "\n";
        std::size_t pos = 1;
        while (pos < opening.size()) {
            const std::size_t end = std::min(opening.find_first_of(" \t", pos), opening.size());
            const std::string_view option = opening.substr(pos, end - pos);
            if (EqualNoCase(option.substr(0, 4), "Join"))
                join = Unescaped(option.substr(4));
            else if (EqualNoCase(option, "LTrim"))
                leftTrim = true;
            else if (EqualNoCase(option, "LTrim0"))
                leftTrim = false;
            else if (EqualNoCase(option, "RTrim0"))
                rightTrim = false;
            else if (EqualNoCase(option.substr(0, 3), "Com") || EqualNoCase(option, "C"))
                comments = true;
            pos = end + 1;
        }
        bool first = true;
        while (NextLine(line)) {
            if (Trimmed(line).substr(0, 1) == ")")
                return true;
            std::string_view piece = comments ? WithoutComment(line) : line;
            if (leftTrim)
                piece = piece.substr(std::min(piece.find_first_not_of(" \t"), piece.size()));
            if (rightTrim)
                piece = piece.substr(0, piece.find_last_not_of(" \t") + 1);
            if (!first)
                text += join;
            text += piece;
            first = false;
        }
        return true;  // a section left open runs to the end of the file, as the loader takes it
    }

    std::string_view m_text;
    std::size_t m_position = 0;
    int m_line = 0;
    HotstringOptions m_defaults;
    ShorthandReading m_reading;
};

// The entry's text in the send syntax, on one line; why not when it cannot be.
std::string ToSendSyntax(std::string_view text, std::string& reason)
{
    std::string out;
    // The caret as the macros read, from the start: "%TAB%CARET%" holds none.
    std::size_t caret = std::string_view::npos;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = MacroAt(text, i);
        if (length != 0 && text.compare(i, length, kCaretMacro) == 0) {
            caret = i;
            break;
        }
        i += std::max<std::size_t>(1, length);
    }
    std::size_t after = 0;  // characters behind the caret: {Left N}
    if (caret != std::string_view::npos) {
        const std::string_view tail = text.substr(caret + std::strlen(kCaretMacro));
        if (tail.find('%') != std::string_view::npos) {
            reason = "a macro or percent sign follows its %CARET%";
            return {};
        }
        // "\r\n" is one press of Left.
        std::size_t pairs = 0;
        for (std::size_t i = 0; i + 1 < tail.size(); ++i)
            pairs += tail[i] == '\r' && tail[i + 1] == '\n';
        after = CountCharacters(tail) - pairs;
    }
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = MacroAt(text, i)) {
            const std::string_view macro = text.substr(i, length);
            i += length;
            if (macro == kCaretMacro)
                continue;
            const KeyName* key = nullptr;
            for (const KeyName& name : kKeyNames)
                if (!key && macro == name.macro)
                    key = &name;
            if (!key) {
                reason = "a hotstring types no date macro like " + std::string(macro);
                return {};
            }
            out += "{" + std::string(key->ahk) + "}";
            continue;
        }
        const char c = text[i];
        const bool edge = out.empty() || i + 1 == text.size();  // where the line would lose a blank
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "`n";
            i += 2;
            continue;
        }
        switch (c) {
            case '`':
                out += "``";
                break;
            case '\n':
                out += "`n";
                break;
            case '\r':
                out += "`r";
                break;
            case '\t':
                out += "`t";
                break;
            case ';':
                out += "`;";
                break;
            case ' ':
                out += edge ? "{Space}" : " ";
                break;
            case '{':
            case '}':
            case '!':
            case '#':
            case '+':
            case '^':
                out += std::string("{") + c + "}";
                break;
            default:
                out += c;
        }
        ++i;
    }
    if (caret != std::string_view::npos)
        out += "{Left " + std::to_string(after) + "}";
    return out;
}

}  // namespace

ShorthandReading ReadAutoHotkey(std::string_view text)
{
    return CAutoHotkeyReader(text).Take();
}

ShorthandWriting WriteAutoHotkey(const std::vector<ShorthandEntry>& entries)
{
    ShorthandWriting writing;
    writing.text = "\xEF\xBB\xBF; Hotstrings exported by Pennivox\r\n";
    int place = 0;
    for (const ShorthandEntry& entry : entries) {
        ++place;
        const std::string& abbreviation = entry.abbreviation;
        std::string reason;
        if (abbreviation.empty() || abbreviation.find("::") != std::string::npos || abbreviation.front() == ':' ||
            abbreviation.back() == ':' || abbreviation.find_first_of("\r\n") != std::string::npos ||
            Trimmed(abbreviation) != abbreviation)
            reason = "a hotstring cannot have this abbreviation";
        if (reason.empty() && entry.text.empty())
            reason = "a hotstring without text runs code";
        const std::string text = reason.empty() ? ToSendSyntax(entry.text, reason) : std::string();
        if (!reason.empty()) {
            writing.notHeld.push_back({place, abbreviation, reason});
            continue;
        }
        std::string options = entry.propagateCase ? "" : "C1";
        if (!entry.wordBoundary)
            options += "?";
        ++writing.written;
        writing.text += ":" + options + ":" + abbreviation + "::" + text + "\r\n";
    }
    return writing;
}

}  // namespace interchange
