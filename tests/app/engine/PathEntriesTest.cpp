// The path source on its own: which entries of a typed drive path's folder it offers.
#include "EngineFakes.h"

using namespace enginetest;

TEST(PathEntries, OffersTheEntriesHoldingTheTypedNameAndTellsAnUnlistedFolderFromAnEmptyFind)
{
    FakeFiles files;
    TestCodePage codePage;
    files.Add("C:\\Data\\*.*", ".", kFileAttributeDirectory);
    files.Add("C:\\Data\\*.*", "..", kFileAttributeDirectory);
    files.Add("C:\\Data\\*.*", "Reports", kFileAttributeDirectory | 0x1);
    files.Add("C:\\Data\\*.*", "old report.txt", 0x20);
    files.Add("C:\\Data\\*.*", "notes.txt", 0x20);
    CPathEntries paths(files, codePage);

    std::vector<DictionaryMatch> found;
    ASSERT_TRUE(paths.List("C:\\Data\\REPO", found));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].key, "Reports");
    EXPECT_EQ(found[0].type, KIND_FOLDER);  // read-only, still a folder
    EXPECT_EQ(found[1].type, KIND_FILE);

    found.clear();
    EXPECT_TRUE(paths.List("C:\\Data\\zzz", found));  // listed, nothing fits
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(paths.List("C:\\Nowhere\\a", found));
    EXPECT_FALSE(paths.List("report", found));
    EXPECT_EQ(files.listed.size(), 3u);  // no listing for a word

    std::vector<ScoredCandidate> collected;
    CandidateQuery query;
    query.key = "C:\\Data\\";
    paths.Collect(query, collected);
    EXPECT_EQ(collected.size(), 3u);
}
