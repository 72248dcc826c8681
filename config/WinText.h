// Text as the system sees it (Windows only): names compared the way the file system compares
// them, and the ANSI code page of files that other programs read in it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Equal without regard to case, character by character (no linguistic rules: "co-op" and
// "coop" differ); both in UTF-8.
bool EqualsNoCase(const std::string& a, const std::string& b);
// ANSI text in the system's code page as UTF-8.
std::string Utf8OfAnsi(std::string_view ansi);
// UTF-8 text in the system's code page; nullopt when the code page lacks one of its characters.
std::optional<std::string> AnsiOfUtf8(std::string_view utf8);
