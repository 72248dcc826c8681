#pragma once
// Escaped tab-separated rows: `\\` backslash, `\t` tab, `\r` CR, `\n` LF, `\xHH` any byte.
// Writing escapes the other control bytes (below 0x20, and 0x7F) as `\xHH`; bytes
// 0x80-0xFF stay raw.

#include <string>
#include <string_view>
#include <vector>

// Appends the escaped form of `text` to `out`.
void AppendEscaped(std::string_view text, std::string& out);

// Replaces `out` with the unescaped `text`. False (with a reason) for an unknown or
// cut escape sequence.
bool Unescape(std::string_view text, std::string& out, std::string& error);

// The unescaped tab-separated fields of one line (one field when it has no tab). False (with a
// reason) for a bad escape.
bool ParseFields(std::string_view line, std::vector<std::string>& fields, std::string& error);

struct TabRow {
    std::string key;
    std::string data;
};

// Parses "key<TAB>data" lines (a final CR dropped, empty lines skipped; data may be missing).
// False with a message naming the line for a bad escape, a third field or an empty key.
bool ParseRows(const std::string& text, std::vector<TabRow>& rows, std::string& error);
