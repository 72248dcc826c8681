// Editing, committing and reopening; crash safety of commits; two storages on one file.
#include "StorageTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#include <climits>
#endif

using namespace storage_test;

namespace {

const c4_StringProp pKey("key"), pData("data"), pProp("prop"), pValue("value");

Rows Sorted(const std::vector<std::pair<std::string, std::string>>& entries)
{
    c4_Storage scratch;
    c4_View view = scratch.GetAs("DBDATA[key:S,data:S]");
    for (const auto& e : entries)
        view.InsertAt(view.Search(pKey[e.first]), pKey[e.first] + pData[e.second]);
    return Dump(scratch, "DBDATA");
}

TEST(Editing, InsertRemoveSetAndLargeOrBinaryValuesSurviveCommitAndReopen)
{
    TempDir dir;
    std::string path = dir.File("edit.lib");
    const std::string zeros("a\0b\0\0c", 6);
    const std::string memo(30000, 'm');
    const std::string binaryMemo = std::string(12000, 'z') + std::string("\0tail", 5);
    {
        XorStrategy strategy(path);
        c4_Storage storage(strategy);
        ASSERT_TRUE(storage.IsValid());
        EXPECT_EQ(storage.NumViews(), 0);  // a missing file is a new, empty storage
        c4_View info = storage.GetAs("DBINFO[prop:S,value:S]");
        c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
        info.Add(pProp["DBTYPE"] + pValue["2"]);
        for (const char* k : {"delta", "alpha", "charlie", "bravo", "echo"})
            data.InsertAt(data.Search(pKey[k]), pKey[k] + pData[std::string("data of ") + k]);
        ASSERT_TRUE(storage.Commit());
    }
    {
        XorStrategy strategy(path);
        c4_Storage storage(strategy);
        c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
        ASSERT_EQ(data.GetSize(), 5);
        EXPECT_EQ(pKey.Get(data, 0), "alpha");
        ASSERT_TRUE(data.RemoveAt(data.Find(pKey["CHARLIE"])));
        ASSERT_TRUE(data.SetAt(data.Find(pKey["bravo"]), pData[memo]));
        ASSERT_TRUE(pData.Set(data, data.Find(pKey["alpha"]), zeros));
        data.InsertAt(data.Search(pKey["zulu"]), pKey["zulu"] + pData[binaryMemo]);
        const std::string nul("\0", 1);
        data.InsertAt(data.Search(pKey[nul]), pKey[nul] + pData[""]);
        ASSERT_TRUE(data.SetAt(data.Find(pKey["echo"]), pKey["Echo"]));  // data untouched
        ASSERT_TRUE(storage.Commit());
    }
    XorStrategy strategy(path, false);
    c4_Storage storage(strategy, false, 0);
    Rows expected = {{std::string("\0", 1), ""},  // sorts as the empty string
                     {"alpha", zeros},           {"bravo", memo},     {"delta", "data of delta"},
                     {"Echo", "data of echo"},   {"zulu", binaryMemo}};
    EXPECT_TRUE(Dump(storage, "DBDATA") == expected);  // (too large to print)
    EXPECT_EQ(Dump(storage, "DBINFO"), (Rows{{"DBTYPE", "2"}}));
    c4_View data = storage.View("DBDATA");
    // Search and Find compare up to the first zero byte.
    EXPECT_EQ(data.Find(pKey["Alpha"]), 1);
    EXPECT_EQ(data.Search(pKey[std::string("alpha\0zzz", 9)]), 1);
    EXPECT_EQ(data.Find(pKey[""]), 0);
}

TEST(Editing, ViewsByDescriptionKeepRowsAndTakeTheRequestedLayout)
{
    TempDir dir;
    std::string path = dir.File("layout.mk");
    c4_IntProp pCount("count");
    {
        PlainStrategy strategy(path);
        c4_Storage storage(strategy);
        c4_View words = storage.GetAs("WORDS[word:S,count:I,note:S]");
        const int32_t counts[] = {0, 1, -1, 127, 128, -32769, 70000, INT32_MIN, INT32_MAX};
        for (int i = 0; i < 9; ++i)
            ASSERT_EQ(words.Add(c4_StringProp("word")["w" + std::to_string(i)] + pCount[counts[i]] +
                                c4_StringProp("note")["n"]),
                      i);
        ASSERT_TRUE(storage.Commit());
        EXPECT_EQ(storage.Description(), "WORDS[word:S,count:I,note:S]");
    }
    {
        PlainStrategy strategy(path);
        c4_Storage storage(strategy);
        c4_View same = storage.GetAs("words[WORD:S,count:I,note:S]");
        EXPECT_FALSE(storage.IsDirty()) << "the same layout, names in another case";
        EXPECT_EQ(pCount.Get(same, 5), -32769);
        EXPECT_EQ(pCount.Get(same, 7), INT32_MIN);
        // A narrower layout: count and word kept (reordered), note dropped, extra added.
        c4_View narrow = storage.GetAs("WORDS[count:I,word:S,extra:S]");
        EXPECT_TRUE(storage.IsDirty());
        EXPECT_EQ(narrow.PropertyName(0), "count");
        EXPECT_EQ(pCount.Get(narrow, 6), 70000);
        EXPECT_EQ(c4_StringProp("word").Get(same, 8), "w8");  // the old handle sees the same view
        EXPECT_EQ(same.FindProperty("note"), -1);
        ASSERT_TRUE(storage.Commit());
        EXPECT_EQ(c4_StringProp("word").Get(narrow, 2), "w2");  // handles survive a commit
    }
    PlainStrategy strategy(path, false);
    c4_Storage storage(strategy, false, 0);
    EXPECT_EQ(storage.Description(), "WORDS[count:I,word:S,extra:S]");
    c4_View words = storage.View("WORDS");
    ASSERT_EQ(words.GetSize(), 9);
    EXPECT_EQ(pCount.Get(words, 8), INT32_MAX);
    EXPECT_EQ(pCount.Get(words, 2), -1);
    EXPECT_EQ(words.Find(pCount[128]), 4);
    EXPECT_EQ(words.Search(pCount[0]), 0);  // integers compare as numbers
    EXPECT_EQ(words.Find(pCount[5]), -1);
}

TEST(Editing, BadIndexesAndReadOnlyOrFileLessStoragesFailCleanly)
{
    c4_Storage memory;
    c4_View view = memory.GetAs("V[a:S]");
    EXPECT_FALSE(view.InsertAt(1, c4_StringProp("a")["x"]));
    EXPECT_FALSE(view.RemoveAt(0));
    EXPECT_FALSE(view.SetAt(0, c4_StringProp("a")["x"]));
    EXPECT_EQ(view.Add(c4_StringProp("a")["x"]), 0);
    EXPECT_FALSE(view.RemoveAt(0, 2));
    EXPECT_FALSE(view.SetInt(0, 0, 3)) << "a string column";
    EXPECT_EQ(c4_StringProp("missing").Get(view, 0), "");
    EXPECT_FALSE(memory.Commit()) << "no file to commit to";
    EXPECT_EQ(memory.GetAs("no brackets").GetSize(), 0);
    EXPECT_EQ(memory.GetAs("a[x:S],b[y:S]").NumProperties(), 0);

    TempDir dir;
    std::string path = dir.File("ro.mk");
    ASSERT_TRUE(WriteFileBytes(path, ReadFileBytes(Reference("fixtures/tiny.mk"))));
    PlainStrategy strategy(path, false);
    c4_Storage readOnly(strategy, false, 0);
    c4_View data = readOnly.GetAs("DBDATA[key:S,data:S]");
    data.Add(pKey["x"]);
    EXPECT_FALSE(readOnly.Commit());
    EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(Reference("fixtures/tiny.mk")));
}

TEST(Editing, NewFilesAndStoragesWithoutViews)
{
    TempDir dir;
    {
        XorStrategy strategy(dir.File("new.lib"));
        c4_Storage storage(strategy);
        ASSERT_TRUE(storage.IsValid());
        EXPECT_TRUE(storage.Commit());  // no views: nothing written
        EXPECT_TRUE(ReadFileBytes(dir.File("new.lib")).empty());
        storage.GetAs("DBINFO[prop:S,value:S]");
        storage.GetAs("DBDATA[key:S,data:S]");
        ASSERT_TRUE(storage.Commit());
    }
    // What the program leaves after opening a missing dictionary and closing it.
    EXPECT_EQ(ReadFileBytes(dir.File("new.lib")), ReadFileBytes(Reference("fixtures/empty.lib")));
}

// Scrambles like a dictionary file and stops writing after a budget of bytes, as if the
// machine stopped there. At that moment the check runs on what is on disk.
class InterruptedStrategy : public XorStrategy {
public:
    InterruptedStrategy(const std::string& path, long budget, std::function<void()> atCut)
        : XorStrategy(path), m_budget(budget), m_atCut(std::move(atCut))
    {
    }
    bool DataWrite(t4_i32 pos, const void* buffer, int length) override
    {
        if (m_budget >= 0 && length > m_budget) {
            XorStrategy::DataWrite(pos, buffer, static_cast<int>(m_budget));
            m_budget = 0;
            if (m_atCut)
                m_atCut();
            return false;
        }
        if (m_budget >= 0)
            m_budget -= length;
        return XorStrategy::DataWrite(pos, buffer, length);
    }

private:
    long m_budget;
    std::function<void()> m_atCut;
};

Rows ReadDictionary(const std::string& path)
{
    XorStrategy strategy(path, false);
    c4_Storage storage(strategy, false, 0);
    EXPECT_TRUE(storage.IsValid()) << storage.StatusText();
    return Dump(storage, "DBDATA");
}

TEST(CrashSafety, ACommitCutAtAnyByteLeavesTheOldContent)
{
    TempDir dir;
    std::string path = dir.File("dict.lib");
    ASSERT_TRUE(WriteFileBytes(path, ReadFileBytes(Reference("fixtures/tiny.lib"))));
    const Rows before = ReadDictionary(path);
    const Rows after = Sorted({{"good morning", "phrase data"}, {"World", ""}, {"new", std::string(300, 'n')}});
    // A stale temporary file from an earlier crash changes nothing.
    ASSERT_TRUE(WriteFileBytes(path + ".tmp", std::vector<uint8_t>(50, 0xEE)));

    size_t imageSize = 0;
    for (long cut = 0;; ++cut) {
        bool checked = false;
        InterruptedStrategy strategy(path, cut, [&] {
            EXPECT_EQ(ReadDictionary(path), before) << "cut at " << cut;
            checked = true;
        });
        c4_Storage storage(strategy);
        ASSERT_TRUE(storage.IsValid());
        c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
        data.RemoveAt(data.Find(pKey["hello"]));
        data.InsertAt(data.Search(pKey["new"]), pKey["new"] + pData[std::string(300, 'n')]);
        if (imageSize == 0) {
            std::vector<uint8_t> image;
            ASSERT_TRUE(storage.SaveTo(image));
            imageSize = image.size();
        }
        bool committed = storage.Commit();
        if (static_cast<size_t>(cut) < imageSize) {
            ASSERT_FALSE(committed) << cut;
            ASSERT_TRUE(checked);
            ASSERT_EQ(ReadDictionary(path), before) << "after a failed commit, cut at " << cut;
            EXPECT_FALSE(FileExists(path + ".tmp"));
            EXPECT_TRUE(storage.IsDirty()) << "the changes are still held";
            continue;
        }
        ASSERT_TRUE(committed);
        EXPECT_EQ(Dump(storage, "DBDATA"), after);
        EXPECT_EQ(ReadDictionary(path), after);
        break;
    }
    EXPECT_GT(imageSize, 300u);
}

class FailingReplaceStrategy : public XorStrategy {
public:
    using XorStrategy::XorStrategy;
    bool EndRewrite(bool) override { return XorStrategy::EndRewrite(false); }
};

TEST(CrashSafety, AFailedReplaceKeepsTheOldFileAndALaterCommitSucceeds)
{
    TempDir dir;
    std::string path = dir.File("dict.lib");
    ASSERT_TRUE(WriteFileBytes(path, ReadFileBytes(Reference("fixtures/shorthand.lib"))));
    std::vector<uint8_t> original = ReadFileBytes(path);
    FailingReplaceStrategy failing(path);
    c4_Storage storage(failing);
    c4_View data = storage.GetAs("DBDATA[key:S,data:S]");
    data.Add(pKey["zz"] + pData["last"]);
    EXPECT_FALSE(storage.Commit());
    EXPECT_EQ(ReadFileBytes(path), original);
    EXPECT_FALSE(FileExists(path + ".tmp"));
}

#ifdef _WIN32
bool SomeoneHoldsTheFile(const std::string& path)
{
    // Exclusive access is granted only when no other handle is open.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(h);
    return false;
}
#else
bool SomeoneHoldsTheFile(const std::string& path)
{
    char wanted[PATH_MAX];
    if (!realpath(path.c_str(), wanted))
        return false;
    DIR* fds = opendir("/proc/self/fd");
    if (!fds)
        return false;
    bool held = false;
    while (dirent* e = readdir(fds)) {
        char target[PATH_MAX];
        std::string link = std::string("/proc/self/fd/") + e->d_name;
        ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, n) == wanted)
            held = true;
    }
    closedir(fds);
    return held;
}
#endif

TEST(Coexistence, TwoStoragesOnOneFileCommitWithoutBlockingEachOther)
{
    TempDir dir;
    std::string path = dir.File("shared.lib");
    ASSERT_TRUE(WriteFileBytes(path, ReadFileBytes(Reference("fixtures/medium.lib"))));
    XorStrategy engineFile(path), editorFile(path);
    c4_Storage engine(engineFile), editor(editorFile);
    ASSERT_TRUE(engine.IsValid());
    ASSERT_TRUE(editor.IsValid());
    EXPECT_FALSE(SomeoneHoldsTheFile(path)) << "an open storage keeps the file in memory only";

    c4_View editorData = editor.GetAs("DBDATA[key:S,data:S]");
    const int rows = editorData.GetSize();
    editorData.InsertAt(editorData.Search(pKey["from the editor"]), pKey["from the editor"]);
    ASSERT_TRUE(editor.Commit());
    EXPECT_FALSE(SomeoneHoldsTheFile(path));

    // The engine still serves what it read, then commits its own change over the editor's.
    c4_View engineData = engine.GetAs("DBDATA[key:S,data:S]");
    EXPECT_EQ(engineData.GetSize(), rows);
    EXPECT_EQ(engineData.Find(pKey["from the editor"]), -1);
    engineData.InsertAt(engineData.Search(pKey["from the engine"]), pKey["from the engine"]);
    ASSERT_TRUE(engine.Commit());

    // A storage opened now sees one complete generation: the last commit.
    Rows now = ReadDictionary(path);
    EXPECT_EQ(now.size(), static_cast<size_t>(rows + 1));
    EXPECT_EQ(now, Dump(engine, "DBDATA"));
}

}  // namespace
