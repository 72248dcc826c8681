#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/textout/FakeInputSystem.h"
#include "textout/MacroScript.h"

namespace {

using Pieces = std::vector<std::string>;

class CFixedClock : public CClock {
public:
    CFixedClock(int year, int month, int day, int hour, int minute, int second)
    {
        m_time.year = year;
        m_time.month = month;
        m_time.day = day;
        m_time.hour = hour;
        m_time.minute = minute;
        m_time.second = second;
        m_time.weekday = WeekdayOf(year, month, day);
    }
    LocalTime Now() const override
    {
        ++reads;
        return m_time;
    }
    mutable int reads = 0;

private:
    LocalTime m_time;
};

const CFixedClock SATURDAY_AFTERNOON(2026, 3, 7, 14, 5, 9);

Pieces Parse(const std::string& text, const CClock& clock = SATURDAY_AFTERNOON)
{
    CMacroScript script;
    EXPECT_EQ(1, script.ParseMacros(text, clock));
    return script.GetPieces();
}

std::string Expand(const std::string& text, const CClock& clock = SATURDAY_AFTERNOON)
{
    std::string joined;
    for (const std::string& piece : Parse(text, clock))
        joined += piece;
    return joined;
}

// Parses and plays the text; returns what a US-layout target receives.
std::string Play(const std::string& text, CFakeInputSystem& input)
{
    CMacroScript script;
    script.ParseMacros(text, SATURDAY_AFTERNOON);
    EXPECT_EQ(1, script.PlayScript(input));
    return SimulateTarget(input.steps, input.capsLock);
}

std::string Play(const std::string& text)
{
    CFakeInputSystem input;
    return Play(text, input);
}

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(MacroNames, TableHasThirtyTwoNamesEndedByAnEmptyOne)
{
    EXPECT_STREQ("%DATE%", g_macroNames[MACRO_DATE]);
    EXPECT_STREQ("%CARET%", g_macroNames[MACRO_CARET]);
    EXPECT_STREQ("%TAB%", g_macroNames[MACRO_TAB]);
    EXPECT_EQ(32, MACRO_NAME_COUNT);
    EXPECT_STREQ("", g_macroNames[MACRO_NAME_COUNT]);
    for (int i = 0; i < MACRO_NAME_COUNT; ++i)
        EXPECT_EQ(i, FindMacroName(g_macroNames[i]));
    EXPECT_EQ(-1, FindMacroName("%date%"));
    EXPECT_EQ(-1, FindMacroName("%DATE"));
    EXPECT_EQ(-1, FindMacroName("%DATE% "));
    EXPECT_EQ(-1, FindMacroName(""));
}

TEST(ParseMacros, SplitsLiteralsAndTokens)
{
    EXPECT_EQ((Pieces{"Dear ", "%CARET%", ",", "%RETURN%", "Regards"}), Parse("Dear %CARET%,%RETURN%Regards"));
    EXPECT_EQ((Pieces{"", "%TAB%", ""}), Parse("%TAB%"));
    EXPECT_EQ((Pieces{"", "%UP%", "", "%DOWN%", "x"}), Parse("%UP%%DOWN%x"));
    EXPECT_EQ((Pieces{"plain"}), Parse("plain"));
}

TEST(ParseMacros, UnknownPercentTextStaysLiteral)
{
    for (const char* text : {"100% sure", "50%", "a%b%c", "%date%", "%", "%%", "%Tab%"}) {
        EXPECT_EQ((Pieces{text}), Parse(text)) << text;
        EXPECT_EQ(text, Play(text)) << text;
    }
    // The closing sign of an unknown token may open a name.
    EXPECT_EQ((Pieces{"%", "03/07/26", ""}), Parse("%%DATE%"));
    EXPECT_EQ((Pieces{"5% of ", "%TAB%", " 7%"}), Parse("5% of %TAB% 7%"));
    EXPECT_EQ((Pieces{"%x", "%TAB%", "%y"}), Parse("%x%TAB%%y"));
}

TEST(ParseMacros, EmptyTextLeavesNothingToPlay)
{
    CMacroScript script;
    script.ParseMacros("old text", SATURDAY_AFTERNOON);
    script.ParseMacros("", SATURDAY_AFTERNOON);
    CFakeInputSystem input;
    script.PlayScript(input);
    EXPECT_EQ("", SimulateTarget(input.steps, false));
}

TEST(ExpandDateMacro, EveryDateAndTimeName)
{
    const struct {
        const char* token;
        const char* expected;
    } cases[] = {
        {"%DATE%", "03/07/26"},
        {"%TIME_24%", "14:05:09"},
        {"%TIME_12%", "02:05:09 PM"},
        {"%YEAR%", "2026"},
        {"%MONTH%", "3"},
        {"%MONTH_02%", "03"},
        {"%MONTHNAME%", "Mar"},
        {"%FULLMONTHNAME%", "March"},
        {"%DAY%", "7"},
        {"%DAY_02%", "07"},
        {"%WEEK%", "6"},
        {"%WEEKNAME%", "Sat"},
        {"%FULLWEEKNAME%", "Saturday"},
        {"%HOUR_24%", "14"},
        {"%HOUR_24_02%", "14"},
        {"%HOUR_12%", "2"},
        {"%HOUR_12_02%", "02"},
        {"%MINUTE%", "5"},
        {"%MINUTE_02%", "05"},
        {"%SECOND%", "9"},
        {"%SECOND_02%", "09"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ExpandDateMacro(c.token, SATURDAY_AFTERNOON)) << c.token;
    for (const char* other : {"", "%CARET%", "%TAB%", "%RETURN%", "%date%", "DATE"})
        EXPECT_EQ("", ExpandDateMacro(other, SATURDAY_AFTERNOON)) << other;
}

TEST(ExpandDateMacro, TwelveHourClockAndZeroes)
{
    const CFixedClock midnight(2000, 1, 2, 0, 0, 0);
    EXPECT_EQ("12:00:00 AM", Expand("%TIME_12%", midnight));
    EXPECT_EQ("12 12 0 00", Expand("%HOUR_12% %HOUR_12_02% %HOUR_24% %HOUR_24_02%", midnight));
    EXPECT_EQ("0 00 0 00", Expand("%MINUTE% %MINUTE_02% %SECOND% %SECOND_02%", midnight));
    EXPECT_EQ("01/02/00 Sun 0", Expand("%DATE% %WEEKNAME% %WEEK%", midnight));
    const CFixedClock noon(1999, 12, 31, 12, 30, 59);
    EXPECT_EQ("12:30:59 PM", Expand("%TIME_12%", noon));
    EXPECT_EQ("Friday, December 31, 1999", Expand("%FULLWEEKNAME%, %FULLMONTHNAME% %DAY%, %YEAR%", noon));
    const CFixedClock evening(2024, 2, 29, 23, 59, 58);
    EXPECT_EQ("11:59:58 PM Thu Feb", Expand("%TIME_12% %WEEKNAME% %MONTHNAME%", evening));
}

TEST(ParseMacros, DateMacrosAreExpandedWhileParsing)
{
    EXPECT_EQ("2026-03-07", Expand("%YEAR%-%MONTH_02%-%DAY_02%"));
    EXPECT_EQ("3/7", Expand("%MONTH%/%DAY%"));
    EXPECT_EQ("2026-03-07", Play("%YEAR%-%MONTH_02%-%DAY_02%"));

    const CFixedClock clock(2026, 3, 7, 14, 5, 9);
    Parse("%HOUR_24%:%MINUTE_02% %TAB% %CARET%", clock);
    EXPECT_EQ(2, clock.reads) << "one clock reading per date macro";
}

TEST(PlayScript, CaretGoesBackToTheMarker)
{
    CFakeInputSystem input;
    EXPECT_EQ("Dear ,<RET>Regards" + Repeat("<LEFT>", 9), Play("Dear %CARET%,%RETURN%Regards", input));
    // The Left presses come as one batch, after everything else.
    EXPECT_EQ(18u, input.steps.back().events.size());

    EXPECT_EQ("ab<TAB>c<LEFT><LEFT><LEFT>", Play("a%CARET%b%TAB%c"));
    EXPECT_EQ("abc<LEFT><LEFT>", Play("a%CARET%b%CARET%c")) << "only the first marker counts";
    EXPECT_EQ("abc", Play("abc%CARET%")) << "nothing after the marker";
    EXPECT_EQ("<BS>", Play("%CARET%%BACKSPACE%")) << "a negative count presses nothing";
    EXPECT_EQ("ab<BS><LEFT>", Play("%CARET%ab%BACKSPACE%"));
    EXPECT_EQ("a<vk 0x24>b<LEFT><LEFT>", Play("%CARET%a%HOME%b")) << "other keys leave the count";
}

TEST(PlayScript, KeyMacrosPressTheirKeys)
{
    const struct {
        const char* name;
        std::uint8_t vk;
    } keys[] = {
        {"%UP%", 0x26},     {"%DOWN%", 0x28},   {"%PGUP%", 0x21}, {"%PGDN%", 0x22}, {"%BACKSPACE%", 0x08},
        {"%RETURN%", 0x0D}, {"%DELETE%", 0x2E}, {"%HOME%", 0x24}, {"%END%", 0x23},  {"%TAB%", 0x09},
    };
    for (const auto& key : keys) {
        CFakeInputSystem input;
        CMacroScript script;
        script.ParseMacros(std::string("%CARET%") + key.name, SATURDAY_AFTERNOON);
        script.PlayScript(input);
        const KeyEventList events = input.AllEvents();
        const bool counted = key.vk == 0x0D || key.vk == 0x09;
        ASSERT_EQ(counted ? 4u : 2u, events.size()) << key.name;
        EXPECT_EQ(key.vk, events[0].virtualKey) << key.name;
        EXPECT_FALSE(events[0].IsRelease());
        EXPECT_EQ(key.vk, events[1].virtualKey);
        EXPECT_TRUE(events[1].IsRelease());
        if (counted) {
            EXPECT_EQ(vkey::Left, events[2].virtualKey) << key.name;
        }
    }
}

TEST(PlayScript, CarriageReturnLineFeedIsOneReturn)
{
    EXPECT_EQ("line one<RET>line two", Play("line one\r\nline two"));
    EXPECT_EQ("a<RET>b", Play("a\nb")) << "a bare line feed is Return too";
    EXPECT_EQ("a<RET><RET>b", Play("a\r\rb"));
    EXPECT_EQ("<RET>x<LEFT><LEFT>", Play("%CARET%\r\nx"));
    EXPECT_EQ("a<RET>b<LEFT><LEFT><LEFT>", Play("%CARET%a\r\nb"));
}

// Output is UTF-8: what the layout has goes as keys, everything else as Unicode input, in one
// batch with the keys, and the caret goes back one step a character.
TEST(PlayScript, CharactersBeyondTheLayoutAreUnicodeInput)
{
    CFakeInputSystem input;
    EXPECT_EQ("→ ✓ 😀", Play("→ ✓ 😀", input));
    ASSERT_EQ(1u, input.steps.size());
    const KeyEventList& events = input.steps[0].events;
    // Arrow and check mark a unit each, the emoji two, all pressed and released; the blanks are keys.
    ASSERT_EQ(12u, events.size());
    EXPECT_TRUE(events[0].IsUnicode());
    EXPECT_EQ(u'→', events[0].unit);
    EXPECT_EQ(' ', events[2].virtualKey);
    EXPECT_EQ(0xD83D, events[8].unit);
    EXPECT_EQ(0xDE00, events[10].unit);
    EXPECT_TRUE(events[11].IsUnicode() && events[11].IsRelease());

    EXPECT_EQ("ab <TAB>café", Play("ab %TAB%café"));
    EXPECT_EQ("ż😀x" + Repeat("<LEFT>", 3), Play("%CARET%ż😀x")) << "a surrogate pair is one caret step";
    EXPECT_EQ("é<RET>x<LEFT><LEFT><LEFT>", Play("%CARET%é\r\nx"));
}

TEST(PlayScript, ALetterTheTargetsLayoutHasIsTypedWithItsKey)
{
    CFakeInputSystem polish;
    polish.layoutOverrides[u'ż'] = 0x06BE;  // AltGr+.
    CMacroScript script;
    script.ParseMacros("ża");
    script.PlayScript(polish);
    const KeyEventList events = polish.AllEvents();
    EXPECT_TRUE(std::none_of(events.begin(), events.end(), [](const KeyEvent& e) { return e.IsUnicode(); }));
    EXPECT_EQ(0xBE, events.at(2).virtualKey);
    EXPECT_EQ('A', events.at(6).virtualKey);
}

TEST(PlayScript, EachLiteralPieceIsOneBatch)
{
    CFakeInputSystem input;
    Play("Hi there%TAB%ok", input);
    ASSERT_EQ(3u, input.steps.size());
    EXPECT_EQ(18u, input.steps[0].events.size());  // Shift+H, then 7 plain keys
    EXPECT_EQ(2u, input.steps[1].events.size());
    EXPECT_EQ(4u, input.steps[2].events.size());
}

TEST(PlayScript, LeadingBackspacesGoOutWithTheFirstPiece)
{
    CMacroScript script;
    script.ParseMacros("ok%TAB%");
    CFakeInputSystem typed;
    script.PlayScript(typed, 2);
    ASSERT_EQ(2u, typed.steps.size());
    EXPECT_EQ(8u, typed.steps[0].events.size());  // two Backspaces and "ok", press and release each
    EXPECT_EQ(0x08, typed.steps[0].events[0].virtualKey);

    // Unicode input joins the Backspaces' unit too.
    CFakeInputSystem unicode;
    script.ParseMacros("😀");
    script.PlayScript(unicode, 3);
    ASSERT_EQ(1u, unicode.steps.size());
    EXPECT_EQ(10u, unicode.steps[0].events.size());
    EXPECT_EQ(0x08, unicode.steps[0].events[0].virtualKey);
    EXPECT_EQ(0xD83D, unicode.steps[0].events[6].unit);

    // Nothing to type: the Backspaces still go.
    CFakeInputSystem alone;
    script.ParseMacros("");
    script.PlayScript(alone, 1);
    ASSERT_EQ(1u, alone.steps.size());
    EXPECT_EQ(2u, alone.steps[0].events.size());
}

// Random texts of percent signs and fragments of key and caret names (no date names, which
// change the text): parsing keeps every byte, and no literal piece ever holds a whole name.
TEST(ParseMacros, RandomTextsKeepTheirBytes)
{
    const char* const fragments[] = {"%", "%%", "TAB", "CARET", "CARET%", "x", " ", "%TAB%", "%CARET%", "\r\n", "ż😀"};
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            text += fragments[random() % (sizeof fragments / sizeof fragments[0])];
        const Pieces pieces = Parse(text);
        std::string joined;
        for (const std::string& piece : pieces) {
            joined += piece;
            if (FindMacroName(piece) < 0) {
                for (int n = 0; n < MACRO_NAME_COUNT; ++n)
                    ASSERT_EQ(std::string::npos, piece.find(g_macroNames[n])) << text;
            }
        }
        ASSERT_EQ(text, joined);
        CFakeInputSystem input;
        CMacroScript script;
        script.ParseMacros(text, SATURDAY_AFTERNOON);
        script.PlayScript(input);
        int pressed = 0;
        for (const KeyEvent& e : input.AllEvents())
            pressed += e.IsRelease() ? -1 : 1;
        ASSERT_EQ(0, pressed) << text;
    }
}

TEST(FormatLocalTime, OddFormats)
{
    LocalTime t;
    t.year = 5;
    t.month = 13;  // out of range: clamped for the names
    t.weekday = -3;
    EXPECT_EQ("Dec Sunday 5/13", FormatLocalTime("%b %A %Y/%m", t));
    EXPECT_EQ("100% %q %", FormatLocalTime("100%% %q %", t));
    EXPECT_EQ("%#", FormatLocalTime("%#", t));
    EXPECT_EQ("", FormatLocalTime(nullptr, t));
    EXPECT_EQ(6, WeekdayOf(2026, 3, 7));
    EXPECT_EQ(1, WeekdayOf(2024, 1, 1));
    EXPECT_EQ(4, WeekdayOf(1970, 1, 1));
}

}  // namespace
