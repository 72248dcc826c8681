#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "base/FileIo.h"

namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / (std::string("pv_base_") + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const char* name) const { return (m_dir / name).string(); }
    static void Put(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path m_dir;
};

TEST_F(FileIoTest, ReplaceMovesTheNewFileOverTheOld)
{
    Put(Path("target"), "old contents");
    Put(Path("fresh"), "new");
    ASSERT_TRUE(pvbase::ReplaceFileAtomically(Path("fresh"), Path("target")));
    EXPECT_EQ("new", Get(Path("target")));
    EXPECT_FALSE(fs::exists(Path("fresh")));
}

TEST_F(FileIoTest, FailedReplaceLeavesTheOldFileWhole)
{
    Put(Path("target"), "old contents");
    EXPECT_FALSE(pvbase::ReplaceFileAtomically(Path("missing"), Path("target")));
    EXPECT_EQ("old contents", Get(Path("target")));

    // A folder in the way of the new file: nothing may be lost either.
    fs::create_directories(Path("folder"));
    Put(Path("fresh"), "new");
    EXPECT_FALSE(pvbase::ReplaceFileAtomically(Path("fresh"), Path("folder")));
    EXPECT_EQ("new", Get(Path("fresh")));
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
