// The storage against files made by the reference library: loading, Search/Find answers,
// the writer's layout, rewrites and multi-generation files.
#include "MemoryStrategy.h"
#include "StorageTestSupport.h"
#include "storage/StorageInternal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace storage_test;

namespace {

const std::vector<std::string> kFixtures = {"tiny",     "medium",   "shorthand", "encrypted",       "utf8",  "empty",
                                            "infoonly", "big-data", "large",     "twice-committed", "edited"};

std::string Fixture(const std::string& name, const std::string& ext)
{
    return Reference("fixtures/" + name + ext);
}

bool IsMultiGeneration(const std::string& name)
{
    return name == "twice-committed" || name == "edited";
}

void ExpectContent(const c4_Storage& storage, const std::vector<ViewContent>& expected, const std::string& what)
{
    ASSERT_TRUE(storage.IsValid()) << what << ": " << storage.StatusText();
    ASSERT_EQ(storage.NumViews(), static_cast<int>(expected.size())) << what;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(storage.ViewName(static_cast<int>(i)), expected[i].name) << what;
        Rows actual = Dump(storage, expected[i].name.c_str());
        ASSERT_EQ(actual.size(), expected[i].rows.size()) << what << " " << expected[i].name;
        for (size_t r = 0; r < actual.size(); ++r)
            ASSERT_EQ(actual[r], expected[i].rows[r]) << what << " " << expected[i].name << " row " << r;
    }
}

// Bits that hold no entry in the integer vectors of a file (the library leaves them undefined).
std::vector<uint8_t> PaddingMask(const std::vector<uint8_t>& file)
{
    std::vector<uint8_t> mask(file.size(), 0);
    pv_storage::ParseResult parsed = pv_storage::ParseImage(file.data(), file.size());
    for (const auto& view : parsed.views) {
        for (const auto& column : view.columns) {
            const pv_storage::IntVector& v = column.sizes;
            if (v.bytes == 0 || v.width >= 8)
                continue;
            uint64_t used = uint64_t(view.rows) * v.width;
            for (uint64_t bit = used; bit < uint64_t(v.bytes) * 8; ++bit)
                mask[v.pos + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
        }
    }
    return mask;
}

// Equal apart from the padding bits of `reference`'s vectors; describes the first difference.
::testing::AssertionResult SameExceptPadding(const std::vector<uint8_t>& ours, const std::vector<uint8_t>& reference)
{
    if (ours.size() != reference.size())
        return ::testing::AssertionFailure() << "size " << ours.size() << " vs " << reference.size();
    std::vector<uint8_t> mask = PaddingMask(reference);
    for (size_t i = 0; i < ours.size(); ++i)
        if ((ours[i] ^ reference[i]) & ~mask[i])
            return ::testing::AssertionFailure()
                   << "first difference at offset " << i << ": " << int(ours[i]) << " vs " << int(reference[i]);
    return ::testing::AssertionSuccess();
}

// Builds a storage the way the reference files were made: DBINFO rows as given, each DBDATA
// row inserted where Search puts its key.
void InsertSorted(c4_View& data, const std::string& key, const std::string& value)
{
    c4_StringProp pKey("key"), pData("data");
    int at = data.Search(pKey[key]);
    ASSERT_TRUE(data.InsertAt(at < 0 ? 0 : at, pKey[key] + pData[value]));
}

std::string StoredForm(const std::string& name, const std::string& text)
{
    if (name != "encrypted")
        return text;
    std::string scrambled = ScrambleText(text);
    return scrambled.substr(0, scrambled.find('\0'));  // the library keeps C strings
}

class FixtureTest : public ::testing::TestWithParam<std::string> {};

TEST_P(FixtureTest, PlainAndScrambledFilesLoadToTheExpectedContent)
{
    const std::string name = GetParam();
    std::vector<ViewContent> expected = ReadExpected(Fixture(name, ".expected.tsv"));
    ASSERT_EQ(expected.size(), 2u);
    {
        PlainStrategy plain(Fixture(name, ".mk"), false);
        c4_Storage storage(plain, false, 0);
        ExpectContent(storage, expected, name + ".mk");
        EXPECT_EQ(storage.Description(), "DBINFO[prop:S,value:S],DBDATA[key:S,data:S]");
    }
    {
        XorStrategy scrambled(Fixture(name, ".lib"), false);
        c4_Storage storage(scrambled, false, 0);
        ExpectContent(storage, expected, name + ".lib");
    }
}

TEST_P(FixtureTest, SearchAndFindGiveTheLibrarysAnswers)
{
    const std::string name = GetParam();
    if (!FileExists(Fixture(name, ".search.tsv")))
        GTEST_SKIP() << "no search answers for " << name;
    PlainStrategy plain(Fixture(name, ".mk"), false);
    c4_Storage storage(plain, false, 0);
    c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
    c4_StringProp pKey("key");
    int checked = 0;
    for (const auto& line : ReadTsv(Fixture(name, ".search.tsv"))) {
        ASSERT_EQ(line.size(), 3u);
        std::string query = name == "encrypted" ? ScrambleText(line[0]) : line[0];
        EXPECT_EQ(data.Search(pKey[query]), std::stoi(line[1])) << name << " Search " << line[0];
        EXPECT_EQ(data.Find(pKey[query]), std::stoi(line[2])) << name << " Find " << line[0];
        EXPECT_EQ(data.Search(pKey, query), std::stoi(line[1])) << name << " Search by value " << line[0];
        EXPECT_EQ(data.Find(pKey, query), std::stoi(line[2])) << name << " Find by value " << line[0];
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_P(FixtureTest, InsertingAtSearchReproducesOrderAndFileBytes)
{
    const std::string name = GetParam();
    if (name == "edited")
        GTEST_SKIP() << "made by later commits of twice-committed";
    std::vector<ViewContent> expected = ReadExpected(Fixture(name, ".expected.tsv"));
    std::string reference = Fixture(name, name == "twice-committed" ? ".step1.mk" : ".mk");

    c4_Storage storage;
    c4_View info = storage.GetAs("DBINFO[prop:S,value:S]");
    c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
    c4_StringProp pProp("prop"), pValue("value");
    for (const auto& row : expected[0].rows)
        ASSERT_GE(info.Add(pProp[row.first] + pValue[row.second]), 0);
    Rows inserted;
    for (const auto& line : ReadTsv(Fixture(name, ".input.tsv"))) {
        std::string key = StoredForm(name, line[0]), value = StoredForm(name, line.size() > 1 ? line[1] : "");
        InsertSorted(data, key, value);
        inserted.emplace_back(key, value);
    }
    if (name != "twice-committed")
        ExpectContent(storage, expected, name + " built");
    std::vector<uint8_t> image;
    ASSERT_TRUE(storage.SaveTo(image));
    EXPECT_TRUE(SameExceptPadding(image, ReadFileBytes(reference))) << name;
}

TEST_P(FixtureTest, CommitRewritesTheFileReadablyAndSkipsUnchangedStorages)
{
    const std::string name = GetParam();
    TempDir dir;
    std::string path = dir.File(name + ".lib");
    std::vector<uint8_t> original = ReadFileBytes(Fixture(name, ".lib"));
    ASSERT_TRUE(WriteFileBytes(path, original));
    std::vector<ViewContent> expected = ReadExpected(Fixture(name, ".expected.tsv"));
    {
        XorStrategy strategy(path);
        c4_Storage storage(strategy);
        storage.GetAs("DBINFO[prop:S,value:S]");
        storage.GetAs("DBDATA[key:S,data:S]");
        EXPECT_FALSE(storage.IsDirty());
        ASSERT_TRUE(storage.Commit());
        EXPECT_EQ(ReadFileBytes(path), original) << "a commit without changes must not write";

        c4_View data = storage.View("DBDATA");
        c4_StringProp pKey("key");
        ASSERT_GE(data.Add(pKey["temporary"]), 0);
        ASSERT_TRUE(data.RemoveAt(data.GetSize() - 1));
        ASSERT_TRUE(storage.IsDirty());
        ASSERT_TRUE(storage.Commit());
        EXPECT_FALSE(storage.IsDirty());
        ExpectContent(storage, expected, name + " after commit");
    }
    EXPECT_FALSE(FileExists(path + ".tmp"));
    std::vector<uint8_t> rewritten = ReadFileBytes(path);
    if (!IsMultiGeneration(name)) {
        EXPECT_TRUE(SameExceptPadding(XorImage(rewritten), XorImage(original))) << name;
    }
    XorStrategy again(path, false);
    c4_Storage reopened(again, false, 0);
    ExpectContent(reopened, expected, name + " reopened");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureTest, ::testing::ValuesIn(kFixtures),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (c == '-')
                                     c = '_';
                             return n;
                         });

Rows RowsOfTsv(const std::string& path)
{
    Rows rows;
    for (const auto& line : ReadTsv(path))
        rows.emplace_back(line[0], line.size() > 1 ? line[1] : "");
    return rows;
}

TEST(MultiGeneration, EveryCommittedGenerationReadsAsItsReplay)
{
    c4_Storage replay;
    c4_View info = replay.GetAs("DBINFO[prop:S,value:S]");
    c4_View data = replay.GetAs("DBDATA[key:S,data:S]");
    c4_StringProp pKey("key"), pData("data"), pProp("prop"), pValue("value");
    std::vector<ViewContent> final = ReadExpected(Fixture("twice-committed", ".expected.tsv"));
    for (const auto& row : final[0].rows)
        info.Add(pProp[row.first] + pValue[row.second]);

    auto expectSame = [&](const std::string& file) {
        PlainStrategy strategy(Fixture("twice-committed", file), false);
        c4_Storage stored(strategy, false, 0);
        ASSERT_TRUE(stored.IsValid()) << file << ": " << stored.StatusText();
        EXPECT_EQ(Dump(stored, "DBDATA"), Dump(replay, "DBDATA")) << file;
        EXPECT_EQ(Dump(stored, "DBINFO"), Dump(replay, "DBINFO")) << file;
    };
    for (const auto& row : RowsOfTsv(Fixture("twice-committed", ".input.tsv")))
        InsertSorted(data, row.first, row.second);
    expectSame(".step1.mk");
    for (const auto& row : RowsOfTsv(Fixture("twice-committed", ".add.tsv")))
        InsertSorted(data, row.first, row.second);
    expectSame(".step2.mk");
    std::vector<uint8_t> removeText = ReadFileBytes(Fixture("twice-committed", ".remove.txt"));
    std::string removeKey(removeText.begin(), removeText.end());
    while (!removeKey.empty() && (removeKey.back() == '\n' || removeKey.back() == '\r'))
        removeKey.pop_back();
    int found = data.Find(pKey[removeKey]);
    ASSERT_GE(found, 0);
    data.RemoveAt(found);
    expectSame(".mk");

    // edited: delta's data replaced in place, then mike with 30000 bytes (a memo) added.
    std::vector<ViewContent> edited = ReadExpected(Fixture("edited", ".expected.tsv"));
    std::string deltaData, mikeData;
    for (const auto& row : edited[1].rows) {
        if (row.first == "delta")
            deltaData = row.second;
        if (row.first == "mike")
            mikeData = row.second;
    }
    ASSERT_EQ(mikeData.size(), 30000u);
    int delta = data.Find(pKey["DELTA"]);
    ASSERT_GE(delta, 0);
    ASSERT_TRUE(data.SetAt(delta, pData[deltaData]));
    InsertSorted(data, "mike", mikeData);
    PlainStrategy strategy(Fixture("edited", ".mk"), false);
    c4_Storage stored(strategy, false, 0);
    EXPECT_EQ(Dump(stored, "DBDATA"), Dump(replay, "DBDATA"));
}

TEST(DocExamples, AnnotatedFilesReadAndSingleCommitsAreReproduced)
{
    auto open = [](const std::string& name, PlainStrategy*& strategy) {
        strategy = new PlainStrategy(Reference("doc-examples/" + name + ".mk"), false);
        return std::unique_ptr<c4_Storage>(new c4_Storage(*strategy, true, 0));
    };
    PlainStrategy* s;
    auto ex1 = open("ex1-empty", s);
    ASSERT_TRUE(ex1->IsValid());
    EXPECT_EQ(ex1->NumViews(), 2);
    EXPECT_EQ(ex1->View("DBINFO").GetSize(), 0);
    EXPECT_EQ(ex1->View("dbdata").GetSize(), 0);

    auto ex2 = open("ex2-tiny", s);
    Rows tiny = {{"good morning", "phrase data"}, {"hello", "greeting"}, {"World", ""}};
    EXPECT_EQ(Dump(*ex2, "DBDATA"), tiny);

    auto ex3 = open("ex3-tiny-plus-one", s);
    Rows plusOne = tiny;
    plusOne.insert(plusOne.begin(), {"date", "sweet"});
    EXPECT_EQ(Dump(*ex3, "DBDATA"), plusOne);
    EXPECT_EQ(Dump(*ex3, "DBINFO"), Dump(*ex2, "DBINFO"));

    auto ex4 = open("ex4-after-remove", s);
    Rows removed = plusOne;
    removed.erase(removed.begin() + 2);
    EXPECT_EQ(Dump(*ex4, "DBDATA"), removed);

    auto ex5 = open("ex5-memos", s);
    Rows memos = {{"a", std::string(20000, 'x')}, {"b", std::string(30000, 'y')}};
    EXPECT_EQ(Dump(*ex5, "DBDATA"), memos);

    // The single-commit examples come out of the writer byte for byte.
    for (auto* pair : {&ex1, &ex2, &ex5}) {
        c4_Storage fresh;
        c4_View info = fresh.GetAs("DBINFO[prop:S,value:S]");
        c4_View data = fresh.GetAs("DBDATA[key:S,data:S]");
        for (const auto& row : Dump(**pair, "DBINFO"))
            info.Add(c4_StringProp("prop")[row.first] + c4_StringProp("value")[row.second]);
        for (const auto& row : Dump(**pair, "DBDATA"))
            InsertSorted(data, row.first, row.second);
        std::vector<uint8_t> ours, theirs;
        ASSERT_TRUE(fresh.SaveTo(ours));
        ASSERT_TRUE((*pair)->SaveTo(theirs));
        EXPECT_EQ(ours, theirs);
    }
    std::vector<uint8_t> ex5Image;
    ASSERT_TRUE(ex5->SaveTo(ex5Image));
    EXPECT_TRUE(SameExceptPadding(ex5Image, ReadFileBytes(Reference("doc-examples/ex5-memos.mk"))));
}

// Rewrites an image in the other byte order: "LJ" header, multi-byte vector entries swapped.
std::vector<uint8_t> ToBigEndian(std::vector<uint8_t> file)
{
    pv_storage::ParseResult parsed = pv_storage::ParseImage(file.data(), file.size());
    for (const auto& view : parsed.views)
        for (const auto& column : view.columns) {
            const pv_storage::IntVector& v = column.sizes;
            int step = v.width / 8;
            for (uint32_t i = 0; step > 1 && i < view.rows; ++i)
                std::reverse(file.begin() + v.pos + i * step, file.begin() + v.pos + (i + 1) * step);
        }
    file[parsed.base] = 'L';
    file[parsed.base + 1] = 'J';
    return file;
}

TEST(FormatVariants, BigEndianFilesAndStoragesAfterOtherDataRead)
{
    TempDir dir;
    std::vector<uint8_t> medium = ReadFileBytes(Fixture("medium", ".mk"));
    std::vector<ViewContent> expected = ReadExpected(Fixture("medium", ".expected.tsv"));
    std::vector<uint8_t> swapped = ToBigEndian(medium);
    ASSERT_NE(swapped, medium);
    ASSERT_TRUE(WriteFileBytes(dir.File("be.mk"), swapped));
    {
        PlainStrategy strategy(dir.File("be.mk"), false);
        c4_Storage storage(strategy, false, 0);
        ExpectContent(storage, expected, "big-endian medium");
    }

    // A storage appended to other bytes: positions count from its header; a commit keeps them.
    std::vector<uint8_t> prefixed(100 + medium.size(), 0x5A);
    std::copy(medium.begin(), medium.end(), prefixed.begin() + 100);
    ASSERT_TRUE(WriteFileBytes(dir.File("prefixed.mk"), prefixed));
    {
        PlainStrategy strategy(dir.File("prefixed.mk"));
        c4_Storage storage(strategy);
        ExpectContent(storage, expected, "storage after 100 bytes");
        c4_View data = storage.View("DBDATA");
        ASSERT_TRUE(data.RemoveAt(0));
        ASSERT_TRUE(storage.Commit());
    }
    std::vector<uint8_t> after = ReadFileBytes(dir.File("prefixed.mk"));
    ASSERT_GT(after.size(), 100u);
    EXPECT_EQ(std::count(after.begin(), after.begin() + 100, 0x5A), 100) << "the bytes before the storage are kept";
    PlainStrategy strategy(dir.File("prefixed.mk"), false);
    c4_Storage reopened(strategy, false, 0);
    expected[1].rows.erase(expected[1].rows.begin());
    ExpectContent(reopened, expected, "prefixed after commit");
}

// The reference files hold no integer column, so the rank column of dictionaries is checked
// against the format's rules instead: the smallest width holding every value (sub-byte widths
// unsigned, 8 bits and more signed), the byte size a reader takes the width from, little-endian
// two's complement, no bytes when every value is 0; and read in place only at 16 bits.
TEST(FormatVariants, IntegerColumnsTakeTheWidthsAndBytesOfTheFormat)
{
    struct Case {
        std::vector<int32_t> values;
        int width;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {{0, 0, 0}, 0, {}},
        {{1, 0, 1, 1, 0, 1, 0, 0, 1}, 1, {0x2D, 0x01}},
        {{15, 2}, 4, {0x2F}},
        {{127, -1}, 8, {0x7F, 0xFF}},
        {{200, 5, 9000}, 16, {0xC8, 0x00, 0x05, 0x00, 0x28, 0x23}},
        {{40000, -2}, 32, {0x40, 0x9C, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF}},
    };
    const c4_StringProp pKey("key");
    const c4_IntProp pRank("rank");
    for (const Case& c : cases) {
        c4_Storage storage;
        c4_View view = storage.GetAs("DBDATA[key:S,data:S,rank:I]");
        for (int32_t value : c.values)
            view.Add(pKey["k"] + pRank[value]);
        std::vector<uint8_t> image;
        ASSERT_TRUE(storage.SaveTo(image));
        pv_storage::ParseResult parsed = pv_storage::ParseImage(image.data(), image.size());
        ASSERT_EQ(parsed.views.size(), 1u);
        const pv_storage::IntVector& vector = parsed.views[0].columns[2].sizes;
        EXPECT_EQ(vector.width, c.width) << c.values[0];
        EXPECT_EQ(std::vector<uint8_t>(image.begin() + vector.pos, image.begin() + vector.pos + vector.bytes), c.bytes)
            << c.values[0];
        MemoryStrategy memory(image.data(), image.size());
        c4_Storage reread(memory, false, 0);
        c4_View rows = reread.View("DBDATA");
        for (size_t r = 0; r < c.values.size(); ++r)
            EXPECT_EQ(rows.GetInt(static_cast<int>(r), 2), c.values[r]);
        EXPECT_EQ(rows.IntReader(2).Packed16() != nullptr, c.width == 16);
        EXPECT_EQ(rows.IntReader(2).AllZero(), c.width == 0);
    }
}

}  // namespace
