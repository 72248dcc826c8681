#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dict/FolderListing.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

TEST(FolderListing, WildcardsIgnoreAsciiCase)
{
    EXPECT_TRUE(WildcardMatch("*.lib", "Words.LIB"));
    EXPECT_TRUE(WildcardMatch("*.lib", ".lib"));
    EXPECT_FALSE(WildcardMatch("*.lib", "words.lib.dic"));
    EXPECT_FALSE(WildcardMatch("*.lib", "words.libx"));
    EXPECT_TRUE(WildcardMatch("w?rd*.l*b", "word1.lxxb"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "abab"));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXbYbZc"));
}

TEST(FolderListing, ListsMatchingFilesSortedWithTheFolder)
{
    pvtest::TempFolder temp;
    const fs::path folder = temp.Folder();
    fs::create_directories(folder / "sub.lib");
    for (const char* name : {"b.lib", "A.LIB", "c.txt", "d.lib.dic", "C.lib"})
        std::ofstream(folder / name) << "x";

    const std::string base = folder.string();
    const std::vector<std::string> found = ListMatchingFiles(base + "/*.lib");
    const std::vector<std::string> expected = {base + "/A.LIB", base + "/b.lib", base + "/C.lib"};
    EXPECT_EQ(found, expected);

    EXPECT_TRUE(ListMatchingFiles(base + "/missing/*.lib").empty());
    EXPECT_TRUE(ListMatchingFiles(base + "/").empty());
}
