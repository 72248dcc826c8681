#include "config/SettingsRecord.h"

#include <algorithm>
#include <iterator>

#include "config/ProfileText.h"

namespace settings_io {

std::string TextOf(Flag value)
{
    return ProfileText::FormatBool(value != 0);
}

std::string TextOf(Number value)
{
    return ProfileText::FormatUnsigned(value, 10);
}

std::string TextOf(const Text& value)
{
    return ProfileText::SingleLine(value);
}

std::string TextOf(Key value)
{
    return ProfileText::FormatBytes(&value, sizeof value);
}

std::string TextOf(const KeyRow& value)
{
    return ProfileText::FormatBytes(value, sizeof value);
}

}  // namespace settings_io

namespace {

template <class T>
void CopyValue(const T& from, T& to)
{
    to = from;
}

void CopyValue(const settings_types::KeyRow& from, settings_types::KeyRow& to)
{
    std::copy(std::begin(from), std::end(from), std::begin(to));
}

}  // namespace

void CopySettings(const char* section, const SettingsRecord& from, SettingsRecord& to)
{
#define PV_COPY_SETTING(s, member, ...)         \
    if (settings_sections::Covers(section, #s)) \
        CopyValue(from.member, to.member);
    PV_CONFIG_INI(PV_COPY_SETTING, PV_COPY_SETTING)
#undef PV_COPY_SETTING
}
