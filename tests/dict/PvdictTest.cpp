#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/dict/DictTestSupport.h"
#include "dict/interchange/ShorthandInterchange.h"
#include "tools/pvdict/PvdictCommands.h"

using namespace dicttest;

namespace {

struct Result {
    int code;
    std::string out;
    std::string err;
};

std::string ReadBack(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    std::fclose(file);
    return text;
}

Result Pvdict(const std::vector<std::string>& args, const std::string& input = "")
{
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    Result result;
    result.code = RunPvdict(args, in, out, err);
    std::fclose(in);
    result.out = ReadBack(out);
    result.err = ReadBack(err);
    return result;
}

// An error is one line on the error output and nothing on the normal one.
void ExpectOneLineError(const Result& result, int code)
{
    EXPECT_EQ(result.code, code);
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_EQ(result.err.rfind("pvdict: ", 0), 0u) << result.err;
}

}  // namespace

TEST(Pvdict, CreateFromTheReferenceRowsMakesTheReferenceFiles)
{
    TempFolder temp;
    struct Case {
        const char* name;
        std::vector<std::string> options;
    };
    const std::vector<Case> cases = {
        {"tiny", {}},
        {"medium", {}},
        {"large", {"--caption", "Large word list"}},
        {"big-data", {"--caption", "Big data"}},
        {"utf8", {"--keycode", "2", "--datacode", "2", "--input", "utf8", "--caption", "UTF-8 caf\xC3\xA9"}},
        {"shorthand",
         {"--type=2", "--caption", "Test Shorthands", "--description", "Shorthand fixture\r\nwith two lines"}},
        {"infoonly", {"--caption", "No entries yet"}},
    };
    for (const Case& c : cases) {
        const std::string file = temp.File(std::string(c.name) + ".lib");
        std::vector<std::string> args = {"create", file, "--from", FixturePath(std::string(c.name) + ".input.tsv")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        Result created = Pvdict(args);
        ASSERT_EQ(created.code, 0) << c.name << ": " << created.err;
        EXPECT_EQ(created.out + created.err, "");
        Result dumped = Pvdict({"dump", "--raw", file});
        ASSERT_EQ(dumped.code, 0) << dumped.err;
        EXPECT_TRUE(dumped.out == ReadFile(FixturePath(std::string(c.name) + ".expected.tsv"))) << c.name;
    }
}

TEST(Pvdict, EncryptedDictionaryKeepsTheValueThatTheLibraryCut)
{
    TempFolder temp;
    const std::string file = temp.File("e.lib");
    Result created = Pvdict(
        {"create", file, "--encrypt", "--caption", "Encrypted fixture", "--from", FixturePath("encrypted.input.tsv")});
    ASSERT_EQ(created.code, 0) << created.err;
    Result dumped = Pvdict({"dump", file});
    ASSERT_EQ(dumped.code, 0);
    // The same rows in the same order, as UTF-8 (the library's dump is Windows-1252 text); only
    // the value with the byte 0x0C is whole here.
    std::string expected;
    CEntryTextCodec(Windows1252CodePage())
        .DecodePlain(CODE_ANSI, ReadFile(FixturePath("encrypted.plain.tsv")), expected);
    const std::string cut = "zero-maker\tform\n";
    ASSERT_NE(expected.find(cut), std::string::npos);
    expected.replace(expected.find(cut), cut.size(), "zero-maker\tform\\x0Cfeed makes a zero byte\n");
    EXPECT_TRUE(dumped.out == expected);

    Result found = Pvdict({"search", "zero", file});
    EXPECT_EQ(found.out, "zero-maker\t----Encrypted fixture----\\r\\nform\\x0Cfeed makes a zero byte\n");
}

TEST(Pvdict, RowsFromStandardInputWithEscapesAndCrLf)
{
    TempFolder temp;
    const std::string file = temp.File("s.lib");
    Result created = Pvdict({"create", file, "--type", "2"},
                            "brb\tbe right back\r\naddr\t1 Main St\\r\\nTown\r\n\r\nx\\ty\tback\\\\slash\nkeyonly\n");
    ASSERT_EQ(created.code, 0) << created.err;
    Result dumped = Pvdict({"dump", file});
    EXPECT_EQ(dumped.out,
              "#DBINFO 5\nDBTYPE\t2\nKEYCODE\t1\nDATACODE\t1\nDBEDIT\t1\nDBEncrypt\t0\n#DBDATA 4\n"
              "addr\t1 Main St\\r\\nTown\nbrb\tbe right back\nkeyonly\t\nx\\ty\tback\\\\slash\n");

    Result found = Pvdict({"search", "--mode", "0x29", "B", file});
    EXPECT_EQ(found.out, "brb\tbe right back\n");
}

TEST(Pvdict, SearchMergesSeveralFilesWithTheLaterOneFirst)
{
    TempFolder temp;
    const std::string a = temp.File("a.lib"), b = temp.File("b.lib");
    ASSERT_EQ(Pvdict({"create", a, "--caption", "A"}, "car\tone\ncart\t\ncat\t\n").code, 0);
    ASSERT_EQ(Pvdict({"create", b, "--caption", "B"}, "Car\ttwo\ncab\t\ncar park\t\n").code, 0);
    EXPECT_EQ(Pvdict({"search", "ca", a, b}).out,
              "cab\t\nCar\t----B----\\r\\ntwo\ncar\t----A----\\r\\none\ncar park\t\ncart\t\ncat\t\n");
    EXPECT_EQ(Pvdict({"search", "--no-header", "--limit", "2", "--mode", "9", "ca", b, a}).out, "cab\t\ncar\tone\n");
    EXPECT_EQ(Pvdict({"search", "--lengths", "4,4", "ca", a, b}).out, "cart\t\n");
    EXPECT_EQ(Pvdict({"search", "", a}).out, "car\t----A----\\r\\none\ncart\t\ncat\t\n");
}

// Keys beyond ASCII, queries and answers UTF-8: without a code page the file as it is (looked up
// in small letters, a key with a capital beyond ASCII sorts apart and is missed), with one as the
// program finds them (mirrored, capitals beyond ASCII found too).
TEST(Pvdict, SearchBeyondAsciiAsTheFileIsOrAsTheProgramDoes)
{
    TempFolder temp;
    const std::string file = temp.File("w.lib");
    ASSERT_EQ(Pvdict({"create", file, "--caption", "W"}, "\\xc5ngstr\\xf6m\tx\n\\xe5ngel\ty\n").code, 0);
    EXPECT_EQ(Pvdict({"search", "--no-header", "\xC3\x85", file}).out, "\xC3\x85ngel\ty\n");
    EXPECT_EQ(Pvdict({"search", "--no-header", "--codepage", "1252", "\xC3\x85", file}).out,
              "\xC3\x85ngel\ty\n\xC3\x85ngstr\xC3\xB6m\tx\n");
    // The same bytes are other letters in 1250: L with acute.
    EXPECT_EQ(Pvdict({"search", "--no-header", "--codepage", "1250", "\xC4\xBA", file}).out,
              "\xC4\xBAngel\ty\n\xC4\xB9ngstr\xC3\xB6m\tx\n");
    ExpectOneLineError(Pvdict({"search", "--codepage", "437", "a", file}), 2);
}

TEST(Pvdict, ErrorsAreOneLineAndWriteNothing)
{
    TempFolder temp;
    const std::string file = temp.File("d.lib");

    ExpectOneLineError(Pvdict({}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"frobnicate"}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"create"}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"create", file, "--type", "3"}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"create", file, "--keycode", "x"}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"create", file, "--caption"}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"create", file, "--bogus"}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"create", file, "--from", temp.File("missing.tsv")}), PVDICT_FAILED);
    ExpectOneLineError(Pvdict({"create", file}, "good\trow\nbad\\q\trow\n"), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"create", file}, "a\tb\tc\n"), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"create", file}, "\tdata without key\n"), PVDICT_BAD_USAGE);
    EXPECT_FALSE(fs::exists(file));

    // An existing file is replaced only when asked.
    ASSERT_EQ(Pvdict({"create", file}, "one\t1\n").code, 0);
    const std::string before = ReadFile(file);
    ExpectOneLineError(Pvdict({"create", file}, "two\t2\n"), PVDICT_FAILED);
    ExpectOneLineError(Pvdict({"create", file, "--force"}, "bad\\"), PVDICT_BAD_USAGE);
    EXPECT_EQ(ReadFile(file), before);
    ASSERT_EQ(Pvdict({"create", file, "--force"}, "two\t2\n").code, 0);
    EXPECT_EQ(Pvdict({"dump", file}).out.substr(Pvdict({"dump", file}).out.find("#DBDATA")), "#DBDATA 1\ntwo\t2\n");

    ExpectOneLineError(Pvdict({"dump", temp.File("missing.lib")}), PVDICT_FAILED);
    EXPECT_FALSE(fs::exists(temp.File("missing.lib")));
    ExpectOneLineError(Pvdict({"dump"}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"search", "q"}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"search", "--mode", "zz", "q", file}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"search", "--lengths", "5", "q", file}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"search", "q", file, temp.File("missing.lib")}), PVDICT_FAILED);

    // Damaged files are refused by every command and stay as they were.
    const std::string damaged = temp.File("damaged.lib");
    const std::string junk = before.substr(0, before.size() - 5);
    WriteFile(damaged, junk);
    ExpectOneLineError(Pvdict({"dump", damaged}), PVDICT_FAILED);
    ExpectOneLineError(Pvdict({"search", "o", file, damaged}), PVDICT_FAILED);
    EXPECT_EQ(ReadFile(damaged), junk);
    EXPECT_EQ(Pvdict({"help"}).code, 0);
}

// A create that was killed leaves its temporary files; the next create on that file removes
// them, also when it is refused.
TEST(Pvdict, NextCreateRemovesWhatAKilledOneLeftBehind)
{
    TempFolder temp;
    const std::string file = temp.File("d.lib");
    auto leftovers = [&] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(temp.Folder()))
            count += entry.path().filename() != "d.lib";
        return count;
    };
    WriteFile(file + ".pvdict-new", "half");
    WriteFile(file + ".pvdict-new.tmp", "half");
    ExpectOneLineError(Pvdict({"create", file}, "bad\\"), PVDICT_BAD_USAGE);
    EXPECT_EQ(leftovers(), 0);

#ifndef _WIN32
    std::string rows;
    for (int i = 0; i < 300000; ++i)
        rows += "key" + std::to_string(i * 7919LL % 300000) + "\tsome data\n";
    WriteFile(temp.File("rows.tsv"), rows);
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::FILE* null = std::fopen("/dev/null", "w");
        _exit(RunPvdict({"create", file, "--from", temp.File("rows.tsv")}, stdin, null, null));
    }
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(file + ".pvdict-new") && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    fs::remove(temp.File("rows.tsv"));
    EXPECT_TRUE(WIFSIGNALED(status)) << "the create ended before it could be killed";
    EXPECT_GT(leftovers(), 0);
    ASSERT_EQ(Pvdict({"create", file, "--force"}, "one\t1\n").code, 0);
    EXPECT_EQ(leftovers(), 0);
#endif
}

// Import into a new shorthand dictionary, again over it with each answer for the keys it has,
// and export that reads back to the same entries.
TEST(Pvdict, ImportsOtherExpandersFilesAndExportsThemAgain)
{
    TempFolder temp;
    const std::string dict = temp.File("short.lib"), csv = temp.File("in.csv");
    WriteFile(csv, "btw,by the way\r\nsig,\"Regards,\nJon\"\r\nlonely\r\n");
    Result first = Pvdict({"import", csv, dict});
    EXPECT_EQ(first.code, PVDICT_OK) << first.err;
    EXPECT_EQ(first.out,
              "CSV (UTF-8): 2 to import, 1 skipped, 0 already in the dictionary\n"
              "skipped line 4: lonely: the row has no second column with the text\n2 imported\n");

    WriteFile(csv, "BTW,by the way!\r\n");
    EXPECT_EQ(Pvdict({"import", "--dry-run", csv, dict}).out,
              "CSV (UTF-8): 1 to import, 0 skipped, 1 already in the dictionary\n");
    EXPECT_EQ(Pvdict({"import", csv, dict}).out,
              "CSV (UTF-8): 1 to import, 0 skipped, 1 already in the dictionary\n0 imported\n");  // kept
    EXPECT_EQ(Pvdict({"import", "--existing", "replace", csv, dict}).code, PVDICT_OK);
    EXPECT_EQ(Pvdict({"import", "--existing", "both", csv, dict}).code, PVDICT_OK);

    const std::string out = temp.File("out.ahk");
    Result exported = Pvdict({"export", "--format", "ahk", dict, out});
    EXPECT_EQ(exported.out, "3 exported\n");
    const interchange::ShorthandReading reading = interchange::ReadAutoHotkey(ReadFile(out));
    std::string entries;
    for (const interchange::ShorthandEntry& entry : reading.entries)
        entries += entry.abbreviation + "=" + entry.text + ";";
    EXPECT_EQ(entries, "BTW=by the way!;BTW=by the way!;sig=Regards,\r\nJon;");

    ExpectOneLineError(Pvdict({"export", "--format", "yaml", dict, out}), PVDICT_BAD_USAGE);
    ExpectOneLineError(Pvdict({"import", temp.File("missing.csv"), dict}), PVDICT_FAILED);
}
