// libFuzzer: arbitrary INI texts read as Config.ini is read. Every value found is put through the
// typed reads; the selection keys decoded from [HotKeys] come out of the check usable, and a
// second check changes nothing. Any failed expectation aborts.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/ProfileText.h"
#include "config/SelectionKeyCheck.h"

namespace {

void Expect(bool condition)
{
    if (!condition)
        std::abort();
}

void ReadTyped(const std::string& value)
{
    ProfileText::ParseUnsigned(value, 10);
    ProfileText::ParseUnsigned(value, 16);
    ProfileText::ParseSigned(value, 10);
    ProfileText::ParseBool(value, true);
    ProfileText::ParseDouble(value, 0.5);
    std::uint8_t bytes[10];
    std::memset(bytes, 0xAB, sizeof bytes);
    const std::size_t available = ProfileText::DecodeBytes(value, nullptr, 0, 0);
    const std::size_t copied = ProfileText::DecodeBytes(value, bytes, sizeof bytes, 0);
    Expect(copied <= sizeof bytes && copied <= available && available <= value.size() / 2);
    if (copied > 0) {
        // The bytes written back as text read back the same.
        std::uint8_t again[10];
        Expect(ProfileText::DecodeBytes(ProfileText::FormatBytes(bytes, copied), again, copied, 0) == copied);
        Expect(std::memcmp(again, bytes, copied) == 0);
    }
    for (const std::string& item : ProfileText::SplitList(value, nullptr))
        Expect(!item.empty() && item == ProfileText::Trim(item));
    std::string name;
    if (ProfileText::KeyNameOfLine(value, &name))
        Expect(name == ProfileText::Trim(name));
}

void ReadSelectionKeys(const std::vector<ProfileText::IniSection>& sections)
{
    SelectionKeys keys;
    const struct {
        const char* name;
        std::uint8_t* member;
        std::size_t size;
    } fields[] = {{"vkSelectIndex", keys.vkSelectIndex, 10},   {"vkSelectPrev", &keys.vkSelectPrev, 1},
                  {"vkSelectNext", &keys.vkSelectNext, 1},     {"vkSelectPageDown", &keys.vkSelectPageDown, 1},
                  {"vkSelectPageUp", &keys.vkSelectPageUp, 1}, {"vkSelect", keys.vkSelect, 10}};
    for (const auto& field : fields) {
        if (const std::string* value = ProfileText::FindIniValue(sections, "HotKeys", field.name))
            ProfileText::DecodeBytes(*value, field.member, field.size, 0);
    }
    RestoreUnchoosableSelectionKeys(keys);
    const SelectionKeys checked = keys;
    Expect(!RestoreUnchoosableSelectionKeys(keys));
    Expect(std::memcmp(&checked, &keys, sizeof keys) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<ProfileText::IniSection> sections = ProfileText::ParseIniText(text);
    std::size_t entries = 0;
    for (const ProfileText::IniSection& section : sections) {
        Expect(ProfileText::FindIniSection(sections, section.name) != nullptr);
        for (const auto& entry : section.entries) {
            Expect(entry.first.find('\n') == std::string::npos && entry.second.find('\n') == std::string::npos);
            ReadTyped(entry.second);
            ++entries;
        }
    }
    Expect(entries <= size);
    ProfileText::SplitMultiString(text.c_str(), text.size());
    ReadSelectionKeys(sections);
    return 0;
}
