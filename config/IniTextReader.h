// An INI file read without the system's profile functions: the typed reads of CProfileFile
// (same signatures, same text forms) over the file's text, so that the settings can be read on
// any platform. Read once when constructed; a missing or unreadable file reads as empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/ProfileText.h"

class CIniTextReader {
public:
    explicit CIniTextReader(const std::string& path);
    // Whether the file could be read.
    bool Loaded() const { return m_loaded; }

    std::string ReadText(const char* section, const char* key, const char* defaultText = nullptr) const;
    uint32_t ReadUnsigned(const char* section, const char* key, uint32_t defaultValue, int radix = 10) const;
    bool ReadBool(const char* section, const char* key, bool defaultValue) const;
    std::size_t ReadBytes(const char* section, const char* key, void* buffer, std::size_t size,
                          std::size_t offset = 0) const;

private:
    const std::string* Find(const char* section, const char* key) const;
    std::string ReadTyped(const char* section, const char* key) const;

    bool m_loaded = false;
    std::vector<ProfileText::IniSection> m_sections;
};
