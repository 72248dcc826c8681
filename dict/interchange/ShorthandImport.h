#pragma once
// Other expanders' files into a shorthand dictionary, in two steps: a plan that reads the file
// and finds the keys the dictionary already has (nothing is written), then the import of the
// plan with the user's choice for each such key. And the dictionary out again in those formats.

#include <string>
#include <vector>

#include "dict/interchange/ShorthandInterchange.h"

class CDictionaryFile;

namespace interchange {

enum class ClashChoice { Keep, Replace, KeepBoth };

struct ShorthandImportPlan {
    ShorthandFormat format = ShorthandFormat::Unknown;
    std::string encoding;
    std::string problem;  // the file could not be read or is none of the formats: nothing to import
    std::vector<ShorthandEntry> entries;
    std::vector<SkippedItem> skipped;
    // For each entry, the text of the dictionary's entry with its key (case ignored), else empty;
    // clashes is true for those that have one.
    std::vector<std::string> existingText;
    std::vector<bool> clashes;
    int CountClashes() const;
};

// Reads and decodes the file (ANSI text in the dictionary's code page) and compares it with the
// dictionary's keys.
ShorthandImportPlan PlanShorthandImport(const std::string& path, CDictionaryFile& dictionary);
// As above, for text already read.
ShorthandImportPlan PlanShorthandImportOfBytes(const std::string& bytes, CDictionaryFile& dictionary);

// Adds the plan's entries (choices: one per entry, read for the clashing ones only) and commits.
// Returns the number of entries added or replaced; -1 when the dictionary could not take them.
int ImportShorthandPlan(CDictionaryFile& dictionary, const ShorthandImportPlan& plan,
                        const std::vector<ClashChoice>& choices);

// What an export may write: the three shorthand formats, or a word list with ranks.
enum class ExportFormat { Espanso, AutoHotkey, Csv, Words };

struct ShorthandExportResult {
    bool written = false;
    int entries = 0;                   // entries written
    std::vector<SkippedItem> notHeld;  // what the format could not hold
};
// Writes every entry of the dictionary to path (replaced only when complete).
ShorthandExportResult ExportDictionary(CDictionaryFile& dictionary, const std::string& path, ExportFormat format);

}  // namespace interchange
