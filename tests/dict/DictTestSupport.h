#pragma once
// Helpers of the dictionary tests: a private temporary folder, whole-file reads and writes,
// the reference files, and dumps in their format.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "dict/DictionaryFile.h"
#include "tools/pvdict/TabText.h"

namespace dicttest {

namespace fs = std::filesystem;

inline std::string FixturePath(const std::string& name)
{
    return std::string(PV_SHARED_DIR) + "/metakit/fixtures/" + name;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = fs::temp_directory_path() / (std::string("pv-dict-") + info->test_suite_name() + "-" + info->name());
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::string Folder() const { return m_path.string(); }

private:
    fs::path m_path;
};

// "#DBINFO n", the info rows, "#DBDATA m", then the entries in stored order: as stored
// (decoded = false) or decoded to ANSI text.
inline std::string Dump(CDictionaryFile& dictionary, bool decoded)
{
    std::string text = "#DBINFO " + std::to_string(dictionary.CountInfoRows()) + "\n";
    for (int row = 0; row < dictionary.CountInfoRows(); ++row) {
        std::string_view prop, value;
        dictionary.ReadInfoRow(row, prop, value);
        AppendEscaped(prop, text);
        text += '\t';
        AppendEscaped(value, text);
        text += '\n';
    }
    text += "#DBDATA " + std::to_string(dictionary.CountEntries()) + "\n";
    std::string key, data;
    for (int row = 0; row < dictionary.CountEntries(); ++row) {
        if (decoded) {
            dictionary.ReadEntry(row, key, data);
        } else {
            std::string_view k, d;
            dictionary.ReadStoredEntry(row, k, d);
            key.assign(k);
            data.assign(d);
        }
        AppendEscaped(key, text);
        text += '\t';
        AppendEscaped(data, text);
        text += '\n';
    }
    return text;
}

// Keys of a whole search, in the order they came.
template <class Source>
std::string Keys(Source& source, const std::string& query, int mode)
{
    DictionaryMatch match;
    std::string keys;
    for (bool found = source.FindFirst(query, match, mode); found; found = source.FindNext(match)) {
        if (!keys.empty())
            keys += ',';
        keys += match.key;
    }
    return keys;
}

}  // namespace dicttest
