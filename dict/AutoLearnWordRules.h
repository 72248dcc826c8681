#pragma once
// How AutoLearn finds the word to learn in a typed UTF-8 text: the separator characters, of any
// script; everything else (letters of any script, digits, marks) belongs to words.

#include <string>
#include <string_view>
#include <vector>

#include "config/SettingsDefaults.h"
#include "dict/AutoLearnRecord.h"

class CAutoLearnWordRules {
public:
    static constexpr const char* kDefaultSeparators = settings_defaults::strSeparate;

    // Default separators followed by tab, carriage return and line feed.
    CAutoLearnWordRules();

    // Separators become the text followed by tab, carriage return and line feed; an empty text
    // leaves them as they are.
    void SetSeparators(std::string_view separators);
    const std::string& Separators() const { return m_separators; }

    // True when the text's last character is a separator.
    bool EndsWithSeparator(std::string_view text) const;
    // The last word of a typed text whose last character is a separator, as a record would
    // hold it (cut to 511 bytes on a character boundary); empty when there is none.
    // Control characters and separators in front are dropped; characters beyond ASCII are
    // letters unless they are separators.
    std::string ExtractWord(std::string_view typedText) const;
    // Characters, not bytes: what the minimum word length counts.
    static std::size_t Length(std::string_view word) { return Utf8CharacterCount(word); }

private:
    void RebuildTables();
    bool IsSeparator(std::string_view text, std::size_t pos, std::size_t length) const;

    std::string m_separators;
    bool m_single[256] = {};
    std::vector<std::string> m_multiByte;
};
