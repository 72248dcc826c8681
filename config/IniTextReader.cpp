#include "config/IniTextReader.h"

#include "base/FileIo.h"
#include "config/IniEncoding.h"

namespace {

bool ReadWholeFile(const std::string& path, std::string& text)
{
    auto file = pvbase::FileHandle::Open(path, pvbase::OpenMode::ReadOnly);
    if (!file)
        return false;
    const int64_t size = file->Size();
    if (size < 0 || size > (1 << 24))
        return false;
    text.assign(static_cast<std::size_t>(size), '\0');
    return size == 0 || file->Read(0, &text[0], static_cast<int>(size)) == size;
}

}  // namespace

CIniTextReader::CIniTextReader(const std::string& path)
{
    std::string text;
    m_loaded = ReadWholeFile(path, text);
    if (m_loaded)
        m_sections = ProfileText::ParseIniText(IniTextOf(text));
}

const std::string* CIniTextReader::Find(const char* section, const char* key) const
{
    if (!section || !key)
        return nullptr;
    return ProfileText::FindIniValue(m_sections, section, key);
}

std::string CIniTextReader::ReadText(const char* section, const char* key, const char* defaultText) const
{
    const std::string* value = Find(section, key);
    if (!value)
        return defaultText ? defaultText : "";
    // The system's reader drops one pair of quotes around a value.
    if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'') && value->back() == value->front())
        return value->substr(1, value->size() - 2);
    return *value;
}

std::string CIniTextReader::ReadTyped(const char* section, const char* key) const
{
    std::string value = ReadText(section, key, nullptr);
    if (value.size() > ProfileText::kTypedValueLimit)
        value.resize(ProfileText::kTypedValueLimit);
    return value;
}

uint32_t CIniTextReader::ReadUnsigned(const char* section, const char* key, uint32_t defaultValue, int radix) const
{
    const std::string value = ReadTyped(section, key);
    return value.empty() ? defaultValue : ProfileText::ParseUnsigned(value, radix);
}

bool CIniTextReader::ReadBool(const char* section, const char* key, bool defaultValue) const
{
    return ProfileText::ParseBool(ReadTyped(section, key), defaultValue);
}

std::size_t CIniTextReader::ReadBytes(const char* section, const char* key, void* buffer, std::size_t size,
                                      std::size_t offset) const
{
    if (!Find(section, key))
        return 0;
    return ProfileText::DecodeBytes(ReadText(section, key, nullptr), buffer, size, offset);
}
