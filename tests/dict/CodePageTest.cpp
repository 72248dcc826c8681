#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dict/CodePage.h"
#include "dict/EntryText.h"
#include "dict/TextScrambling.h"
#include "tests/dict/FakeDoubleByteCodePage.h"

namespace {

using dicttest::CFakeDoubleByteCodePage;

const CCodePage& cp1252 = Windows1252CodePage();

}  // namespace

TEST(CodePage1252, LowerFoldsAsciiAndLatinCapitalsOnly)
{
    std::string text = "ABC xyz \xC9\xC0\xDE \xD7 \x8A\x8C\x8E\x9F \xDF 0[]_";
    cp1252.Lower(text);
    EXPECT_EQ(text, "abc xyz \xE9\xE0\xFE \xD7 \x9A\x9C\x9E\xFF \xDF 0[]_");
}

TEST(CodePage1252, CompareNoCaseOrdersByFoldedUnsignedBytes)
{
    EXPECT_EQ(cp1252.CompareNoCase("Apple", "aPPLE"), 0);
    EXPECT_EQ(cp1252.CompareNoCase("\xC9t\xE9", "\xE9T\xC9"), 0);
    EXPECT_LT(cp1252.CompareNoCase("ab", "abc"), 0);
    EXPECT_GT(cp1252.CompareNoCase("abc", "ab"), 0);
    EXPECT_LT(cp1252.CompareNoCase("abz", "ab\xE9"), 0);  // bytes >= 0x80 after ASCII
    EXPECT_LT(cp1252.CompareNoCase("", "a"), 0);
    EXPECT_LT(cp1252.CompareNoCase("ab_", "abc"), 0);  // '_' sorts before the folded letters
}

// The merge's single-byte comparison must order exactly as the general one, also where the
// first difference lies past an eight-byte run of equal bytes or is only one of case; the
// single-byte prefix test answers as the general one.
TEST(CodePage1252, SingleByteComparisonAgreesWithCompareNoCase)
{
    ASSERT_FALSE(cp1252.HasLeadBytes());
    const char* texts[] = {"",
                           "a",
                           "A",
                           "ab",
                           "abc",
                           "abcdefgh",
                           "ABCDEFGH",
                           "abcdefghi",
                           "abcdefghI",
                           "abcdefgh_",
                           "abcdefghz",
                           "abcdefgh\xE9",
                           "abcdefgh\xC9x",
                           "abcdefghijklmnopq",
                           "abcdefghijklmnopQ",
                           "abcdefghijklmnop",
                           "\xFF",
                           "\xDF",
                           "\xFE\xFE",
                           "z"};
    auto sign = [](int v) {
        return (v > 0) - (v < 0);
    };
    for (const char* a : texts) {
        for (const char* b : texts)
            EXPECT_EQ(sign(cp1252.CompareNoCaseSingleByte(a, b)), sign(cp1252.CompareNoCase(a, b)))
                << '"' << a << "\" vs \"" << b << '"';
    }
    for (const char* text : texts) {
        for (const char* prefix : texts) {
            std::string lowered = prefix;
            cp1252.Lower(lowered);
            EXPECT_EQ(cp1252.StartsWithLoweredSingleByte(text, lowered), cp1252.StartsWithLowered(text, lowered))
                << '"' << text << "\" starting with \"" << lowered << '"';
        }
    }
    EXPECT_TRUE(cp1252.StartsWithLoweredSingleByte("\xC9t\xE9", "\xE9t"));
    EXPECT_FALSE(cp1252.StartsWithLoweredSingleByte("ab", "abc"));
}

TEST(CodePage1252, ConvertsThroughUtf16)
{
    std::u16string wide;
    ASSERT_TRUE(cp1252.ToUtf16("a\x80\x9F\xE9\x81", wide));
    EXPECT_EQ(wide, (std::u16string{u'a', 0x20AC, 0x0178, 0x00E9, 0x0081}));

    std::string back;
    ASSERT_TRUE(cp1252.FromUtf16(wide, back));
    EXPECT_EQ(back, "a\x80\x9F\xE9\x81");

    // Characters the code page lacks become '?', a surrogate pair as one character.
    back.clear();
    cp1252.FromUtf16(u"\u4E2D\U0001F600x", back);
    EXPECT_EQ(back, "??x");
}

TEST(CodePageUtf8, RoundTripsAndReplacesInvalidSequences)
{
    const std::u16string wide = u"a\u00E9\u4E2D\U0001F600";
    std::string utf8;
    Utf16ToUtf8(wide, utf8);
    EXPECT_EQ(utf8, "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
    std::u16string back;
    Utf8ToUtf16(utf8, back);
    EXPECT_EQ(back, wide);

    std::u16string bad;
    // A lone continuation byte, an overlong form, a cut sequence at the end.
    Utf8ToUtf16("x\x80y\xC0\xAFz\xE4\xB8", bad);
    EXPECT_EQ(bad, (std::u16string{u'x', 0xFFFD, u'y', 0xFFFD, 0xFFFD, u'z', 0xFFFD}));

    std::string lone;
    Utf16ToUtf8(std::u16string{0xD800, u'a'}, lone);
    EXPECT_EQ(lone,
              "\xEF\xBF\xBD"
              "a");
}

TEST(CodePageDoubleByte, LeavesTrailBytesAloneWhenLoweringComparingAndFinding)
{
    CFakeDoubleByteCodePage cp;
    // 0x83 0x41 is one character whose trail byte looks like 'A'.
    std::string text = "X\x83\x41Y";
    cp.Lower(text);
    EXPECT_EQ(text, "x\x83\x41y");

    EXPECT_TRUE(cp.HasLeadBytes());
    EXPECT_NE(cp.CompareNoCase("\x83\x41", "\x83\x61"), 0);
    EXPECT_EQ(cp.CompareNoCase("A\x83\x41", "a\x83\x41"), 0);

    // "A" occurs only inside the double-byte character: no hit; "a" after it is one.
    EXPECT_EQ(cp.FindAtCharBoundary("\x83\x41", "A"), std::string::npos);
    EXPECT_EQ(cp.FindAtCharBoundary("\x83\x41"
                                    "A",
                                    "A"),
              2u);
    EXPECT_EQ(cp1252.FindAtCharBoundary("\x83\x41", "A"), 1u);
    EXPECT_EQ(cp.FindAtCharBoundary("abc", ""), 0u);
    EXPECT_EQ(cp.FindAtCharBoundary("ab", "abc"), std::string::npos);
}

TEST(TextScrambling, RoundTripsEveryByteValueAndMapsTheKeyToZero)
{
    std::string all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = static_cast<char>(b);
    std::string scrambled = all;
    ScrambleText(scrambled.data(), scrambled.size());
    EXPECT_NE(scrambled, all);
    // A permutation of the byte values, so nothing is lost.
    bool seen[256] = {};
    for (char c : scrambled)
        seen[static_cast<unsigned char>(c)] = true;
    for (bool s : seen)
        EXPECT_TRUE(s);
    EXPECT_EQ(scrambled[K_STRING], '\0');
    // 'a' = 0x61: 0x61 ^ 0x0C = 0x6D, rotated left by five bits: 0xAD.
    EXPECT_EQ(static_cast<unsigned char>(scrambled['a']), 0xADu);

    UnscrambleText(scrambled.data(), scrambled.size());
    EXPECT_EQ(scrambled, all);
}

TEST(TextScrambling, FileBytesDependOnTheAbsoluteOffsetOnly)
{
    unsigned char bytes[300];
    for (int i = 0; i < 300; ++i)
        bytes[i] = 0;
    ScrambleFileBytes(250, bytes, sizeof bytes);
    EXPECT_EQ(bytes[0], (250 ^ 0xC5));
    EXPECT_EQ(bytes[6], 0xC5);  // offset 256 wraps to 0
    EXPECT_EQ(bytes[299], ((549 & 0xFF) ^ 0xC5));

    // Scrambling in pieces equals scrambling at once, and twice gives the input back.
    unsigned char pieces[300] = {};
    ScrambleFileBytes(250, pieces, 7);
    ScrambleFileBytes(257, pieces + 7, 293);
    EXPECT_EQ(0, std::memcmp(bytes, pieces, sizeof bytes));
    ScrambleFileBytes(250, bytes, sizeof bytes);
    for (unsigned char b : bytes)
        EXPECT_EQ(b, 0);
}

TEST(EntryText, EncodesAndDecodesEachCodeFromAndToUtf8)
{
    CEntryTextCodec codec(cp1252);
    std::string stored, text;

    codec.Encode(CODE_ANSI, false, "café €", stored);
    EXPECT_EQ(stored, "caf\xE9 \x80");
    codec.Decode(CODE_ANSI, false, stored, text);
    EXPECT_EQ(text, "café €");
    codec.Encode(CODE_UTF8, false, "café €", stored);
    EXPECT_EQ(stored, "café €");
    codec.Decode(CODE_UTF8, false, stored, text);
    EXPECT_EQ(text, "café €");

    // UTF-16 values are full of zero bytes: they stay whole.
    codec.Encode(CODE_UTF16, false, "abé😀", stored);
    EXPECT_EQ(stored, std::string("a\0b\0\xE9\0\x3D\xD8\x00\xDE", 10));
    codec.Decode(CODE_UTF16, false, stored, text);
    EXPECT_EQ(text, "abé😀");
    codec.Decode(CODE_UTF16, false, std::string("a\0b", 3), text);  // odd byte dropped
    EXPECT_EQ(text, "a");

    // Unknown codes are ANSI; characters the code page lacks become its default character.
    codec.Encode(7, false, "xé中", stored);
    EXPECT_EQ(stored, "x\xE9?");
    EXPECT_EQ(NormalizeEntryTextCode(0), CODE_ANSI);

    // Exactly: broken UTF-8 and a surrogate out of its pair fail, whatever else is there.
    EXPECT_TRUE(codec.DecodeExactly(CODE_UTF8, false, "中a", text));
    EXPECT_EQ(text, "中a");
    EXPECT_FALSE(codec.DecodeExactly(CODE_UTF8, false, "a\xE4\xB8", text));
    EXPECT_FALSE(codec.DecodeExactly(CODE_UTF8, false, "\xC0\xAF", text)) << "overlong";
    EXPECT_FALSE(codec.DecodeExactly(CODE_UTF16, false, std::string("a\0\x3D\xD8", 4), text));
    EXPECT_TRUE(codec.DecodeExactly(CODE_ANSI, false, "\x80\xFF", text));
    EXPECT_EQ(text, "€ÿ");
}

TEST(EntryText, EncryptedValuesAreScrambledAfterEncodingAndKeepZeroBytes)
{
    CEntryTextCodec codec(cp1252);
    std::string stored, text;
    const std::string plain =
        "form\x0C"
        "feed";
    codec.Encode(CODE_ANSI, true, plain, stored);
    ASSERT_EQ(stored.size(), plain.size());
    EXPECT_EQ(stored[4], '\0');
    codec.Decode(CODE_ANSI, true, stored, text);
    EXPECT_EQ(text, plain);

    codec.Encode(CODE_UTF8, true, "é", stored);
    std::string expected = "\xC3\xA9";
    ScrambleText(expected.data(), expected.size());
    EXPECT_EQ(stored, expected);
    codec.Decode(CODE_UTF8, true, stored, text);
    EXPECT_EQ(text, "é");
}

TEST(SystemCodePage, AgreesWithThePortableTablesWhenItIsWindows1252)
{
    const CCodePage& system = SystemCodePage();
    if (system.Id() != 1252)
        GTEST_SKIP() << "code page " << system.Id();
    std::string all;
    for (int b = 1; b < 256; ++b) {
        EXPECT_EQ(system.LowerByte(static_cast<unsigned char>(b)), cp1252.LowerByte(static_cast<unsigned char>(b)))
            << b;
        EXPECT_FALSE(system.IsLeadByte(static_cast<unsigned char>(b)));
        all += static_cast<char>(b);
    }
    std::u16string wide, portable;
    ASSERT_TRUE(system.ToUtf16(all, wide));
    ASSERT_TRUE(cp1252.ToUtf16(all, portable));
    EXPECT_EQ(wide, portable);
    std::string back;
    ASSERT_TRUE(system.FromUtf16(wide, back));
    EXPECT_EQ(back, all);
}

// The program's text: letter case of every script from Unicode's tables, walks over characters
// of one to four bytes, and byte lengths that change with the case.
TEST(Utf8CodePage, FoldsAndAdaptsLetterCaseAcrossScripts)
{
    const CCodePage& utf8 = Utf8CodePage();
    EXPECT_EQ(utf8.Id(), 65001u);
    EXPECT_FALSE(utf8.HasLeadBytes()) << "the byte paths fold ASCII, as the storage orders keys";

    EXPECT_EQ(utf8.Lowered("ÜBER Łódź ПРИВЕТ"), "über łódź привет");
    // A capital sigma ending a word becomes the final sigma; one inside a word does not.
    EXPECT_EQ(utf8.Lowered("ΟΔΟΣ ΣΟΦΙΑ Σ"), "οδος σοφια σ");
    // Lower-casing may shorten a text: the dotted capital I is "i" (no language's own rules).
    EXPECT_EQ(utf8.Lowered("İSTANBUL"), "istanbul");
    EXPECT_EQ(utf8.Lowered("STRAẞE"), "straße");

    EXPECT_EQ(utf8.CompareNoCase("über", "ÜBER"), 0);
    EXPECT_EQ(utf8.CompareNoCase("Łza", "łzy"), -1);
    EXPECT_EQ(utf8.CompareNoCase("λόγος", "ΛΌΓΟΣ"), 0) << "both small sigmas alike";
    EXPECT_LT(utf8.CompareNoCase("zebra", "Ärger"), 0) << "by code point beyond ASCII";
    EXPECT_TRUE(utf8.StartsWithLowered("ΣΟΦΙΑ", "σοφ"));
    EXPECT_TRUE(utf8.StartsWithLowered("Żółty", "żó"));
    EXPECT_FALSE(utf8.StartsWithLowered("Żółty", "żo"));

    EXPECT_EQ(utf8.LeadingCapitals("Über"), 1);
    EXPECT_EQ(utf8.LeadingCapitals("ŁÓ"), 2);
    EXPECT_EQ(utf8.LeadingCapitals("İs"), 1);
    EXPECT_EQ(utf8.LeadingCapitals("ßa"), 0);
    EXPECT_EQ(utf8.LeadingCapitals("日本"), 0);
    const auto adapted = [&utf8](std::string text, int capitals) {
        utf8.AdaptCase(text, capitals);
        return text;
    };
    EXPECT_EQ(adapted("łódź", 1), "Łódź");
    EXPECT_EQ(adapted("σοφία", 2), "ΣΟΦΊΑ");
    EXPECT_EQ(adapted("ǆungla", 1), "ǅungla") << "a first capital is the title case";
    // German writes sharp s in capitals as SS.
    EXPECT_EQ(adapted("straße", 2), "STRASSE");
    EXPECT_EQ(adapted("istanbul", 2), "ISTANBUL");

    // Characters of one to four bytes, walked both ways; a broken byte is one character.
    const std::string mixed = "aé中😀\xC3";
    EXPECT_EQ(utf8.CountCharacters(mixed), 5u);
    EXPECT_EQ(utf8.PreviousCharStart(mixed, mixed.size()), mixed.size() - 1);
    EXPECT_EQ(utf8.PreviousCharStart(mixed, mixed.size() - 1), 6u);
    EXPECT_EQ(utf8.PreviousCharStart(mixed, 6), 3u);
    EXPECT_EQ(utf8.WholeCharacterPrefix(mixed, 8), 6u);
    EXPECT_TRUE(utf8.IsLetterOrDigitAt("ж", 0));
    EXPECT_TRUE(utf8.IsLetterOrDigitAt("٣", 0));
    EXPECT_FALSE(utf8.IsLetterOrDigitAt("→", 0));
}
