#pragma once
// One record of AutoLearn.dic: 516 bytes, no file header.
//   offset 0, 4 bytes:   how often the text was learnt, signed 32-bit little-endian
//   offset 4, 512 bytes: the text, at most 511 bytes, zero bytes up to the end of the field
// Records follow each other in the order in which they were first learnt.
//
// Texts are UTF-8. A file in UTF-8 starts with a marker record: count 0 and an empty text (a zero
// byte first), with a signature hidden behind that zero. A reader of the old layout sees a record
// it never offers (count 0) and never matches (empty text); a file without the marker holds texts
// in the system's ANSI code page, read once and converted (see CAutoLearnDictionary::Open). A rule
// on valid UTF-8 was not taken: an ANSI text such as "ÓŁ" in code page 1250 is valid UTF-8 too.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CCodePage;

constexpr std::size_t kAutoLearnRecordSize = 516;
constexpr std::size_t kAutoLearnTextField = 512;
constexpr std::size_t kAutoLearnMaxText = kAutoLearnTextField - 1;

struct AutoLearnRecord {
    std::int32_t count = 0;
    std::string text;

    bool operator==(const AutoLearnRecord& other) const { return count == other.count && text == other.text; }
    bool operator!=(const AutoLearnRecord& other) const { return !(*this == other); }
};

// UTF-8 character walks. A stray continuation byte or a cut sequence counts as one character.
std::size_t Utf8CharLength(std::string_view text, std::size_t pos);
// Start of the last character of a non-empty text.
std::size_t Utf8LastCharStart(std::string_view text);
std::size_t Utf8CharacterCount(std::string_view text);
// The longest start of `text` of at most `maxBytes` bytes that ends on a character boundary.
std::size_t Utf8CutLength(std::string_view text, std::size_t maxBytes);

// The text as a record holds it: up to its first zero byte, cut to 511 bytes on a character boundary.
std::string AutoLearnStoredText(std::string_view text);
// A text of the old ANSI layout in UTF-8, as a record holds it.
std::string AutoLearnTextFromCodePage(std::string_view ansi, const CCodePage& codePage);

// Encodes a record; the text must already be a stored text (at most 511 bytes, no zero byte).
void EncodeAutoLearnRecord(std::int32_t count, std::string_view text, unsigned char out[kAutoLearnRecordSize]);
// Decodes a record; a text field without a terminating zero is read up to the field's end.
AutoLearnRecord DecodeAutoLearnRecord(const unsigned char in[kAutoLearnRecordSize]);

// The first record of a UTF-8 file.
void EncodeAutoLearnMarker(unsigned char out[kAutoLearnRecordSize]);
bool IsAutoLearnMarker(const unsigned char in[kAutoLearnRecordSize]);
