// A fresh folder for one test, and whole-file reads and writes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pvtest {

// Made empty under the system's temporary folder, named after the running test; removed with
// everything in it (read-only entries too) when it goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Without a final separator.
    std::string Folder() const { return m_path.string(); }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    // Names of everything in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path m_path;
};

// The whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Replaces the file with the bytes; false when it could not be written.
bool WriteFile(const std::string& path, const std::string& bytes);

}  // namespace pvtest
