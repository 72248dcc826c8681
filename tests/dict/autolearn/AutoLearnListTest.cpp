#include <gtest/gtest.h>

#include <fstream>

#include "dict/AutoLearnDictionary.h"
#include "dict/AutoLearnList.h"
#include "tests/support/TempFolder.h"

namespace {

std::string Rows(const CAutoLearnList& list)
{
    std::string text;
    for (int row = 0; row < list.Count(); ++row)
        text += list.Row(row).text + "=" + std::to_string(list.Row(row).count) + ";";
    return text;
}

}  // namespace

TEST(AutoLearnList, ImportAddsCountsToKnownTextsAndStopsAtTheFirstEmptyLine)
{
    pvtest::TempFolder temp;
    CAutoLearnList list;
    list.Assign({{3, "alpha"}, {1, "beta"}});
    const std::string path = temp.File("in.txt");
    pvtest::WriteFile(path, "alpha\t4\r\nno tab\n\tlead tab\ngamma\tmany\nbeta\t\nlast\t2\n\nafter\t9\n");
    EXPECT_EQ(list.ImportText(path), 6);
    // Newest first: new texts on top, known ones counted where they are.
    EXPECT_EQ(Rows(list), "last=2;gamma=0;\tlead tab=1;no tab=1;beta=2;alpha=7;");
    EXPECT_EQ(list.ImportText(temp.File("missing.txt")), -1);
}

// Words taught from documents: known texts count on, new ones go on top, empty texts are skipped.
TEST(AutoLearnList, AddedRecordsCountOnKnownTextsAndComeOnTopWhenNew)
{
    CAutoLearnList list;
    list.Assign({{3, "alpha"}, {1, "beta"}});
    EXPECT_EQ(list.AddRecords({{5, "gamma"}, {2, "alpha"}, {4, ""}, {INT32_MAX, "beta"}, {1, "gamma"}}), 1);
    EXPECT_EQ(Rows(list), "gamma=6;beta=" + std::to_string(INT32_MAX) + ";alpha=5;");
}

// What a save tells the engine to forget: texts deleted or edited away, not those still in a row.
TEST(AutoLearnList, RemovedTextsAreThoseNoRowHoldsAnyMore)
{
    CAutoLearnList list;
    list.Assign({{1, "alpha"}, {1, "beta"}, {1, "gamma"}, {1, "delta"}});
    list.Remove({0, 3, 0});   // delta, alpha
    list.SetText(1, "teh");   // beta
    list.SetText(1, "the");   // teh, which no save ever held
    list.InsertTop("alpha");  // back again
    EXPECT_EQ(Rows(list), "alpha=1;gamma=1;the=1;");
    EXPECT_EQ(list.TakeRemovedTexts(), (std::vector<std::string>{"beta", "delta", "teh"}));
    EXPECT_TRUE(list.TakeRemovedTexts().empty());
}

TEST(AutoLearnList, AHugeLineIsCutAndKeepsItsCount)
{
    pvtest::TempFolder temp;
    const std::string path = temp.File("in.txt");
    pvtest::WriteFile(path, std::string(10 << 20, 'w') + "\t5\r\nnext\t1\r\n");
    CAutoLearnList list;
    EXPECT_EQ(list.ImportText(path), 2);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Row(1).text, std::string(kAutoLearnMaxText, 'w'));
    EXPECT_EQ(list.Row(1).count, 5);
}

TEST(AutoLearnList, ExportImportAndTheStoreFileKeepWordsCountsAndOrder)
{
    pvtest::TempFolder temp;
    CAutoLearnList list;
    std::vector<AutoLearnRecord> records;
    for (int i = 0; i < 1000; ++i)
        records.push_back({i % 7 + 1, "word" + std::to_string(i)});
    list.Assign(records);
    EXPECT_EQ(list.ExportText(temp.File("out.txt")), 1000);
    CAutoLearnList back;
    EXPECT_EQ(back.ImportText(temp.File("out.txt")), 1000);
    EXPECT_EQ(Rows(back), Rows(list));

    // Edits, then the store file as the engine reads it.
    list.InsertTop("fresh");
    list.SetText(1, "renamed");  // was word999 with its count
    list.InsertTop("");          // an unfinished new row is not written
    list.Remove({3, 4, 1000});
    ASSERT_TRUE(list.WriteStoreFile(temp.File("AutoLearn.dic")));
    CAutoLearnDictionary store;
    ASSERT_TRUE(store.Open(temp.File("AutoLearn.dic")));
    ASSERT_EQ(store.RecordCount(), 998u);
    EXPECT_EQ(store.Records().back(), (AutoLearnRecord{1, "fresh"}));
    EXPECT_EQ(store.Records()[997 - 1], (AutoLearnRecord{1, "renamed"}));
    EXPECT_EQ(store.Records()[1], (AutoLearnRecord{3, "word2"})) << "row 1000 (word1) was removed";

    list.Clear();
    ASSERT_TRUE(list.WriteStoreFile(temp.File("AutoLearn.dic")));
    EXPECT_EQ(std::filesystem::file_size(temp.File("AutoLearn.dic")), kAutoLearnRecordSize);  // the marker
}

TEST(AutoLearnList, AFailedOrCancelledExportLeavesNothingAndSaysWhy)
{
    pvtest::TempFolder temp;
    CAutoLearnList list;
    std::vector<AutoLearnRecord> records(100, AutoLearnRecord{1, "word"});
    list.Assign(records);
    const std::string path = temp.File("out.txt");
    pvtest::WriteFile(path, "before");
    pvbase::FileFault fault = pvbase::FileFault::Other;
    EXPECT_EQ(list.ExportText(
                  path, [](int done) { return done < 50; }, &fault),
              -1);
    EXPECT_EQ(fault, pvbase::FileFault::None) << "cancelled, not failed";
    EXPECT_EQ(pvtest::ReadFile(path), "before");
    EXPECT_FALSE(std::ifstream(path + ".part").good());

    EXPECT_EQ(list.ExportText(temp.File("missing/out.txt"), {}, &fault), -1);
    EXPECT_NE(fault, pvbase::FileFault::None);
    EXPECT_EQ(list.ExportText(path, {}, &fault), 100);
}
