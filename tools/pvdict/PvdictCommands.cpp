#include "tools/pvdict/PvdictCommands.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <set>
#include <string_view>
#include <utility>
#include <sys/stat.h>

#include "base/FileIo.h"
#ifdef _WIN32
#include "base/Utf8Text.h"
#endif
#include "dict/CodePage.h"
#include "dict/DictionaryFile.h"
#include "dict/DictionarySet.h"
#include "dict/EntryText.h"
#include "dict/TextScrambling.h"
#include "dict/Utf8File.h"
#include "dict/interchange/ShorthandImport.h"
#include "tools/pvdict/DictionaryDump.h"
#include "tools/pvdict/TabText.h"

namespace {

const char kUsage[] =
    "usage: pvdict create FILE [--type N] [--keycode N] [--datacode N] [--edit N] [--encrypt]\n"
    "                          [--caption TEXT] [--description TEXT] [--from ROWS.tsv] [--input ansi|utf8]\n"
    "                          [--ranks RANKS.tsv] [--force]\n"
    "       pvdict dump [--raw] FILE\n"
    "       pvdict search [--mode N] [--limit N] [--no-shorthand] [--no-header] [--lengths MIN,MAX] [--ranked]\n"
    "                     [--codepage 1250|1251|1252] QUERY FILE...\n"
    "Queries and output are UTF-8. Without --codepage, search reads the files as they are (ANSI texts in\n"
    "the system's code page), in small letters: a key with a capital beyond ASCII sorts apart and is\n"
    "missed. With it, as the program does: every file mirrored into UTF-8 at load (ANSI texts read in\n"
    "that code page), keys found whatever their letter case.\n"
    "Rows are key<TAB>data, with the escapes \\\\ \\t \\r \\n \\xHH; ranks are key<TAB>rank (0 ... 65535).\n"
    "       pvdict import [--existing keep|replace|both] [--dry-run] FILE DICT\n"
    "       pvdict export --format espanso|ahk|csv|words DICT FILE\n"
    "import reads espanso YAML, AutoHotkey hotstrings, Beeftext JSON or two-column CSV (told by content)\n"
    "into the shorthand dictionary DICT (made when missing) and lists what it left out and why; keys the\n"
    "dictionary has are kept unless --existing says otherwise. export lists what the format cannot hold.\n";

// Command line of one command: options (with or without a value) and positional arguments.
struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::set<std::string> flags;

    const std::string* Option(const std::string& name) const
    {
        for (auto it = options.rbegin(); it != options.rend(); ++it)
            if (it->first == name)
                return &it->second;
        return nullptr;
    }
    bool Flag(const std::string& name) const { return flags.count(name) != 0; }
};

class CCommand {
public:
    CCommand(std::FILE* in, std::FILE* out, std::FILE* err) : m_in(in), m_out(out), m_err(err) {}

    int Run(const std::vector<std::string>& args);

private:
    bool Parse(const std::vector<std::string>& args, std::size_t first, const std::set<std::string>& valued,
               const std::set<std::string>& flags, Arguments& parsed);
    int Fail(int code, const std::string& message);
    bool Number(const Arguments& parsed, const char* name, long minimum, long maximum, long& value);
    bool Write(const std::string& text);

    int Create(const Arguments& parsed);
    int ReadRanks(const std::string& path, const std::vector<TabRow>& rows, std::vector<int>& ranks);
    int Dump(const Arguments& parsed);
    int Search(const Arguments& parsed);
    int Import(const Arguments& parsed);
    int Export(const Arguments& parsed);
    void ListItems(const char* heading, const std::vector<interchange::SkippedItem>& items);

    std::FILE* m_in;
    std::FILE* m_out;
    std::FILE* m_err;
};

int CCommand::Fail(int code, const std::string& message)
{
    std::string line = "pvdict: " + message;
    // One line, whatever the message carries.
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::fprintf(m_err, "%s\n", line.c_str());
    return code;
}

bool CCommand::Write(const std::string& text)
{
    if (text.empty())
        return true;
    return std::fwrite(text.data(), 1, text.size(), m_out) == text.size();
}

bool CCommand::Parse(const std::vector<std::string>& args, std::size_t first, const std::set<std::string>& valued,
                     const std::set<std::string>& flags, Arguments& parsed)
{
    bool optionsEnded = false;
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        const std::size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasValue = true;
        }
        if (valued.count(name)) {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    Fail(PVDICT_BAD_USAGE, name + " needs a value");
                    return false;
                }
                value = args[++i];
            }
            parsed.options.emplace_back(name, value);
        } else if (flags.count(name) && !hasValue) {
            parsed.flags.insert(name);
        } else {
            Fail(PVDICT_BAD_USAGE, "unknown option " + name);
            return false;
        }
    }
    return true;
}

bool CCommand::Number(const Arguments& parsed, const char* name, long minimum, long maximum, long& value)
{
    const std::string* text = parsed.Option(name);
    if (!text)
        return true;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text->c_str(), &end, 0);
    if (text->empty() || *end != '\0' || errno == ERANGE || number < minimum || number > maximum) {
        Fail(PVDICT_BAD_USAGE, std::string(name) + ": bad value '" + *text + "' (" + std::to_string(minimum) + " to " +
                                   std::to_string(maximum) + ")");
        return false;
    }
    value = number;
    return true;
}

bool ReadAll(std::FILE* file, std::string& text)
{
    char buffer[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        text.append(buffer, got);
        if (got < sizeof buffer)
            return !std::ferror(file);
    }
}

// Paths are UTF-8: Windows takes them in the wide forms (the narrow ones read the code page).
bool FileExists(const std::string& path)
{
#ifdef _WIN32
    struct _stat64 info;
    return ::_wstat64(Widen(path).c_str(), &info) == 0;
#else
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
#endif
}

// Converts one input value (UTF-8, or ANSI in the codec's code page) to the bytes kept in the file.
void ToStoredForm(CEntryTextCodec& codec, int code, bool encrypt, bool utf8Input, std::string& value)
{
    std::string text, stored;
    if (!utf8Input) {
        codec.DecodePlain(CODE_ANSI, value, text);
        value.swap(text);
    }
    codec.Encode(code, encrypt, value, stored);
    value.swap(stored);
}

// Ranks by key (as given, before encoding) from a key<TAB>rank file.
int CCommand::ReadRanks(const std::string& path, const std::vector<TabRow>& rows, std::vector<int>& ranks)
{
    std::string text;
    std::FILE* file = OpenUtf8File(path, "rb");
    if (!file)
        return Fail(PVDICT_FAILED, path + ": cannot open (" + std::strerror(errno) + ")");
    const bool ok = ReadAll(file, text);
    std::fclose(file);
    if (!ok)
        return Fail(PVDICT_FAILED, path + ": read error");
    std::vector<TabRow> lines;
    std::string error;
    if (!ParseRows(text, lines, error))
        return Fail(PVDICT_BAD_USAGE, path + ": " + error);
    std::map<std::string, int> byKey;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        char* end = nullptr;
        const long rank = std::strtol(lines[i].data.c_str(), &end, 10);
        if (lines[i].data.empty() || *end != '\0' || rank < 0 || rank > CDictionaryFile::kMaxRank)
            return Fail(PVDICT_BAD_USAGE, path + ": line " + std::to_string(i + 1) + ": rank 0 ... 65535 expected");
        byKey[lines[i].key] = static_cast<int>(rank);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto found = byKey.find(rows[i].key);
        ranks[i] = found == byKey.end() ? 0 : found->second;
    }
    return PVDICT_OK;
}

int CCommand::Create(const Arguments& parsed)
{
    if (parsed.positional.size() != 1)
        return Fail(PVDICT_BAD_USAGE, "create needs exactly one FILE");
    const std::string& path = parsed.positional[0];
    long type = 1, keyCode = 1, dataCode = 1, edit = 1;
    if (!Number(parsed, "--type", 1, 2, type) || !Number(parsed, "--keycode", 1, 3, keyCode) ||
        !Number(parsed, "--datacode", 1, 3, dataCode) || !Number(parsed, "--edit", 0, 0x7FFFFFFF, edit))
        return PVDICT_BAD_USAGE;
    const bool encrypt = parsed.Flag("--encrypt");
    bool utf8Input = false;
    if (const std::string* input = parsed.Option("--input")) {
        if (*input != "ansi" && *input != "utf8")
            return Fail(PVDICT_BAD_USAGE, "--input: ansi or utf8");
        utf8Input = *input == "utf8";
    }

    // What a run killed before its end left beside the file.
    const std::string temporary = path + ".pvdict-new";
    pvbase::RemoveFileIfExists(c4_FileStrategy::RewriteName(temporary));
    pvbase::RemoveFileIfExists(temporary);

    if (FileExists(path) && !parsed.Flag("--force"))
        return Fail(PVDICT_FAILED, path + ": exists (use --force to replace it)");

    std::string text;
    if (const std::string* from = parsed.Option("--from")) {
        std::FILE* file = OpenUtf8File(*from, "rb");
        if (!file)
            return Fail(PVDICT_FAILED, *from + ": cannot open (" + std::strerror(errno) + ")");
        const bool ok = ReadAll(file, text);
        std::fclose(file);
        if (!ok)
            return Fail(PVDICT_FAILED, *from + ": read error");
    } else if (!ReadAll(m_in, text)) {
        return Fail(PVDICT_FAILED, "standard input: read error");
    }
    std::vector<TabRow> rows;
    std::string error;
    if (!ParseRows(text, rows, error))
        return Fail(PVDICT_BAD_USAGE,
                    (parsed.Option("--from") ? *parsed.Option("--from") : std::string("input")) + ": " + error);
    text.clear();
    text.shrink_to_fit();
    std::vector<int> ranks(rows.size(), 0);
    if (const std::string* rankFile = parsed.Option("--ranks")) {
        const int failed = ReadRanks(*rankFile, rows, ranks);
        if (failed != PVDICT_OK)
            return failed;
    }

    // Rows in their stored form: encoded, and scrambled when encrypted.
    CEntryTextCodec codec(SystemCodePage());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ToStoredForm(codec, static_cast<int>(keyCode), encrypt, utf8Input, rows[i].key);
        ToStoredForm(codec, static_cast<int>(dataCode), encrypt, utf8Input, rows[i].data);
        if (rows[i].key.empty())
            return Fail(PVDICT_BAD_USAGE, "entry " + std::to_string(i + 1) + ": key is empty once encoded");
    }
    const bool ranked = std::any_of(ranks.begin(), ranks.end(), [](int rank) { return rank != 0; });
    CStoredEntries entries;
    for (TabRow& row : rows) {
        if (ranked)
            break;  // ranked rows go in one by one with their ranks
        entries.Add(row.key, row.data);
        std::string().swap(row.key);
        std::string().swap(row.data);
    }

    // Built beside the target (as temporary) and moved over it only when complete.
    bool ok;
    {
        CDictionaryFile dictionary;
        if (!dictionary.Open(temporary))
            return Fail(PVDICT_FAILED, temporary + ": " + dictionary.OpenError());
        dictionary.SetType(static_cast<int>(type));
        dictionary.SetKeyCode(static_cast<int>(keyCode));
        dictionary.SetDataCode(static_cast<int>(dataCode));
        dictionary.SetEditFlags(static_cast<int>(edit));
        dictionary.SetEncrypted(encrypt);
        if (const std::string* caption = parsed.Option("--caption"))
            dictionary.SetCaption(*caption);
        if (const std::string* description = parsed.Option("--description"))
            dictionary.SetDescription(*description);
        if (ranked) {
            // Ranked rows one by one in stored-key order (equal keys in input order): every
            // insertion lands at the end.
            std::vector<std::size_t> order(rows.size());
            std::iota(order.begin(), order.end(), std::size_t{0});
            std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
                return c4_CompareStrings(rows[a].key, rows[b].key) < 0;
            });
            ok = true;
            for (std::size_t index : order) {
                if (!dictionary.AddStoredEntry(rows[index].key, rows[index].data, ranks[index])) {
                    ok = false;
                    break;
                }
            }
        } else {
            ok = dictionary.AddStoredEntries(std::move(entries));
        }
        ok = ok && dictionary.WriteInfo();
        dictionary.Close();
    }
    if (!ok) {
        pvbase::RemoveFileIfExists(temporary);
        return Fail(PVDICT_FAILED, path + ": could not write the dictionary");
    }
    // One step: a failed replace leaves the old file as it was.
    if (!pvbase::ReplaceFileAtomically(temporary, path)) {
        pvbase::RemoveFileIfExists(temporary);
        return Fail(PVDICT_FAILED, path + ": cannot replace it");
    }
    return PVDICT_OK;
}

int CCommand::Dump(const Arguments& parsed)
{
    if (parsed.positional.size() != 1)
        return Fail(PVDICT_BAD_USAGE, "dump needs exactly one FILE");
    const std::string& path = parsed.positional[0];
    const bool raw = parsed.Flag("--raw");
    CDictionaryFile dictionary;
    if (!dictionary.Open(path, true))
        return Fail(PVDICT_FAILED, path + ": " + dictionary.OpenError());

    if (!WriteDump(dictionary, raw, [this](const std::string& text) { return Write(text); }))
        return Fail(PVDICT_FAILED, "cannot write the output");
    return PVDICT_OK;
}

int CCommand::Search(const Arguments& parsed)
{
    if (parsed.positional.size() < 2)
        return Fail(PVDICT_BAD_USAGE, "search needs a QUERY and at least one FILE");
    long mode = MATCH_START | MATCH_WORDS | MATCH_PHRASES;
    long limit = 0;
    if (!Number(parsed, "--mode", -1, 0x7FFFFFFF, mode) || !Number(parsed, "--limit", 0, 0x7FFFFFFF, limit))
        return PVDICT_BAD_USAGE;
    long minimum = 1, maximum = 500;
    if (const std::string* lengths = parsed.Option("--lengths")) {
        char* end = nullptr;
        minimum = std::strtol(lengths->c_str(), &end, 10);
        if (*end != ',' || end == lengths->c_str())
            return Fail(PVDICT_BAD_USAGE, "--lengths: expected MIN,MAX");
        const char* second = end + 1;
        maximum = std::strtol(second, &end, 10);
        if (*end != '\0' || end == second || minimum < 0 || maximum < minimum)
            return Fail(PVDICT_BAD_USAGE, "--lengths: expected MIN,MAX with 0 <= MIN <= MAX");
    }
    const CCodePage* codePage = &SystemCodePage();
    const std::string* codePageId = parsed.Option("--codepage");
    if (codePageId) {
        const bool digits = !codePageId->empty() && codePageId->size() < 6 &&
                            codePageId->find_first_not_of("0123456789") == std::string::npos;
        codePage = digits ? PortableCodePage(static_cast<unsigned>(std::stoul(*codePageId))) : nullptr;
        if (!codePage)
            return Fail(PVDICT_BAD_USAGE, "--codepage takes 1250, 1251 or 1252");
    }
    const std::string& query = parsed.positional[0];
    const std::vector<std::string> paths(parsed.positional.begin() + 1, parsed.positional.end());

    CDictionarySet set(nullptr, *codePage);
    set.SetLengthLimits(static_cast<int>(minimum), static_cast<int>(maximum));
    set.LoadFiles(paths, true);
    for (int i = 0; i < set.Count(); ++i) {
        if (!set.Dictionary(i).IsOpen())
            return Fail(PVDICT_FAILED, set.PathAt(i) + ": " + set.Dictionary(i).OpenError());
        if (parsed.Flag("--no-header"))
            set.Dictionary(i).SetCaptionHeader(false);
    }
    if (codePageId)
        set.MirrorAsUtf8();  // as the program loads them: other encodings, capitals beyond ASCII

    std::string text;
    DictionaryMatch match;
    long printed = 0;
    const bool ranked = parsed.Flag("--ranked");
    const bool shorthand = !parsed.Flag("--no-shorthand");
    int rank = 0;
    for (bool found = ranked ? set.FindFirstRanked(query, match, static_cast<int>(mode), shorthand, rank)
                             : set.FindFirst(query, match, static_cast<int>(mode), shorthand);
         found; found = ranked ? set.FindNextRanked(match, rank) : set.FindNext(match)) {
        AppendEscaped(match.key, text);
        text += '\t';
        AppendEscaped(match.data, text);
        if (ranked)
            text += '\t' + std::to_string(rank);
        text += '\n';
        if (++printed == limit)
            break;
    }
    if (!Write(text))
        return Fail(PVDICT_FAILED, "cannot write the output");
    return PVDICT_OK;
}

void CCommand::ListItems(const char* heading, const std::vector<interchange::SkippedItem>& items)
{
    for (const interchange::SkippedItem& item : items) {
        std::string line = std::string(heading) + (item.line > 0 ? " line " + std::to_string(item.line) : "") + ": " +
                           item.what + ": " + item.reason;
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::replace(line.begin(), line.end(), '\r', ' ');
        std::fprintf(m_out, "%s\n", line.c_str());
    }
}

int CCommand::Import(const Arguments& parsed)
{
    using interchange::ClashChoice;
    if (parsed.positional.size() != 2)
        return Fail(PVDICT_BAD_USAGE, "import needs FILE and DICT");
    ClashChoice choice = ClashChoice::Keep;
    if (const std::string* existing = parsed.Option("--existing")) {
        if (*existing != "keep" && *existing != "replace" && *existing != "both")
            return Fail(PVDICT_BAD_USAGE, "--existing: keep, replace or both");
        choice = *existing == "keep"      ? ClashChoice::Keep
                 : *existing == "replace" ? ClashChoice::Replace
                                          : ClashChoice::KeepBoth;
    }
    const std::string& path = parsed.positional[1];
    const bool made = !FileExists(path);
    if (made && parsed.Flag("--dry-run"))
        return Fail(PVDICT_FAILED, path + ": no such dictionary to compare with");
    CDictionaryFile dictionary;
    if (!dictionary.Open(path, parsed.Flag("--dry-run")))
        return Fail(PVDICT_FAILED, path + ": " + dictionary.OpenError());
    if (made) {
        dictionary.SetType(DICTIONARY_SHORTHAND);
        if (!dictionary.WriteInfo())
            return Fail(PVDICT_FAILED, path + ": cannot be written");
    }
    const interchange::ShorthandImportPlan plan = interchange::PlanShorthandImport(parsed.positional[0], dictionary);
    if (!plan.problem.empty())
        return Fail(PVDICT_FAILED, parsed.positional[0] + ": " + plan.problem);
    std::fprintf(m_out, "%s (%s): %zu to import, %zu skipped, %d already in the dictionary\n",
                 interchange::FormatName(plan.format), plan.encoding.c_str(), plan.entries.size(), plan.skipped.size(),
                 plan.CountClashes());
    ListItems("skipped", plan.skipped);
    if (parsed.Flag("--dry-run"))
        return PVDICT_OK;
    const int count =
        interchange::ImportShorthandPlan(dictionary, plan, std::vector<ClashChoice>(plan.entries.size(), choice));
    if (count < 0)
        return Fail(PVDICT_FAILED, path + ": cannot be written");
    std::fprintf(m_out, "%d imported\n", count);
    return PVDICT_OK;
}

int CCommand::Export(const Arguments& parsed)
{
    using interchange::ExportFormat;
    if (parsed.positional.size() != 2)
        return Fail(PVDICT_BAD_USAGE, "export needs DICT and FILE");
    const std::string* name = parsed.Option("--format");
    const std::map<std::string, ExportFormat> formats = {{"espanso", ExportFormat::Espanso},
                                                         {"ahk", ExportFormat::AutoHotkey},
                                                         {"csv", ExportFormat::Csv},
                                                         {"words", ExportFormat::Words}};
    if (!name || formats.count(*name) == 0)
        return Fail(PVDICT_BAD_USAGE, "export needs --format espanso, ahk, csv or words");
    CDictionaryFile dictionary;
    if (!FileExists(parsed.positional[0]) || !dictionary.Open(parsed.positional[0], true))
        return Fail(PVDICT_FAILED, parsed.positional[0] + ": cannot be opened");
    const interchange::ShorthandExportResult result =
        interchange::ExportDictionary(dictionary, parsed.positional[1], formats.at(*name));
    if (!result.written)
        return Fail(PVDICT_FAILED, parsed.positional[1] + ": cannot be written");
    std::fprintf(m_out, "%d exported\n", result.entries);
    ListItems("not held", result.notHeld);
    return PVDICT_OK;
}

int CCommand::Run(const std::vector<std::string>& args)
{
    if (args.empty())
        return Fail(PVDICT_BAD_USAGE, "no command (create, dump, search, import, export or help)");
    const std::string& command = args[0];
    Arguments parsed;
    if (command == "create") {
        if (!Parse(args, 1,
                   {"--type", "--keycode", "--datacode", "--edit", "--caption", "--description", "--from", "--input",
                    "--ranks"},
                   {"--encrypt", "--force"}, parsed))
            return PVDICT_BAD_USAGE;
        return Create(parsed);
    }
    if (command == "dump") {
        if (!Parse(args, 1, {}, {"--raw"}, parsed))
            return PVDICT_BAD_USAGE;
        return Dump(parsed);
    }
    if (command == "search") {
        if (!Parse(args, 1, {"--mode", "--limit", "--lengths", "--codepage"},
                   {"--no-shorthand", "--no-header", "--ranked"}, parsed))
            return PVDICT_BAD_USAGE;
        return Search(parsed);
    }
    if (command == "import") {
        if (!Parse(args, 1, {"--existing"}, {"--dry-run"}, parsed))
            return PVDICT_BAD_USAGE;
        return Import(parsed);
    }
    if (command == "export") {
        if (!Parse(args, 1, {"--format"}, {}, parsed))
            return PVDICT_BAD_USAGE;
        return Export(parsed);
    }
    if (command == "help" || command == "--help" || command == "-h") {
        std::fputs(kUsage, m_out);
        return PVDICT_OK;
    }
    return Fail(PVDICT_BAD_USAGE, "unknown command '" + command + "' (create, dump, search, import, export or help)");
}

}  // namespace

int RunPvdict(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err)
{
    CCommand command(in, out, err);
    return command.Run(args);
}
