#pragma once
// How AutoLearn finds the word to learn in a typed text: the separator characters and the
// double-byte characters of the ANSI code page.

#include <string>
#include <string_view>
#include <vector>

#include "config/SettingsDefaults.h"
#include "dict/AutoLearnRecord.h"

class CAutoLearnWordRules {
public:
    static constexpr const char* kDefaultSeparators = settings_defaults::strSeparate;

    // Default separators followed by tab, carriage return and line feed; single-byte code page.
    CAutoLearnWordRules();

    // Separators become the text followed by tab, carriage return and line feed; an empty text
    // leaves them as they are.
    void SetSeparators(std::string_view separators);
    const std::string& Separators() const { return m_separators; }
    void SetLeadBytes(const CLeadByteTable& leadBytes);
    const CLeadByteTable& LeadBytes() const { return m_leadBytes; }

    // True when the text's last character is a separator.
    bool EndsWithSeparator(std::string_view text) const;
    // The last word of a typed text whose last character is a separator, as a record would
    // hold it (cut to 511 bytes on a character boundary); empty when there is none.
    // Control characters and separators in front are dropped; bytes from 0x80 up are kept,
    // since they are letters of the code page or lead bytes.
    std::string ExtractWord(std::string_view typedText) const;

private:
    void RebuildTables();
    bool IsSeparator(std::string_view text, std::size_t pos, std::size_t length) const;

    std::string m_separators;
    CLeadByteTable m_leadBytes;
    bool m_single[256] = {};
    std::vector<std::string> m_double;
};
