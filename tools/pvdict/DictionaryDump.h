#pragma once
// The text `pvdict dump` prints: "#DBINFO n", the info rows, "#DBDATA m", then the entries in
// stored order, each an escaped "key<TAB>data" line; decoded to UTF-8, or as stored.

#include <functional>
#include <string>

class CDictionaryFile;

// Hands the text to `write` in pieces of about a megabyte; false when a write failed.
bool WriteDump(CDictionaryFile& dictionary, bool stored, const std::function<bool(const std::string&)>& write);
// The whole text at once.
std::string DumpText(CDictionaryFile& dictionary, bool stored);
