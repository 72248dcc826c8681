#pragma once
// Dictionary entries to and from text files: tagged key and data lines, and plain word lists.

#include <string>

class CDictionaryFile;
class IWaitProgress;
struct TextImportReport;

// Each needs an open dictionary and a path, and takes an optional wait window. Export writes every
// entry, committed or not, in stored order as tagged lines of UTF-8 behind a byte-order mark; the file is replaced only
// when complete (a failed or cancelled export returns 0 and leaves it as it was). Returns the count written.
int ExportDictionaryText(CDictionaryFile& dictionary, const std::string& path, IWaitProgress* wait = nullptr);
// The imports read ANSI (in the dictionary's ANSI code page), UTF-8 and UTF-16 files
// (dict/TextImport.h) into UTF-8 entries; a file that cannot be read, is empty or is not text
// changes nothing. The optional report tells which, the file's encoding and what was left out.
// Adds the entries of a tagged file and commits; a cancelled import keeps what it added.
int ImportDictionaryText(CDictionaryFile& dictionary, const std::string& path, IWaitProgress* wait = nullptr,
                         TextImportReport* report = nullptr);
// Adds every word of any text as a key without data and commits.
int ImportDictionaryWords(CDictionaryFile& dictionary, const std::string& path, IWaitProgress* wait = nullptr,
                          TextImportReport* report = nullptr);
