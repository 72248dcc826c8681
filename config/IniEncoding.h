// The bytes of a settings file and the UTF-8 text they hold.
//
// A settings file stays in the ANSI code page, as other programs read it, while that code page
// holds all of its text; a file that must hold more is kept in UTF-16 with a byte-order mark, the
// form the system's profile functions read and write in Unicode. A UTF-8 file with a mark is read too.
#pragma once

#include <string>
#include <string_view>

enum class IniEncoding { Ansi, Utf16, Utf8 };

IniEncoding IniEncodingOf(std::string_view bytes);
// The file's text in UTF-8, without its mark. ANSI is read in the system's code page on Windows
// and taken as it is elsewhere.
std::string IniTextOf(std::string_view bytes);
// The bytes of a text for a file that was in this encoding: ANSI stays ANSI while the code page
// holds the whole text, else it becomes UTF-16; the other encodings keep their form and mark.
std::string IniBytesOf(std::string_view text, IniEncoding encoding);
