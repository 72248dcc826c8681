// Figures of the shorthand import and export, every format side by side in one run, with the
// tagged text exchange of the same dictionary as the baseline:
//   export of a 10,000-shorthand dictionary to espanso YAML, AutoHotkey, CSV (and the tagged text);
//   import of each file so made into an empty dictionary (plan, then import and commit).
// Times are processor seconds; "x text" is the time over the tagged text's (1 = as fast). Peak is
// the most resident memory the step added, each step run in a process of its own (Linux), also as a
// multiple of the file's size. Goals: each import and export under 1 s; memory bounded by the file.
//
//   bench_dict_interchange [WORK_FOLDER]
//   bench_dict_interchange --step FORMAT export|import WORK_FOLDER   (one step; what the run starts)

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dict/DictionaryFile.h"
#include "dict/DictionaryMatch.h"
#include "dict/DictionaryText.h"
#include "dict/interchange/ShorthandImport.h"

namespace fs = std::filesystem;
using namespace interchange;

namespace {

constexpr int kShorthands = 10000;

double ProcessorSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

long StatusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return 0;
}

struct Figure {
    double seconds = 0;
    long peakKilobytes = 0;
};

// Runs the step and measures it; the peak counts from the memory in use before it.
Figure Measure(const std::function<void()>& step)
{
    const long before = StatusKilobytes("VmRSS:");
    const double start = ProcessorSeconds();
    step();
    Figure figure;
    figure.seconds = ProcessorSeconds() - start;
    figure.peakKilobytes = std::max(0L, StatusKilobytes("VmHWM:") - before);
    return figure;
}

// Shorthands of the kinds people keep: short notes, signatures over lines, a caret, quotes, other scripts.
std::vector<std::pair<std::string, std::string>> MakeShorthands()
{
    static const char* const kTexts[] = {
        "by the way",
        "Best regards,\r\nJon Smith\r\nPennivox & Co.",
        "<div class=\"note\">%CARET%</div>",
        "She said \"fine\", then left; {braces} stay",
        "ünïcödé ✓ 日本語のテキスト",
        "Please find attached the report for this quarter. Let me know if anything is unclear.",
    };
    std::mt19937 random(7);
    std::vector<std::pair<std::string, std::string>> shorthands;
    for (int i = 0; i < kShorthands; ++i)
        shorthands.emplace_back("sh" + std::to_string(i), kTexts[random() % 6] + std::string(" #") + std::to_string(i));
    return shorthands;
}

bool MakeDictionary(const std::string& path, const std::vector<std::pair<std::string, std::string>>& shorthands)
{
    fs::remove(path);
    CDictionaryFile dictionary(Windows1252CodePage());
    if (!dictionary.Open(path))
        return false;
    dictionary.SetType(DICTIONARY_SHORTHAND);
    dictionary.SetDataCode(CODE_UTF8);
    dictionary.SetKeyCode(CODE_UTF8);
    for (const auto& [key, data] : shorthands)
        dictionary.AddEntry(key, data);
    return dictionary.WriteInfo() && dictionary.Commit();
}

bool EmptyDictionary(const std::string& path)
{
    fs::remove(path);
    CDictionaryFile dictionary(Windows1252CodePage());
    if (!dictionary.Open(path))
        return false;
    dictionary.SetType(DICTIONARY_SHORTHAND);
    dictionary.SetDataCode(CODE_UTF8);
    dictionary.SetKeyCode(CODE_UTF8);
    return dictionary.WriteInfo();
}

struct Format {
    const char* name;
    const char* file;
    bool tagged;
    ExportFormat format;
};
const Format kFormats[] = {{"tagged text (baseline)", "out.txt", true, ExportFormat::Csv},
                           {"espanso", "out.yml", false, ExportFormat::Espanso},
                           {"AutoHotkey", "out.ahk", false, ExportFormat::AutoHotkey},
                           {"CSV", "out.csv", false, ExportFormat::Csv}};

// One step in this process: prints "seconds peak-kilobytes entries".
int RunStep(const Format& format, bool exporting, const fs::path& work)
{
    const std::string source = (work / "source.lib").string(), target = (work / "target.lib").string();
    const std::string file = (work / format.file).string();
    int count = 0;
    Figure figure;
    if (exporting) {
        CDictionaryFile dictionary(Windows1252CodePage());
        dictionary.Open(source, true);
        figure = Measure([&] {
            count = format.tagged ? ExportDictionaryText(dictionary, file)
                                  : ExportDictionary(dictionary, file, format.format).entries;
        });
    } else {
        EmptyDictionary(target);
        CDictionaryFile into(Windows1252CodePage());
        into.Open(target);
        figure = Measure([&] {
            if (format.tagged) {
                count = ImportDictionaryText(into, file);
                return;
            }
            const ShorthandImportPlan plan = PlanShorthandImport(file, into);
            count = ImportShorthandPlan(into, plan, {});
        });
    }
    std::printf("%.6f %ld %d\n", figure.seconds, figure.peakKilobytes, count);
    return 0;
}

Figure RunChild(const std::string& self, const Format& format, bool exporting, const fs::path& work, int& count)
{
    const std::string command = "\"" + self + "\" --step " + std::to_string(&format - kFormats) +
                                (exporting ? " export \"" : " import \"") + work.string() + "\"";
    Figure figure;
    count = -1;
    if (std::FILE* child = popen(command.c_str(), "r")) {
        if (std::fscanf(child, "%lf %ld %d", &figure.seconds, &figure.peakKilobytes, &count) != 3)
            count = -1;
        pclose(child);
    }
    return figure;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--step")
        return RunStep(kFormats[std::stoi(argv[2]) % 4], std::string(argv[3]) == "export", argv[4]);
    const fs::path work = fs::absolute(argc > 1 ? argv[1] : "bench-interchange-data");
    fs::create_directories(work);
    if (!MakeDictionary((work / "source.lib").string(), MakeShorthands())) {
        std::fprintf(stderr, "bench: cannot make %s\n", (work / "source.lib").c_str());
        return 1;
    }
    std::printf(
        "%d shorthands          export s   x text   peak KB  x file |  import s   x text   peak KB  x file  "
        "entries\n",
        kShorthands);
    Figure textExport, textImport;
    bool underGoal = true;
    for (const Format& format : kFormats) {
        int exported = 0, imported = 0;
        const Figure out = RunChild(argv[0], format, true, work, exported);
        const Figure in = RunChild(argv[0], format, false, work, imported);
        if (format.tagged)
            textExport = out, textImport = in;
        const double kilobytes = static_cast<double>(fs::file_size(work / format.file)) / 1024;
        std::printf("%-22s %9.4f %8.2f %9ld %7.2f | %9.4f %8.2f %9ld %7.2f  %d\n", format.name, out.seconds,
                    out.seconds / textExport.seconds, out.peakKilobytes, out.peakKilobytes / kilobytes, in.seconds,
                    in.seconds / textImport.seconds, in.peakKilobytes, in.peakKilobytes / kilobytes, imported);
        underGoal =
            underGoal && out.seconds < 1 && in.seconds < 1 && imported == kShorthands && exported == kShorthands;
    }
    std::printf("goal (each under 1 s, every shorthand back): %s\n", underGoal ? "met" : "NOT met");
    return underGoal ? 0 : 1;
}
