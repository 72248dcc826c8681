#include "tools/pvengine/LearnFolder.h"

#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Dictionaries stay where they are: only what learning writes is copied.
bool IsDictionaryFile(const fs::path& path)
{
    std::string name = path.filename().u8string();
    for (char& c : name)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    auto endsWith = [&name](const std::string& end) {
        return name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
    };
    return endsWith(".lib") || endsWith(".lib.dic");
}

}  // namespace

CLearnFolder::~CLearnFolder()
{
    if (!m_temporary.empty()) {
        std::error_code error;
        fs::remove_all(fs::u8path(m_temporary), error);
    }
}

bool CLearnFolder::Prepare(const std::string& learnFile, bool save)
{
    std::error_code error;
    if (save) {
        m_autoLearnPath = learnFile;
        return true;
    }
    std::random_device random;
    const fs::path folder = fs::temp_directory_path(error) / ("pvengine-" + std::to_string(random()));
    if (error || !fs::create_directories(folder, error))
        return false;
    // Paths are UTF-8 (u8path): on Windows a narrow path is read in the code page.
    m_temporary = folder.u8string();
    const fs::path source = fs::u8path(learnFile);
    m_autoLearnPath = (folder / (learnFile.empty() ? fs::path("AutoLearn.dic") : source.filename())).u8string();
    if (learnFile.empty())
        return true;
    const fs::path beside = source.has_parent_path() ? source.parent_path() : fs::path(".");
    for (fs::directory_iterator it(beside, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && !IsDictionaryFile(it->path()))
            fs::copy_file(it->path(), folder / it->path().filename(), error);
        if (error)
            return false;
    }
    // A missing store starts fresh; a folder that cannot be read is an error.
    return !error || !fs::exists(beside);
}
