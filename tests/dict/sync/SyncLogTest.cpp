// The sync logs on a real folder: a compaction cut at every write, logs delivered cut, in the
// wrong order and twice, a torn own log, and files in the folder that are no logs.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dict/SyncStore.h"
#include "tests/dict/sync/SyncTestFolders.h"
#include "tests/support/TempFolder.h"

namespace {

using pvtest::TempFolder;

SyncPcId MakeId(std::uint8_t first)
{
    SyncPcId id;
    id.bytes[0] = first;
    id.bytes[15] = 0x5A;
    return id;
}

// Everything a state holds, as text: states compare equal when their texts do.
std::string Describe(const CSyncState& state)
{
    std::map<std::string, std::string> lines;
    state.ForEachEntry([&](std::string_view dictionary, std::string_view key, const std::string& data) {
        lines["E " + std::string(dictionary) + " " + std::string(key)] = data;
    });
    state.ForEachSetting([&](std::string_view section, std::string_view key, const std::string& value) {
        lines["S " + std::string(section) + " " + std::string(key)] = value;
    });
    state.ForEachLearntWord(
        [&](std::string_view word, std::uint64_t count) { lines["W " + std::string(word)] = std::to_string(count); });
    state.ForEachLearntPair([&](std::string_view first, std::string_view second, std::uint64_t count) {
        lines["P " + std::string(first) + " " + std::string(second)] = std::to_string(count);
    });
    std::string text;
    for (const auto& [item, value] : lines)
        text += item + "=" + value + "\n";
    return text;
}

// Two PCs' logs in one folder: A's log large enough to be compacted in several pieces, with
// changes B overrode, tombstones, learning before and after a forgetting.
void FillTwoLogs(ISyncFolder& folder)
{
    CSyncStore a(folder, MakeId(1)), b(folder, MakeId(2));
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(b.Open());
    for (int i = 0; i < 3000; ++i)
        a.SetEntry("User.lib", "key" + std::to_string(i), "first data of a somewhat longer entry " + std::to_string(i));
    for (int i = 0; i < 3000; i += 3)
        a.SetEntry("User.lib", "key" + std::to_string(i), "second");
    for (int i = 0; i < 3000; i += 7)
        a.DeleteEntry("User.lib", "key" + std::to_string(i));
    for (int i = 0; i < 50; ++i)
        a.Learn("word" + std::to_string(i % 10));
    a.LearnPair("word1", "word2");
    b.Refresh();
    b.SetEntry("User.lib", "key1", "from b");
    b.Learn("word3", 5);
    a.Refresh();
    a.Forget("word3");
    a.Learn("word3", 2);
    a.SetSetting("Main", "PageSize", "9");
}

TEST(SyncLog, CompactionCutAtEveryWriteLosesNothing)
{
    TempFolder expectedFolder;
    CDiskSyncFolder expectedDisk(expectedFolder.Folder());
    FillTwoLogs(expectedDisk);
    CSyncStore expected(expectedDisk, MakeId(3));
    expected.Open();
    const std::string all = Describe(expected.State());
    ASSERT_NE(all.find("W word3=2\n"), std::string::npos);

    bool done = false;
    for (int writes = 0; !done && writes < 50; ++writes) {
        SCOPED_TRACE("compaction cut before write " + std::to_string(writes));
        TempFolder folder;
        CDiskSyncFolder disk(folder.Folder());
        FillTwoLogs(disk);
        CSyncStore reader(disk, MakeId(2));
        ASSERT_TRUE(reader.Open());
        const std::string logName = SyncLogName(MakeId(1));
        const std::string before = pvtest::ReadFile(folder.File(logName));
        {
            synctest::CStoppingFolder stopping(disk, writes);
            CSyncStore a(stopping, MakeId(1));
            ASSERT_TRUE(a.Open());
            done = a.Compact();
            if (done)
                EXPECT_LT(pvtest::ReadFile(folder.File(logName)).size(), before.size() * 3 / 4);
            else
                EXPECT_EQ(pvtest::ReadFile(folder.File(logName)), before);
        }
        // A reader of the old generation, one started afresh and the PC itself after a restart
        // all hold what was there before.
        reader.Refresh();
        EXPECT_EQ(Describe(reader.State()), all);
        CSyncStore fresh(disk, MakeId(3));
        fresh.Open();
        EXPECT_EQ(Describe(fresh.State()), all);
        CSyncStore restarted(disk, MakeId(1));
        ASSERT_TRUE(restarted.Open());
        EXPECT_EQ(Describe(restarted.State()), all);
        for (const std::string& entry : folder.Entries())
            EXPECT_EQ(entry.find(".tmp"), std::string::npos) << "a cut compaction left " << entry;
        // And it goes on writing where it was.
        ASSERT_TRUE(restarted.Learn("word3"));
        reader.Refresh();
        EXPECT_EQ(reader.State().LearntCount("word3"), 3u);
    }
    EXPECT_TRUE(done) << "the compaction never completed";
}

// A's log with one entry more per record; the sizes at which each record ends.
std::string WriteLog(ISyncFolder& folder, std::vector<std::size_t>& ends)
{
    CSyncStore a(folder, MakeId(1));
    EXPECT_TRUE(a.Open());
    ends.clear();
    for (int i = 0; i < 12; ++i) {
        if (i % 4 == 3)
            a.Learn("w\xC3\xB6rd");
        else
            a.SetEntry("Shorthands.lib", "k" + std::to_string(i), std::string(static_cast<std::size_t>(i * 3), 'x'));
        ends.push_back(static_cast<std::size_t>(a.OwnLogSize()));
    }
    return SyncLogName(MakeId(1));
}

std::size_t ItemsHeld(const CSyncState& state)
{
    std::size_t items = 0;
    state.ForEachEntry([&](std::string_view, std::string_view, const std::string&) { ++items; });
    state.ForEachLearntWord([&](std::string_view, std::uint64_t count) { items += count; });
    return items;
}

TEST(SyncLog, CutReorderedAndRepeatedDeliveriesAreReadUpToTheLastWholeRecord)
{
    synctest::CMemoryFolder written;
    std::vector<std::size_t> ends;
    const std::string name = WriteLog(written, ends);
    const std::string log = written.files[name];

    // Cut at every byte: exactly the records that are whole, then the rest when it comes.
    for (std::size_t cut = 0; cut <= log.size(); ++cut) {
        synctest::CMemoryFolder copy;
        copy.Put(name, log.substr(0, cut));
        CSyncStore reader(copy, MakeId(2));
        reader.Open();
        const std::size_t whole =
            static_cast<std::size_t>(std::upper_bound(ends.begin(), ends.end(), cut) - ends.begin());
        ASSERT_EQ(ItemsHeld(reader.State()), whole) << "cut at " << cut;
        copy.Put(name, log);
        reader.Refresh();
        ASSERT_EQ(ItemsHeld(reader.State()), ends.size()) << "cut at " << cut << ", then whole";
        EXPECT_TRUE(reader.TakeProblems().empty());
    }

    // A later piece first: nothing after the gap counts until the gap is filled.
    synctest::CMemoryFolder copy;
    std::string gapped = log;
    std::fill(gapped.begin() + static_cast<std::ptrdiff_t>(ends[3]),
              gapped.begin() + static_cast<std::ptrdiff_t>(ends[7]), '\0');
    copy.Put(name, gapped);
    CSyncStore reader(copy, MakeId(2));
    reader.Open();
    EXPECT_EQ(ItemsHeld(reader.State()), 4u);
    copy.Put(name, log);
    EXPECT_EQ(reader.Refresh().size(), 7u);  // 6 entries and the word's count
    EXPECT_EQ(ItemsHeld(reader.State()), ends.size());

    // The same bytes again change nothing; an unchanged folder is not read at all.
    copy.Put(name, log);
    EXPECT_TRUE(reader.Refresh().empty());
    EXPECT_EQ(reader.State().LearntCount("w\xC3\xB6rd"), 3u);
    synctest::CStoppingFolder noWrites(copy, 0);
    EXPECT_TRUE(reader.Refresh().empty());
}

TEST(SyncLog, TornOwnLogIsCutAndWrittenOn)
{
    TempFolder folder;
    CDiskSyncFolder disk(folder.Folder());
    std::vector<std::size_t> ends;
    const std::string name = WriteLog(disk, ends);
    const std::string log = pvtest::ReadFile(folder.File(name));
    ASSERT_TRUE(pvtest::WriteFile(folder.File(name), log.substr(0, ends.back() - 3)));  // the last record torn

    CSyncStore a(disk, MakeId(1));
    ASSERT_TRUE(a.Open());
    EXPECT_EQ(static_cast<std::size_t>(a.OwnLogSize()), ends[ends.size() - 2]);
    ASSERT_TRUE(a.Learn("w\xC3\xB6rd"));
    CSyncStore reader(disk, MakeId(2));
    reader.Open();
    EXPECT_EQ(reader.State().LearntCount("w\xC3\xB6rd"), 3u);  // the torn one was the third
    EXPECT_EQ(ItemsHeld(reader.State()), ends.size());
}

// A log removed while its PC runs (by a sync client, by hand) takes that PC's appends into a file
// no other PC sees, or one made anew that starts with zeros: the PC's next look writes it anew.
TEST(SyncLog, OwnLogRemovedOrOverwrittenWhileRunningIsWrittenAnew)
{
    TempFolder folder;
    CDiskSyncFolder diskA(folder.Folder()), diskB(folder.Folder());
    CSyncStore a(diskA, MakeId(1)), b(diskB, MakeId(2));
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(b.Open());
    ASSERT_TRUE(a.Learn("alpha", 2));
    b.Refresh();
    ASSERT_EQ(b.State().LearntCount("alpha"), 2u);

    const std::string log = folder.File(a.OwnLogName());
    ASSERT_TRUE(std::filesystem::remove(log));
    ASSERT_TRUE(a.Learn("alpha"));
    a.Refresh();
    b.Refresh();
    EXPECT_EQ(b.State().LearntCount("alpha"), 3u);

    ASSERT_TRUE(a.Learn("beta"));
    const std::string bytes = pvtest::ReadFile(log);
    ASSERT_TRUE(pvtest::WriteFile(log, std::string(bytes.size(), '\0')));
    a.Refresh();
    b.Refresh();
    EXPECT_EQ(b.State().LearntCount("alpha"), 3u);
    EXPECT_EQ(b.State().LearntCount("beta"), 1u);
    EXPECT_TRUE(a.TakeProblems().empty());

    CDiskSyncFolder again(folder.Folder());
    CSyncStore restarted(again, MakeId(1));
    ASSERT_TRUE(restarted.Open());
    EXPECT_EQ(restarted.State().LearntCount("alpha"), 3u);
    EXPECT_TRUE(restarted.TakeProblems().empty());
}

TEST(SyncLog, FilesThatAreNoLogsAreToldOnceAndPassedOver)
{
    TempFolder folder;
    CDiskSyncFolder disk(folder.Folder());
    std::vector<std::size_t> ends;
    const std::string name = WriteLog(disk, ends);
    const std::string notes = "0123456789abcdef0123456789ABCDEF.pvsync";
    const std::string misnamed = SyncLogName(MakeId(7));
    ASSERT_TRUE(pvtest::WriteFile(folder.File(notes), "shopping list: milk, bread\n"));
    ASSERT_TRUE(pvtest::WriteFile(folder.File(misnamed), pvtest::ReadFile(folder.File(name))));  // another PC's
    ASSERT_TRUE(pvtest::WriteFile(folder.File("desktop.ini"), "[.ShellClassInfo]\n"));

    CSyncStore reader(disk, MakeId(2));
    ASSERT_TRUE(reader.Open());
    EXPECT_EQ(ItemsHeld(reader.State()), ends.size());
    std::vector<std::string> told;
    for (const SyncProblem& problem : reader.TakeProblems())
        told.push_back(problem.file);
    std::sort(told.begin(), told.end());
    EXPECT_EQ(told, (std::vector<std::string>{notes, misnamed}));

    ASSERT_TRUE(pvtest::WriteFile(folder.File(notes), "shopping list: milk, bread, tea\n"));
    reader.Refresh();
    EXPECT_TRUE(reader.TakeProblems().empty()) << "told twice";
}

}  // namespace

TEST(SyncLog, FolderNamedBeyondTheCodePageIsSharedAndItsSubfoldersPassedOver)
{
    TempFolder temp;
    const std::string name = temp.Folder() + "/synchronizacja żółw";
    ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::u8path(name)));
    ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::u8path(name + "/" + SyncLogName(MakeId(9)))));
    CDiskSyncFolder diskA(name), diskB(name);
    CSyncStore a(diskA, MakeId(1));
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(a.Learn("żółw", 3));

    std::vector<ISyncFolder::FileInfo> files;
    ASSERT_TRUE(diskB.List(files));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, SyncLogName(MakeId(1)));
    std::string bytes;
    ASSERT_TRUE(diskB.Read(files[0].name, 0, 1 << 20, bytes));
    EXPECT_EQ(files[0].size, static_cast<std::int64_t>(bytes.size()));
    CSyncStore b(diskB, MakeId(2));
    ASSERT_TRUE(b.Open());
    EXPECT_EQ(b.State().LearntCount("żółw"), 3u);
}
