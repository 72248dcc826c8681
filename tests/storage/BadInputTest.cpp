// Files that are not valid storages are refused, never read as empty and never written over;
// no input makes the reader crash, hang or allocate without bound.
#include "MemoryStrategy.h"
#include "StorageTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace storage_test;

namespace {

c4_Status StatusOf(const std::vector<uint8_t>& bytes, std::string* text = nullptr)
{
    MemoryStrategy strategy(bytes.data(), bytes.size());
    c4_Storage storage(strategy, false, 0);
    if (text)
        *text = storage.StatusText();
    return storage.Status();
}

void PutNumber(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = value & 0x7F;
        value >>= 7;
    } while (value);
    while (n > 1)
        out.push_back(groups[--n]);
    out.push_back(groups[0] | 0x80);
}

// Assembles a storage by hand: blocks at chosen places, one walk per view, header and tails.
class RawFile {
public:
    RawFile() : m_bytes(8, 0) {}
    uint32_t Add(const std::vector<uint8_t>& block)
    {
        uint32_t pos = static_cast<uint32_t>(m_bytes.size());
        m_bytes.insert(m_bytes.end(), block.begin(), block.end());
        return pos;
    }
    uint32_t AddText(const std::string& text) { return Add(std::vector<uint8_t>(text.begin(), text.end())); }
    std::vector<uint8_t> Finish(const std::string& description, const std::vector<std::vector<uint8_t>>& walks)
    {
        std::vector<uint8_t> root = {0x80};
        PutNumber(root, static_cast<uint32_t>(description.size()));
        root.insert(root.end(), description.begin(), description.end());
        root.push_back(0x81);
        for (const auto& walk : walks) {
            uint32_t pos = Add(walk);
            PutNumber(root, static_cast<uint32_t>(walk.size()));
            PutNumber(root, pos);
        }
        uint32_t rootPos = Add(root);
        uint32_t skip = static_cast<uint32_t>(m_bytes.size());
        std::vector<uint8_t> out = m_bytes;
        uint8_t tails[16] = {0x80,
                             0,
                             0,
                             0,
                             uint8_t(skip >> 24),
                             uint8_t(skip >> 16),
                             uint8_t(skip >> 8),
                             uint8_t(skip),
                             0x80,
                             uint8_t(root.size() >> 16),
                             uint8_t(root.size() >> 8),
                             uint8_t(root.size()),
                             uint8_t(rootPos >> 24),
                             uint8_t(rootPos >> 16),
                             uint8_t(rootPos >> 8),
                             uint8_t(rootPos)};
        out.insert(out.end(), tails, tails + 16);
        uint32_t total = static_cast<uint32_t>(out.size());
        uint8_t header[8] = {
            'J', 'L', 0x1A, 0, uint8_t(total >> 24), uint8_t(total >> 16), uint8_t(total >> 8), uint8_t(total)};
        std::copy(header, header + 8, out.begin());
        return out;
    }

private:
    std::vector<uint8_t> m_bytes;
};

std::vector<uint8_t> Walk(std::initializer_list<uint32_t> numbers)
{
    std::vector<uint8_t> walk;
    for (uint32_t n : numbers)
        PutNumber(walk, n);
    return walk;
}

TEST(BadInput, HandMadeFilesAreReadExactlyAsDescribed)
{
    // The builder itself: 10 rows of "k0".."k9" with 4-bit sizes read back.
    RawFile file;
    uint32_t data = file.AddText(std::string("k0\0k1\0k2\0k3\0k4\0k5\0k6\0k7\0k8\0k9\0", 30));
    uint32_t sizes = file.Add({0x33, 0x33, 0x33, 0x33, 0x33});
    std::vector<uint8_t> image = file.Finish("V[k:S]", {Walk({0, 10, 30, data, 5, sizes, 0})});
    MemoryStrategy strategy(image.data(), image.size());
    c4_Storage storage(strategy, false, 0);
    ASSERT_TRUE(storage.IsValid()) << storage.StatusText();
    c4_View view = storage.View("V");
    ASSERT_EQ(view.GetSize(), 10);
    EXPECT_EQ(view.GetString(7, 0), "k7");

    // A root without rows: its views exist and are empty (found by fuzzing).
    std::vector<uint8_t> rootless = ReadFileBytes(Reference("fixtures/empty.mk"));
    ASSERT_EQ(rootless.size(), 78u);
    ASSERT_EQ(rootless[0x39], 0x81);  // the root's row count, then the two view references
    rootless[0x39] = 0x80;
    rootless.erase(rootless.begin() + 0x3A, rootless.begin() + 0x3E);
    const uint8_t tails[16] = {0x80, 0, 0, 0, 0, 0, 0, 0x3A, 0x80, 0, 0, 0x2E, 0, 0, 0, 0x0C};
    std::copy(tails, tails + 16, rootless.end() - 16);
    MemoryStrategy s0(rootless.data(), rootless.size());
    c4_Storage noRootRows(s0, false, 0);
    ASSERT_TRUE(noRootRows.IsValid()) << noRootRows.StatusText();
    EXPECT_EQ(noRootRows.NumViews(), 2);
    EXPECT_EQ(noRootRows.View("DBDATA").GetSize(), 0);
    EXPECT_EQ(noRootRows.View("DBDATA").NumProperties(), 2);

    // Views whose columns are all empty take no bytes per row: modest counts are fine.
    RawFile empties;
    std::vector<uint8_t> ok = empties.Finish("V[a:S,n:I]", {Walk({0, 100, 0, 0, 0})});
    MemoryStrategy s2(ok.data(), ok.size());
    c4_Storage many(s2, false, 0);
    ASSERT_TRUE(many.IsValid()) << many.StatusText();
    EXPECT_EQ(many.View("V").GetSize(), 100);
}

TEST(BadInput, HostileSizesAndLayoutsAreRefused)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> image;
        c4_Status status;
    };
    std::vector<Case> cases;
    const std::string items("k0\0k1\0k2\0k3\0k4\0k5\0k6\0k7\0k8\0k9\0", 30);
    auto tenRows = [&](uint32_t sizesBytes, std::initializer_list<uint32_t> memo = {0}) {
        RawFile f;
        uint32_t data = f.AddText(items);
        uint32_t sizes = f.Add(std::vector<uint8_t>(sizesBytes, 0x33));
        std::vector<uint32_t> walk = {0, 10, 30, data, sizesBytes, sizes};
        walk.insert(walk.end(), memo.begin(), memo.end());
        std::vector<uint8_t> w;
        for (uint32_t n : walk)
            PutNumber(w, n);
        return f.Finish("V[k:S]", {w});
    };
    cases.push_back({"7-byte sizes for 10 rows (5.6 bits)", tenRows(7), c4_Status::Corrupt});
    cases.push_back({"80-byte sizes for 10 rows (64 bits)", tenRows(80), c4_Status::Corrupt});
    cases.push_back({"sizes that do not add up", tenRows(10), c4_Status::Corrupt});
    {
        RawFile f;
        std::vector<uint8_t> image = f.Finish("V[a:S,n:I]", {Walk({0, 0x7FFFFFFF, 0, 0, 0})});
        cases.push_back({"two thousand million empty rows", image, c4_Status::Corrupt});
    }
    {
        RawFile f;
        std::vector<uint8_t> image = f.Finish("V[a:S,b:S]", {Walk({0, 70000, 0, 0, 0, 0})});
        cases.push_back({"70000 rows of empty columns in a tiny file", image, c4_Status::Corrupt});
    }
    {
        std::string fields;
        for (int i = 0; i < 2000; ++i)
            fields += (i ? ",f" : "f") + std::to_string(i) + ":S";
        RawFile f;
        cases.push_back({"2000 properties", f.Finish("V[" + fields + "]", {Walk({0, 0})}), c4_Status::Unsupported});
    }
    {
        RawFile f;
        uint32_t memoDir = f.Add(Walk({0, 20000, 500}));  // a memo far past the end
        cases.push_back(
            {"memo outside the file", f.Finish("V[k:S]", {Walk({0, 1, 0, 5, memoDir})}), c4_Status::Corrupt});
    }
    {
        RawFile f;
        uint32_t memo = f.AddText(std::string("abc\0", 4));
        std::vector<uint8_t> dir = Walk({0, 4, memo, 0, 4, memo, 5, 4, memo});
        uint32_t at = f.Add(dir);
        cases.push_back({"memo for a row past the end", f.Finish("V[k:S]", {Walk({0, 3, 0, uint32_t(dir.size()), at})}),
                         c4_Status::Corrupt});
    }
    {
        RawFile f;
        cases.push_back({"view nested in a view", f.Finish("V[k:S,sub[x:S]]", {Walk({0, 0})}), c4_Status::Unsupported});
    }
    {
        RawFile f;
        cases.push_back({"double property", f.Finish("V[k:D]", {Walk({0, 0})}), c4_Status::Unsupported});
    }
    {
        RawFile f;
        cases.push_back({"unknown type letter", f.Finish("V[k:Q]", {Walk({0, 0})}), c4_Status::Corrupt});
    }
    {
        RawFile f;
        cases.push_back({"walk with bytes left over", f.Finish("V[k:S]", {Walk({0, 0, 5})}), c4_Status::Corrupt});
    }
    {
        RawFile f;
        cases.push_back(
            {"more walks than views", f.Finish("V[k:S]", {Walk({0, 0}), Walk({0, 0})}), c4_Status::Corrupt});
    }
    {
        RawFile f;
        std::vector<uint8_t> image = f.Finish("V[k:S]", {Walk({0, 0})});
        image[2] = 0x0A;  // a growth marker where the header belongs
        cases.push_back({"bad header", image, c4_Status::Corrupt});
        std::vector<uint8_t> rootFar = f.Finish("V[k:S]", {Walk({0, 0})});
        rootFar[rootFar.size() - 1] = 0xF0;  // root walk position past the end
        cases.push_back({"root walk outside the file", rootFar, c4_Status::Corrupt});
        std::vector<uint8_t> trailing = f.Finish("V[k:S]", {Walk({0, 0})});
        const uint8_t skip[8] = {0x90, 1, 2, 3, 0, 0, 0, 8};
        trailing.insert(trailing.end(), skip, skip + 8);
        cases.push_back({"trailing skip record", trailing, c4_Status::Corrupt});
    }
    cases.push_back({"24 bytes of junk", std::vector<uint8_t>(24, 0x41), c4_Status::Corrupt});
    cases.push_back({"one byte", std::vector<uint8_t>(1, 0), c4_Status::Corrupt});

    for (const Case& c : cases) {
        std::string text;
        EXPECT_EQ(StatusOf(c.image, &text), c.status) << c.what;
        EXPECT_FALSE(text.empty()) << c.what;
    }
}

TEST(BadInput, EveryTruncationAndByteFlipIsRefusedOrReadConsistently)
{
    for (const char* name : {"fixtures/tiny.mk", "fixtures/twice-committed.mk", "doc-examples/ex5-memos.mk"}) {
        std::vector<uint8_t> good = ReadFileBytes(Reference(name));
        ASSERT_FALSE(good.empty());
        // A file cut anywhere loses its tails, unless cut exactly where an older generation ended.
        const std::vector<size_t> olderGenerations =
            std::string(name) == "fixtures/twice-committed.mk" ? std::vector<size_t>{270, 511} : std::vector<size_t>{};
        for (size_t length = 1; length < good.size(); length += (good.size() > 1000 ? 97 : 1)) {
            bool older = std::find(olderGenerations.begin(), olderGenerations.end(), length) != olderGenerations.end();
            if (!older) {
                EXPECT_NE(StatusOf(std::vector<uint8_t>(good.begin(), good.begin() + length)), c4_Status::Ok)
                    << name << " cut to " << length;
            }
        }
        // Flipped bits: refused, or readable and rewritten to an image that reads the same.
        int refused = 0, readable = 0;
        size_t step = good.size() > 1000 ? 37 : 1;
        for (size_t at = 0; at < good.size(); at += step) {
            for (uint8_t mask : {0x01, 0x80, 0xFF}) {
                std::vector<uint8_t> bad = good;
                bad[at] ^= mask;
                MemoryStrategy strategy(bad.data(), bad.size());
                c4_Storage storage(strategy, false, 0);
                if (!storage.IsValid()) {
                    ++refused;
                    EXPECT_EQ(storage.NumViews(), 0);
                    continue;
                }
                ++readable;
                std::vector<uint8_t> rewritten;
                ASSERT_TRUE(storage.SaveTo(rewritten));
                MemoryStrategy again(rewritten.data(), rewritten.size());
                c4_Storage reread(again, false, 0);
                ASSERT_TRUE(reread.IsValid()) << name << " flip at " << at;
                for (int v = 0; v < storage.NumViews(); ++v) {
                    std::string view = storage.ViewName(v);
                    ASSERT_EQ(Dump(reread, view.c_str()), Dump(storage, view.c_str())) << name << " flip at " << at;
                }
            }
        }
        EXPECT_GT(refused, 0) << name;
        EXPECT_GT(readable, 0) << name << ": flips inside values leave a readable file";
    }
}

TEST(BadInput, ARefusedFileIsNeverWrittenOver)
{
    TempDir dir;
    std::string path = dir.File("damaged.lib");
    std::vector<uint8_t> damaged = ReadFileBytes(Reference("fixtures/medium.lib"));
    damaged.resize(damaged.size() - 3);  // the tails are gone
    ASSERT_TRUE(WriteFileBytes(path, damaged));
    {
        XorStrategy strategy(path);
        c4_Storage storage(strategy);
        EXPECT_EQ(storage.Status(), c4_Status::Corrupt);
        EXPECT_FALSE(storage.StatusText().empty());
        c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
        EXPECT_EQ(data.GetSize(), 0);
        EXPECT_EQ(data.Add(c4_StringProp("key")["lost"]), -1) << "nothing pretends to be stored";
        EXPECT_FALSE(storage.Commit());
    }
    EXPECT_EQ(ReadFileBytes(path), damaged);
    EXPECT_FALSE(FileExists(path + ".tmp"));

    // A plain file read through the scrambling strategy is not a storage either.
    ASSERT_TRUE(WriteFileBytes(path, ReadFileBytes(Reference("fixtures/tiny.mk"))));
    XorStrategy strategy(path);
    c4_Storage storage(strategy);
    EXPECT_EQ(storage.Status(), c4_Status::Corrupt);

    // A strategy that could not open its file.
    XorStrategy missing(dir.File("no/such/folder/x.lib"));
    c4_Storage none(missing);
    EXPECT_EQ(none.Status(), c4_Status::NoFile);
    EXPECT_FALSE(none.Commit());
}

}  // namespace
