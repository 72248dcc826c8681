#include "tools/pvdict/DictionaryDump.h"

#include <string_view>

#include "dict/DictionaryFile.h"
#include "tools/pvdict/TabText.h"

namespace {

void AppendRow(std::string_view key, std::string_view data, std::string& text)
{
    AppendEscaped(key, text);
    text += '\t';
    AppendEscaped(data, text);
    text += '\n';
}

}  // namespace

bool WriteDump(CDictionaryFile& dictionary, bool stored, const std::function<bool(const std::string&)>& write)
{
    std::string text;
    const int infoRows = dictionary.CountInfoRows();
    text += "#DBINFO " + std::to_string(infoRows) + "\n";
    for (int row = 0; row < infoRows; ++row) {
        std::string_view prop, value;
        dictionary.ReadInfoRow(row, prop, value);
        AppendRow(prop, value, text);
    }
    const int entries = dictionary.CountEntries();
    text += "#DBDATA " + std::to_string(entries) + "\n";
    std::string key, data;
    for (int row = 0; row < entries; ++row) {
        if (stored) {
            std::string_view storedKey, storedData;
            dictionary.ReadStoredEntry(row, storedKey, storedData);
            AppendRow(storedKey, storedData, text);
        } else {
            dictionary.ReadEntry(row, key, data);
            AppendRow(key, data, text);
        }
        if (text.size() > (1 << 20)) {
            if (!write(text))
                return false;
            text.clear();
        }
    }
    return write(text);
}

std::string DumpText(CDictionaryFile& dictionary, bool stored)
{
    std::string all;
    WriteDump(dictionary, stored, [&](const std::string& text) {
        all += text;
        return true;
    });
    return all;
}
