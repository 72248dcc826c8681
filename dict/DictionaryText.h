#pragma once
// Dictionary entries to and from text files: tagged key and data lines, and plain word lists.

#include <string>

class CDictionaryFile;
class IWaitProgress;
struct TextImportReport;

// Each needs an open dictionary and a path, and takes an optional wait window. Export writes every
// entry, committed or not, in stored order as tagged lines; the file is replaced only when complete
// (a failed or cancelled export returns 0 and leaves it as it was). Returns the count written.
int ExportDictionaryText(CDictionaryFile& dictionary, const std::string& path, IWaitProgress* wait = nullptr);
// The imports read ANSI, UTF-8 and UTF-16 files (dict/TextImport.h) as code page text; a file that
// cannot be read, is empty or is not text changes nothing. The optional report tells which, the
// file's encoding and the characters the code page lacks.
// Adds the entries of a tagged file and commits; a cancelled import keeps what it added.
int ImportDictionaryText(CDictionaryFile& dictionary, const std::string& path, IWaitProgress* wait = nullptr,
                         TextImportReport* report = nullptr);
// Adds every word of any text as a key without data and commits.
int ImportDictionaryWords(CDictionaryFile& dictionary, const std::string& path, IWaitProgress* wait = nullptr,
                          TextImportReport* report = nullptr);
