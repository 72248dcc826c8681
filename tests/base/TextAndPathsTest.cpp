#include <gtest/gtest.h>

#include <string>

#include "base/MultiByteText.h"
#include "base/TextPattern.h"
#include "base/ProgramPaths.h"
#include "base/VersionInfo.h"

namespace {

// 0x81 starts a double-byte character, as in the Japanese code page.
bool IsLead(unsigned char byte)
{
    return byte == 0x81;
}

TEST(MultiByteText, DoubleByteCharactersCountOnceAndAreNeverCut)
{
    const std::string text =
        "a\x81\x40"
        "b\x81";  // a, one double-byte character, b, a lone lead byte
    EXPECT_EQ(4u, mbtext::CountCharacters(text, IsLead));
    EXPECT_EQ(1u, mbtext::WholeCharacterPrefix(text, 2, IsLead));
    EXPECT_EQ(3u, mbtext::WholeCharacterPrefix(text, 3, IsLead));
    EXPECT_EQ(5u, mbtext::WholeCharacterPrefix(text, 5, IsLead));
    EXPECT_EQ(text.size(), mbtext::WholeCharacterPrefix(text, 100, IsLead));
    EXPECT_EQ(0u, mbtext::CountCharacters("", IsLead));
}

TEST(ProgramPaths, FilesLieInTheProgramDirectoryAndItsLibsFolder)
{
    const std::string dir = pvbase::WithTrailingSeparator("C:\\Pv");
    EXPECT_EQ("C:\\Pv\\", dir);
    EXPECT_EQ("/opt/pv/", pvbase::WithTrailingSeparator("/opt/pv/"));
    EXPECT_EQ("C:\\Pv\\Config.ini", pvbase::ConfigIniPath(dir));
    EXPECT_EQ("C:\\Pv\\AppConfig.ini", pvbase::AppConfigIniPath(dir));
    EXPECT_EQ("C:\\Pv\\Libs\\AutoLearn.dic", pvbase::AutoLearnPath(dir));
    EXPECT_EQ("C:\\Pv\\Libs\\*.lib", pvbase::DictionaryPattern(dir));
}

}  // namespace

TEST(VersionInfo, TheFixedBlockGivesTheFileVersion)
{
    // A resource's start: header, key, then the aligned fixed block (signature, structure version,
    // file version high and low).
    std::string resource(40, '\0');
    resource += std::string("\xBD\x04\xEF\xFE\x00\x00\x01\x00", 8);
    resource += std::string("\x01\x00\x02\x00\x00\x00\x03\x00", 8);  // 2.1 / 3.0
    EXPECT_EQ("2.1.3", pvbase::FileVersionText(resource.data(), resource.size()));
    resource[resource.size() - 4] = 7;  // build 7
    EXPECT_EQ("2.1.3.7", pvbase::FileVersionText(resource.data(), resource.size()));
    EXPECT_EQ("", pvbase::FileVersionText(resource.data(), 44));  // cut before the version
    EXPECT_EQ("", pvbase::FileVersionText(nullptr, 100));
}

TEST(TextPattern, ArgumentsGoWhereTheTranslationPutsThem)
{
    using pvbase::FillPlaceholders;
    EXPECT_EQ(FillPlaceholders("Delete the word \"%1\"?", {"Quillbrook"}), "Delete the word \"Quillbrook\"?");
    // A translation may turn the order round; each number takes its own argument.
    EXPECT_EQ(FillPlaceholders("%2 (%1)", {"reason", "C:\\Libs"}), "C:\\Libs (reason)");
    EXPECT_EQ(FillPlaceholders("%1%1", {"ab"}), "abab");
    // "%%" is a percent sign; a number without an argument is left out; other percents stay.
    EXPECT_EQ(FillPlaceholders("100%% of %3 and %d", {"x"}), "100% of  and %d");
    // Arguments are not read as patterns themselves.
    EXPECT_EQ(FillPlaceholders("%1 and %2", {"%2", "y"}), "%2 and y");
    EXPECT_EQ(FillPlaceholders("ends with %", {}), "ends with %");
}
