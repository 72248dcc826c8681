#include <gtest/gtest.h>

#include "base/WaitProgress.h"
#include "dict/CodePage.h"
#include "dict/DictionaryFile.h"
#include "dict/DictionaryText.h"
#include "tests/dict/DictTestSupport.h"

using namespace dicttest;

namespace {

const CCodePage& cp1252 = Windows1252CodePage();

// Cancels at the given pump; remembers the last text.
class CFakeWait : public IWaitProgress {
public:
    explicit CFakeWait(int cancelAtPump = -1) : m_cancelAt(cancelAtPump) {}
    void SetText(const std::string& text) override { m_text = text; }
    void Pump() override { m_cancelled = ++m_pumps == m_cancelAt; }
    bool Cancelled() const override { return m_cancelled; }
    std::string m_text;
    int m_pumps = 0;

private:
    int m_cancelAt;
    bool m_cancelled = false;
};

// Entries of an open dictionary as "key=data;" in stored order.
std::string Entries(CDictionaryFile& dictionary)
{
    std::string text, key, data;
    for (int row = 0; dictionary.ReadEntry(row, key, data); ++row)
        text += key + "=" + data + ";";
    return text;
}

}  // namespace

TEST(DictionaryText, TaggedRoundTripKeepsMultiLineDataAndUncommittedEntries)
{
    TempFolder temp;
    CDictionaryFile words(cp1252), shorthands(cp1252), back(cp1252);
    ASSERT_TRUE(words.Open(temp.File("w.lib")));
    ASSERT_TRUE(words.AddEntry("beta", "x\r\ny"));  // not committed
    ASSERT_TRUE(words.AddEntry("alpha", ""));
    EXPECT_EQ(ExportDictionaryText(words, temp.File("w.txt")), 2);
    // UTF-8 behind its mark.
    EXPECT_EQ(ReadFile(temp.File("w.txt")), "\xEF\xBB\xBF<key>alpha\r\n<data>\r\n<key>beta\r\n<data>x\r\ny\r\n");

    // Across types both ways, with the other pair of tags.
    ASSERT_TRUE(shorthands.Open(temp.File("s.lib")));
    shorthands.SetType(DICTIONARY_SHORTHAND);
    EXPECT_EQ(ImportDictionaryText(shorthands, temp.File("w.txt")), 2);
    EXPECT_EQ(ExportDictionaryText(shorthands, temp.File("s.txt")), 2);
    EXPECT_EQ(ReadFile(temp.File("s.txt")),
              "\xEF\xBB\xBF<shortkey>alpha\r\n<replacement text>\r\n<shortkey>beta\r\n<replacement text>x\r\ny\r\n");
    ASSERT_TRUE(back.Open(temp.File("b.lib")));
    EXPECT_EQ(ImportDictionaryText(back, temp.File("s.txt")), 2);
    back.Close();
    ASSERT_TRUE(back.Open(temp.File("b.lib")));  // committed
    EXPECT_EQ(Entries(back), "alpha=;beta=x\r\ny;");
}

TEST(DictionaryText, ExportsAreUtf8WhateverTheStoredCodeAndOldAnsiExportsStillImport)
{
    TempFolder temp;
    CDictionaryFile source(cp1252), target(cp1252), ansi(*PortableCodePage(1251));
    ASSERT_TRUE(source.Open(temp.File("u.lib")));
    source.SetKeyCode(CODE_ANSI);
    source.SetDataCode(CODE_UTF8);
    ASSERT_TRUE(source.AddEntry("caf\xC3\xA9", "cr\xC3\xA8me \xD0\xB6"));
    ASSERT_TRUE(source.AddEntry("empty", ""));
    EXPECT_EQ(ExportDictionaryText(source, temp.File("u.txt")), 2);
    EXPECT_EQ(ReadFile(temp.File("u.txt")),
              "\xEF\xBB\xBF<key>caf\xC3\xA9\r\n<data>cr\xC3\xA8me \xD0\xB6\r\n<key>empty\r\n<data>\r\n");
    ASSERT_TRUE(target.Open(temp.File("t.lib")));
    EXPECT_EQ(ImportDictionaryText(target, temp.File("u.txt")), 2);
    EXPECT_EQ(Entries(target), "caf\xC3\xA9=cr\xC3\xA8me \xD0\xB6;empty=;");

    // An export of before: the dictionary's ANSI code page, no mark, a zero after encoded data.
    const char old[] = "<key>\xEF\xF0\xE8\xE2\xE5\xF2\r\n<data>\xEC\xE8\xF0\0\r\n";
    WriteFile(temp.File("old.txt"), std::string(old, sizeof old - 1));
    ASSERT_TRUE(ansi.Open(temp.File("a.lib")));
    EXPECT_EQ(ImportDictionaryText(ansi, temp.File("old.txt")), 1);
    EXPECT_EQ(Entries(ansi), "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82=\xD0\xBC\xD0\xB8\xD1\x80;");
}

TEST(DictionaryText, UntaggedTextIsNoEntryFileButAWordList)
{
    TempFolder temp;
    WriteFile(temp.File("list.txt"), "Some words, caf\xE9 x\xD7y two_part well-known 42\r\n\xB9st last\r\n<key>late");
    CDictionaryFile dictionary(cp1252);
    ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
    EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("list.txt")), 0);
    EXPECT_EQ(dictionary.CountEntries(), 0);
    EXPECT_EQ(ImportDictionaryWords(dictionary, temp.File("list.txt")), 12);
    EXPECT_EQ(Entries(dictionary),
              "42=;caf\xC3\xA9=;key=;last=;late=;Some=;two_part=;well-known=;words=;x=;y=;\xC2\xB9st=;");

    // Words of any script; an accent typed apart stays in its word, arrows and dashes split.
    WriteFile(temp.File("utf8.txt"),
              "\xD0\xBC\xD0\xB8\xD1\x80\xE2\x86\x92\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 "
              "e\xCC\x81t\xC3\xA9\xE2\x80\x94ok");
    CDictionaryFile utf8(cp1252);
    ASSERT_TRUE(utf8.Open(temp.File("u.lib")));
    EXPECT_EQ(ImportDictionaryWords(utf8, temp.File("utf8.txt")), 4);
    EXPECT_EQ(Entries(utf8),
              "e\xCC\x81t\xC3\xA9=;ok=;\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82=;\xD0\xBC\xD0\xB8\xD1\x80=;");
}

TEST(DictionaryText, CancellingStopsExportWithoutTouchingTheFileAndImportKeepingWhatItAdded)
{
    TempFolder temp;
    std::string tagged;
    CDictionaryFile dictionary(cp1252), imported(cp1252);
    ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
    for (int i = 0; i < 25; ++i) {
        ASSERT_TRUE(dictionary.AddEntry("k" + std::to_string(100 + i), "d"));
        tagged += "<key>k" + std::to_string(100 + i) + "\r\n<data>d\r\n";
    }
    WriteFile(temp.File("out.txt"), "good");
    CFakeWait cancelAtFirst(1);
    EXPECT_EQ(ExportDictionaryText(dictionary, temp.File("out.txt"), &cancelAtFirst), 0);
    EXPECT_EQ(cancelAtFirst.m_text, "10 items have been exported!");
    EXPECT_EQ(ReadFile(temp.File("out.txt")), "good");
    EXPECT_FALSE(fs::exists(temp.File("out.txt.part")));

    WriteFile(temp.File("in.txt"), tagged);
    // One pump before each line: 22 lines read, the eleventh entry is complete when it stops.
    CFakeWait cancelBeforeLine23(23);
    ASSERT_TRUE(imported.Open(temp.File("i.lib")));
    EXPECT_EQ(ImportDictionaryText(imported, temp.File("in.txt"), &cancelBeforeLine23), 11);
    EXPECT_EQ(cancelBeforeLine23.m_text, "10 items have been imported!");
    imported.Close();
    ASSERT_TRUE(imported.Open(temp.File("i.lib"), true));
    EXPECT_EQ(imported.CountEntries(), 11);
}

TEST(DictionaryText, BadInputsAnswerZeroOrAreCutAndNeverHarmTheFiles)
{
    TempFolder temp;
    CDictionaryFile dictionary(cp1252);
    WriteFile(temp.File("list.txt"), "a b");
    EXPECT_EQ(ImportDictionaryWords(dictionary, temp.File("list.txt")), 0);  // closed
    EXPECT_EQ(ExportDictionaryText(dictionary, temp.File("x.txt")), 0);
    ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
    EXPECT_EQ(ImportDictionaryText(dictionary, ""), 0);
    EXPECT_EQ(ImportDictionaryWords(dictionary, temp.File("missing.txt")), 0);
    EXPECT_EQ(ExportDictionaryText(dictionary, temp.Folder()), 0);  // a folder is not replaced
    EXPECT_FALSE(fs::exists(temp.Folder() + ".part"));

    // A line of megabytes is cut, the next lines still count; a run over 1023 bytes is cut there.
    WriteFile(temp.File("long.txt"), "<key>" + std::string(3 << 20, 'k') + "\r\n<data>d\r\n<key>next\r\n");
    EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("long.txt")), 2);
    WriteFile(temp.File("run.txt"), std::string(3000, 'w') + " after");
    EXPECT_EQ(ImportDictionaryWords(dictionary, temp.File("run.txt")), 2);
    std::string key, data;
    ASSERT_TRUE(dictionary.ReadEntry(1, key, data));
    EXPECT_EQ(key, std::string((1 << 20) - 5, 'k'));
    EXPECT_EQ(data, "d");
    ASSERT_TRUE(dictionary.ReadEntry(3, key, data));
    EXPECT_EQ(key.size(), 1023u);

    std::string binary;
    for (unsigned i = 0; i < 300000; ++i)
        binary += static_cast<char>((i * 7919u) >> 3);
    WriteFile(temp.File("binary.bin"), "<key>bin" + binary);
    EXPECT_EQ(ImportDictionaryText(dictionary, temp.File("binary.bin")), 0);  // not text: nothing taken
    EXPECT_EQ(ImportDictionaryWords(dictionary, temp.File("binary.bin")), 0);
    dictionary.SetType(3);
    EXPECT_EQ(ExportDictionaryText(dictionary, temp.File("list.txt")), 0);
    EXPECT_EQ(ReadFile(temp.File("list.txt")), "a b");

    // A dictionary whose file cannot be written keeps its file as it was.
    dictionary.Close();
    const std::string before = ReadFile(temp.File("d.lib"));
    ASSERT_TRUE(dictionary.Open(temp.File("d.lib"), true));
    EXPECT_EQ(ImportDictionaryWords(dictionary, temp.File("list.txt")), 0);
    dictionary.Close();
    fs::create_directory(temp.File("d.lib.tmp"));  // where the commit would write
    ASSERT_TRUE(dictionary.Open(temp.File("d.lib")));
    EXPECT_EQ(ImportDictionaryWords(dictionary, temp.File("list.txt")), 2);
    dictionary.Close();
    EXPECT_EQ(ReadFile(temp.File("d.lib")), before);
}

#ifdef _WIN32
// The portable table splits word lists exactly as the system does.
TEST(DictionaryText, Windows1252LettersAndDigitsAreTheSystems)
{
    const CCodePage& system = SystemCodePage();
    if (system.Id() != 1252)
        GTEST_SKIP() << "ANSI code page " << system.Id();
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(cp1252.IsLetterOrDigit(static_cast<unsigned char>(b)),
                  system.IsLetterOrDigit(static_cast<unsigned char>(b)))
            << "byte " << b;
}
#endif
