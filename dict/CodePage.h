#pragma once
// A text encoding as the dictionaries and the completion engine see it: conversion to and from
// UTF-16, character walks and case folding. The program's own text is UTF-8 (Utf8CodePage(), case
// and letters from utf8proc); the ANSI code pages (SystemCodePage(), the portable 1250/1251/1252)
// only read and write ANSI files.
//
// Hot paths (search walks, merged comparison) only use the inline table lookups; for UTF-8 the
// tables hold ASCII alone, so those paths fold A-Z only, as the storage orders keys. The
// conversions are virtual and used when a text is stored in another encoding.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/MultiByteText.h"
#include "base/Utf8Text.h"

// Whether a sorts before b with both texts folded byte by byte by the table (256 entries).
inline bool FoldedLess(const unsigned char* fold, std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = fold[static_cast<unsigned char>(a[i])], y = fold[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

class CCodePage {
public:
    virtual ~CCodePage() = default;

    // Code page number (1252, 932, ...).
    virtual unsigned Id() const = 0;

    // Appends the UTF-16 code units of `text` to `out`. Returns false (out untouched)
    // when the text cannot be converted.
    virtual bool ToUtf16(std::string_view text, std::u16string& out) const = 0;
    // Appends the code page bytes of `text` to `out`; characters that the code page
    // lacks become its default character. Returns false when nothing could be converted.
    virtual bool FromUtf16(std::u16string_view text, std::string& out) const = 0;
    // FromUtf16 that also adds to `unconvertible` the characters that became the default
    // character (a surrogate pair is one character). For imports, not for hot paths.
    virtual bool FromUtf16Counted(std::u16string_view text, std::string& out, int& unconvertible) const;

    bool IsLeadByte(unsigned char byte) const { return m_leadByte[byte]; }
    // Lower and upper case of a single-byte character.
    unsigned char LowerByte(unsigned char byte) const { return m_lower[byte]; }
    unsigned char UpperByte(unsigned char byte) const { return m_upper[byte]; }
    // A capital letter: one that has a small letter of its own.
    bool IsCapital(unsigned char byte) const { return m_lower[byte] != byte; }
    // The lower-case table itself, for loops that fold many bytes.
    const unsigned char* LowerTable() const { return m_lower; }
    // Whether the byte on its own is a letter or a digit of the code page (word lists split at other bytes).
    bool IsLetterOrDigit(unsigned char byte) const { return m_letterOrDigit[byte]; }

    // Whether the text is UTF-8 (characters of 1 to 4 bytes, letters of every script).
    bool IsUtf8() const { return m_utf8; }

    // Byte length of the character at pos (1 or 2; UTF-8: 1 to 4); a character cut by the end
    // of the text counts what is left of it, a stray byte counts alone.
    std::size_t CharLength(std::string_view text, std::size_t pos) const
    {
        if (m_utf8)
            return Utf8CharLength(text, pos);
        return mbtext::CharLength(text, pos, [this](unsigned char byte) { return IsLeadByte(byte); });
    }
    // Where the character that ends at `end` starts (end > 0).
    std::size_t PreviousCharStart(std::string_view text, std::size_t end) const;
    std::size_t CountCharacters(std::string_view text) const
    {
        std::size_t count = 0;
        for (std::size_t i = 0; i < text.size(); ++count)
            i += CharLength(text, i);
        return count;
    }
    // Length of the longest prefix of whole characters that is at most maxBytes long.
    std::size_t WholeCharacterPrefix(std::string_view text, std::size_t maxBytes) const
    {
        if (text.size() <= maxBytes)
            return text.size();
        std::size_t end = 0;
        while (end < maxBytes) {
            const std::size_t length = CharLength(text, end);
            if (end + length > maxBytes)
                break;
            end += length;
        }
        return end;
    }
    // Whether the character a text starts with is a letter or a digit.
    bool IsLetterOrDigitAt(std::string_view text, std::size_t pos) const;

    // Lower-cases in place, leaving the bytes of double-byte characters alone. Not for UTF-8
    // (its small letters may be shorter or longer): the string forms are.
    void Lower(char* text, std::size_t length) const;
    // Lower-cases a whole text; in UTF-8 by Unicode's simple mappings, a capital sigma that
    // ends a word becoming the final small sigma. The length may change ("\u0130" -> "i").
    void Lower(std::string& text) const;
    std::string Lowered(std::string text) const
    {
        Lower(text);
        return text;
    }

    // Capitals at the start of a text: 0 none, 1 the first character only, 2 the first two. A
    // double-byte character is no capital.
    int LeadingCapitals(std::string_view text) const;
    // Adapts a text to a typed one's LeadingCapitals: 1 its first letter becomes a capital
    // (UTF-8: its title case), 2 all of them (single-byte characters only; UTF-8: every letter,
    // and "\u00DF" becomes "SS" as German writes it in capitals), 0 nothing.
    void AdaptCase(std::string& text, int leadingCapitals) const;

    // Case-insensitive comparison of two texts: <0, 0, >0. Single-byte characters are
    // folded with the lower-case table, double-byte characters compared as they are; UTF-8
    // characters by their small letters (both small sigmas alike).
    int CompareNoCase(std::string_view a, std::string_view b) const;
    // CompareNoCase for a code page without lead bytes (see HasLeadBytes), same answers there.
    // Inline: the merged search compares keys with it at every step.
    int CompareNoCaseSingleByte(std::string_view a, std::string_view b) const
    {
        auto* pa = reinterpret_cast<const unsigned char*>(a.data());
        auto* pb = reinterpret_cast<const unsigned char*>(b.data());
        const std::size_t shorter = a.size() < b.size() ? a.size() : b.size();
        // Equal bytes fold alike: only differing ones are looked up.
        for (std::size_t i = 0; i < shorter; ++i) {
            if (pa[i] != pb[i]) {
                const unsigned ca = m_lower[pa[i]], cb = m_lower[pb[i]];
                if (ca != cb)
                    return ca < cb ? -1 : 1;
            }
        }
        return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    }
    // Whether any byte starts a double-byte character (never in UTF-8: its byte paths fold ASCII).
    bool HasLeadBytes() const;

    // Whether `text`, lower-cased as Lower does it, starts with `loweredPrefix`.
    bool StartsWithLowered(std::string_view text, std::string_view loweredPrefix) const;
    // The same for a code page without lead bytes, same answers there.
    bool StartsWithLoweredSingleByte(std::string_view text, std::string_view loweredPrefix) const
    {
        if (loweredPrefix.size() > text.size())
            return false;
        auto* t = reinterpret_cast<const unsigned char*>(text.data());
        auto* p = reinterpret_cast<const unsigned char*>(loweredPrefix.data());
        for (std::size_t i = 0; i < loweredPrefix.size(); ++i) {
            if (m_lower[t[i]] != p[i])
                return false;
        }
        return true;
    }

    // Position of the first occurrence of `needle` in `haystack` that starts on a
    // character boundary, or npos. Both are compared as given (callers lower-case them).
    std::size_t FindAtCharBoundary(std::string_view haystack, std::string_view needle) const;

protected:
    // Case tables of ASCII (every code page has it), which implementations complete or replace.
    CCodePage();
    static std::size_t Utf8CharLength(std::string_view text, std::size_t pos);
    // Implementations fill the tables in their constructors.
    unsigned char m_lower[256] = {};
    unsigned char m_upper[256] = {};
    bool m_leadByte[256] = {};
    bool m_letterOrDigit[256] = {};
    bool m_utf8 = false;  // the UTF-8 implementation (dict/Utf8CodePage.cpp)
};

// The program's text: UTF-8 (id 65001).
const CCodePage& Utf8CodePage();
// The ANSI code page of this process, for ANSI files: the system's on Windows, Windows-1252
// elsewhere.
const CCodePage& SystemCodePage();

// The portable Windows-1252 implementation (also used by tests on every platform).
const CCodePage& Windows1252CodePage();
// Bytes as they are, with the letter case of ASCII alone: the order the storage keeps keys in,
// for looking keys up by their bytes whatever code page wrote them.
const CCodePage& AsciiCaseCodePage();
// The portable code pages 1250, 1251 and 1252 by number; null for any other.
const CCodePage* PortableCodePage(unsigned id);
