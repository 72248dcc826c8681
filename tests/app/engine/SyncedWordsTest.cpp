// Two program folders sharing one sync folder on disk, as two PCs would: learnt counts summed,
// forgotten words kept forgotten across restarts, word pairs with them, user dictionary entries and
// settings carried.

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/engine/SyncedWords.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/DictionaryFile.h"
#include "dict/EntryText.h"
#include "tests/support/TempFolder.h"

namespace {

// One PC: its program folder, its learnt words and its view of the sync folder.
struct Pc {
    std::string directory;
    CAutoLearnDictionary autoLearn;
    CUsageModel usage;
    std::unique_ptr<CSyncedWords> sync;
    SettingsRecord settings;
    CSyncedWords::Outcome outcome;

    Pc(const std::string& root, const std::string& name) : directory(root + "/" + name + "/")
    {
        std::filesystem::create_directories(directory + "Libs");
        autoLearn.Open(directory + "Libs/AutoLearn.dic");
        autoLearn.SetKnownWords(nullptr);
        CDictionaryFile shorthands;
        shorthands.Open(ShorthandsPath());
        shorthands.Close();
        usage.Load(directory + "Libs/AutoLearn.use");
        usage.SetPairLearntHandler([this](std::string_view previous, std::string_view word) {
            if (sync)
                sync->RecordPairLearnt(previous, word);
        });
    }
    std::string ShorthandsPath() const { return directory + "Libs/UserShortHands.lib"; }
    bool Start(const std::string& folder)
    {
        sync = std::make_unique<CSyncedWords>(directory);
        sync->AttachUsage(&usage, [](std::string_view word) { return word == "the" ? 900 : -1; });
        return sync->Open(folder, autoLearn, settings, outcome);
    }
    void Refresh() { outcome = sync->Refresh(autoLearn); }
    void Type(const std::string& word)
    {
        ASSERT_NE(LearnOutcome::NotLearnt, autoLearn.Learn(word + " "));
        sync->RecordLearnt(word, autoLearn);
    }
    // Two words typed one after the other in a sentence.
    void TypePair(const std::string& previous, const std::string& word)
    {
        ASSERT_TRUE(usage.Learn(previous, "", -1, false));
        ASSERT_TRUE(usage.Learn(word, previous, -1, false));
    }
    std::string Shorthand(const std::string& key) const
    {
        CDictionaryFile file;
        EXPECT_TRUE(file.Open(ShorthandsPath(), true));
        std::string k, data;
        for (int row = 0; row < file.CountEntries(); ++row)
            if (file.ReadEntry(row, k, data) && k == key)
                return data;
        return "(none)";
    }
};

// The merge's entries of one dictionary, as a PC sees them.
std::size_t CountEntriesOf(const Pc& pc, const std::string& dictionary)
{
    std::size_t count = 0;
    pc.sync->Store()->State().ForEachEntry(
        [&](std::string_view name, std::string_view, const std::string&) { count += name == dictionary; });
    return count;
}

class SyncedWordsTest : public ::testing::Test {
protected:
    pvtest::TempFolder root;
    std::string folder = root.Folder() + "/shared";
    void SetUp() override { std::filesystem::create_directories(folder); }
};

}  // namespace

TEST_F(SyncedWordsTest, CountsAreSummedAndAForgottenWordStaysForgottenAfterRestarts)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    ASSERT_TRUE(a.autoLearn.SetCount("zorbly", 2));  // learnt before the folder was set: merged in
    ASSERT_TRUE(a.Start(folder));
    ASSERT_TRUE(b.Start(folder));
    EXPECT_EQ(2, b.autoLearn.CountOf("zorbly"));
    b.Type("zorbly");
    b.Type("zorbly");
    a.Refresh();
    EXPECT_EQ(4, a.autoLearn.CountOf("zorbly"));
    EXPECT_EQ(4, b.autoLearn.CountOf("zorbly"));

    b.Type("quendle");
    a.Refresh();
    EXPECT_EQ(1, a.autoLearn.CountOf("quendle"));
    a.sync->RecordForgotten({"quendle"});
    ASSERT_TRUE(a.autoLearn.Remove("quendle"));
    b.sync.reset();  // B is off while A forgets; its own file still holds the word
    ASSERT_TRUE(b.Start(folder));
    EXPECT_EQ(0, b.autoLearn.CountOf("quendle"));
    ASSERT_TRUE(a.Start(folder));
    EXPECT_EQ(0, a.autoLearn.CountOf("quendle"));
    EXPECT_EQ(4, a.autoLearn.CountOf("zorbly"));

    // No file of the folder is written by both: each PC has its own log.
    EXPECT_EQ(a.sync->Store()->OwnLogName() != b.sync->Store()->OwnLogName(), true);
}

TEST_F(SyncedWordsTest, WordsLearntWhileTheFolderWasOffTravelAndDeletionsMadeMeanwhileStay)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    ASSERT_TRUE(a.Start(folder));
    ASSERT_TRUE(b.Start(folder));
    b.Type("quendle");
    a.Refresh();
    ASSERT_EQ(1, a.autoLearn.CountOf("quendle"));

    a.sync.reset();  // A turns the folder off and learns on its own
    CSyncedWords::ForgetFolder(a.directory);
    ASSERT_TRUE(a.autoLearn.SetCount("zorbly", 2));
    b.sync->RecordForgotten({"quendle"});
    ASSERT_TRUE(b.autoLearn.Remove("quendle"));

    ASSERT_TRUE(a.Start(folder));  // and back on
    EXPECT_EQ(2, a.autoLearn.CountOf("zorbly"));
    EXPECT_EQ(0, a.autoLearn.CountOf("quendle"));
    b.Refresh();
    EXPECT_EQ(2, b.autoLearn.CountOf("zorbly"));
    EXPECT_EQ(0, b.autoLearn.CountOf("quendle"));

    // An ordinary restart takes nothing in twice.
    ASSERT_TRUE(a.Start(folder));
    b.Refresh();
    EXPECT_EQ(2, b.autoLearn.CountOf("zorbly"));
}

TEST_F(SyncedWordsTest, ShorthandEntriesTravelBothWaysAndDeletionsStay)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    ASSERT_TRUE(a.Start(folder));
    ASSERT_TRUE(b.Start(folder));
    {
        CDictionaryFile file;
        ASSERT_TRUE(file.Open(a.ShorthandsPath()));
        ASSERT_TRUE(file.AddEntry("brb", "be right back"));
        ASSERT_TRUE(file.Commit());
    }
    a.sync->RecordDictionaryEdits();
    b.Refresh();
    EXPECT_TRUE(b.outcome.dictionariesWritten);
    EXPECT_EQ("be right back", b.Shorthand("brb"));

    {
        CDictionaryFile file;
        ASSERT_TRUE(file.Open(b.ShorthandsPath()));
        ASSERT_TRUE(file.RemoveEntry("brb"));
    }
    b.sync->RecordDictionaryEdits();
    a.Refresh();
    EXPECT_EQ("(none)", a.Shorthand("brb"));
    ASSERT_TRUE(a.Start(folder));
    EXPECT_EQ("(none)", a.Shorthand("brb"));
}

TEST_F(SyncedWordsTest, AnAnsiFileBecomesUtf8ForAnotherScriptAndDoesNotGrowAtRestarts)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    {
        CDictionaryFile file;  // B's shorthands from before UTF-8 files
        ASSERT_TRUE(file.Open(b.ShorthandsPath()));
        file.SetKeyCode(CODE_ANSI);
        file.SetDataCode(CODE_ANSI);
        ASSERT_TRUE(file.WriteInfo());
        ASSERT_TRUE(file.AddEntry("caf\xC3\xA9", "coffee"));
        ASSERT_TRUE(file.Commit());
    }
    const std::string key = "\xD0\xBF\xD0\xBA", expansion = "\xD0\xBF\xD0\xBE\xD0\xBA\xD0\xB0";
    ASSERT_TRUE(a.Start(folder));
    {
        CDictionaryFile file;
        ASSERT_TRUE(file.Open(a.ShorthandsPath()));
        ASSERT_TRUE(file.AddEntry(key, expansion));
        ASSERT_TRUE(file.Commit());
    }
    a.sync->RecordDictionaryEdits();
    ASSERT_TRUE(b.Start(folder));
    EXPECT_EQ(expansion, b.Shorthand(key));
    EXPECT_EQ("coffee", b.Shorthand("caf\xC3\xA9"));
    for (int restart = 0; restart < 2; ++restart) {
        ASSERT_TRUE(b.Start(folder));
        ASSERT_TRUE(a.Start(folder));
    }
    CDictionaryFile file;
    ASSERT_TRUE(file.Open(b.ShorthandsPath(), true));
    EXPECT_EQ(CODE_UTF8, file.KeyCode());
    EXPECT_EQ(2, file.CountEntries());
    EXPECT_EQ(2u, CountEntriesOf(a, "UserShortHands.lib"));
}

TEST_F(SyncedWordsTest, AWordLearntWhileTheLogsAreReadOnAnotherThreadIsCountedOnce)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    ASSERT_TRUE(a.Start(folder));
    a.Type("zorbly");
    a.Type("zorbly");
    ASSERT_TRUE(b.Start(folder));
    b.sync.reset();

    // B's next start: the logs are read, B learns the word meanwhile, then the store is taken up
    // and the word learnt meanwhile recorded, as the program's hand-over does.
    auto opening = CSyncedWords::Prepare(b.directory, folder);
    ASSERT_NE(LearnOutcome::NotLearnt, b.autoLearn.Learn("zorbly "));
    b.sync = std::make_unique<CSyncedWords>(b.directory);
    ASSERT_TRUE(b.sync->Complete(std::move(opening), b.autoLearn, b.settings, b.outcome));
    b.sync->RecordLearnt("zorbly", b.autoLearn);
    EXPECT_EQ(3, b.autoLearn.CountOf("zorbly"));
    a.Refresh();
    EXPECT_EQ(3, a.autoLearn.CountOf("zorbly"));
}

TEST_F(SyncedWordsTest, SharedSettingsTravelAndLocalOnesStay)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    a.settings.strSyncFolder = folder;
    b.settings.strSyncFolder = folder;
    b.settings.dwEnableZel = 0x20075;
    ASSERT_TRUE(a.Start(folder));
    ASSERT_TRUE(b.Start(folder));
    SettingsRecord changed = a.settings;
    changed.nMaxItemShow = 8;
    changed.dwEnableZel = 0x20076;
    a.sync->RecordSettings(changed);
    b.Refresh();
    ASSERT_TRUE(b.outcome.settingsChanged);
    EXPECT_EQ(8u, b.sync->Settings().nMaxItemShow);
    EXPECT_EQ(0x20075u, b.sync->Settings().dwEnableZel);
    EXPECT_EQ(folder, b.sync->Settings().strSyncFolder);
}

TEST_F(SyncedWordsTest, PairsAreSummedAndGoWithAWordForgottenOnAnyPc)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    a.TypePair("zorbly", "quendle");  // counted before the folder was set: merged in
    ASSERT_TRUE(a.Start(folder));
    ASSERT_TRUE(b.Start(folder));
    EXPECT_EQ(1u, b.usage.PairCount("zorbly", "quendle"));
    b.TypePair("zorbly", "quendle");
    b.TypePair("zorbly", "quendle");
    a.TypePair("zorbly", "quendle");
    b.TypePair("the", "quendle");
    a.Refresh();
    b.Refresh();
    EXPECT_EQ(4u, a.usage.PairCount("zorbly", "quendle"));
    EXPECT_EQ(4u, b.usage.PairCount("zorbly", "quendle"));
    CUsageModel::Word the{};
    ASSERT_TRUE(a.usage.Find("the", the));  // a word a pair brought: known as the dictionaries say
    EXPECT_TRUE(the.known);
    EXPECT_EQ(0u, the.count);

    // B deletes the word on the AutoLearn page; A is off meanwhile and its own files still hold
    // the pairs.
    a.sync.reset();
    b.sync->RecordForgotten({"quendle"});
    b.usage.Forget({"quendle"});
    ASSERT_TRUE(a.Start(folder));
    EXPECT_EQ(0u, a.usage.PairCount("zorbly", "quendle"));
    EXPECT_EQ(0u, a.usage.PairCount("the", "quendle"));
    a.TypePair("zorbly", "quendle");  // learnt again after the deletion: counts from there
    b.Refresh();
    ASSERT_TRUE(b.Start(folder));
    ASSERT_TRUE(a.Start(folder));
    EXPECT_EQ(1u, a.usage.PairCount("zorbly", "quendle"));
    EXPECT_EQ(1u, b.usage.PairCount("zorbly", "quendle"));
    EXPECT_EQ(0u, b.usage.PairCount("the", "quendle"));
}

TEST_F(SyncedWordsTest, AWordForgottenWhileRunningTakesItsPairsFromTheOtherUsageStore)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    ASSERT_TRUE(a.Start(folder));
    ASSERT_TRUE(b.Start(folder));
    a.TypePair("zorbly", "quendle");
    a.TypePair("quendle", "zorbly");
    b.Refresh();
    ASSERT_EQ(1u, b.usage.PairCount("quendle", "zorbly"));
    a.sync->RecordForgotten({"zorbly"});
    b.Refresh();
    EXPECT_EQ(0u, b.usage.PairCount("zorbly", "quendle"));
    EXPECT_EQ(0u, b.usage.PairCount("quendle", "zorbly"));
}

// Usage stores compare words without case, and each keeps the form its user typed: the counts of
// one pair written in two ways on two PCs are one count, and a deletion takes every form along.
TEST_F(SyncedWordsTest, APairTypedWithOtherCapitalsOnEachPcIsCountedOnce)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    ASSERT_TRUE(a.Start(folder));
    ASSERT_TRUE(b.Start(folder));
    a.TypePair("Zorbly", "quendle");
    b.TypePair("zorbly", "Quendle");
    b.TypePair("zorbly", "Quendle");
    a.Refresh();
    b.Refresh();
    a.Refresh();
    EXPECT_EQ(3u, a.usage.PairCount("zorbly", "quendle"));
    EXPECT_EQ(3u, b.usage.PairCount("zorbly", "quendle"));
    ASSERT_TRUE(a.Start(folder));  // a restart reads the same sum
    EXPECT_EQ(3u, a.usage.PairCount("Zorbly", "Quendle"));

    b.sync->RecordForgotten({"ZORBLY"});
    b.usage.Forget({"ZORBLY"});
    a.Refresh();
    EXPECT_EQ(0u, a.usage.PairCount("zorbly", "quendle"));
    ASSERT_TRUE(b.Start(folder));
    EXPECT_EQ(0u, b.usage.PairCount("zorbly", "quendle"));
}

// No other PC holds what one learnt: its log removed from the folder (by a sync client, by hand)
// comes back from the copy the PC keeps, instead of the PC taking the others' counts for its own.
TEST_F(SyncedWordsTest, AnOwnLogGoneFromTheFolderIsPutBackFromThePcsCopy)
{
    Pc a(root.Folder(), "a"), b(root.Folder(), "b");
    ASSERT_TRUE(a.Start(folder));
    ASSERT_TRUE(b.Start(folder));
    a.Type("zorbly");
    b.Type("zorbly");
    b.Type("zorbly");
    b.Type("quendle");
    a.Refresh();
    ASSERT_EQ(3, a.autoLearn.CountOf("zorbly"));
    const std::string bLog = folder + "/" + b.sync->Store()->OwnLogName();
    b.sync.reset();
    ASSERT_TRUE(std::filesystem::remove(bLog));

    ASSERT_TRUE(b.Start(folder));
    EXPECT_TRUE(b.sync->TakeProblems().empty());
    EXPECT_EQ(3, b.autoLearn.CountOf("zorbly"));
    EXPECT_EQ(1, b.autoLearn.CountOf("quendle"));
    EXPECT_TRUE(std::filesystem::exists(bLog));
    ASSERT_TRUE(a.Start(folder));
    EXPECT_EQ(3, a.autoLearn.CountOf("zorbly"));
    EXPECT_EQ(1, a.autoLearn.CountOf("quendle"));

    // A copy from before the PC's id was made anew names another PC: nothing is put back for it.
    b.sync.reset();
    ASSERT_TRUE(std::filesystem::remove(bLog));
    ASSERT_TRUE(std::filesystem::remove(b.directory + CSyncedWords::kPcIdFile));
    ASSERT_TRUE(b.Start(folder));
    EXPECT_TRUE(b.sync->TakeProblems().empty());  // nothing put under its name to be found damaged
    EXPECT_FALSE(std::filesystem::exists(bLog));
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + b.sync->Store()->OwnLogName()));
}
