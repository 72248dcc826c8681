// Text comparison the way the file system sees names (Windows only).
#pragma once

#include <string>

// Equal without regard to case, character by character in the ANSI code page (no
// linguistic rules: "co-op" and "coop" differ).
bool EqualsNoCaseAnsi(const std::string& a, const std::string& b);
