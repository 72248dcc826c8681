// CProfileFile and CProfileUpdate against real INI files through the system's profile functions.
#include "config/ProfileFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/ProfileUpdate.h"
#include "tests/config/WinTestFiles.h"

using configtest::Exists;
using configtest::ReadRaw;
using configtest::ScratchDir;
using configtest::WriteRaw;

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { m_path = m_dir.File("test.ini"); }
    void Write(const std::string& text) { ASSERT_TRUE(WriteRaw(m_path, text)); }

    ScratchDir m_dir;
    std::string m_path;
};

}  // namespace

TEST_F(ProfileFileTest, PathIsCopiedAndCanBeCleared)
{
    std::string source = m_path;
    CProfileFile ini(source.c_str());
    source.assign(source.size(), 'x');
    EXPECT_EQ(m_path, ini.Path());
    char small[5];
    EXPECT_EQ(4u, ini.GetPath(small, sizeof small));
    EXPECT_EQ(0, std::strncmp(small, m_path.c_str(), 4));
    EXPECT_EQ(m_path.size() + 1, ini.GetPath(nullptr, 0));
    ini.SetPath(nullptr);
    EXPECT_EQ(1u, ini.GetPath(nullptr, 0));
    // Without a path nothing is read or written (no stray file elsewhere).
    EXPECT_FALSE(ini.WriteText("S", "k", "v"));
    EXPECT_EQ("dflt", ini.ReadText("S", "k", "dflt"));
}

TEST_F(ProfileFileTest, LongValuesAreReadWhole)
{
    const std::string value700(700, 'q');
    const std::string value511(511, 'r');  // exactly fills the first buffer
    const std::string value100k = std::string(100000, 's') + "end";
    Write("[S]\nlong=" + value700 + "\nedge=" + value511 + "\nhuge=" + value100k + "\n");
    CProfileFile ini(m_path.c_str());
    EXPECT_EQ(value700, ini.ReadText("S", "long"));
    EXPECT_EQ(value511, ini.ReadText("S", "edge"));
    EXPECT_EQ(value100k, ini.ReadText("S", "huge"));
    EXPECT_EQ("", ini.ReadText("S", "missing"));
    EXPECT_EQ("d", ini.ReadText("S", "missing", "d"));
    EXPECT_EQ("d", ini.ReadText(nullptr, "long", "d"));
    EXPECT_EQ("d", ini.ReadText("S", nullptr, "d"));
    EXPECT_FALSE(ini.WriteText(nullptr, "k", "v"));
    EXPECT_FALSE(ini.WriteText("S", nullptr, "v"));
}

TEST_F(ProfileFileTest, TypedReadsFollowTheTextForms)
{
    Write(
        "[N]\nmixed=12abc\nhex=ff\nneg=-5\nbig=4294967295\nempty=\n"
        "[B]\nyes=YES\ntrue=True\ntwo=2\nno=no\nempty=\nhex=0x1\n");
    CProfileFile ini(m_path.c_str());
    EXPECT_EQ(12u, ini.ReadUnsigned("N", "mixed", 7));
    EXPECT_EQ(255u, ini.ReadUnsigned("N", "hex", 7, 16));
    EXPECT_EQ(0u, ini.ReadUnsigned("N", "hex", 7, 10));
    EXPECT_EQ(0u, ini.ReadUnsigned("N", "hex", 7, 7));
    EXPECT_EQ(-5, ini.ReadSigned("N", "neg", 7));
    EXPECT_EQ(4294967295u, ini.ReadUnsigned("N", "big", 7));
    EXPECT_EQ(7u, ini.ReadUnsigned("N", "empty", 7));
    EXPECT_EQ(7u, ini.ReadUnsigned("N", "missing", 7));
    EXPECT_TRUE(ini.ReadBool("B", "yes", false));
    EXPECT_TRUE(ini.ReadBool("B", "true", false));
    EXPECT_TRUE(ini.ReadBool("B", "two", false));
    EXPECT_FALSE(ini.ReadBool("B", "no", true));
    EXPECT_FALSE(ini.ReadBool("B", "hex", true));
    EXPECT_TRUE(ini.ReadBool("B", "empty", true));
    EXPECT_FALSE(ini.ReadBool("B", "empty", false));
    EXPECT_EQ('Y', ini.ReadChar("B", "yes", 'z'));
    EXPECT_EQ('z', ini.ReadChar("B", "empty", 'z'));
}

TEST_F(ProfileFileTest, WritesUseTheTextFormsOfEachRadix)
{
    CProfileFile ini(m_path.c_str());
    EXPECT_TRUE(ini.WriteSigned("W", "minus", -1, 16));
    EXPECT_TRUE(ini.WriteUnsigned("W", "five", 5, 2));
    EXPECT_TRUE(ini.WriteSigned("W", "dec", -42, 10));
    EXPECT_TRUE(ini.WriteBool("W", "flag", true));
    EXPECT_TRUE(ini.WriteChar("W", "ch", 'x'));
    EXPECT_TRUE(ini.WriteDouble("W", "pi", 3.14159, 2));
    EXPECT_EQ("FFFFFFFF", ini.ReadText("W", "minus"));
    EXPECT_EQ("101", ini.ReadText("W", "five"));
    EXPECT_EQ("-42", ini.ReadText("W", "dec"));
    EXPECT_EQ("1", ini.ReadText("W", "flag"));
    EXPECT_EQ("3.14", ini.ReadText("W", "pi"));
    EXPECT_DOUBLE_EQ(3.14, ini.ReadDouble("W", "pi", 0.0));

    EXPECT_TRUE(ini.AddToSigned("W", "minus", 2, 16));  // FFFFFFFF + 2 wraps to 1
    EXPECT_EQ("1", ini.ReadText("W", "minus"));
    EXPECT_TRUE(ini.AddToUnsigned("W", "counter", 3));
    EXPECT_TRUE(ini.AddToUnsigned("W", "counter", 4));
    EXPECT_EQ(7u, ini.ReadUnsigned("W", "counter", 0));
    EXPECT_TRUE(ini.ToggleBool("W", "flag"));
    EXPECT_EQ("0", ini.ReadText("W", "flag"));
    EXPECT_TRUE(ini.ToggleBool("W", "newflag"));  // missing reads as false
    EXPECT_EQ("1", ini.ReadText("W", "newflag"));
    EXPECT_TRUE(ini.AddToDouble("W", "sum", 1.5, 1));
    EXPECT_TRUE(ini.AddToDouble("W", "sum", 1.5, 1));
    EXPECT_EQ("3.0", ini.ReadText("W", "sum"));
    EXPECT_TRUE(ini.AppendText("W", "ch", "yz"));
    EXPECT_TRUE(ini.AppendText("W", "ch", nullptr));
    EXPECT_EQ("xyz", ini.ReadText("W", "ch"));
}

TEST_F(ProfileFileTest, ByteBlocksPointsAndRects)
{
    Write("[X]\nblock=1A2B3C\nbad=1A2G\nshort=0102\n");
    CProfileFile ini(m_path.c_str());
    unsigned char buffer[2] = {0xEE, 0xEE};
    EXPECT_EQ(2u, ini.ReadBytes("X", "block", buffer, 2, 0));
    EXPECT_EQ(0x1A, buffer[0]);
    EXPECT_EQ(0x2B, buffer[1]);
    buffer[0] = buffer[1] = 0xEE;
    EXPECT_EQ(1u, ini.ReadBytes("X", "block", buffer, 2, 2));
    EXPECT_EQ(0x3C, buffer[0]);
    EXPECT_EQ(0xEE, buffer[1]);
    EXPECT_EQ(0u, ini.ReadBytes("X", "block", buffer, 2, 3));
    EXPECT_EQ(3u, ini.ReadBytes("X", "block", nullptr, 0, 0));
    buffer[0] = 0xEE;
    EXPECT_EQ(0u, ini.ReadBytes("X", "bad", buffer, 2, 0));
    EXPECT_EQ(0xEE, buffer[0]);

    const unsigned char bytes[3] = {0x00, 0xAB, 0xFF};
    EXPECT_TRUE(ini.WriteBytes("X", "out", bytes, 3));
    EXPECT_EQ("00ABFF", ini.ReadText("X", "out"));
    EXPECT_FALSE(ini.WriteBytes("X", "none", bytes, 0));
    EXPECT_FALSE(ini.HasKey("X", "none"));
    EXPECT_TRUE(ini.AppendBytes("X", "out", bytes + 1, 1));
    EXPECT_EQ("00ABFFAB", ini.ReadText("X", "out"));

    const POINT point = {-3, 70000};
    EXPECT_TRUE(ini.WritePoint("X", "pt", point));
    POINT back = ini.ReadPoint("X", "pt", POINT{1, 1});
    EXPECT_EQ(-3, back.x);
    EXPECT_EQ(70000, back.y);
    back = ini.ReadPoint("X", "short", POINT{9, 8});  // two bytes are too few: default
    EXPECT_EQ(9, back.x);
    const RECT rect = {1, -2, 300, 400};
    EXPECT_TRUE(ini.WriteRect("X", "rc", rect));
    RECT rb = ini.ReadRect("X", "rc", RECT{0, 0, 0, 0});
    EXPECT_EQ(0, std::memcmp(&rect, &rb, sizeof rect));
    rb = ini.ReadRect("X", "pt", RECT{5, 5, 5, 5});  // a point is too short for a rectangle
    EXPECT_EQ(5, rb.left);
}

TEST_F(ProfileFileTest, SectionsKeysAndMarker)
{
    Write("[First]\na = 1\n=x\nempty=\n[Second]\nk=v\n[third]\n");
    CProfileFile ini(m_path.c_str());
    std::vector<std::string> names;
    EXPECT_EQ(3u, ini.SectionNames(names));
    EXPECT_EQ((std::vector<std::string>{"First", "Second", "third"}), names);
    EXPECT_EQ(2u, ini.KeyNames("First", names));
    EXPECT_EQ((std::vector<std::string>{"a", "empty"}), names);
    EXPECT_TRUE(ini.HasKey("First", "empty"));
    EXPECT_FALSE(ini.HasKey("First", "nothere"));
    EXPECT_FALSE(ini.HasKey("Nowhere", "a"));
    EXPECT_TRUE(ini.HasSection("SECOND"));
    EXPECT_FALSE(ini.HasSection("Fourth"));
    // A value that is the marker itself counts as missing.
    ASSERT_TRUE(ini.WriteText("Second", "marker", "{63788286-AE30-4D6B-95DF-3B451C1C79F9}"));
    EXPECT_FALSE(ini.HasKey("Second", "marker"));

    EXPECT_TRUE(ini.RemoveKey("Second", "marker"));
    EXPECT_TRUE(ini.KeyLines("Second", names) == 1u && names[0] == "k=v");
    EXPECT_TRUE(ini.RemoveSection("First"));
    ini.SectionNames(names);
    EXPECT_EQ((std::vector<std::string>{"Second", "third"}), names);
}

TEST_F(ProfileFileTest, ManySectionsGrowTheBuffer)
{
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "[Section" + std::to_string(i) + "]\nkey" + std::to_string(i) + "=v\n";
    text += "[Big]\n";
    for (int i = 0; i < 400; ++i)
        text += "longkeyname" + std::to_string(i) + "=value\n";
    Write(text);
    CProfileFile ini(m_path.c_str());
    std::vector<std::string> names;
    ASSERT_EQ(401u, ini.SectionNames(names));
    EXPECT_EQ("Section0", names.front());
    EXPECT_EQ("Section399", names[399]);
    EXPECT_EQ("Big", names.back());
    ASSERT_EQ(400u, ini.KeyNames("Big", names));
    EXPECT_EQ("longkeyname399", names.back());
}

TEST_F(ProfileFileTest, ListsCopyAndMove)
{
    CProfileFile ini(m_path.c_str());
    EXPECT_TRUE(ini.WriteList("L", "items", {"a", "b", "c"}, 2, "; "));
    EXPECT_EQ("a; b", ini.ReadText("L", "items"));
    std::vector<std::string> list;
    EXPECT_EQ(2u, ini.ReadList("L", "items", list, ";"));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), list);

    ASSERT_TRUE(ini.WriteText("Src", "k1", "v1"));
    ASSERT_TRUE(ini.WriteText("Src", "k2", "v2"));
    EXPECT_FALSE(ini.CopySection("Src", "SRC", false));  // same name
    EXPECT_FALSE(ini.CopySection("Missing", "Dst", false));
    EXPECT_TRUE(ini.CopySection("Src", "Dst", false));
    EXPECT_EQ("v2", ini.ReadText("Dst", "k2"));
    ASSERT_TRUE(ini.WriteText("Dst", "extra", "x"));
    EXPECT_FALSE(ini.CopySection("Src", "Dst", true));
    EXPECT_TRUE(ini.CopySection("Src", "Dst", false));  // the old target goes first
    EXPECT_FALSE(ini.HasKey("Dst", "extra"));
    EXPECT_TRUE(ini.MoveSection("Src", "Moved", false));
    EXPECT_FALSE(ini.HasSection("Src"));
    EXPECT_EQ("v1", ini.ReadText("Moved", "k1"));

    EXPECT_FALSE(ini.CopyKey("Moved", "k1", "moved", "K1", false));  // same place
    EXPECT_FALSE(ini.CopyKey("Moved", "none", "Other", "k", false));
    EXPECT_TRUE(ini.CopyKey("Moved", "k1", "Other", "k", false));
    EXPECT_FALSE(ini.CopyKey("Moved", "k2", "Other", "k", true));
    EXPECT_EQ("v1", ini.ReadText("Other", "k"));
    EXPECT_TRUE(ini.MoveKey("Moved", "k2", "Other", "k", false));
    EXPECT_EQ("v2", ini.ReadText("Other", "k"));
    EXPECT_FALSE(ini.HasKey("Moved", "k2"));
}

TEST_F(ProfileFileTest, CorruptFilesNeverCrashAndGiveDefaults)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) & 0xFF);
    const std::vector<std::string> inputs = {
        junk,
        "[S]\nnoequals\n=\n==\n[\n]\n[]\nk=\n",
        "[S\nk=1\n",
        std::string("[S]\nk=1\0junk\n[T]\nz=2\n", 21),
        "[S]\nk=" + std::string(300000, '9') + "\n",
        std::string(200000, '['),
        "\xEF\xBB\xBF[S]\r\nk=12\r\n",
    };
    for (const std::string& input : inputs) {
        Write(input);
        CProfileFile ini(m_path.c_str());
        std::vector<std::string> names;
        ini.SectionNames(names);
        ini.KeyNames("S", names);
        ini.KeyLines("S", names);
        uint32_t number = ini.ReadUnsigned("S", "k", 77);
        EXPECT_TRUE(number == 77 || number == 1 || number == 12 || number == 0xFFFFFFFFu) << number;
        unsigned char bytes[10];
        std::memset(bytes, 0x55, sizeof bytes);
        if (ini.ReadBytes("S", "missing", bytes, sizeof bytes, 0) == 0) {
            for (unsigned char b : bytes)
                EXPECT_EQ(0x55, b);
        }
        EXPECT_EQ(4u, ini.ReadUnsigned("Nothing", "k", 4));
    }
}

// ---- staged updates ----------------------------------------------------------------------

TEST_F(ProfileFileTest, StagedUpdateReplacesTheFileAndLeavesNoCopies)
{
    Write("[Keep]\nx=1\n[Edit]\na=old\nb=2\n");
    {
        CProfileUpdate update(m_path);
        ASSERT_TRUE(update.IsStaged());
        EXPECT_TRUE(update.WriteText("Edit", "a", "new"));
        EXPECT_TRUE(update.RemoveKey("Edit", "b"));
        EXPECT_TRUE(update.WriteText("Added", "c", "  spaced  "));
        // Not visible before the commit.
        EXPECT_EQ("old", CProfileFile(m_path.c_str()).ReadText("Edit", "a"));
        EXPECT_TRUE(update.Commit());
    }
    CProfileFile ini(m_path.c_str());
    EXPECT_EQ("1", ini.ReadText("Keep", "x"));
    EXPECT_EQ("new", ini.ReadText("Edit", "a"));
    EXPECT_FALSE(ini.HasKey("Edit", "b"));
    EXPECT_EQ("spaced", ini.ReadText("Added", "c"));
    EXPECT_EQ((std::vector<std::string>{"test.ini"}), m_dir.Entries());
}

TEST_F(ProfileFileTest, StagedUpdateCreatesAMissingFileAndDropsAnUncommittedOne)
{
    {
        CProfileUpdate update(m_path);
        ASSERT_TRUE(update.IsStaged());
        update.WriteText("S", "k", "v");
    }  // no commit
    EXPECT_FALSE(Exists(m_path));
    EXPECT_TRUE(m_dir.Entries().empty());
    {
        CProfileUpdate update(m_path);
        update.WriteText("S", "k", "v");
        EXPECT_TRUE(update.Commit());
    }
    EXPECT_EQ("v", CProfileFile(m_path.c_str()).ReadText("S", "k"));
    CProfileUpdate nothing(m_path);
    EXPECT_TRUE(nothing.Commit());  // nothing to write is no failure
    EXPECT_EQ((std::vector<std::string>{"test.ini"}), m_dir.Entries());
}

TEST_F(ProfileFileTest, ReadOnlyFileIsNeverTouched)
{
    const std::string original = "[S]\nk=keep\n";
    Write(original);
    ASSERT_TRUE(SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_READONLY));
    CProfileUpdate update(m_path);
    EXPECT_FALSE(update.IsStaged());
    EXPECT_FALSE(update.WriteText("S", "k", "changed"));
    EXPECT_FALSE(update.Commit());
    SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(original, ReadRaw(m_path));
    EXPECT_EQ((std::vector<std::string>{"test.ini"}), m_dir.Entries());
}

TEST_F(ProfileFileTest, LockedFileIsNeverTouched)
{
    const std::string original = "[S]\nk=keep\n";
    Write(original);
    // Held open for writing by someone else: nothing is staged.
    HANDLE writer = CreateFileA(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    {
        CProfileUpdate update(m_path);
        EXPECT_FALSE(update.IsStaged());
        update.WriteText("S", "k", "changed");
        EXPECT_FALSE(update.Commit());
    }
    CloseHandle(writer);
    EXPECT_EQ(original, ReadRaw(m_path));

    // Opened by a reader that does not allow it to be replaced: the rename is refused.
    HANDLE reader = CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    {
        CProfileUpdate update(m_path);
        ASSERT_TRUE(update.IsStaged());
        update.WriteText("S", "k", "changed");
        EXPECT_FALSE(update.Commit());
    }
    CloseHandle(reader);
    EXPECT_EQ(original, ReadRaw(m_path));
    EXPECT_EQ((std::vector<std::string>{"test.ini"}), m_dir.Entries());
}

TEST_F(ProfileFileTest, CutShortCopyIsNotCommitted)
{
    std::string original = "[A]\nk=1\n";
    for (int i = 0; i < 50; ++i)
        original += "[Later" + std::to_string(i) + "]\nv=" + std::to_string(i) + "\n";
    Write(original);
    CProfileUpdate update(m_path);
    ASSERT_TRUE(update.IsStaged());
    ASSERT_TRUE(update.WriteText("A", "k", "2"));
    // Something (a crash of the writer, a full disk) leaves the copy cut after its first part.
    std::string copyPath;
    for (const std::string& name : m_dir.Entries()) {
        if (name != "test.ini")
            copyPath = m_dir.File(name.c_str());
    }
    ASSERT_FALSE(copyPath.empty());
    std::string staged = ReadRaw(copyPath);
    ASSERT_TRUE(WriteRaw(copyPath, staged.substr(0, staged.size() / 2)));
    EXPECT_FALSE(update.Commit());
    EXPECT_EQ(original, ReadRaw(m_path));
}

TEST_F(ProfileFileTest, FileChangedByAnotherWriterMeanwhileIsNotOverwritten)
{
    Write("[S]\nk=1\n");
    CProfileUpdate update(m_path);
    ASSERT_TRUE(update.IsStaged());
    update.WriteText("S", "mine", "x");
    Sleep(20);
    const std::string theirs = "[S]\nk=1\ntheirs=y\n";
    Write(theirs);
    EXPECT_FALSE(update.Commit());
    EXPECT_EQ(theirs, ReadRaw(m_path));
}

TEST_F(ProfileFileTest, StagedUpdateWorksOnUnicodeFiles)
{
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("[\0S\0]\0\r\0\n\0k\0=\0o\0l\0d\0\r\0\n\0", 24);
    const std::string utf8 = "\xEF\xBB\xBF[S]\r\nk=old\r\nname=Caf\xC3\xA9\r\n";
    for (const std::string& original : {utf16, utf8}) {
        Write(original);
        CProfileUpdate update(m_path);
        ASSERT_TRUE(update.IsStaged());
        EXPECT_TRUE(update.WriteText("S", "k", "new"));
        EXPECT_TRUE(update.WriteText("T", "x", "1"));
        EXPECT_TRUE(update.Commit());
        CProfileFile ini(m_path.c_str());
        EXPECT_EQ("new", ini.ReadText("S", "k"));
        EXPECT_EQ("1", ini.ReadText("T", "x"));
    }
}

// The system writes a character its code page lacks into an ANSI file as a look-alike: such a file becomes
// UTF-16 first, and a file that holds nothing beyond the code page stays (or goes back to) ANSI.
TEST_F(ProfileFileTest, TextBeyondTheCodePageTurnsTheFileUtf16WithItsTextKept)
{
    const std::string ansi = "[S]\r\nold=C:\\Apps\\x.exe\r\n";
    Write(ansi);
    CProfileFile ini(m_path.c_str());
    EXPECT_TRUE(ini.WriteText("S", "old", "C:\\Apps\\x.exe"));
    EXPECT_EQ(ansi, ReadRaw(m_path));

    EXPECT_TRUE(ini.WriteText("S", "path", "C:\\Łódź\\app.exe"));
    EXPECT_TRUE(ini.WriteText("Окно", "caption", "Привет → ✓"));
    EXPECT_EQ("\xFF\xFE", ReadRaw(m_path).substr(0, 2));
    EXPECT_EQ("C:\\Łódź\\app.exe", ini.ReadText("S", "path"));
    EXPECT_EQ("Привет → ✓", ini.ReadText("Окно", "caption"));
    EXPECT_EQ("C:\\Apps\\x.exe", ini.ReadText("S", "old"));
    EXPECT_TRUE(ini.HasSection("Окно"));
    std::vector<std::string> lines;
    ini.KeyLines("Окно", lines);
    EXPECT_EQ((std::vector<std::string>{"caption=Привет → ✓"}), lines);
}

TEST_F(ProfileFileTest, StagedUpdatesKeepTextBeyondTheCodePageAndGoBackToAnsiWithout)
{
    for (CProfileUpdate::Writes writes : {CProfileUpdate::Writes::Each, CProfileUpdate::Writes::Together}) {
        Write("[S]\r\nk=1\r\n");
        {
            CProfileUpdate update(m_path, writes);
            EXPECT_TRUE(update.WriteText("APP1", "PATH", "C:\\Łódź\\app.exe"));
            EXPECT_TRUE(update.Commit());
        }
        EXPECT_EQ("\xFF\xFE", ReadRaw(m_path).substr(0, 2));
        EXPECT_EQ("C:\\Łódź\\app.exe", CProfileFile(m_path.c_str()).ReadText("APP1", "PATH"));
        std::string text;
        ASSERT_TRUE(CProfileUpdate::ReadFileText(m_path, &text));
        EXPECT_NE(std::string::npos, text.find("PATH=C:\\Łódź\\app.exe"));
        {
            CProfileUpdate update(m_path, writes);
            EXPECT_TRUE(update.RemoveSection("APP1"));
            EXPECT_TRUE(update.Commit());
        }
        const std::string after = ReadRaw(m_path);
        EXPECT_NE("\xFF\xFE", after.substr(0, 2));
        EXPECT_EQ(0u, after.find("[S]\r\nk=1\r\n"));
    }
}

TEST_F(ProfileFileTest, OldLeftoverCopiesAreCleanedUpYoungOnesKept)
{
    Write("[S]\nk=1\n");
    const std::string old = m_path + ".99-1.pvtmp";
    const std::string young = m_path + ".98-1.pvtmp";
    ASSERT_TRUE(WriteRaw(old, "[S]\nk=half"));
    ASSERT_TRUE(WriteRaw(young, "[S]\nk=busy"));
    HANDLE file = CreateFileA(old.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    FILETIME longAgo = {0x10000000u, 0x01D00000u};  // some year long past
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &longAgo));
    CloseHandle(file);
    {
        CProfileUpdate update(m_path);
        update.WriteText("S", "k", "2");
        EXPECT_TRUE(update.Commit());
    }
    EXPECT_FALSE(Exists(old));
    EXPECT_TRUE(Exists(young));
    EXPECT_EQ("2", CProfileFile(m_path.c_str()).ReadText("S", "k"));
}
