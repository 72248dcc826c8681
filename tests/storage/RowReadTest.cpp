// Row reads of views served from a loaded file, with and without a per-row index behind them.
#include "MemoryStrategy.h"
#include "StorageTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const c4_StringProp pKey("key"), pData("data");

struct Entry {
    std::string key;
    std::string data;
};

// The entries (sorted by key) written into a file image and opened read-only from it.
std::unique_ptr<c4_Storage> OpenFrozen(const std::vector<Entry>& entries)
{
    c4_Storage scratch;
    c4_View view = scratch.GetAs("DBDATA[key:S,data:S]");
    for (const Entry& e : entries)
        view.Add(pKey[e.key] + pData[e.data]);
    std::vector<uint8_t> image;
    if (!scratch.SaveTo(image))
        return nullptr;
    auto* strategy = new MemoryStrategy(image.data(), image.size());
    return std::make_unique<c4_Storage>(*strategy, true, 0);
}

// Every row read in a shuffled order, then in order, then out-of-range reads. quickReads: how
// many data values a column reader read on its short path.
void ExpectRowsRead(c4_View view, const std::vector<Entry>& entries, int* quickReads = nullptr)
{
    ASSERT_EQ(view.GetSize(), static_cast<int>(entries.size()));
    std::vector<int> order(entries.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (int row : order) {
        ASSERT_EQ(view.GetString(row, 0), entries[row].key) << "row " << row;
        ASSERT_EQ(view.GetString(row, 1), entries[row].data) << "row " << row;
    }
    for (size_t row = 0; row < entries.size(); ++row) {
        ASSERT_EQ(pKey.Get(view, static_cast<int>(row)), entries[row].key);
        ASSERT_EQ(pData.Get(view, static_cast<int>(row)), entries[row].data);
    }
    // Column readers read the same, also for rows outside the view and columns of no string.
    const c4_StringReader keys = view.StringReader(0), data = view.StringReader(1);
    int quick = 0;
    for (int row : order) {
        ASSERT_EQ(keys.Get(row), entries[row].key) << "row " << row;
        ASSERT_EQ(data.Get(row), entries[row].data) << "row " << row;
        std::string_view value;
        if (data.GetQuickly(row, value)) {
            ASSERT_EQ(value, entries[row].data) << "row " << row;
            ++quick;
        }
    }
    const int size = view.GetSize();
    std::string_view untouched("x");
    for (int row : {-1, size, size + 1000}) {
        EXPECT_TRUE(view.GetString(row, 0).empty() && view.GetString(row, 1).empty());
        EXPECT_TRUE(keys.Get(row).empty() && data.Get(row).empty());
        EXPECT_FALSE(keys.GetQuickly(row, untouched));
    }
    EXPECT_EQ(untouched, "x");
    if (quickReads)
        *quickReads = quick;
    EXPECT_TRUE(view.StringReader(2).Get(0).empty());
    EXPECT_TRUE(view.StringReader(-1).Get(0).empty());
    EXPECT_TRUE(c4_StringReader().Get(0).empty());
    EXPECT_TRUE(view.GetString(0, 2).empty());
    EXPECT_TRUE(view.GetString(0, -1).empty());
    for (int row : {0, size / 2, size - 1}) {
        int first = row;  // keys may repeat: Search finds the first
        while (first > 0 && entries[first - 1].key == entries[row].key)
            --first;
        EXPECT_EQ(view.Search(pKey, entries[row].key), first);
    }
}

TEST(FrozenRows, LongKeysWithMostlyEmptyDataAndLargeValues)
{
    // Keys and data pay for an index of both columns; a few values are large (kept apart from
    // the column's bytes), some hold zero bytes.
    std::vector<Entry> entries;
    for (int i = 0; i < 3000; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "word%05d-entry", i);
        std::string data;
        if (i % 7 == 0)
            data = "data of " + std::string(key);
        if (i % 500 == 3)
            data = std::string(20000 + i, static_cast<char>('a' + i % 26));
        if (i % 250 == 11)
            data = std::string("zero\0inside", 11);
        entries.push_back(Entry{key, data});
    }
    std::unique_ptr<c4_Storage> storage = OpenFrozen(entries);
    ASSERT_TRUE(storage && storage->IsValid());
    int quickReads = 0;
    ExpectRowsRead(storage->View("DBDATA"), entries, &quickReads);
    // The values kept inline are read on the short path (an empty one may stand for a large one).
    const auto inlineValues = std::count_if(entries.begin(), entries.end(),
                                            [](const Entry& e) { return !e.data.empty() && e.data.size() < 20000; });
    EXPECT_GE(quickReads, inlineValues);
}

TEST(FrozenRows, OneByteKeysAndRareDataAreReadWithoutAnIndex)
{
    // Too small for an index to pay: offsets come from checkpoints and sizes.
    std::vector<Entry> entries;
    for (int i = 0; i < 2000; ++i) {
        std::string data;
        if (i % 97 == 5)
            data = "x" + std::to_string(i);
        if (i == 1500)
            data = std::string(15000, 'q');
        entries.push_back(Entry{std::string(1, static_cast<char>('a' + i * 26 / 2000)), data});
    }
    std::unique_ptr<c4_Storage> storage = OpenFrozen(entries);
    ASSERT_TRUE(storage && storage->IsValid());
    int quickReads = -1;
    ExpectRowsRead(storage->View("DBDATA"), entries, &quickReads);
    EXPECT_EQ(quickReads, 0);
}

TEST(FrozenRows, ReadsBeforeAndAfterAnEditMatchTheRows)
{
    std::vector<Entry> entries;
    for (int i = 0; i < 1200; ++i)
        entries.push_back(Entry{"key" + std::to_string(100000 + i), i % 3 ? "" : "d" + std::to_string(i)});
    std::unique_ptr<c4_Storage> storage = OpenFrozen(entries);
    ASSERT_TRUE(storage && storage->IsValid());
    c4_View view = storage->View("DBDATA");
    ExpectRowsRead(view, entries);  // indexed, empty values and no large items
    const c4_StringReader keys = view.StringReader(0);
    EXPECT_TRUE(keys.IsCurrent());
    ASSERT_TRUE(view.SetString(600, 1, "changed"));
    // A reader made before the edit reads the edited rows.
    EXPECT_FALSE(keys.IsCurrent());
    std::string_view value;
    EXPECT_FALSE(keys.GetQuickly(5, value));
    ASSERT_TRUE(view.SetString(5, 0, "key100004x"));
    EXPECT_EQ(keys.Get(5), "key100004x");
    ASSERT_TRUE(view.SetString(5, 0, entries[5].key));
    entries[600].data = "changed";
    ASSERT_TRUE(view.RemoveAt(10));
    entries.erase(entries.begin() + 10);
    ASSERT_TRUE(view.InsertAt(0, pKey["key0"] + pData["first"]));
    entries.insert(entries.begin(), Entry{"key0", "first"});
    ExpectRowsRead(view, entries);
}

TEST(FrozenRows, ReadersMadeBeforeACommitReadTheCommittedRows)
{
    storage_test::TempDir dir;
    const std::string path = dir.File("reader.lib");
    storage_test::PlainStrategy strategy(path);
    c4_Storage storage(strategy);
    ASSERT_TRUE(storage.IsValid());
    c4_View view = storage.GetAs("DBDATA[key:S,data:S]");
    for (int i = 0; i < 500; ++i)
        view.Add(pKey["entry" + std::to_string(1000 + i)] + pData[i % 4 ? "" : "data" + std::to_string(i)]);
    ASSERT_TRUE(storage.Commit());  // the view is now served from the written image
    const c4_StringReader keys = view.StringReader(0), data = view.StringReader(1);
    EXPECT_TRUE(keys.IsCurrent());
    EXPECT_EQ(keys.Get(499), "entry1499");
    EXPECT_EQ(data.Get(8), "data8");

    ASSERT_TRUE(view.RemoveAt(0, 100));
    ASSERT_TRUE(storage.Commit());
    EXPECT_FALSE(keys.IsCurrent());
    EXPECT_EQ(keys.Get(0), "entry1100");
    EXPECT_EQ(data.Get(0), "data100");
    EXPECT_TRUE(keys.Get(450).empty());
    const c4_StringReader fresh = view.StringReader(0);
    EXPECT_TRUE(fresh.IsCurrent());
    EXPECT_EQ(fresh.Get(399), "entry1499");
}

}  // namespace
