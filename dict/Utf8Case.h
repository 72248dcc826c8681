#pragma once
// Letter case and character classes of UTF-8 text by Unicode's tables (utf8proc), for the UTF-8
// code page (CodePage.h). Broken sequences count as one character each that no case touches.

#include <string>
#include <string_view>

namespace utf8case {

// Unicode's simple lower-case mapping; a capital sigma ending a word becomes the final sigma.
void Lower(std::string& text);
// The same, as a copy.
std::string Lowered(std::string_view text);
// 0: the text does not start with a capital; 1: the first character is one; 2: the first two.
int LeadingCapitals(std::string_view text);
// 1: the first letter in its title case; 2: every letter in capitals ("\u00DF" as "SS").
void AdaptCase(std::string& text, int leadingCapitals);
// By the small letters of both (the two small sigmas alike), then by code point.
int CompareNoCase(std::string_view a, std::string_view b);
// Whether the text, folded as CompareNoCase folds, starts with the prefix folded alike.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Whether the first character of the text is a letter, a digit or a combining mark.
bool IsLetterOrDigit(std::string_view text);
// What a code point is to a word: a letter, a combining mark (an accent typed apart, a vowel
// sign), a decimal digit, a joiner that may stand inside a word (the apostrophes and the hyphen),
// or something else (a negative code, as for a broken sequence, too).
enum class WordPart { Letter, Mark, Digit, Joiner, Other };
WordPart WordPartOf(int code);

// Whether the text is well-formed UTF-8 (no overlong forms, surrogates or values beyond U+10FFFF).
bool IsValid(std::string_view text);
// Whether the text holds a capital (ASCII or beyond).
bool HasCapital(std::string_view text);
// Whether the text holds a capital beyond ASCII (a character with a small letter of its own).
bool HasCapitalBeyondAscii(std::string_view text);

}  // namespace utf8case
