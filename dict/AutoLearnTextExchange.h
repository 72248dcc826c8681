#pragma once
// Import and export of the AutoLearn records as tab-separated text lines.

#include <functional>
#include <string>
#include <string_view>

#include "dict/AutoLearnRecord.h"

class CAutoLearnDictionary;

// One "text<TAB>count" line per record (CR LF). The progress callback is told the number of lines
// done every 10 lines; it returns false to cancel (import only). Both return the number of lines
// taken, 0 when the file cannot be opened. Import adds a line's count to the record of a text the
// store holds, appends the others, and stops at the end of the file, at the first empty line, on
// cancel or when a write fails.
using AutoLearnTextProgress = std::function<bool(int done)>;
int ExportAutoLearnText(const CAutoLearnDictionary& store, const std::string& path,
                        const AutoLearnTextProgress& progress = nullptr);
int ImportAutoLearnText(CAutoLearnDictionary& store, const std::string& path,
                        const AutoLearnTextProgress& progress = nullptr);
// One import line: the text before the last tab and the count after it; the whole line with
// count 1 when there is no tab or the tab comes first.
AutoLearnRecord ParseAutoLearnLine(std::string_view line);
