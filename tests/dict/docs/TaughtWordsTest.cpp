// What taught text leaves in the usage store and for AutoLearn.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "dict/DocumentTeachingJob.h"
#include "dict/TaughtWords.h"
#include "dict/UsageModel.h"
#include "tests/support/TempFolder.h"

namespace {

std::map<std::string, std::uint32_t> CountsOf(const CTaughtWords& taught)
{
    std::map<std::string, std::uint32_t> counts;
    for (const CTaughtWords::Word& word : taught.Words())
        counts[word.text] = word.count;
    return counts;
}

std::map<std::string, std::uint32_t> PairsOf(const CTaughtWords& taught)
{
    std::map<std::string, std::uint32_t> pairs;
    for (const CTaughtWords::Pair& pair : taught.Pairs())
        pairs[taught.Words()[pair.previous].text + " " + taught.Words()[pair.word].text] = pair.count;
    return pairs;
}

// The dictionaries of these tests: a few small words.
int SmallDictionary(std::string_view word)
{
    static const std::map<std::string, int, std::less<>> kRanks{{"the", 900}, {"cat", 500}, {"sat", 400}, {"on", 800}};
    const auto found = kRanks.find(word);
    return found == kRanks.end() ? -1 : found->second;
}

}  // namespace

TEST(TaughtWords, CountsWordsAndPairsOnlyAcrossBlanks)
{
    CTaughtWords taught;
    taught.Add("The cat sat, on the mat. The cat\nsat don't\n\nstop-gap here");
    taught.EndDocument();
    const auto counts = CountsOf(taught);
    EXPECT_EQ(counts.at("The"), 2u);
    EXPECT_EQ(counts.at("cat"), 2u);
    EXPECT_EQ(counts.at("don't"), 1u);
    EXPECT_EQ(counts.at("stop-gap"), 1u);
    const auto pairs = PairsOf(taught);
    EXPECT_EQ(pairs.at("The cat"), 2u);
    EXPECT_EQ(pairs.at("cat sat"), 2u);            // a line's end is a blank
    EXPECT_EQ(pairs.count("sat on"), 0u);          // a comma between
    EXPECT_EQ(pairs.count("mat The"), 0u);         // a full stop between
    EXPECT_EQ(pairs.count("don't stop-gap"), 0u);  // a blank line between
    EXPECT_EQ(pairs.at("stop-gap here"), 1u);
}

TEST(TaughtWords, AWordCutBetweenPiecesIsOneWordAndDocumentsDoNotPair)
{
    CTaughtWords taught;
    taught.Add("Xantho");
    taught.Add("porix rules");
    taught.EndDocument();
    taught.Add("again");
    taught.EndDocument();
    const auto counts = CountsOf(taught);
    EXPECT_EQ(counts.count("Xanthoporix"), 1u);
    EXPECT_EQ(counts.count("Xantho"), 0u);
    EXPECT_EQ(PairsOf(taught).count("rules again"), 0u);
    EXPECT_EQ(PairsOf(taught).at("Xanthoporix rules"), 1u);
}

TEST(TaughtWords, SecretsAndAddressesAreNotLearnt)
{
    for (const char* secret : {"hunter2abc9", "sk_live_4f9a8b7c6d", "AKIA1234ABCD5678", "c2VjcmV0LXRva2VuLTEyMzQ="})
        EXPECT_TRUE(CTaughtWords::LooksSecret(secret)) << secret;
    for (const char* word : {"COVID-19", "MP3", "Windows", "1234567890", "x86", "well-known", "2nd"})
        EXPECT_FALSE(CTaughtWords::LooksSecret(word)) << word;

    CTaughtWords taught;
    taught.Add("password Tr0ub4dor9x mail me@example.com or https://example.com/path www.example.org now");
    taught.EndDocument();
    const auto counts = CountsOf(taught);
    EXPECT_EQ(taught.SecretsLeftOut(), 1u);
    for (const char* left : {"Tr0ub4dor9x", "Tr", "example", "me", "https", "path", "www", "org"})
        EXPECT_EQ(counts.count(left), 0u) << left;
    EXPECT_EQ(counts.count("password"), 1u);
    EXPECT_EQ(PairsOf(taught).count("password mail"), 0u);  // the secret stood between
}

TEST(TaughtWords, LimitsStopNewWordsButCountTheKnownOnes)
{
    CTaughtWords taught(CTaughtWords::Limits{2, 1});
    taught.Add("alpha beta gamma alpha beta delta");
    taught.EndDocument();
    const auto counts = CountsOf(taught);
    EXPECT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts.at("alpha"), 2u);
    EXPECT_EQ(PairsOf(taught).size(), 1u);
    EXPECT_EQ(PairsOf(taught).at("alpha beta"), 2u);
}

TEST(TaughtWords, TeachesTheUsageStoreAndNamesTheUnknownWords)
{
    CTaughtWords taught;
    taught.Add("The cat sat on Xanthoporix. The cat sat. Xanthoporix again, Xanthoporix. Qwz");
    taught.EndDocument();
    CUsageModel usage;
    taught.TeachUsage(usage, SmallDictionary);
    CUsageModel::Word word{};
    ASSERT_TRUE(usage.Find("the", word));
    EXPECT_EQ(word.text, "the");  // the sentence's capital dropped: the dictionary knows it small
    EXPECT_EQ(word.count, 2u);
    EXPECT_TRUE(word.known);
    ASSERT_TRUE(usage.Find("Xanthoporix", word));
    EXPECT_EQ(word.text, "Xanthoporix");
    EXPECT_FALSE(word.known);
    EXPECT_EQ(usage.PairCount("cat", "sat"), 2u);
    EXPECT_EQ(usage.PairCount("the", "cat"), 2u);
    EXPECT_EQ(usage.TypedWords(), 12u);

    const std::vector<AutoLearnRecord> unknown = taught.UnknownWords(SmallDictionary, 3, 2, 10);
    ASSERT_EQ(unknown.size(), 1u);
    EXPECT_EQ(unknown[0].text, "Xanthoporix");
    EXPECT_EQ(unknown[0].count, 3);
    EXPECT_EQ(taught.UnknownWords(SmallDictionary, 3, 1, 10).size(), 3u);  // "again", "Qwz" too
    EXPECT_EQ(taught.UnknownWords(SmallDictionary, 3, 1, 1).size(), 1u);
}

TEST(TaughtWords, TeachingABoundedStoreKeepsTheFrequentWords)
{
    CUsageModel usage(CUsageModel::Limits{8, 8});
    CTaughtWords taught;
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "word" + std::string(1, static_cast<char>('a' + i % 26)) +
                std::string(1, static_cast<char>('a' + i / 26)) + " ";
    for (int i = 0; i < 5; ++i)
        text += "frequent ";
    taught.Add(text);
    taught.EndDocument();
    taught.TeachUsage(usage, SmallDictionary);
    CUsageModel::Word word{};
    EXPECT_LE(usage.WordCount(), 8u);
    EXPECT_LE(usage.PairCountTotal(), 8u);
    ASSERT_TRUE(usage.Find("frequent", word));
    EXPECT_EQ(word.count, 5u);
}

TEST(DocumentTeaching, AJobReadsFoldersAndACancelledOneSaysSo)
{
    pvtest::TempFolder folder;
    std::filesystem::create_directories(folder.File("sub"));
    ASSERT_TRUE(pvtest::WriteFile(folder.File("a.txt"), "Xanthoporix met Xanthoporix"));
    ASSERT_TRUE(pvtest::WriteFile(folder.File("sub/b.md"), "# Xanthoporix\n```\nhidden\n```\n"));
    ASSERT_TRUE(pvtest::WriteFile(folder.File("c.docx"), "not an archive"));
    ASSERT_TRUE(pvtest::WriteFile(folder.File("photo.jpg"), "Xanthoporix"));
    {
        CDocumentTeachingJob job({folder.Folder()});
        job.Start();
        while (!job.IsDone())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_TRUE(job.Completed());
        EXPECT_EQ(job.Report().documents, 2u);
        ASSERT_EQ(job.Report().unread.size(), 1u);  // the damaged .docx; the .jpg is no document
        EXPECT_EQ(job.CurrentProgress().done, 3u);
        const auto counts = CountsOf(*job.TakeWords());
        EXPECT_EQ(counts.at("Xanthoporix"), 3u);
        EXPECT_EQ(counts.count("hidden"), 0u);
    }
    CDocumentTeachingJob cancelled({folder.Folder()});
    cancelled.Cancel();
    cancelled.Start();
    while (!cancelled.IsDone())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(cancelled.Completed());
    EXPECT_TRUE(cancelled.TakeWords()->Words().empty());
}
