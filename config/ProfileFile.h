// Typed access to one INI file through the system's private-profile functions.
// The text forms live in config/ProfileText.h; this class only moves text in and out.
// Text is UTF-8; the file stays ANSI until a value needs more than its code page (IniEncoding.h).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CProfileFile {
public:
    CProfileFile() = default;
    explicit CProfileFile(const char* path);
    virtual ~CProfileFile() = default;

    CProfileFile(const CProfileFile&) = delete;
    CProfileFile& operator=(const CProfileFile&) = delete;

    // A null path empties the stored path; the object stays usable.
    void SetPath(const char* path);
    // Copies the path (at most size bytes, zero-terminated) and returns its length; with no
    // buffer returns the size a buffer needs.
    std::size_t GetPath(char* buffer, std::size_t size) const;
    const std::string& Path() const { return m_path; }

    std::string ReadText(const char* section, const char* key, const char* defaultText = nullptr) const;
    bool WriteText(const char* section, const char* key, const char* text);
    bool AppendText(const char* section, const char* key, const char* text);

    uint32_t ReadUnsigned(const char* section, const char* key, uint32_t defaultValue, int radix = 10) const;
    int32_t ReadSigned(const char* section, const char* key, int32_t defaultValue, int radix = 10) const;
    bool WriteUnsigned(const char* section, const char* key, uint32_t value, int radix = 10);
    bool WriteSigned(const char* section, const char* key, int32_t value, int radix = 10);
    bool AddToUnsigned(const char* section, const char* key, uint32_t increment, int radix = 10);
    bool AddToSigned(const char* section, const char* key, int32_t increment, int radix = 10);

    bool ReadBool(const char* section, const char* key, bool defaultValue) const;
    bool WriteBool(const char* section, const char* key, bool value);
    bool ToggleBool(const char* section, const char* key);

    char ReadChar(const char* section, const char* key, char defaultValue) const;
    bool WriteChar(const char* section, const char* key, char value);

    double ReadDouble(const char* section, const char* key, double defaultValue) const;
    bool WriteDouble(const char* section, const char* key, double value, int precision = 0);
    bool AddToDouble(const char* section, const char* key, double increment, int precision = 0);

    // Number of bytes copied (or available beyond the offset when buffer is null); 0 on any
    // failure, with the buffer untouched.
    std::size_t ReadBytes(const char* section, const char* key, void* buffer, std::size_t size,
                          std::size_t offset = 0) const;
    bool WriteBytes(const char* section, const char* key, const void* bytes, std::size_t count);
    bool AppendBytes(const char* section, const char* key, const void* bytes, std::size_t count);

    POINT ReadPoint(const char* section, const char* key, const POINT& defaultValue) const;
    bool WritePoint(const char* section, const char* key, const POINT& value);
    RECT ReadRect(const char* section, const char* key, const RECT& defaultValue) const;
    bool WriteRect(const char* section, const char* key, const RECT& value);

    // Returns the number of items put into the list (which is replaced).
    std::size_t ReadList(const char* section, const char* key, std::vector<std::string>& list,
                         const char* delimiter = nullptr) const;
    bool WriteList(const char* section, const char* key, const std::vector<std::string>& list, int count = -1,
                   const char* delimiter = nullptr);

    std::size_t SectionNames(std::vector<std::string>& list) const;
    std::size_t KeyNames(const char* section, std::vector<std::string>& list) const;
    std::size_t KeyLines(const char* section, std::vector<std::string>& list) const;

    bool HasSection(const char* section) const;
    bool HasKey(const char* section, const char* key) const;
    bool RemoveKey(const char* section, const char* key);
    bool RemoveSection(const char* section);

    bool CopySection(const char* from, const char* to, bool failIfExists);
    bool MoveSection(const char* from, const char* to, bool failIfExists);
    bool CopyKey(const char* fromSection, const char* fromKey, const char* toSection, const char* toKey,
                 bool failIfExists);
    bool MoveKey(const char* fromSection, const char* fromKey, const char* toSection, const char* toKey,
                 bool failIfExists);

    // Asks the system to write out anything it still holds for this file.
    void Flush() const;

protected:
    // The only places that write: a staged update (CProfileUpdate) watches them.
    // A null key removes the section; a null value removes the key.
    virtual bool PutString(const char* section, const char* key, const char* value);
    // Replaces a whole section by the given "key=value" lines.
    virtual bool PutSection(const char* section, const std::vector<std::string>& lines);

private:
    // Turns an ANSI file into UTF-16, its text kept, so that it can hold what its code page lacks.
    bool KeepInUnicode();
    std::string ReadTyped(const char* section, const char* key) const;
    std::vector<std::string> ReadMultiString(bool sectionNames, const char* section) const;

    std::string m_path;
};
