#pragma once
// Shorthands to and from the files of other text expanders: espanso match YAML, AutoHotkey
// hotstrings, Beeftext combo JSON and two-column CSV. Portable; the texts are UTF-8 with this
// program's macros (%CARET%, %RETURN%, the date macros of textout/MacroScript.h) and "\r\n" line
// breaks, whatever the file used.

#include <string>
#include <string_view>
#include <vector>

class CCodePage;

namespace interchange {

struct ShorthandEntry {
    std::string abbreviation;
    std::string text;
    bool propagateCase = false;  // "Btw" gives "By the way"
    bool wordBoundary = true;    // expands only as a whole word, not inside one

    bool operator==(const ShorthandEntry& other) const
    {
        return abbreviation == other.abbreviation && text == other.text && propagateCase == other.propagateCase &&
               wordBoundary == other.wordBoundary;
    }
};

// Something a reader left out, or an entry a writer could not hold. line: the file's line (1 on),
// for a writer the entry's place in its list (1 on); 0 where none applies.
struct SkippedItem {
    int line = 0;
    std::string what;  // the abbreviation, or what stood there
    std::string reason;
};

struct ShorthandReading {
    std::vector<ShorthandEntry> entries;
    std::vector<SkippedItem> skipped;
    std::string problem;  // set when the file as a whole could not be read: nothing in entries
};

enum class ShorthandFormat { Unknown, Espanso, AutoHotkey, Beeftext, Csv };
const char* FormatName(ShorthandFormat format);

// A file's bytes as UTF-8: a UTF-8 or UTF-16 byte-order mark is taken off (UTF-16 converted), text
// that is not UTF-8 is read in the ANSI code page; "\0" bytes without a mark are refused.
struct DecodedText {
    std::string text;
    std::string encoding;  // "UTF-8", "UTF-16LE", "UTF-16BE", "ANSI"
    int broken = 0;        // broken sequences replaced by U+FFFD
    std::string problem;
};
DecodedText DecodeFileText(std::string_view bytes, const CCodePage& ansiCodePage);

// Which format the text is, by its content alone.
ShorthandFormat DetectShorthandFormat(std::string_view text);

ShorthandReading ReadEspanso(std::string_view text);
ShorthandReading ReadAutoHotkey(std::string_view text);
ShorthandReading ReadBeeftext(std::string_view text);
ShorthandReading ReadCsv(std::string_view text);
ShorthandReading ReadShorthands(std::string_view text, ShorthandFormat format);

struct ShorthandWriting {
    std::string text;
    int written = 0;                   // entries in the text
    std::vector<SkippedItem> notHeld;  // entries left out, or options the file drops, with why
};
ShorthandWriting WriteEspanso(const std::vector<ShorthandEntry>& entries);
ShorthandWriting WriteAutoHotkey(const std::vector<ShorthandEntry>& entries);
ShorthandWriting WriteCsv(const std::vector<ShorthandEntry>& entries);

// A word dictionary as a UTF-8 list: "word<TAB>rank" lines, or the word alone where it has none.
struct RankedWord {
    std::string word;
    int rank = 0;
};
std::string WriteWordList(const std::vector<RankedWord>& words);

}  // namespace interchange
