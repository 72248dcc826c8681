#include "config/ProfileText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace ProfileText;

TEST(ProfileTextNumbers, ParseStopsAtFirstForeignCharacterPerRadix)
{
    EXPECT_EQ(12u, ParseUnsigned("12abc", 10));
    EXPECT_EQ(255u, ParseUnsigned("ff", 16));
    EXPECT_EQ(255u, ParseUnsigned("0xFF", 16));
    EXPECT_EQ(0u, ParseUnsigned("ff", 10));
    EXPECT_EQ(0u, ParseUnsigned("0xff", 10));  // the prefix belongs to radix 16 only
    EXPECT_EQ(5u, ParseUnsigned("101", 2));
    EXPECT_EQ(2u, ParseUnsigned("1021", 2));
    EXPECT_EQ(8u, ParseUnsigned("10", 8));
    EXPECT_EQ(7u, ParseUnsigned("79", 8));
    // Radix 7 (or any other) means 10: "89" is read whole.
    EXPECT_EQ(89u, ParseUnsigned("89", 7));
    EXPECT_EQ(89u, ParseUnsigned("89", 0));
}

TEST(ProfileTextNumbers, SignWhiteSpaceAndEmptyInput)
{
    EXPECT_EQ(-5, ParseSigned("-5", 10));
    EXPECT_EQ(0xFFFFFFFBu, ParseUnsigned("-5", 10));
    EXPECT_EQ(42, ParseSigned(" \t+42", 10));
    EXPECT_EQ(-16, ParseSigned("-0x10", 16));
    EXPECT_EQ(0u, ParseUnsigned("", 10));
    EXPECT_EQ(0u, ParseUnsigned("   ", 10));
    EXPECT_EQ(0u, ParseUnsigned("-", 10));
    EXPECT_EQ(0u, ParseUnsigned("0x", 16));
    EXPECT_EQ(0u, ParseUnsigned("0xg", 16));
}

TEST(ProfileTextNumbers, HostileNumbersStayBounded)
{
    EXPECT_EQ(0xFFFFFFFFu, ParseUnsigned("99999999999999999999999999", 10));
    EXPECT_EQ(0xFFFFFFFFu, ParseUnsigned("4294967296", 10));
    EXPECT_EQ(4294967295u, ParseUnsigned("4294967295", 10));
    // Only the first 64 characters count: digits beyond them are not read.
    std::string padded(63, ' ');
    EXPECT_EQ(7u, ParseUnsigned(padded + "7", 10));
    EXPECT_EQ(0u, ParseUnsigned(padded + " 7", 10));
    EXPECT_EQ(1u, ParseUnsigned(std::string("1\0"
                                            "23",
                                            4),
                                10));
}

TEST(ProfileTextNumbers, WritingInEachRadix)
{
    EXPECT_EQ("FFFFFFFF", FormatSigned(-1, 16));
    EXPECT_EQ("-1", FormatSigned(-1, 10));
    EXPECT_EQ("-1", FormatSigned(-1, 3));  // unknown radix: decimal
    EXPECT_EQ("37777777777", FormatSigned(-1, 8));
    EXPECT_EQ("101", FormatUnsigned(5, 2));
    EXPECT_EQ("0", FormatUnsigned(0, 2));
    EXPECT_EQ("10000000000000000000000000000000", FormatUnsigned(0x80000000u, 2));
    EXPECT_EQ("2A", FormatUnsigned(42, 16));
    EXPECT_EQ("52", FormatUnsigned(42, 8));
    EXPECT_EQ("4294967295", FormatUnsigned(0xFFFFFFFFu, 10));
    for (int radix : {2, 8, 10, 16}) {
        for (uint32_t value : {0u, 1u, 131154u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
            EXPECT_EQ(value, ParseUnsigned(FormatUnsigned(value, radix), radix)) << radix << " " << value;
        }
    }
}

TEST(ProfileTextBooleans, WordsNumbersAndDefaults)
{
    EXPECT_TRUE(ParseBool("YES", false));
    EXPECT_TRUE(ParseBool("True", false));
    EXPECT_TRUE(ParseBool("2", false));
    EXPECT_TRUE(ParseBool("-1", false));
    EXPECT_FALSE(ParseBool("no", true));          // leading number 0
    EXPECT_FALSE(ParseBool("0x1", true));         // leading decimal number 0
    EXPECT_FALSE(ParseBool("yes please", true));  // the whole text must be the word
    EXPECT_TRUE(ParseBool("", true));
    EXPECT_FALSE(ParseBool("", false));
    EXPECT_STREQ("1", FormatBool(true));
    EXPECT_STREQ("0", FormatBool(false));
}

TEST(ProfileTextBytes, OffsetsCountsAndUntouchedBuffer)
{
    uint8_t buffer[2] = {0xEE, 0xEE};
    EXPECT_EQ(2u, DecodeBytes("1A2B3C", buffer, 2, 0));
    EXPECT_EQ(0x1A, buffer[0]);
    EXPECT_EQ(0x2B, buffer[1]);

    buffer[0] = buffer[1] = 0xEE;
    EXPECT_EQ(1u, DecodeBytes("1A2B3C", buffer, 2, 2));
    EXPECT_EQ(0x3C, buffer[0]);
    EXPECT_EQ(0xEE, buffer[1]);  // beyond the count: untouched

    buffer[0] = 0xEE;
    EXPECT_EQ(0u, DecodeBytes("1A2B3C", buffer, 2, 3));
    EXPECT_EQ(0xEE, buffer[0]);

    EXPECT_EQ(3u, DecodeBytes("1A2B3C", nullptr, 0, 0));
    EXPECT_EQ(1u, DecodeBytes("1a2b3c", nullptr, 0, 2));
    EXPECT_EQ(1u, DecodeBytes("3132F", nullptr, 0, 1));  // the odd last digit is ignored
}

TEST(ProfileTextBytes, MalformedBlocksLeaveTheBufferAlone)
{
    uint8_t buffer[10];
    for (const char* bad : {"31G2", "2", "", "31 32", "0x31", "3132Z"}) {
        std::fill(std::begin(buffer), std::end(buffer), 0x55);
        EXPECT_EQ(0u, DecodeBytes(bad, buffer, sizeof buffer, 0)) << bad;
        for (uint8_t b : buffer)
            EXPECT_EQ(0x55, b) << bad;
    }
    EXPECT_EQ("090DFF", FormatBytes("\x09\x0D\xFF", 3));
    EXPECT_EQ("", FormatBytes(nullptr, 3));
    const uint8_t all[4] = {0x00, 0x7F, 0x80, 0xAB};
    uint8_t back[4] = {};
    EXPECT_EQ(4u, DecodeBytes(FormatBytes(all, 4), back, 4, 0));
    EXPECT_EQ(0, std::memcmp(all, back, 4));
}

TEST(ProfileTextDouble, ParseAndFormat)
{
    EXPECT_DOUBLE_EQ(2.5, ParseDouble("2.5", 9.0));
    EXPECT_DOUBLE_EQ(-1250.0, ParseDouble(" -1.25e3x", 9.0));
    EXPECT_DOUBLE_EQ(3.0, ParseDouble("+3", 9.0));
    EXPECT_DOUBLE_EQ(9.0, ParseDouble("", 9.0));
    EXPECT_DOUBLE_EQ(0.0, ParseDouble("abc", 9.0));
    EXPECT_EQ("2.500000", FormatDouble(2.5, 0));
    EXPECT_EQ("2.50", FormatDouble(2.5, 2));
    EXPECT_EQ("-0.1", FormatDouble(-0.125, 1).substr(0, 4));
}

TEST(ProfileTextLists, SplitTrimsDropsEmptyAndTakesMultiCharacterDelimiters)
{
    EXPECT_EQ((std::vector<std::string>{"a", "b c", "d"}), SplitList(" a ,b c,, \t d\r\n,", nullptr));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), SplitList("a::b::", "::"));
    EXPECT_EQ((std::vector<std::string>{"a:b"}), SplitList("a:b", "::"));
    EXPECT_EQ((std::vector<std::string>{"a,b"}), SplitList(" a,b ", ""));
    EXPECT_TRUE(SplitList("", nullptr).empty());
    const std::vector<std::string> items{"x", "y", "z"};
    EXPECT_EQ("x,y,z", JoinList(items, -1, nullptr));
    EXPECT_EQ("x;y", JoinList(items, 2, ";"));
    EXPECT_EQ("x,y,z", JoinList(items, 10, ""));
    EXPECT_EQ("", JoinList(items, 0, nullptr));
}

TEST(ProfileTextSections, MultiStringsAndKeyNames)
{
    const char block[] = "a = 1\0=x\0 b\t=2\0noequals\0\0junk\0";
    std::vector<std::string> lines = SplitMultiString(block, sizeof block - 1);
    ASSERT_EQ(4u, lines.size());  // stops at the empty string
    std::vector<std::string> names;
    std::string name;
    for (const std::string& line : lines) {
        if (KeyNameOfLine(line, &name))
            names.push_back(name);
    }
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), names);
    EXPECT_FALSE(KeyNameOfLine("=x", &name));
    EXPECT_FALSE(KeyNameOfLine("  =x", &name));
    // A buffer cut short without its final zero yields what it holds and nothing beyond.
    const char cut[] = {'a', 'b', '\0', 'c', 'd'};
    EXPECT_EQ((std::vector<std::string>{"ab", "cd"}), SplitMultiString(cut, sizeof cut));
    EXPECT_TRUE(SplitMultiString(nullptr, 10).empty());
    const std::string joined = JoinMultiString({"k=v", "x=y"});
    EXPECT_EQ(std::string("k=v\0x=y\0\0", 9), joined);
}

TEST(ProfileTextMisc, TrimMarkerAndCase)
{
    EXPECT_EQ("a b", Trim(" \t\r\na b\n "));
    EXPECT_EQ("", Trim(" \t "));
    EXPECT_EQ("\va\v", Trim("\va\v"));  // only space, tab, CR and LF are trimmed
    EXPECT_STREQ("{63788286-AE30-4D6B-95DF-3B451C1C79F9}", kMissingKeyMarker);
    EXPECT_TRUE(EqualsNoCaseAscii("Other_Apps", "other_APPS"));
    EXPECT_FALSE(EqualsNoCaseAscii("Other_Apps", "Other_App"));
    EXPECT_EQ("a  c", SingleLine("a\r\nc"));
}

TEST(ProfileTextIni, ParsesSectionsKeysAndOddLines)
{
    const std::string text =
        "stray=before\r\n[ One ]\r\n a = 1 \r\n;comment=x\r\nnoequals\r\n[two\n k=v=w\n[ONE]\nb=2\n\n[]\n=z";
    std::vector<IniSection> sections = ParseIniText(text);
    ASSERT_EQ(4u, sections.size());
    EXPECT_EQ("One", sections[0].name);
    EXPECT_EQ("two", sections[1].name);  // no closing bracket: the rest of the line
    ASSERT_NE(nullptr, FindIniValue(sections, "one", "A"));
    EXPECT_EQ("1", *FindIniValue(sections, "one", "A"));
    EXPECT_EQ("", *FindIniValue(sections, "One", "noequals"));
    EXPECT_EQ(nullptr, FindIniValue(sections, "One", ";comment"));
    EXPECT_EQ(nullptr, FindIniValue(sections, "One", "b"));  // only the first section of a name
    EXPECT_EQ("v=w", *FindIniValue(sections, "TWO", "k"));
    EXPECT_EQ(nullptr, FindIniValue(sections, "missing", "k"));
    EXPECT_EQ(nullptr, FindIniValue(sections, "", "stray"));
    EXPECT_TRUE(ParseIniText("").empty());
}

// Many writes applied to the text in one pass, as the profile writer leaves a file after
// making them one by one: other lines stay, the first section and key of a name take a write.
TEST(ProfileTextIni, ChangesAppliedInOnePass)
{
    const std::string before =
        "; rules\r\n[Other_Apps]\r\nWORK_ON_PV=1\r\n\r\n[APP1]\r\n caption = old \r\n"
        "PATH=\"C:\\a.exe\"\r\n; note\r\n\r\n[app1]\r\nCAPTION=second\r\n[APP2]\r\nCAPTION=x\r\n"
        "[APP3]\nEDIT_ID=Edit#1";
    std::vector<IniChange> changes(7);
    changes[0] = {"other_apps", "WORK_ON_PV", "0"};
    changes[1] = {"APP1", "CAPTION", "new"};
    changes[2] = {"APP1", "EDIT_ID", ""};
    changes[3] = {"APP2", "", "", false, true};
    changes[4] = {"APP9", "PATH", "C:\\b.exe"};
    changes[5] = {"APP3", "EDIT_ID", "", true};
    changes[6] = {"APP3", "WORK_ON_PV", "1"};
    const std::string after = ApplyIniChanges(before, changes);
    EXPECT_EQ(
        "; rules\r\n[Other_Apps]\r\nWORK_ON_PV=0\r\n\r\n[APP1]\r\ncaption=new\r\nPATH=\"C:\\a.exe\"\r\n; note\r\n"
        "EDIT_ID=\r\n\r\n[app1]\r\nCAPTION=second\r\n[APP3]\nWORK_ON_PV=1\r\n[APP9]\r\nPATH=C:\\b.exe\r\n",
        after);

    const std::vector<IniSection> sections = ParseIniText(after);
    const CIniIndex index(sections);
    EXPECT_EQ("new", *index.Value("app1", "Caption"));  // the first section of the name
    EXPECT_EQ("C:\\a.exe", UnquotedValue(*index.Value("APP1", "PATH")));
    EXPECT_EQ(nullptr, index.Section("APP2"));
    EXPECT_EQ(nullptr, index.Value("APP3", "EDIT_ID"));
    EXPECT_EQ("'", UnquotedValue("'"));
    EXPECT_EQ("\"a'", UnquotedValue("\"a'"));
    // Removing a section removes every section of that name.
    EXPECT_EQ("; rules\r\n[Other_Apps]\r\nWORK_ON_PV=1\r\n\r\n[APP2]\r\nCAPTION=x\r\n[APP3]\nEDIT_ID=Edit#1",
              ApplyIniChanges(before, {IniChange{"APP1", "", "", false, true}}));
}
