// Text forms of INI values: how numbers, booleans, byte blocks and lists are turned into
// text and back. Portable (no Windows API): CProfileFile applies these to the values that
// the system's profile functions read and write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ProfileText {

// Default used by HasKey: a key whose value reads back as this text counts as missing.
extern const char kMissingKeyMarker[];

// Typed reads look at no more than this many bytes of a value.
constexpr std::size_t kTypedValueLimit = 64;

// 2, 8 and 16 are honoured; every other radix means 10.
int EffectiveRadix(int radix);

// Leading white space, optional sign, "0x" in radix 16, then digits of the radix. Stops at
// the first foreign character; no digits give 0; a minus sign negates modulo 2^32. A number
// too large for 32 bits gives 0xFFFFFFFF. Only the first kTypedValueLimit bytes count.
uint32_t ParseUnsigned(const std::string& text, int radix);
int32_t ParseSigned(const std::string& text, int radix);

// "%u", "%o", "%X" or binary digits without leading zeros ("0" for zero).
std::string FormatUnsigned(uint32_t value, int radix);
// "%d" in radix 10, otherwise the unsigned form of the same bits.
std::string FormatSigned(int32_t value, int radix);

// Empty text gives the default; "true"/"yes" in any case are true; otherwise the truth of
// the leading signed decimal number.
bool ParseBool(const std::string& text, bool defaultValue);
inline const char* FormatBool(bool value)
{
    return value ? "1" : "0";
}

// Two upper-case hexadecimal digits per byte, no separator.
std::string FormatBytes(const void* bytes, std::size_t count);

// The byte-block read: the value holds length/2 bytes (an odd last digit is ignored).
// Returns 0 when there are no bytes beyond the offset or when any character is not a
// hexadecimal digit. With no buffer returns the bytes available beyond the offset;
// otherwise copies min(available, size) bytes and returns that count. Bytes of the buffer
// beyond the count are left as they were.
std::size_t DecodeBytes(const std::string& value, void* buffer, std::size_t size, std::size_t offset);

// Decimal floating point (sign, digits, point, exponent) from the first kTypedValueLimit
// bytes; empty or unreadable text gives the default.
double ParseDouble(const std::string& text, double defaultValue);
// "%f", or with precision > 0 that many decimals.
std::string FormatDouble(double value, int precision);

// Removes spaces, tabs, carriage returns and line feeds from both ends.
std::string Trim(const std::string& text);

// Splits at every occurrence of the delimiter ("," when null; empty gives one item),
// trims each item and drops empty ones.
std::vector<std::string> SplitList(const std::string& value, const char* delimiter);
// Joins the first count items (all when negative) with the delimiter ("," when null or empty).
std::string JoinList(const std::vector<std::string>& items, int count, const char* delimiter);

// A buffer of zero-terminated strings ending with an empty one, as the system's section
// functions fill it; only the first length bytes are looked at.
std::vector<std::string> SplitMultiString(const char* buffer, std::size_t length);
// The reverse: each item followed by a zero byte, plus the final zero.
std::string JoinMultiString(const std::vector<std::string>& items);

// The key name of one raw "key=value" line: text before the first "=", trimmed. False for
// lines without "=" and lines that begin with "=".
bool KeyNameOfLine(const std::string& line, std::string* name);

// An INI text as written on disk, read the simple way: "[name]" starts a section, other
// lines are "key=value" with blanks around key and value removed; blank lines and lines
// starting with ";" are skipped. Used to check a written file independently of the
// system's own parser and its caches.
struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
};
std::vector<IniSection> ParseIniText(const std::string& text);
// First section of that name and first key in it, names compared without case (ASCII).
const IniSection* FindIniSection(const std::vector<IniSection>& sections, const std::string& name);
const std::string* FindIniValue(const std::vector<IniSection>& sections, const std::string& section,
                                const std::string& key);

// A value as the system's profile reader hands it out: one pair of matching quotes (' or ")
// around the whole value removed.
std::string UnquotedValue(const std::string& value);

// Sections by name (ASCII case ignored): the first of each name, as the profile reader finds them.
class CIniIndex {
public:
    explicit CIniIndex(const std::vector<IniSection>& sections);
    const IniSection* Section(const std::string& name) const;
    // The first key of that name in the section's first occurrence, or null.
    const std::string* Value(const std::string& section, const std::string& key) const;

private:
    std::vector<std::pair<std::string, const IniSection*>> m_byName;  // lower-case names, sorted
};

// One write of a staged INI change: a key's value, a key removed or a whole section removed.
struct IniChange {
    std::string section;
    std::string key;  // empty with removeSection
    std::string value;
    bool removeKey = false;
    bool removeSection = false;
};
// The text after the changes, in one pass, as the profile writer leaves it after making them one
// by one: a value goes to the first line of its key in the first section of that name (a new
// key after that section's last line, a new section at the end of the text); removing a section
// removes every section of that name. Other lines stay as they were.
std::string ApplyIniChanges(const std::string& text, const std::vector<IniChange>& changes);

// Line breaks turned into spaces: a value must not split its INI line.
std::string SingleLine(const std::string& text);

// ASCII-only case-insensitive equality, for fixed names such as section names.
bool EqualsNoCaseAscii(const std::string& a, const std::string& b);

}  // namespace ProfileText
