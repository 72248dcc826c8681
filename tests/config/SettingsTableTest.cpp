// The settings record against a full Config.ini as the program writes it (data/FullConfig.ini,
// every value set away from its default): read and written back through the table, the file
// comes out byte for byte, so keys, order and text forms stay as they were.
#include "config/AppSettings.h"
#include "config/ProfileText.h"
#include "config/SettingsRecord.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kFullConfig = std::string(PV_SOURCE_DIR) + "/tests/config/data/FullConfig.ini";

// The writes, in order, as the profile writer would get them.
struct WriteLog {
    std::vector<ProfileText::IniChange> changes;
    bool WriteText(const char* section, const char* key, const char* text)
    {
        changes.push_back({section, key, text});
        return true;
    }
};

std::vector<ProfileText::IniChange> Writes(const SettingsRecord& record, const char* section)
{
    WriteLog log;
    WriteSettings(log, section, record);
    return log.changes;
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(SettingsTable, FullConfigReadAndWrittenBackIsTheSameFile)
{
    CAppSettings settings("");
    ASSERT_TRUE(settings.ReadConfigFile(kFullConfig));
    EXPECT_FALSE(settings.SelectionKeysReplaced());
    const std::vector<ProfileText::IniChange> read = Writes(settings.Values(), settings_sections::kAll);
    EXPECT_EQ(ProfileText::ApplyIniChanges("", read), FileText(kFullConfig));

    // Every value of the file differs from its default, so each line of the table was read.
    const std::vector<ProfileText::IniChange> defaults = Writes(SettingsRecord(), settings_sections::kAll);
    ASSERT_EQ(defaults.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_NE(defaults[i].value, read[i].value) << read[i].key;
}

TEST(SettingsTable, OneSectionIsWrittenAndCopiedAlone)
{
    CAppSettings full("");
    ASSERT_TRUE(full.ReadConfigFile(kFullConfig));
    SettingsRecord copy;
    CopySettings(settings_sections::kHotKeys, full.Values(), copy);

    const auto fromFull = Writes(full.Values(), settings_sections::kAll);
    const auto fromDefaults = Writes(SettingsRecord(), settings_sections::kAll);
    const auto fromCopy = Writes(copy, settings_sections::kAll);
    std::vector<ProfileText::IniChange> hotKeys;
    for (std::size_t i = 0; i < fromFull.size(); ++i) {
        const bool copied = fromFull[i].section == settings_sections::kHotKeys;
        EXPECT_EQ(fromCopy[i].value, copied ? fromFull[i].value : fromDefaults[i].value) << fromFull[i].key;
        if (copied)
            hotKeys.push_back(fromFull[i]);
    }
    const auto written = Writes(full.Values(), settings_sections::kHotKeys);
    ASSERT_EQ(written.size(), hotKeys.size());
    ASSERT_FALSE(written.empty());
    for (std::size_t i = 0; i < written.size(); ++i)
        EXPECT_EQ(written[i].key + "=" + written[i].value, hotKeys[i].key + "=" + hotKeys[i].value);
}
