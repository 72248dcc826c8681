// An AutoLearn.dic of the old ANSI layout: converted once, crash-safe, in the code page it was
// written in; and learning words beyond ASCII as ASCII ones are learnt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dict/AutoLearnDictionary.h"
#include "dict/CodePage.h"
#include "tests/dict/autolearn/AutoLearnReference.h"
#include "tests/support/TempFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

struct AnsiWord {
    unsigned codePage;
    std::string ansi;
    std::string utf8;
};

// "żółw" in Central European, "Müller" in Western.
const AnsiWord kWords[] = {{1250, "\xBF\xF3\xB3w", "\xC5\xBC\xC3\xB3\xC5\x82w"}, {1252, "M\xFCller", "M\xC3\xBCller"}};

class AutoLearnConversionTest : public ::testing::Test {
protected:
    pvtest::TempFolder folder;
    std::string path = folder.File("AutoLearn.dic");
    std::string partial = path + ".utf8-part";
};

TEST_F(AutoLearnConversionTest, AnAnsiFileIsConvertedOnceInItsCodePage)
{
    for (const AnsiWord& word : kWords) {
        SCOPED_TRACE(word.codePage);
        const std::string old = RecordBytes(2, word.ansi) + RecordBytes(1, "plain");
        pvtest::WriteFile(path, old);
        CAutoLearnDictionary store;
        store.SetLegacyCodePage(PortableCodePage(word.codePage));
        ASSERT_TRUE(store.Open(path));
        EXPECT_TRUE(store.ConvertedFile());
        EXPECT_TRUE(store.IsWritable());
        const std::vector<AutoLearnRecord> converted{{2, word.utf8}, {1, "plain"}};
        EXPECT_EQ(store.Records(), converted);
        const std::string utf8File = MarkerBytes() + RecordBytes(2, word.utf8) + RecordBytes(1, "plain");
        EXPECT_EQ(pvtest::ReadFile(path), utf8File);
        EXPECT_FALSE(std::filesystem::exists(partial));
        EXPECT_EQ(store.FirstSuggestion(word.utf8.substr(0, 3)), word.utf8);
        ASSERT_EQ(store.Learn(word.utf8 + " "), LearnOutcome::Counted);
        store.Close();

        // The next start reads UTF-8 and converts nothing, whatever code page it runs in.
        CAutoLearnDictionary again;
        again.SetLegacyCodePage(PortableCodePage(1251));
        ASSERT_TRUE(again.Open(path));
        EXPECT_FALSE(again.FoundAnsiFile());
        EXPECT_EQ(again.Records(), (std::vector<AutoLearnRecord>{{3, word.utf8}, {1, "plain"}}));
        EXPECT_EQ(pvtest::ReadFile(path), MarkerBytes() + RecordBytes(3, word.utf8) + RecordBytes(1, "plain"));
    }
}

// A conversion cut at any step leaves the old file whole, offers its words, learns nothing into
// it, and is done at the next start.
TEST_F(AutoLearnConversionTest, ACutConversionLeavesTheOldFile)
{
    const AnsiWord& word = kWords[0];
    const std::string old = RecordBytes(2, word.ansi) + RecordBytes(1, "plain");
    const auto openConverted = [&] {
        CAutoLearnDictionary store;
        store.SetLegacyCodePage(PortableCodePage(word.codePage));
        ASSERT_TRUE(store.Open(path));
        EXPECT_TRUE(store.ConvertedFile());
        EXPECT_EQ(pvtest::ReadFile(path), MarkerBytes() + RecordBytes(2, word.utf8) + RecordBytes(1, "plain"));
        EXPECT_FALSE(std::filesystem::exists(partial));
    };

    // A crash after the new file was partly written: the old one is still in place.
    pvtest::WriteFile(path, old);
    pvtest::WriteFile(partial, MarkerBytes() + "half a rec");
    openConverted();

#ifndef _WIN32
    // A disk that fills while the new file is written (the file size limit stands in for it).
    pvtest::WriteFile(path, old);
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved = {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 2 * kAutoLearnRecordSize + 100;  // the new file takes three records
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    CAutoLearnDictionary store;
    store.SetLegacyCodePage(PortableCodePage(word.codePage));
    const bool opened = store.Open(path);
    const LearnOutcome learnt = store.Learn("fresh ");
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    ASSERT_TRUE(opened);
    EXPECT_TRUE(store.FoundAnsiFile());
    EXPECT_FALSE(store.ConvertedFile());
    EXPECT_FALSE(store.IsWritable());
    EXPECT_NE(store.WriteFault(), pvbase::FileFault::None);
    EXPECT_EQ(store.FirstSuggestion(word.utf8.substr(0, 2)), word.utf8);
    EXPECT_EQ(learnt, LearnOutcome::WriteFailed);
    store.Close();
    EXPECT_EQ(pvtest::ReadFile(path), old);
    EXPECT_FALSE(std::filesystem::exists(partial));
    openConverted();

    // A folder that takes no new files.
    pvtest::WriteFile(path, old);
    std::filesystem::permissions(folder.Folder(),
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    const bool folderTakesFiles = std::ofstream(folder.File("probe")).good();
    if (!folderTakesFiles) {
        CAutoLearnDictionary refused;
        ASSERT_TRUE(refused.Open(path));
        EXPECT_FALSE(refused.ConvertedFile());
        EXPECT_EQ(refused.Records(), (std::vector<AutoLearnRecord>{{2, word.utf8}, {1, "plain"}}));
        refused.Close();
        EXPECT_EQ(pvtest::ReadFile(path), old);
    }
    std::filesystem::permissions(folder.Folder(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
#endif
}

TEST_F(AutoLearnConversionTest, AReadOnlyAnsiFileIsConvertedInMemoryOnly)
{
    const AnsiWord& word = kWords[1];
    const std::string old = RecordBytes(1, word.ansi);
    pvtest::WriteFile(path, old);
#ifdef _WIN32
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
#else
    std::filesystem::permissions(path, std::filesystem::perms::owner_read, std::filesystem::perm_options::replace);
#endif
    bool writable = false;
    {
        CAutoLearnDictionary store;
        store.SetLegacyCodePage(PortableCodePage(word.codePage));
        EXPECT_TRUE(store.Open(path));
        writable = store.IsWritable();
        if (!writable) {
            EXPECT_TRUE(store.FoundAnsiFile());
            EXPECT_EQ(store.Records(), (std::vector<AutoLearnRecord>{{1, word.utf8}}));
            EXPECT_EQ(store.FirstSuggestion("M\xC3\xBC"), word.utf8);
            EXPECT_EQ(store.Learn(word.utf8 + " "), LearnOutcome::WriteFailed);
        }
    }
#ifdef _WIN32
    CloseHandle(other);
#endif
    if (writable)
        GTEST_SKIP() << "this account may write read-only files";
    EXPECT_EQ(pvtest::ReadFile(path), old);
    EXPECT_FALSE(std::filesystem::exists(partial));
}

TEST_F(AutoLearnConversionTest, AWordBeyondAsciiIsOfferedAsAsciiWordsAre)
{
    CAutoLearnDictionary store;
    ASSERT_TRUE(store.Open(path));
    store.SetOfferThreshold(2);  // offered once learnt twice
    for (const std::string word : {"boat",
                                   "\xC5\x82\xC3\xB3"
                                   "dka"}) {  // "łódka"
        SCOPED_TRACE(word);
        const std::string prefix = word.substr(0, Utf8CutLength(word, 3));
        EXPECT_EQ(store.Learn(word + " "), LearnOutcome::Added);
        EXPECT_EQ(store.FirstSuggestion(prefix), "");
        EXPECT_EQ(store.Learn("and " + word + ", "), LearnOutcome::Counted);
        EXPECT_EQ(store.FirstSuggestion(prefix), word);
    }
    store.Close();
    ASSERT_TRUE(store.Open(path));
    EXPECT_EQ(store.Records(), (std::vector<AutoLearnRecord>{{2, "boat"},
                                                             {2,
                                                              "\xC5\x82\xC3\xB3"
                                                              "dka"}}));
}

}  // namespace
