#include "dict/AutoLearnDictionary.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "dict/AutoLearnTextExchange.h"
#include "tests/support/TempFolder.h"

namespace {

class AutoLearnTextTest : public ::testing::Test {
protected:
    pvtest::TempFolder folder;
    std::string path = folder.File("AutoLearn.dic");
    std::string text = folder.File("words.txt");
    CAutoLearnDictionary store;
};

TEST(AutoLearnImportLineTest, TextBeforeTheLastTabAndCountAfterIt)
{
    using R = AutoLearnRecord;
    EXPECT_EQ(ParseAutoLearnLine("hello\t5"), (R{5, "hello"}));
    EXPECT_EQ(ParseAutoLearnLine("no tab here"), (R{1, "no tab here"}));
    EXPECT_EQ(ParseAutoLearnLine("\t7"), (R{1, "\t7"}));  // tab first: all text
    EXPECT_EQ(ParseAutoLearnLine("a\tb\t3"), (R{3, "a\tb"}));
    EXPECT_EQ(ParseAutoLearnLine("word\t"), (R{1, "word"}));
    EXPECT_EQ(ParseAutoLearnLine("word\tx"), (R{0, "word"}));
    EXPECT_EQ(ParseAutoLearnLine("word\t12abc"), (R{12, "word"}));
    EXPECT_EQ(ParseAutoLearnLine("word\t-4"), (R{-4, "word"}));
    EXPECT_EQ(ParseAutoLearnLine("word\t99999999999"), (R{INT_MAX, "word"}));
}

TEST_F(AutoLearnTextTest, ExportWritesOneLinePerRecordOldestFirst)
{
    ASSERT_TRUE(store.Open(path));
    for (const char* typed : {"alpha ", "beta ", "alpha "})
        store.Learn(typed);
    std::vector<int> told;
    EXPECT_EQ(ExportAutoLearnText(store, text,
                                  [&](int done) {
                                      told.push_back(done);
                                      return true;
                                  }),
              2);
    EXPECT_EQ(pvtest::ReadFile(text), std::string(kAutoLearnTextMark) + "alpha\t2\r\nbeta\t1\r\n");
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(ExportAutoLearnText(store, folder.File("no/such/folder.txt")), 0);
}

TEST_F(AutoLearnTextTest, ImportCountsKnownTextsAppendsOthersUntilTheFirstEmptyLine)
{
    ASSERT_TRUE(store.Open(path));
    store.Learn("alpha ");
    pvtest::WriteFile(text, "alpha\t4\r\nplain line\nbeta\t\r\n\r\nafter\t9\r\n");
    EXPECT_EQ(ImportAutoLearnText(store, text), 3);
    EXPECT_EQ(store.Records(), (std::vector<AutoLearnRecord>{{5, "alpha"}, {1, "plain line"}, {1, "beta"}}));
    EXPECT_EQ(ImportAutoLearnText(store, folder.File("missing.txt")), 0);

    // A last line without a line end counts too; long texts are cut as records hold them.
    pvtest::WriteFile(text, std::string(600, 'z') + "\t2\nend\t3");
    EXPECT_EQ(ImportAutoLearnText(store, text), 2);
    EXPECT_EQ(store.Records()[3], (AutoLearnRecord{2, std::string(511, 'z')}));
    EXPECT_EQ(store.Records()[4], (AutoLearnRecord{3, "end"}));
}

TEST_F(AutoLearnTextTest, ImportReportsEveryTenLinesAndCanBeCancelled)
{
    ASSERT_TRUE(store.Open(path));
    std::string lines;
    for (int i = 0; i < 35; ++i)
        lines += "w" + std::to_string(i) + "\t1\r\n";
    pvtest::WriteFile(text, lines);
    std::vector<int> told;
    EXPECT_EQ(ImportAutoLearnText(store, text,
                                  [&](int done) {
                                      told.push_back(done);
                                      return done < 20;
                                  }),
              20);
    EXPECT_EQ(told, (std::vector<int>{10, 20}));
    EXPECT_EQ(store.RecordCount(), 20u);
}

TEST_F(AutoLearnTextTest, ExportedTextImportsBackToTheSameRecords)
{
    ASSERT_TRUE(store.Open(path));
    for (const char* typed : {"one ", "two ", "three ", "two ", "\xE9t\xE9 "})
        store.Learn(typed);
    const std::vector<AutoLearnRecord> before = store.Records();
    ASSERT_EQ(ExportAutoLearnText(store, text), 4);
    ASSERT_TRUE(store.Truncate());
    EXPECT_EQ(ImportAutoLearnText(store, text), 4);
    EXPECT_EQ(store.Records(), before);
    store.Close();
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.Records(), before);
}

}  // namespace

namespace {

std::string Utf16Bytes(const std::u16string& text, bool littleEndian)
{
    std::string bytes;
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += littleEndian ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

TEST_F(AutoLearnTextTest, ImportReadsAnsiUtf8AndUtf16AndExportWritesUtf8)
{
    const std::string mueller = "M\xC3\xBCller", zolw = "\xC5\xBC\xC3\xB3\xC5\x82w";
    const std::u16string lines = u"M\u00FCller\t2\r\n\u017C\u00F3\u0142w\t3\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<AutoLearnRecord> expected;
    };
    const std::vector<Case> cases{
        {"ANSI", "M\xFCller\t2\r\n", {{2, mueller}}},  // the system's code page: 1252 natively
        {"UTF-8", mueller + "\t2\r\n" + zolw + "\t3\r\n", {{2, mueller}, {3, zolw}}},
        {"UTF-8 with mark", std::string(kAutoLearnTextMark) + zolw + "\t3\n", {{3, zolw}}},
        {"UTF-16LE", "\xFF\xFE" + Utf16Bytes(lines, true), {{2, mueller}, {3, zolw}}},
        {"UTF-16BE", "\xFE\xFF" + Utf16Bytes(lines, false), {{2, mueller}, {3, zolw}}},
        {"UTF-16LE without mark", Utf16Bytes(lines, true), {{2, mueller}, {3, zolw}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CAutoLearnDictionary fresh;
        ASSERT_TRUE(fresh.Open(folder.File(std::string(c.name) + ".dic")));
        pvtest::WriteFile(text, c.bytes);
        EXPECT_EQ(ImportAutoLearnText(fresh, text), static_cast<int>(c.expected.size()));
        EXPECT_EQ(fresh.Records(), c.expected);
    }

    // An export reads back as it was written.
    ASSERT_TRUE(store.Open(path));
    pvtest::WriteFile(text, mueller + "\t2\r\n" + zolw + "\t3\r\n");
    ASSERT_EQ(ImportAutoLearnText(store, text), 2);
    const std::string exported = folder.File("out.txt");
    ASSERT_EQ(ExportAutoLearnText(store, exported), 2);
    EXPECT_EQ(pvtest::ReadFile(exported), std::string(kAutoLearnTextMark) + mueller + "\t2\r\n" + zolw + "\t3\r\n");
    CAutoLearnDictionary back;
    ASSERT_TRUE(back.Open(folder.File("back.dic")));
    EXPECT_EQ(ImportAutoLearnText(back, exported), 2);
    EXPECT_EQ(back.Records(), store.Records());
}

}  // namespace
