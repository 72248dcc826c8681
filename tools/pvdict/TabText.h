#pragma once
// Escaped tab-separated rows: `\\` backslash, `\t` tab, `\r` CR, `\n` LF, `\xHH` any byte.
// Writing escapes the other control bytes (below 0x20, and 0x7F) as `\xHH`; bytes
// 0x80-0xFF stay raw.

#include <string>
#include <string_view>

// Appends the escaped form of `text` to `out`.
void AppendEscaped(std::string_view text, std::string& out);

// Replaces `out` with the unescaped `text`. False (with a reason) for an unknown or
// cut escape sequence.
bool Unescape(std::string_view text, std::string& out, std::string& error);
