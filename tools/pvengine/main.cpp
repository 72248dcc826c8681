// pvengine: the program's completion engine without windows, driven by JSON lines on standard
// input (see Protocol.h and the README).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "app/engine/EngineCore.h"
#include "base/CommandLine.h"
#include "config/AppSettings.h"
#include "dict/CodePage.h"
#include "tools/pvengine/HeadlessHost.h"
#include "tools/pvengine/LearnFolder.h"
#include "tools/pvengine/Protocol.h"

namespace {

const char kUsage[] =
    "usage: pvengine [--libs DIR] [--config FILE] [--learn FILE [--save]] [--no-learn] [--drive DIR] [--tail N]\n"
    "                [--codepage 1250|1251|1252] [--teach FILE|FOLDER...]\n"
    "Events and states are UTF-8 JSON lines; --codepage only says what ANSI files are read in.\n"
    "--teach learns the words of documents (.txt .md .html .eml .mbox .docx .odt) before the session.\n";

struct Options {
    std::string libs;
    std::string config;
    std::string learn;
    std::string drive;
    bool save = false;
    bool noLearn = false;
    std::size_t tail = 0;
    std::vector<std::string> teach;
    const CCodePage* codePage = nullptr;  // of ANSI dictionary files; the system's when not given
};

int Usage(const std::string& message)
{
    std::cerr << "pvengine: " << message << "\n" << kUsage;
    return 2;
}

// 0 when the options are good, else the exit code.
int ParseOptions(const std::vector<std::string>& args, Options& options)
{
    const std::size_t count = args.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= count)
                return false;
            into = args[++i];
            return true;
        };
        std::string number;
        if (arg == "--save") {
            options.save = true;
        } else if (arg == "--no-learn") {
            options.noLearn = true;
        } else if (arg == "--tail") {
            if (!value(number) || number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
                return Usage("--tail takes a number");
            options.tail = static_cast<std::size_t>(std::strtoull(number.c_str(), nullptr, 10));
        } else if (arg == "--codepage") {
            const bool digits = value(number) && !number.empty() && number.size() < 6 &&
                                number.find_first_not_of("0123456789") == std::string::npos;
            options.codePage = digits ? PortableCodePage(static_cast<unsigned>(std::stoul(number))) : nullptr;
            if (!options.codePage)
                return Usage("--codepage takes 1250, 1251 or 1252");
        } else if (arg == "--teach") {
            while (i + 1 < count && args[i + 1].compare(0, 2, "--") != 0)
                options.teach.push_back(args[++i]);
            if (options.teach.empty())
                return Usage("--teach takes files or folders");
        } else if (arg == "--libs" || arg == "--config" || arg == "--learn" || arg == "--drive") {
            std::string& into = arg == "--libs"     ? options.libs
                                : arg == "--config" ? options.config
                                : arg == "--learn"  ? options.learn
                                                    : options.drive;
            if (!value(into) || into.empty())
                return Usage(arg + " takes a path");
        } else {
            return Usage("unknown argument " + arg);
        }
    }
    if (options.save && options.learn.empty())
        return Usage("--save needs --learn FILE");
    std::error_code error;
    if (!options.libs.empty() && !std::filesystem::is_directory(std::filesystem::u8path(options.libs), error))
        return Usage("no such folder: " + options.libs);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    Options options;
    if (const int code = ParseOptions(pvbase::Utf8Arguments(argc, argv), options))
        return code;

    CAppSettings settings("");
    if (!options.config.empty() && !settings.ReadConfigFile(options.config)) {
        std::cerr << "pvengine: cannot read " << options.config << "\n";
        return 1;
    }
    SettingsRecord values = settings.Values();
    if (options.noLearn)
        values.bEnableAutolearn = 0;

    CLearnFolder learnFolder;
    if (!learnFolder.Prepare(options.learn, options.save)) {
        std::cerr << "pvengine: cannot prepare the learning stores of " << options.learn << "\n";
        return 1;
    }

    const CCodePage& codePage = options.codePage ? *options.codePage : SystemCodePage();
    CHeadlessHost host(codePage);
    host.ApplySettings(values);
    host.SetDriveRoot(options.drive);
    host.Load(options.libs, learnFolder.AutoLearnPath());
    if (!options.teach.empty()) {
        TeachingReport report;
        if (!host.Teach(options.teach, report))
            std::cerr << "pvengine: the taught words could not be written to " << learnFolder.AutoLearnPath() << "\n";
        for (const std::string& path : report.unread)
            std::cerr << "pvengine: not read: " << path << "\n";
    }

    CProtocol protocol(host, options.tail);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        const std::string out = protocol.Handle(line) + "\n";
        std::fwrite(out.data(), 1, out.size(), stdout);
        // A driver waiting for this answer gets it now; lines already read in go out together.
        if (std::cin.rdbuf()->in_avail() <= 0)
            std::fflush(stdout);
    }
    host.Close();
    return 0;
}
