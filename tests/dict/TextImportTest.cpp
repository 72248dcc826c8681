#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "dict/CodePage.h"
#include "dict/DictionaryCopy.h"
#include "dict/DictionaryFile.h"
#include "dict/DictionaryText.h"
#include "dict/TextImport.h"
#include "tests/dict/DictTestSupport.h"

using namespace dicttest;

namespace {

const CCodePage& cp1252 = Windows1252CodePage();
using Problem = TextImportReport::Problem;

std::string Utf16Bytes(std::u16string_view text, bool bigEndian, bool mark)
{
    std::u16string units = mark ? u"\uFEFF" : u"";
    units += text;
    std::string bytes;
    for (char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string Entries(CDictionaryFile& dictionary)
{
    std::string text, key, data;
    for (int row = 0; dictionary.ReadEntry(row, key, data); ++row)
        text += key + "=" + data + ";";
    return text;
}

// Code page text of the characters it has, ASCII only: the generic counting is used.
class CAsciiCodePage : public CCodePage {
public:
    unsigned Id() const override { return 20127; }
    bool ToUtf16(std::string_view text, std::u16string& out) const override
    {
        out.append(text.begin(), text.end());
        return true;
    }
    bool FromUtf16(std::u16string_view text, std::string& out) const override
    {
        for (char16_t unit : text)
            out += unit < 0x80 ? static_cast<char>(unit) : '?';
        return true;
    }
};

}  // namespace

TEST(TextImport, EditorEncodingsArriveAsUtf8Entries)
{
    TempFolder temp;
    const std::u16string tagged = u"<key>caf\u00E9\r\n<data>cr\u00E8me \u20AC\r\n";
    const std::string utf8 = "<key>caf\xC3\xA9\r\n<data>cr\xC3\xA8me \xE2\x82\xAC\r\n";
    const struct {
        std::string bytes;
        const char* encoding;
    } files[] = {
        {"\xEF\xBB\xBF" + utf8, "UTF-8"},
        {utf8, "UTF-8"},
        {Utf16Bytes(tagged, false, true), "UTF-16LE"},
        {Utf16Bytes(tagged, true, true), "UTF-16BE"},
        {Utf16Bytes(tagged, false, false), "UTF-16LE"},
        {"<key>caf\xE9\r\n<data>cr\xE8me \x80\r\n", "ANSI"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.encoding);
        WriteFile(temp.File("in.txt"), file.bytes);
        CDictionaryFile dictionary(cp1252);
        ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
        TextImportReport report;
        EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("in.txt"), nullptr, &report), 1);
        EXPECT_EQ(report.encoding, file.encoding);
        EXPECT_EQ(report.unconvertible, 0);
        EXPECT_EQ(Entries(dictionary), "caf\xC3\xA9=cr\xC3\xA8me \xE2\x82\xAC;");
        dictionary.Close();
        fs::remove(temp.File("d.lib"));
    }

    // One bad sequence anywhere makes the file ANSI, read in the dictionary's code page.
    WriteFile(temp.File("mixed.txt"), "<key>\xC3\xA9t\xE9\r\n");
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(temp.File("w.lib")));
    TextImportReport report;
    EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("mixed.txt"), nullptr, &report), 1);
    EXPECT_EQ(report.encoding, "ANSI");
    EXPECT_EQ(Entries(dictionary), "\xC3\x83\xC2\xA9t\xC3\xA9=;");
}

// Lines of varying length put chunk borders inside UTF-8 sequences and UTF-16 surrogate pairs.
// A broken sequence (UTF-8 behind its mark) or an unpaired surrogate on each line is left out.
TEST(TextImport, SplitSequencesAreKeptWholeAndBrokenOnesCountedAndLeftOut)
{
    TempFolder temp;
    std::u16string text, broken;
    std::string utf8 = "\xEF\xBB\xBF", expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string number = std::to_string(i);
        const std::u16string line = u"<key>\u00E9\U0001D11E" + std::u16string(number.begin(), number.end());
        text += line + u"\r\n";
        broken += line + (i % 2 ? u"\xD834" : u"\xDD1E") + u"\r\n";
        utf8 += "<key>\xC3\xA9\xF0\x9D\x84\x9E" + number + (i % 2 ? "\xF0\x9D\x84" : "\xC0\xAF") + "\r\n";
        expected += "\xC3\xA9\xF0\x9D\x84\x9E" + number + ";";
    }
    for (const std::string& bytes : {utf8, Utf16Bytes(broken, false, true), Utf16Bytes(broken, true, true)}) {
        WriteFile(temp.File("in.txt"), bytes);
        CDictionaryFile dictionary(cp1252);
        ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
        TextImportReport report;
        EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("in.txt"), nullptr, &report), 3000);
        EXPECT_EQ(report.unconvertible, 3000) << report.encoding;
        std::string keys, key, data;
        for (int row = 0; dictionary.ReadEntry(row, key, data); ++row)
            keys += key + ";";
        std::string sortedKeys = keys, sortedExpected = expected;
        std::sort(sortedKeys.begin(), sortedKeys.end());
        std::sort(sortedExpected.begin(), sortedExpected.end());
        EXPECT_EQ(sortedKeys, sortedExpected);
        dictionary.Close();
        fs::remove(temp.File("d.lib"));
    }

    // A question mark of the text is no missing character; the generic count agrees.
    int count = 0;
    std::string out;
    EXPECT_TRUE(cp1252.FromUtf16Counted(u"?\u00E9\u0100\U0001D11E", out, count));
    EXPECT_EQ(out, "?\xE9??");
    EXPECT_EQ(count, 2);
    count = 0;
    out.clear();
    EXPECT_TRUE(CAsciiCodePage().FromUtf16Counted(u"a?\u00E9b\U0001D11E", out, count));
    EXPECT_EQ(count, 2);  // a surrogate pair is one character
}

TEST(TextImport, FilesThatAreNotTextChangeNothing)
{
    TempFolder temp;
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
    ASSERT_TRUE(dictionary.AddEntry("kept", ""));
    ASSERT_TRUE(dictionary.Commit());
    const std::string before = ReadFile(temp.File("d.lib"));
    const struct {
        const char* name;
        std::string bytes;
        Problem problem;
    } files[] = {
        {"empty", "", Problem::Empty},
        {"utf8-mark", "\xEF\xBB\xBF", Problem::Empty},
        {"utf16-mark", "\xFF\xFE", Problem::Empty},
        {"zeros", std::string("<key>a\r\n\0\0\x01\x02<key>b", 18), Problem::NotText},
        {"controls", "<key>a\x01\x02\x03\x04\x05\x06 b\r\n", Problem::NotText},
        {"utf16-zeros", Utf16Bytes(std::u16string(u"<key>a\0b", 8), false, true), Problem::NotText},
    };
    TextImportReport report;
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        WriteFile(temp.File(file.name), file.bytes);
        EXPECT_EQ(ImportDictionaryText(dictionary, temp.File(file.name), nullptr, &report), 0);
        EXPECT_EQ(report.problem, file.problem);
        EXPECT_EQ(ImportDictionaryWords(dictionary, temp.File(file.name), nullptr, &report), 0);
        EXPECT_EQ(report.problem, file.problem);
    }
    for (const std::string& path : {temp.File("missing.txt"), temp.Folder(), std::string()}) {
        EXPECT_EQ(ImportDictionaryWords(dictionary, path, nullptr, &report), 0);
        EXPECT_EQ(report.problem, Problem::Unreadable);
    }
    EXPECT_EQ(dictionary.CountEntries(), 1);
    dictionary.Close();
    EXPECT_EQ(ReadFile(temp.File("d.lib")), before);

    // Tags alone are text without entries, and no word list either (the tags are not words).
    WriteFile(temp.File("tags.txt"), "<key>\r\n<data>\r\n<shortkey>\r\n<replacement text>\r\n");
    ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
    EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("tags.txt"), nullptr, &report), 0);
    EXPECT_EQ(report.problem, Problem::None);
    EXPECT_TRUE(report.tagged);
    EXPECT_EQ(dictionary.CountEntries(), 1);
    WriteFile(temp.File("words.txt"), "plain words\r\n<key>late\r\n");
    EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("words.txt"), nullptr, &report), 0);
    EXPECT_FALSE(report.tagged) << "the import stops at the first plain line";
}

TEST(TextImport, FiftyMegabyteLineOfUtf8IsCutAndTheNextLinesCount)
{
    TempFolder temp;
    {
        std::ofstream out(temp.File("long.txt"), std::ios::binary);
        out << "\xEF\xBB\xBF<key>";
        std::string pairs;
        for (int i = 0; i < (1 << 19); ++i)
            pairs += "\xC3\xA9";
        for (int i = 0; i < 50; ++i)
            out << pairs;
        out << "\r\n<data>d\r\n<key>next\r\n";
    }
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
    EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("long.txt")), 2);
    std::string key, data;
    ASSERT_TRUE(dictionary.ReadEntry(1, key, data));  // after "next"
    // Cut after a whole character: 524285 of them, 1048570 bytes.
    std::string expected;
    for (int i = 0; i < ((1 << 20) - 5) / 2; ++i)
        expected += "\xC3\xA9";
    EXPECT_TRUE(key == expected) << key.size() << " bytes";
    EXPECT_EQ(data, "d");
}

TEST(DictionaryCopy, ScrambledCopyReplacesTheTargetWithEveryEntry)
{
    TempFolder temp;
    const std::string longKey(600, 'z');
    {
        CDictionaryFile source(cp1252), old(cp1252);
        ASSERT_TRUE(source.Open(temp.File("s.lib")));
        source.SetType(DICTIONARY_SHORTHAND);
        source.SetCaption("Mine");
        source.SetDescription("notes");
        source.SetEditFlags(0);
        ASSERT_TRUE(source.AddEntry("brb", "be right back"));
        ASSERT_TRUE(source.AddEntry("Caf\xC3\xA9", "cr\xC3\xA8me\r\nbr\xC3\xBBl\xC3\xA9"));
        ASSERT_TRUE(source.AddEntry(longKey, ""));
        ASSERT_TRUE(source.WriteInfo());
        ASSERT_TRUE(old.Open(temp.File("t.lib")));
        ASSERT_TRUE(old.AddEntry("stale", "x"));
    }
    ASSERT_TRUE(CopyEncrypted(temp.File("s.lib"), temp.File("t.lib"), cp1252));
    ASSERT_TRUE(CopyEncrypted(temp.File("s.lib"), temp.File("t.lib"), cp1252));
    EXPECT_FALSE(fs::exists(temp.File("t.lib.part")));

    CDictionaryFile copy(cp1252);
    ASSERT_TRUE(copy.Open(temp.File("t.lib"), true));
    EXPECT_TRUE(copy.IsEncrypted());
    EXPECT_EQ(copy.Type(), DICTIONARY_SHORTHAND);
    EXPECT_EQ(copy.Caption(), "Mine");
    EXPECT_EQ(copy.Description(), "notes");
    EXPECT_EQ(copy.EditFlags(), 0);
    EXPECT_EQ(copy.KeyCode(), CODE_UTF8);  // a new dictionary's
    ASSERT_EQ(copy.CountEntries(), 3);
    std::string_view storedKey, storedData;
    ASSERT_TRUE(copy.ReadStoredEntry(0, storedKey, storedData));
    EXPECT_EQ(storedKey.find("brb"), std::string_view::npos);
    EXPECT_EQ(Keys(copy.Search(), "Caf", MATCH_START), "Caf\xC3\xA9");
    DictionaryMatch match;
    ASSERT_TRUE(copy.Search().FindFirst("C", match, MATCH_START));
    EXPECT_EQ(std::string(match.data), "cr\xC3\xA8me\r\nbr\xC3\xBBl\xC3\xA9");
    EXPECT_EQ(Keys(copy.Search(), "zzz", MATCH_START), longKey);
    copy.Close();

    // A damaged or missing source writes nothing.
    const std::string before = ReadFile(temp.File("t.lib"));
    WriteFile(temp.File("bad.lib"), "not a dictionary at all");
    EXPECT_FALSE(CopyEncrypted(temp.File("bad.lib"), temp.File("t.lib"), cp1252));
    EXPECT_FALSE(CopyEncrypted(temp.File("missing.lib"), temp.File("t.lib"), cp1252));
    EXPECT_FALSE(fs::exists(temp.File("missing.lib")));
    EXPECT_EQ(ReadFile(temp.File("t.lib")), before);
}

// The imports add their entries together; the files they leave are those of adding the same
// entries one by one, in an encrypted dictionary that already holds some as well.
TEST(TextImport, ImportsWriteTheFilesOfOneByOneAdds)
{
    TempFolder temp;
    std::string words, tagged;
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 400; ++i) {
        const std::string word = std::string(i % 3 ? "Word" : "word") + std::to_string((i * 37) % 23);
        words += word + (i % 5 ? " " : "\r\n");
        entries.emplace_back(word, i % 2 ? "data " + std::to_string(i) : "");
        tagged += "<key>" + entries.back().first + "\r\n<data>" + entries.back().second + "\r\n";
    }
    WriteFile(temp.File("words.txt"), words);
    WriteFile(temp.File("tagged.txt"), tagged);
    auto make = [&](const std::string& name, bool encrypted) {
        fs::remove(temp.File(name));
        CDictionaryFile dictionary(cp1252);
        EXPECT_TRUE(dictionary.Open(temp.File(name)));
        dictionary.SetEncrypted(encrypted);
        for (const char* key : {"word7", "Word7", "zebra", "apple"})
            dictionary.AddEntry(key, "old");
        EXPECT_TRUE(dictionary.WriteInfo());
    };
    for (bool encrypted : {false, true}) {
        for (const char* name : {"w-bulk.lib", "w-single.lib", "t-bulk.lib", "t-single.lib"})
            make(name, encrypted);
        CDictionaryFile dictionary(cp1252);
        ASSERT_TRUE(dictionary.Open(temp.File("w-bulk.lib")));
        EXPECT_EQ(ImportDictionaryWords(dictionary, temp.File("words.txt")), 400);
        dictionary.Close();
        ASSERT_TRUE(dictionary.Open(temp.File("t-bulk.lib")));
        EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("tagged.txt")), 400);
        dictionary.Close();
        ASSERT_TRUE(dictionary.Open(temp.File("w-single.lib")));
        for (const auto& entry : entries)
            dictionary.AddEntry(entry.first, "");
        dictionary.Close();
        ASSERT_TRUE(dictionary.Open(temp.File("t-single.lib")));
        for (const auto& entry : entries)
            dictionary.AddEntry(entry.first, entry.second);
        dictionary.Close();
        EXPECT_EQ(ReadFile(temp.File("w-bulk.lib")), ReadFile(temp.File("w-single.lib")));
        EXPECT_EQ(ReadFile(temp.File("t-bulk.lib")), ReadFile(temp.File("t-single.lib")));
    }
}
