#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dict/CodePage.h"
#include "dict/interchange/InterchangeText.h"
#include "dict/interchange/ShorthandInterchange.h"
#include "tests/support/TempFolder.h"
#include "textout/MacroScript.h"

using namespace interchange;

namespace {

std::string Fixture(const std::string& name)
{
    return pvtest::ReadFile(std::string(PV_SOURCE_DIR) + "/tests/dict/interchange/" + name);
}

// "abbreviation=text" with " [case]" and " [inside]" for the options that differ from the usual.
std::vector<std::string> Rendered(const std::vector<ShorthandEntry>& entries)
{
    std::vector<std::string> out;
    for (const ShorthandEntry& entry : entries)
        out.push_back(entry.abbreviation + "=" + entry.text + (entry.propagateCase ? " [case]" : "") +
                      (entry.wordBoundary ? "" : " [inside]"));
    return out;
}

std::vector<std::string> Skipped(const ShorthandReading& reading)
{
    std::vector<std::string> out;
    for (const SkippedItem& item : reading.skipped)
        out.push_back(std::to_string(item.line) + " " + item.what + ": " + item.reason);
    return out;
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        out += text[i] == '\n' && (i == 0 || text[i - 1] != '\r') ? std::string("\r\n") : std::string(1, text[i]);
    return out;
}

}  // namespace

TEST(ShorthandInterchange, ReadsEspansoMatchesWithAliasesVariablesAndTheirReasonsToSkip)
{
    const ShorthandReading reading = ReadEspanso(Fixture("espanso-match.yml"));
    EXPECT_EQ(reading.problem, "");
    EXPECT_EQ(
        Rendered(reading.entries),
        (std::vector<std::string>{
            "btw=by the way [case]", ":sig=Best regards,\r\nJon Snow\r\n [inside]", "hello=Hello, World! [inside]",
            "hi=Hello, World! [inside]", ":div=<div>%CARET%</div> [inside]",
            ":date=Today is %DAY_02%/%MONTH_02%/%YEAR% [inside]", ":now=%HOUR_24_02%:%MINUTE_02% [inside]",
            ":co=Pennivox & Co. [inside]", ":quote=He said \"ok\" and left [inside]", ":folded=one two\r\n [inside]",
            "ünï=ünïcödé ✓ 日本 [inside]", ":addr=1 Main Street [inside]", ":home=1 Main Street [inside]"}));
    EXPECT_EQ(Skipped(reading),
              (std::vector<std::string>{
                  "49 :ip: it runs a shell command", "57 :greet: it asks with a form", "62 :cat: it inserts an image",
                  "65 (match): its trigger is a regular expression", "72 :clip: it pastes the clipboard",
                  "86 :offset: its date has an offset or a locale, which the date macros lack"}));
}

TEST(ShorthandInterchange, ReadsHotstringsWithOptionsKeysContinuationsAndSkipsCode)
{
    const ShorthandReading reading = ReadAutoHotkey(Fixture("hotstrings.ahk"));
    EXPECT_EQ(Rendered(reading.entries),
              (std::vector<std::string>{
                  "btw=by the way [case]", "j@=jsmith@somedomain.com [case]", "AHK=AutoHotkey",
                  "ign=ignore inside words [case] [inside]", "raw1={braces} stay ^ as typed! [case]",
                  "addr=1 Main Street\r\nSpringfield [case]", "sig=Best regards,%RETURN%Jon [case]",
                  "tabbed=a%TAB%b [case]", "cur=<b>%CARET%</b> [case]", "semi=one; two [case]", "sp= lead [case]",
                  "uni=ünïcödé ✓ [case]", "long=A line of text.\r\n  Indented line.\r\nLast line [case]"}));
    EXPECT_EQ(Skipped(reading), (std::vector<std::string>{"29 run: it runs code (option X)", "30 code: it runs code",
                                                          "34 alt: it presses keys with modifiers (^ ! + #)",
                                                          "35 left: {Left} has no key macro here"}));
}

TEST(ShorthandInterchange, ReadsBeeftextCombosAndTheirVariables)
{
    const ShorthandReading reading = ReadBeeftext(Fixture("combos.json"));
    EXPECT_EQ(
        Rendered(reading.entries),
        (std::vector<std::string>{"btw=by the way", "sig=Regards,\r\nJon %CARET%", "today=%DAY_02%/%MONTH_02%/%YEAR%",
                                  "now=%TIME_24% %RETURN%", "loose=ünïcödé [inside]"}));
    EXPECT_EQ(Skipped(reading), (std::vector<std::string>{"0 clip: it uses #{clipboard}, which has no equal here",
                                                          "0 (combo 7): it has no keyword"}));
}

TEST(ShorthandInterchange, ReadsSpreadsheetCsvWithQuotesLineBreaksAndEitherSeparator)
{
    const std::string csv = Fixture("spreadsheet.csv");
    std::string semicolons = csv;
    for (std::size_t at = 0; (at = semicolons.find(",", at)) != std::string::npos;)
        semicolons[at] = ';';  // the fixture's texts hold one comma, inside quotes: it stays a comma's worth
    for (const std::string& text : {csv, semicolons}) {
        const ShorthandReading reading = ReadCsv(text);
        ASSERT_EQ(reading.entries.size(), 5u);
        EXPECT_EQ(reading.entries[1].text, text == csv ? "Best regards,\r\nJon" : "Best regards;\r\nJon");
        EXPECT_EQ(reading.entries[2].text, "She said \"hi\"");
        EXPECT_EQ(reading.entries[4].text, "<b>%CARET%</b>");
        EXPECT_EQ(Skipped(reading), (std::vector<std::string>{"8 lonely: the row has no second column with the text",
                                                              "9 (row): its abbreviation is empty"}));
    }
}

TEST(ShorthandInterchange, ByteOrderMarksAndCrLfChangeNoReading)
{
    for (const char* name : {"espanso-match.yml", "hotstrings.ahk", "combos.json", "spreadsheet.csv"}) {
        SCOPED_TRACE(name);
        const std::string plain = Fixture(name);
        const ShorthandFormat format = DetectShorthandFormat(plain);
        const ShorthandReading expected = ReadShorthands(plain, format);
        ASSERT_FALSE(expected.entries.empty());
        for (const std::string& variant : {WithCrLf(plain), "\xEF\xBB\xBF" + plain}) {
            const DecodedText decoded = DecodeFileText(variant, Windows1252CodePage());
            EXPECT_EQ(DetectShorthandFormat(decoded.text), format);
            EXPECT_EQ(Rendered(ReadShorthands(decoded.text, format).entries), Rendered(expected.entries));
        }
    }
}

TEST(ShorthandInterchange, DetectsEachFormatByContent)
{
    EXPECT_EQ(DetectShorthandFormat(Fixture("espanso-match.yml")), ShorthandFormat::Espanso);
    EXPECT_EQ(DetectShorthandFormat(Fixture("hotstrings.ahk")), ShorthandFormat::AutoHotkey);
    EXPECT_EQ(DetectShorthandFormat(Fixture("combos.json")), ShorthandFormat::Beeftext);
    EXPECT_EQ(DetectShorthandFormat(Fixture("spreadsheet.csv")), ShorthandFormat::Csv);
    EXPECT_EQ(DetectShorthandFormat("just some words\nand more"), ShorthandFormat::Unknown);
    EXPECT_EQ(DetectShorthandFormat("{\"words\": []}"), ShorthandFormat::Unknown);
    EXPECT_EQ(DetectShorthandFormat(""), ShorthandFormat::Unknown);
    EXPECT_FALSE(ReadShorthands("words", ShorthandFormat::Unknown).problem.empty());
}

TEST(ShorthandInterchange, DecodesUtf16AnsiAndRefusesBinaryOrEmptyFiles)
{
    const DecodedText utf16 = DecodeFileText(std::string("\xFF\xFE"
                                                         "b\0t\0w\0,\0\xE9\0",
                                                         12),
                                             Windows1252CodePage());
    EXPECT_EQ(utf16.encoding, "UTF-16LE");
    EXPECT_EQ(utf16.text, "btw,\xC3\xA9");
    const DecodedText ansi = DecodeFileText("caf\xE9,coffee", Windows1252CodePage());
    EXPECT_EQ(ansi.encoding, "ANSI");
    EXPECT_EQ(ansi.text, "caf\xC3\xA9,coffee");
    const DecodedText marked = DecodeFileText(
        "\xEF\xBB\xBF"
        "a\xFF,b",
        Windows1252CodePage());
    EXPECT_EQ(marked.broken, 1);
    EXPECT_EQ(marked.text, "a\xEF\xBF\xBD,b");
    EXPECT_FALSE(DecodeFileText(std::string("\x01\x00\x02", 3), Windows1252CodePage()).problem.empty());
    EXPECT_FALSE(DecodeFileText("\xEF\xBB\xBF \r\n", Windows1252CodePage()).problem.empty());
}

TEST(ShorthandInterchange, BrokenFilesSayWhyAndGiveNothing)
{
    EXPECT_NE(ReadEspanso("matches:\n  - trigger: [unclosed\n").problem, "");
    EXPECT_NE(ReadEspanso("- just a list\n").problem, "");
    EXPECT_NE(ReadBeeftext("{\"combos\": [").problem, "");
    EXPECT_NE(ReadBeeftext("{\"other\": 1}").problem, "");
    EXPECT_TRUE(ReadEspanso("").entries.empty());
    EXPECT_TRUE(ReadAutoHotkey("::a::(\n").entries.size() == 1);
}

// What each writer holds comes back byte for byte; what it cannot is listed, not written.
TEST(ShorthandInterchange, RoundTripsEveryEntryTheFormatHolds)
{
    std::vector<ShorthandEntry> entries = {
        {"btw", "by the way", true, true},
        {"sig", "Best regards,\r\nJon \"JS\" Smith; {x} 100% ^!+#`", false, true},
        {"div", "<div>%CARET%</div>", false, false},
        {"end", "caret at the end%CARET%", true, true},
        {"start", "%CARET% after the caret", false, true},
        {"overlap", "100%%TAB%CARET%", false, true},
        {"tab", "\ttab and  two spaces ", false, true},
        {"ünï", "ünïcödé ✓ 日本", false, true},
        {"date", "Today %DAY_02%.%MONTH_02%.%YEAR% %TIME_24%", false, true},
        {"keys", "Name:%TAB%%RETURN%done", false, true},
        {"abbreviation", "text", false, true},
    };
    struct Format {
        ShorthandWriting (*write)(const std::vector<ShorthandEntry>&);
        ShorthandFormat format;
        std::vector<std::string> notHeld;
        bool keepsOptions;
    };
    const Format formats[] = {
        {WriteEspanso, ShorthandFormat::Espanso, {"overlap", "keys"}, true},
        {WriteAutoHotkey, ShorthandFormat::AutoHotkey, {"date"}, true},
        {WriteCsv, ShorthandFormat::Csv, {"btw", "div", "end"}, false},
    };
    for (const Format& format : formats) {
        SCOPED_TRACE(FormatName(format.format));
        const ShorthandWriting writing = format.write(entries);
        std::vector<std::string> notHeld;
        std::vector<ShorthandEntry> expected;
        for (const SkippedItem& item : writing.notHeld)
            notHeld.push_back(item.what);
        EXPECT_EQ(notHeld, format.notHeld);
        for (const ShorthandEntry& entry : entries) {
            if (format.keepsOptions && std::find(notHeld.begin(), notHeld.end(), entry.abbreviation) != notHeld.end())
                continue;
            expected.push_back(entry);
            if (!format.keepsOptions)
                expected.back().propagateCase = false, expected.back().wordBoundary = true;
        }
        const DecodedText decoded = DecodeFileText(writing.text, Windows1252CodePage());
        EXPECT_EQ(DetectShorthandFormat(decoded.text), format.format);
        const ShorthandReading reading = ReadShorthands(decoded.text, format.format);
        EXPECT_EQ(Rendered(reading.entries), Rendered(expected));
        EXPECT_TRUE(reading.skipped.empty());
    }
}

TEST(ShorthandInterchange, WordListsKeepRanksWhereThereAreSome)
{
    EXPECT_EQ(WriteWordList({{"the", 6000}, {"zebra", 0}, {"ünï", 12}}), "the\t6000\r\nzebra\r\nünï\t12\r\n");
}

// The macros the files are mapped to are those the program plays.
TEST(ShorthandInterchange, KnowsTheMacroNamesTheProgramPlays)
{
    std::vector<std::string> known;
    for (const char* const* list : {kDateMacros, kKeyMacros})
        for (; *list; ++list)
            known.push_back(*list);
    known.push_back(kCaretMacro);
    for (int index = 0; index < MACRO_NAME_COUNT; ++index)
        EXPECT_NE(std::find(known.begin(), known.end(), g_macroNames[index]), known.end()) << g_macroNames[index];
    EXPECT_EQ(known.size(), static_cast<std::size_t>(MACRO_NAME_COUNT));
}
