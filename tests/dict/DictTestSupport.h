#pragma once
// Helpers of the dictionary tests: a private temporary folder, whole-file reads and writes,
// the reference files; dumps in their format come from pvdict (DumpText).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "dict/DictionaryFile.h"
#include "tests/support/TempFolder.h"
#include "tools/pvdict/DictionaryDump.h"
#include "tools/pvdict/TabText.h"

namespace dicttest {

namespace fs = std::filesystem;

inline std::string FixturePath(const std::string& name)
{
    return std::string(PV_SHARED_DIR) + "/metakit/fixtures/" + name;
}

using pvtest::ReadFile;
using pvtest::TempFolder;
using pvtest::WriteFile;

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
