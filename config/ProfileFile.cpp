#include "config/ProfileFile.h"

#include <cstring>

#include "base/FileIo.h"
#include "base/Utf8Text.h"
#include "config/IniEncoding.h"
#include "config/ProfileText.h"
#include "config/WinText.h"

namespace {

// Reads grow the buffer until the value fits; the limit only guards against a system
// function that keeps reporting a full buffer.
constexpr DWORD kFirstReadSize = 512;
constexpr DWORD kReadSizeLimit = 64u * 1024u * 1024u;

bool Present(const char* text)
{
    return text != nullptr;
}

// A text argument of the W functions; null stays null (it removes a key or a section).
class CWideText {
public:
    explicit CWideText(const char* text) : m_null(text == nullptr), m_text(text ? Widen(text) : std::wstring()) {}
    const wchar_t* Get() const { return m_null ? nullptr : m_text.c_str(); }

private:
    bool m_null;
    std::wstring m_text;
};

bool CodePageHolds(const char* text)
{
    return !text || AnsiOfUtf8(text).has_value();
}

}  // namespace

CProfileFile::CProfileFile(const char* path)
{
    SetPath(path);
}

void CProfileFile::SetPath(const char* path)
{
    m_path = path ? path : "";
}

std::size_t CProfileFile::GetPath(char* buffer, std::size_t size) const
{
    if (!buffer)
        return m_path.size() + 1;
    if (size == 0)
        return 0;
    std::size_t n = m_path.size() < size - 1 ? m_path.size() : size - 1;
    std::memcpy(buffer, m_path.data(), n);
    buffer[n] = '\0';
    return n;
}

// ---- strings ---------------------------------------------------------------------------

std::string CProfileFile::ReadText(const char* section, const char* key, const char* defaultText) const
{
    const char* fallback = defaultText ? defaultText : "";
    if (!Present(section) || !Present(key) || m_path.empty())
        return fallback;
    const std::wstring wideSection = Widen(section), wideKey = Widen(key), wideFallback = Widen(fallback);
    const std::wstring widePath = Widen(m_path);
    std::wstring buffer;
    DWORD size = kFirstReadSize;
    for (;;) {
        buffer.assign(size, L'\0');
        DWORD got = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideFallback.c_str(), &buffer[0],
                                             size, widePath.c_str());
        if (got + 1 < size || size >= kReadSizeLimit) {
            if (got >= size)
                got = size - 1;
            buffer.resize(got);
            return Narrow(buffer);
        }
        size = (size > kReadSizeLimit / 2) ? kReadSizeLimit : size * 2;
    }
}

bool CProfileFile::WriteText(const char* section, const char* key, const char* text)
{
    if (!Present(section) || !Present(key))
        return false;
    return PutString(section, key, text ? text : "");
}

bool CProfileFile::AppendText(const char* section, const char* key, const char* text)
{
    if (!Present(section) || !Present(key))
        return false;
    if (!text)
        return true;  // nothing to append
    std::string value = ReadText(section, key, nullptr);
    value += text;
    return PutString(section, key, value.c_str());
}

std::string CProfileFile::ReadTyped(const char* section, const char* key) const
{
    std::string value = ReadText(section, key, nullptr);
    if (value.size() > ProfileText::kTypedValueLimit)
        value.resize(ProfileText::kTypedValueLimit);
    return value;
}

// ---- numbers ---------------------------------------------------------------------------

uint32_t CProfileFile::ReadUnsigned(const char* section, const char* key, uint32_t defaultValue, int radix) const
{
    std::string value = ReadTyped(section, key);
    if (value.empty())
        return defaultValue;
    return ProfileText::ParseUnsigned(value, radix);
}

int32_t CProfileFile::ReadSigned(const char* section, const char* key, int32_t defaultValue, int radix) const
{
    std::string value = ReadTyped(section, key);
    if (value.empty())
        return defaultValue;
    return ProfileText::ParseSigned(value, radix);
}

bool CProfileFile::WriteUnsigned(const char* section, const char* key, uint32_t value, int radix)
{
    return WriteText(section, key, ProfileText::FormatUnsigned(value, radix).c_str());
}

bool CProfileFile::WriteSigned(const char* section, const char* key, int32_t value, int radix)
{
    return WriteText(section, key, ProfileText::FormatSigned(value, radix).c_str());
}

bool CProfileFile::AddToUnsigned(const char* section, const char* key, uint32_t increment, int radix)
{
    return WriteUnsigned(section, key, ReadUnsigned(section, key, 0, radix) + increment, radix);
}

bool CProfileFile::AddToSigned(const char* section, const char* key, int32_t increment, int radix)
{
    uint32_t sum = static_cast<uint32_t>(ReadSigned(section, key, 0, radix)) + static_cast<uint32_t>(increment);
    return WriteSigned(section, key, static_cast<int32_t>(sum), radix);
}

// ---- booleans and characters -----------------------------------------------------------

bool CProfileFile::ReadBool(const char* section, const char* key, bool defaultValue) const
{
    return ProfileText::ParseBool(ReadTyped(section, key), defaultValue);
}

bool CProfileFile::WriteBool(const char* section, const char* key, bool value)
{
    return WriteText(section, key, ProfileText::FormatBool(value));
}

bool CProfileFile::ToggleBool(const char* section, const char* key)
{
    return WriteBool(section, key, !ReadBool(section, key, false));
}

char CProfileFile::ReadChar(const char* section, const char* key, char defaultValue) const
{
    std::string value = ReadTyped(section, key);
    return value.empty() ? defaultValue : value[0];
}

bool CProfileFile::WriteChar(const char* section, const char* key, char value)
{
    const char text[2] = {value, '\0'};
    return WriteText(section, key, text);
}

double CProfileFile::ReadDouble(const char* section, const char* key, double defaultValue) const
{
    return ProfileText::ParseDouble(ReadTyped(section, key), defaultValue);
}

bool CProfileFile::WriteDouble(const char* section, const char* key, double value, int precision)
{
    return WriteText(section, key, ProfileText::FormatDouble(value, precision).c_str());
}

bool CProfileFile::AddToDouble(const char* section, const char* key, double increment, int precision)
{
    return WriteDouble(section, key, ReadDouble(section, key, 0.0) + increment, precision);
}

// ---- byte blocks -----------------------------------------------------------------------

std::size_t CProfileFile::ReadBytes(const char* section, const char* key, void* buffer, std::size_t size,
                                    std::size_t offset) const
{
    if (!Present(section) || !Present(key))
        return 0;
    return ProfileText::DecodeBytes(ReadText(section, key, nullptr), buffer, size, offset);
}

bool CProfileFile::WriteBytes(const char* section, const char* key, const void* bytes, std::size_t count)
{
    if (!bytes || count == 0)
        return false;
    return WriteText(section, key, ProfileText::FormatBytes(bytes, count).c_str());
}

bool CProfileFile::AppendBytes(const char* section, const char* key, const void* bytes, std::size_t count)
{
    if (!bytes || count == 0)
        return false;
    return AppendText(section, key, ProfileText::FormatBytes(bytes, count).c_str());
}

POINT CProfileFile::ReadPoint(const char* section, const char* key, const POINT& defaultValue) const
{
    int32_t values[2];
    if (ReadBytes(section, key, values, sizeof values, 0) < sizeof values)
        return defaultValue;
    POINT point;
    point.x = values[0];
    point.y = values[1];
    return point;
}

bool CProfileFile::WritePoint(const char* section, const char* key, const POINT& value)
{
    const int32_t values[2] = {static_cast<int32_t>(value.x), static_cast<int32_t>(value.y)};
    return WriteBytes(section, key, values, sizeof values);
}

RECT CProfileFile::ReadRect(const char* section, const char* key, const RECT& defaultValue) const
{
    int32_t values[4];
    if (ReadBytes(section, key, values, sizeof values, 0) < sizeof values)
        return defaultValue;
    RECT rect;
    rect.left = values[0];
    rect.top = values[1];
    rect.right = values[2];
    rect.bottom = values[3];
    return rect;
}

bool CProfileFile::WriteRect(const char* section, const char* key, const RECT& value)
{
    const int32_t values[4] = {static_cast<int32_t>(value.left), static_cast<int32_t>(value.top),
                               static_cast<int32_t>(value.right), static_cast<int32_t>(value.bottom)};
    return WriteBytes(section, key, values, sizeof values);
}

// ---- lists -----------------------------------------------------------------------------

std::size_t CProfileFile::ReadList(const char* section, const char* key, std::vector<std::string>& list,
                                   const char* delimiter) const
{
    list = ProfileText::SplitList(ReadText(section, key, nullptr), delimiter);
    return list.size();
}

bool CProfileFile::WriteList(const char* section, const char* key, const std::vector<std::string>& list, int count,
                             const char* delimiter)
{
    return WriteText(section, key, ProfileText::JoinList(list, count, delimiter).c_str());
}

// ---- sections and keys -----------------------------------------------------------------

std::vector<std::string> CProfileFile::ReadMultiString(bool sectionNames, const char* section) const
{
    if (m_path.empty() || (!sectionNames && !Present(section)))
        return {};
    const std::wstring widePath = Widen(m_path);
    const std::wstring wideSection = sectionNames ? std::wstring() : Widen(section);
    std::wstring buffer;
    DWORD size = kFirstReadSize;
    for (;;) {
        buffer.assign(size, L'\0');
        DWORD got = sectionNames ? GetPrivateProfileSectionNamesW(&buffer[0], size, widePath.c_str())
                                 : GetPrivateProfileSectionW(wideSection.c_str(), &buffer[0], size, widePath.c_str());
        if (got + 2 < size || size >= kReadSizeLimit) {
            if (got > size)
                got = size;
            const std::string items = Narrow(std::wstring_view(buffer.data(), got));  // keeps the zeros between
            return ProfileText::SplitMultiString(items.data(), items.size());
        }
        size = (size > kReadSizeLimit / 2) ? kReadSizeLimit : size * 2;
    }
}

std::size_t CProfileFile::SectionNames(std::vector<std::string>& list) const
{
    list = ReadMultiString(true, nullptr);
    return list.size();
}

std::size_t CProfileFile::KeyLines(const char* section, std::vector<std::string>& list) const
{
    list = ReadMultiString(false, section);
    return list.size();
}

std::size_t CProfileFile::KeyNames(const char* section, std::vector<std::string>& list) const
{
    list.clear();
    std::string name;
    for (const std::string& line : ReadMultiString(false, section)) {
        if (ProfileText::KeyNameOfLine(line, &name))
            list.push_back(name);
    }
    return list.size();
}

bool CProfileFile::HasSection(const char* section) const
{
    if (!Present(section))
        return false;
    for (const std::string& name : ReadMultiString(true, nullptr)) {
        if (ProfileText::EqualsNoCaseAscii(name, section))
            return true;
    }
    return false;
}

bool CProfileFile::HasKey(const char* section, const char* key) const
{
    if (!Present(section) || !Present(key))
        return false;
    return ReadText(section, key, ProfileText::kMissingKeyMarker) != ProfileText::kMissingKeyMarker;
}

bool CProfileFile::RemoveKey(const char* section, const char* key)
{
    if (!Present(section) || !Present(key))
        return false;
    return PutString(section, key, nullptr);
}

bool CProfileFile::RemoveSection(const char* section)
{
    if (!Present(section))
        return false;
    return PutString(section, nullptr, nullptr);
}

bool CProfileFile::CopySection(const char* from, const char* to, bool failIfExists)
{
    if (!Present(from) || !Present(to) || ProfileText::EqualsNoCaseAscii(from, to))
        return false;
    if (!HasSection(from))
        return false;
    if (HasSection(to)) {
        if (failIfExists)
            return false;
        if (!RemoveSection(to))
            return false;
    }
    std::vector<std::string> lines;
    KeyLines(from, lines);
    return PutSection(to, lines);
}

bool CProfileFile::MoveSection(const char* from, const char* to, bool failIfExists)
{
    return CopySection(from, to, failIfExists) && RemoveSection(from);
}

bool CProfileFile::CopyKey(const char* fromSection, const char* fromKey, const char* toSection, const char* toKey,
                           bool failIfExists)
{
    if (!Present(fromSection) || !Present(fromKey) || !Present(toSection) || !Present(toKey))
        return false;
    if (ProfileText::EqualsNoCaseAscii(fromSection, toSection) && ProfileText::EqualsNoCaseAscii(fromKey, toKey))
        return false;
    if (!HasKey(fromSection, fromKey))
        return false;
    if (failIfExists && HasKey(toSection, toKey))
        return false;
    std::string value = ReadText(fromSection, fromKey, nullptr);
    return PutString(toSection, toKey, value.c_str());
}

bool CProfileFile::MoveKey(const char* fromSection, const char* fromKey, const char* toSection, const char* toKey,
                           bool failIfExists)
{
    return CopyKey(fromSection, fromKey, toSection, toKey, failIfExists) && RemoveKey(fromSection, fromKey);
}

void CProfileFile::Flush() const
{
    if (!m_path.empty())
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, Widen(m_path).c_str());
}

bool CProfileFile::PutString(const char* section, const char* key, const char* value)
{
    if (m_path.empty())
        return false;
    if (!(CodePageHolds(section) && CodePageHolds(key) && CodePageHolds(value)) && !KeepInUnicode())
        return false;
    return WritePrivateProfileStringW(CWideText(section).Get(), CWideText(key).Get(), CWideText(value).Get(),
                                      Widen(m_path).c_str()) != FALSE;
}

bool CProfileFile::PutSection(const char* section, const std::vector<std::string>& lines)
{
    if (m_path.empty())
        return false;
    std::string block = ProfileText::JoinMultiString(lines);
    if (!(CodePageHolds(section) && CodePageHolds(block.c_str())) && !KeepInUnicode())
        return false;
    return WritePrivateProfileSectionW(Widen(section).c_str(), Widen(block).c_str(), Widen(m_path).c_str()) != FALSE;
}

bool CProfileFile::KeepInUnicode()
{
    // The system writes an ANSI file in ANSI, a character the code page lacks as a look-alike or
    // '?'; it writes a file that starts with the UTF-16 mark in UTF-16.
    Flush();
    std::string bytes;
    const bool exists = GetFileAttributesW(Widen(m_path).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (exists && !pvbase::ReadWholeFile(m_path, bytes))
        return false;
    if (IniEncodingOf(bytes) != IniEncoding::Ansi)
        return true;
    return pvbase::WriteFileAtomically(m_path, IniBytesOf(IniTextOf(bytes), IniEncoding::Utf16));
}
