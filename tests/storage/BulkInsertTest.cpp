// Inserting a batch of rows in one go leaves the same file as inserting them one by one at
// their Search place.
#include "StorageTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>

using namespace storage_test;

namespace {

const c4_StringProp pKey("key"), pData("data");

struct Entry {
    std::string key, data;
};

// Keys that collide often: repeats, letter-case variants, zero bytes, prefixes of each other.
std::vector<Entry> MakeEntries(int count, unsigned seed)
{
    static const char* const kKeys[] = {"apple", "Apple",     "APPLE", "app", "apple pie", "b", "B",
                                        "zeta",  "\xE9t\xE9", "a[",    "a_",  "",          "m"};
    std::mt19937 random(seed);
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) {
        Entry e;
        e.key = kKeys[random() % 13];
        if (random() % 3 == 0)
            e.key += std::to_string(random() % 50);
        if (random() % 17 == 0)
            e.key += std::string("\0tail", 5);
        if (e.key.empty())
            e.key = "q";
        if (random() % 2)
            e.data = "d" + std::to_string(i);
        entries.push_back(e);
    }
    return entries;
}

// The view after one InsertAt(Search) per entry (the single-insert path), or after InsertSorted.
std::vector<uint8_t> Image(const std::vector<uint8_t>& start, const std::vector<Entry>& entries, bool batch,
                           const char* layout = "DBDATA[key:S,data:S]")
{
    TempDir dir;
    const std::string path = dir.File("s.mk");
    if (!start.empty())
        WriteFileBytes(path, start);
    PlainStrategy strategy(path);
    c4_Storage storage(strategy);
    c4_View view = storage.GetAs(layout);
    if (batch) {
        c4_StringRows rows({pKey, pData});
        for (const Entry& e : entries)
            rows.Add({e.key, e.data});
        EXPECT_TRUE(view.InsertSorted(std::move(rows)));
    } else {
        for (const Entry& e : entries)
            EXPECT_TRUE(view.InsertAt(view.Search(pKey[e.key]), pKey[e.key] + pData[e.data]));
    }
    std::vector<uint8_t> image;
    EXPECT_TRUE(storage.SaveTo(image));
    return image;
}

std::vector<uint8_t> Committed(const std::vector<Entry>& entries)
{
    return Image({}, entries, false);
}

TEST(BulkInsert, SameBytesAsSingleInsertsInAnyOrder)
{
    std::vector<Entry> entries = MakeEntries(3000, 7);
    std::vector<Entry> sorted = entries;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Entry& a, const Entry& b) { return c4_CompareStrings(a.key, b.key) < 0; });
    std::vector<Entry> reversed(sorted.rbegin(), sorted.rend());
    for (const auto* input : {&entries, &sorted, &reversed}) {
        const std::vector<uint8_t> single = Image({}, *input, false);
        EXPECT_EQ(Image({}, *input, true), single);
        // Into a file that already holds rows (read from its image, not edited yet).
        const std::vector<uint8_t> existing = Committed(MakeEntries(500, 11));
        EXPECT_EQ(Image(existing, *input, true), Image(existing, *input, false));
    }
}

// A dictionary with ranks: an integer column beside the strings keeps its values with their
// rows, and the new rows hold 0 there.
TEST(BulkInsert, IntegerColumnKeepsItsValuesWithTheirRows)
{
    const char* layout = "DBDATA[key:S,data:S,rank:I]";
    const c4_IntProp pRank("rank");
    std::vector<uint8_t> existing;
    {
        c4_Storage scratch;
        c4_View view = scratch.GetAs(layout);
        int rank = 0;
        for (const Entry& e : MakeEntries(500, 11))
            view.InsertAt(view.Search(pKey[e.key]), pKey[e.key] + pData[e.data] + pRank[rank += 7]);
        ASSERT_TRUE(scratch.SaveTo(existing));
    }
    const std::vector<Entry> entries = MakeEntries(3000, 7);
    const std::vector<uint8_t> batch = Image(existing, entries, true, layout);
    EXPECT_EQ(batch, Image(existing, entries, false, layout));
    EXPECT_NE(batch, Image(existing, entries, true));  // the ranks are in the file
}

// A second batch joins an arena that holds the first one's bytes; a B column keeps no zero byte.
TEST(BulkInsert, BatchAfterBatchSameBytesAsSingleInserts)
{
    const std::vector<Entry> first = MakeEntries(700, 3), second = MakeEntries(500, 9);
    for (const char* description : {"DBDATA[key:S,data:S]", "DBDATA[key:S,data:B]"}) {
        std::vector<uint8_t> images[2];
        for (int batch = 0; batch < 2; ++batch) {
            c4_Storage storage;
            c4_View view = storage.GetAs(description);
            for (const std::vector<Entry>* entries : {&first, &second}) {
                c4_StringRows rows({pKey, pData});
                for (const Entry& e : *entries) {
                    if (batch)
                        rows.Add({e.key, e.data});
                    else
                        ASSERT_TRUE(view.InsertAt(view.Search(pKey[e.key]), pKey[e.key] + pData[e.data]));
                }
                ASSERT_TRUE(view.InsertSorted(std::move(rows)));
                EXPECT_TRUE(rows.Empty());
            }
            ASSERT_TRUE(storage.SaveTo(images[batch]));
        }
        EXPECT_EQ(images[1], images[0]) << description;
    }
}

TEST(BulkInsert, ViewOutOfKeyOrderGetsTheSingleInsertPlaces)
{
    TempDir dir;
    std::vector<uint8_t> unsorted;
    {
        c4_Storage scratch;
        c4_View view = scratch.GetAs("DBDATA[key:S,data:S]");
        for (const char* k : {"pear", "apple", "zoo", "fig", "apple", "kiwi"})
            view.Add(pKey[k] + pData[k]);
        ASSERT_TRUE(scratch.SaveTo(unsorted));
    }
    const std::vector<Entry> entries = MakeEntries(200, 5);
    EXPECT_EQ(Image(unsorted, entries, true), Image(unsorted, entries, false));
}

TEST(BulkInsert, ValuesOfPropertiesTheViewLacksAreIgnoredAndMissingOnesEmpty)
{
    c4_Storage storage;
    c4_View view = storage.GetAs("DBDATA[key:S,data:S,n:I]");
    view.Add(pKey["m"] + pData["x"]);
    c4_StringRows rows({pKey, c4_StringProp("other")});
    rows.Add({"b", "ignored"});
    rows.Add({"z"});
    ASSERT_TRUE(view.InsertSorted(std::move(rows)));
    ASSERT_EQ(view.GetSize(), 3);
    EXPECT_EQ(pKey.Get(view, 0), "b");
    EXPECT_EQ(pData.Get(view, 0), "");
    EXPECT_EQ(pKey.Get(view, 2), "z");
}

}  // namespace
