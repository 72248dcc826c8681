#include "dict/interchange/ShorthandImport.h"

#include <algorithm>
#include <unordered_map>

#include "base/FileIo.h"
#include "dict/DictionaryFile.h"

namespace interchange {

namespace {

// Keys are told apart as the dictionary does: ASCII letters in either case are the same.
std::string FoldedKey(std::string key)
{
    for (char& c : key)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return key;
}

std::vector<ShorthandEntry> ReadAllEntries(CDictionaryFile& dictionary)
{
    std::vector<ShorthandEntry> entries;
    ShorthandEntry entry;
    for (int row = 0; dictionary.ReadEntry(row, entry.abbreviation, entry.text); ++row)
        entries.push_back(entry);
    return entries;
}

}  // namespace

int ShorthandImportPlan::CountClashes() const
{
    return static_cast<int>(std::count(clashes.begin(), clashes.end(), true));
}

ShorthandImportPlan PlanShorthandImportOfBytes(const std::string& bytes, CDictionaryFile& dictionary)
{
    ShorthandImportPlan plan;
    const DecodedText decoded = DecodeFileText(bytes, dictionary.AnsiCodePage());
    plan.encoding = decoded.encoding;
    if (!decoded.problem.empty()) {
        plan.problem = decoded.problem;
        return plan;
    }
    plan.format = DetectShorthandFormat(decoded.text);
    ShorthandReading reading = ReadShorthands(decoded.text, plan.format);
    plan.problem = std::move(reading.problem);
    plan.entries = std::move(reading.entries);
    plan.skipped = std::move(reading.skipped);
    if (decoded.broken > 0)
        plan.skipped.push_back({0, "(file)", std::to_string(decoded.broken) + " broken characters were replaced"});

    // The entries by key as the dictionary compares keys; each key the dictionary has marks all
    // of them, with the first text it holds for that key.
    std::unordered_map<std::string, std::vector<std::size_t>> wanted;
    for (std::size_t i = 0; i < plan.entries.size(); ++i)
        wanted[FoldedKey(plan.entries[i].abbreviation)].push_back(i);
    plan.existingText.assign(plan.entries.size(), std::string());
    plan.clashes.assign(plan.entries.size(), false);
    std::string key, data;
    for (int row = 0; !wanted.empty() && dictionary.ReadEntry(row, key, data); ++row) {
        const auto found = wanted.find(FoldedKey(key));
        if (found == wanted.end())
            continue;
        for (std::size_t i : found->second) {
            plan.clashes[i] = true;
            plan.existingText[i] = data;
        }
        wanted.erase(found);
    }
    return plan;
}

ShorthandImportPlan PlanShorthandImport(const std::string& path, CDictionaryFile& dictionary)
{
    std::string bytes;
    if (!pvbase::ReadWholeFile(path, bytes)) {
        ShorthandImportPlan plan;
        plan.problem = "The file could not be read.";
        return plan;
    }
    return PlanShorthandImportOfBytes(bytes, dictionary);
}

int ImportShorthandPlan(CDictionaryFile& dictionary, const ShorthandImportPlan& plan,
                        const std::vector<ClashChoice>& choices)
{
    CStoredEntries added;
    std::string key, data;
    int count = 0;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const ShorthandEntry& entry = plan.entries[i];
        const ClashChoice choice = i < choices.size() ? choices[i] : ClashChoice::Keep;
        if (plan.clashes[i] && choice == ClashChoice::Keep)
            continue;
        if (plan.clashes[i] && choice == ClashChoice::Replace) {
            // One commit at the end: each would write the whole file.
            if (!dictionary.ReplaceEntry(entry.abbreviation, entry.abbreviation, entry.text,
                                         CDictionaryFile::EditCommit::Later))
                return -1;
            ++count;
            continue;
        }
        dictionary.EncodeKey(entry.abbreviation, key);
        if (key.empty())
            continue;
        dictionary.EncodeData(entry.text, data);
        added.Add(key, data);
        ++count;
    }
    if (added.Size() > 0 && !dictionary.AddStoredEntries(std::move(added)))
        return -1;
    return dictionary.Commit() ? count : -1;
}

ShorthandExportResult ExportDictionary(CDictionaryFile& dictionary, const std::string& path, ExportFormat format)
{
    ShorthandExportResult result;
    ShorthandWriting writing;
    if (format == ExportFormat::Words) {
        std::vector<RankedWord> words;
        RankedWord word;
        std::string data;
        for (int row = 0; dictionary.ReadEntry(row, word.word, data); ++row) {
            word.rank = dictionary.Rank(row);
            words.push_back(word);
        }
        writing.text = WriteWordList(words);
        result.entries = static_cast<int>(words.size());
    } else {
        const std::vector<ShorthandEntry> entries = ReadAllEntries(dictionary);
        writing = format == ExportFormat::Espanso      ? WriteEspanso(entries)
                  : format == ExportFormat::AutoHotkey ? WriteAutoHotkey(entries)
                                                       : WriteCsv(entries);
        result.entries = writing.written;
    }
    result.notHeld = std::move(writing.notHeld);
    result.written = pvbase::WriteFileAtomically(path, writing.text);
    return result;
}

}  // namespace interchange
