#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

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

}  // namespace
