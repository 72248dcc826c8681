// The values of Config.ini as one record, made from the table in config/SettingsDefaults.h:
// the settings object holds it, the engine works on a copy, the Options pages edit a copy and
// hand back their section. Portable: reading and writing go through any INI reader or writer
// with the typed calls of CProfileFile (the program's, CIniTextReader for tools).
#pragma once

#include <cstring>
#include <string>

#include "config/SettingsDefaults.h"

#define PV_SETTING_MEMBER(section, member, key, kind, minimum, maximum, ...) settings_types::kind member = {__VA_ARGS__};
#define PV_SETTING_NONE(...)

// The keys that work the prompt ([HotKeys]), as virtual-key codes; 0xFF is an empty slot.
struct SelectionKeys {
    PV_CONFIG_INI(PV_SETTING_NONE, PV_SETTING_MEMBER)
};

// Members as the table names them (config/SettingsDefaults.h), each with its Config.ini key there.
struct SettingsRecord : SelectionKeys {
    PV_CONFIG_INI(PV_SETTING_MEMBER, PV_SETTING_NONE)
};

#undef PV_SETTING_MEMBER
#undef PV_SETTING_NONE

namespace settings_sections {

constexpr const char kAutoLearn[] = "AutoLearn";
constexpr const char kHotKeys[] = "HotKeys";
constexpr const char kOthers[] = "Others";
// In place of a section name: every section of the table.
constexpr const char* kAll = nullptr;

inline bool Covers(const char* wanted, const char* section)
{
    return wanted == kAll || std::strcmp(wanted, section) == 0;
}

}  // namespace settings_sections

namespace settings_io {

using namespace settings_types;

// A missing or empty value gives the default, whatever the member held before.
template <class Reader>
void Read(const Reader& ini, const char* section, const char* key, Flag& value, Flag fallback)
{
    value = ini.ReadBool(section, key, fallback != 0) ? 1 : 0;
}
template <class Reader>
void Read(const Reader& ini, const char* section, const char* key, Number& value, Number fallback)
{
    value = ini.ReadUnsigned(section, key, fallback);
}
template <class Reader>
void Read(const Reader& ini, const char* section, const char* key, Text& value, const char* fallback)
{
    value = ini.ReadText(section, key, fallback);
    if (value.empty())
        value = fallback;
}
// Keys: only a well-formed value replaces them, and only as many bytes as it holds.
template <class Reader, class Fallback>
void Read(const Reader& ini, const char* section, const char* key, Key& value, const Fallback&)
{
    ini.ReadBytes(section, key, &value, sizeof value, 0);
}
template <class Reader, class Fallback>
void Read(const Reader& ini, const char* section, const char* key, KeyRow& value, const Fallback&)
{
    ini.ReadBytes(section, key, value, sizeof value, 0);
}

// The text a value is written as.
std::string TextOf(Flag value);
std::string TextOf(Number value);
std::string TextOf(const Text& value);
std::string TextOf(Key value);
std::string TextOf(const KeyRow& value);

}  // namespace settings_io

// Reads the values of one section (kAll: every section) with their defaults.
template <class Reader>
void ReadSettings(const Reader& ini, const char* section, SettingsRecord& record)
{
#define PV_READ_SETTING(s, member, key, ...)    \
    if (settings_sections::Covers(section, #s)) \
        settings_io::Read(ini, #s, key, record.member, settings_defaults::member);
    PV_CONFIG_INI(PV_READ_SETTING, PV_READ_SETTING)
#undef PV_READ_SETTING
}

// Writes every value of one section (kAll: every section) in the table's order.
template <class Writer>
void WriteSettings(Writer& ini, const char* section, const SettingsRecord& record)
{
#define PV_WRITE_SETTING(s, member, key, ...)   \
    if (settings_sections::Covers(section, #s)) \
        ini.WriteText(#s, key, settings_io::TextOf(record.member).c_str());
    PV_CONFIG_INI(PV_WRITE_SETTING, PV_WRITE_SETTING)
#undef PV_WRITE_SETTING
}

// Copies the values of one section (kAll: every section): a page hands back what it edits.
void CopySettings(const char* section, const SettingsRecord& from, SettingsRecord& to);
