#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/FileIo.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return m_folder.File(name); }

    pvtest::TempFolder m_folder;
    fs::path m_dir{m_folder.Folder()};
};

TEST_F(FileIoTest, ReplaceMovesTheNewFileOverTheOld)
{
    pvtest::WriteFile(Path("target"), "old contents");
    pvtest::WriteFile(Path("fresh"), "new");
    ASSERT_TRUE(pvbase::ReplaceFileAtomically(Path("fresh"), Path("target")));
    EXPECT_EQ("new", pvtest::ReadFile(Path("target")));
    EXPECT_FALSE(fs::exists(Path("fresh")));
}

TEST_F(FileIoTest, FailedReplaceLeavesTheOldFileWhole)
{
    pvtest::WriteFile(Path("target"), "old contents");
    EXPECT_FALSE(pvbase::ReplaceFileAtomically(Path("missing"), Path("target")));
    EXPECT_EQ("old contents", pvtest::ReadFile(Path("target")));

    // A folder in the way of the new file: nothing may be lost either.
    fs::create_directories(Path("folder"));
    pvtest::WriteFile(Path("fresh"), "new");
    EXPECT_FALSE(pvbase::ReplaceFileAtomically(Path("fresh"), Path("folder")));
    EXPECT_EQ("new", pvtest::ReadFile(Path("fresh")));
    EXPECT_TRUE(fs::is_directory(Path("folder")));
}

TEST_F(FileIoTest, PositionalWritesAndReadsSurviveReopening)
{
    {
        auto file = pvbase::FileHandle::Open(Path("data"), pvbase::OpenMode::ReadWrite);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->Write(4, "tail", 4));
        ASSERT_TRUE(file->Write(0, "head", 4));
        EXPECT_TRUE(file->Flush());
    }
    auto file = pvbase::FileHandle::Open(Path("data"), pvbase::OpenMode::ReadOnly);
    ASSERT_TRUE(file);
    EXPECT_EQ(8, file->Size());
    char buffer[16] = {};
    EXPECT_EQ(8, file->Read(0, buffer, sizeof buffer));  // short at the end of the file
    EXPECT_EQ("headtail", std::string(buffer, 8));
    EXPECT_FALSE(file->Write(0, "x", 1));  // opened for reading only
}

TEST_F(FileIoTest, BadRequestsAreRefused)
{
    EXPECT_EQ(nullptr, pvbase::FileHandle::Open(Path("missing"), pvbase::OpenMode::ReadOnly));
    EXPECT_EQ(nullptr, pvbase::FileHandle::Open(m_dir.string(), pvbase::OpenMode::ReadOnly));  // a folder
    auto file = pvbase::FileHandle::Open(Path("data"), pvbase::OpenMode::CreateTruncate);
    ASSERT_TRUE(file);
    char byte;
    EXPECT_EQ(-1, file->Read(-1, &byte, 1));
    EXPECT_FALSE(file->Write(-1, "x", 1));
    EXPECT_FALSE(file->Resize(-1));
    EXPECT_TRUE(pvbase::RemoveFileIfExists(Path("never-there")));
}

TEST_F(FileIoTest, AFolderNamedBeyondTheCodePageTakesEveryOperation)
{
    const std::string separator(1, static_cast<char>(fs::path::preferred_separator));
    const std::string folder = m_folder.Folder() + separator + "Łódź";
    ASSERT_TRUE(fs::create_directory(fs::u8path(folder)));
    const std::string path = folder + separator + "słowa.txt";

    ASSERT_TRUE(pvbase::WriteFileAtomically(path, "pierwsze"));
    EXPECT_TRUE(fs::exists(fs::u8path(path)));  // under its own name, not its bytes in a code page
    {
        auto file = pvbase::FileHandle::Open(path, pvbase::OpenMode::ReadWrite);
        ASSERT_TRUE(file);
        EXPECT_TRUE(file->Write(8, " i drugie", 9));
    }
    std::string bytes;
    ASSERT_TRUE(pvbase::ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, "pierwsze i drugie");

    const std::string fresh = folder + separator + "żółw.new";
    ASSERT_TRUE(pvbase::WriteFileAtomically(fresh, "nowe"));
    ASSERT_TRUE(pvbase::ReplaceFileAtomically(fresh, path));
    ASSERT_TRUE(pvbase::ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, "nowe");
    EXPECT_FALSE(fs::exists(fs::u8path(fresh)));
    EXPECT_EQ(pvbase::FolderWriteFault(folder + separator), pvbase::FileFault::None);
#ifdef _WIN32
    std::vector<pvbase::FolderEntry> entries;
    ASSERT_TRUE(pvbase::ListFolder(folder + "\\*.txt", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "słowa.txt");
    EXPECT_FALSE(entries[0].attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(pvbase::ListFolder(folder + "\\*.lib", entries));
#endif
    EXPECT_TRUE(pvbase::RemoveFileIfExists(path));
    EXPECT_FALSE(fs::exists(fs::u8path(path)));
}

}  // namespace
