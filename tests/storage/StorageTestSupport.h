// Helpers shared by the storage tests: reference files, strategies, temporary files.
#pragma once

#include "storage/Storage.h"
#include "tests/support/TempFolder.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace storage_test {

using Rows = std::vector<std::pair<std::string, std::string>>;

struct ViewContent {
    std::string name;
    Rows rows;
};

// Path of a file in the shared reference folder, e.g. Reference("fixtures/tiny.mk").
std::string Reference(const std::string& relative);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

// Splits a .tsv file into lines of unescaped fields (pvdict's escapes).
std::vector<std::vector<std::string>> ReadTsv(const std::string& path);
// "#NAME n" sections of two-column rows, as in the .expected.tsv files.
std::vector<ViewContent> ReadExpected(const std::string& path);
// The rows of the named two-column view of a storage (first two properties).
Rows Dump(const c4_Storage& storage, const char* view);

// The dictionary files' string scrambling, needed to search the encrypted fixture.
std::string ScrambleText(const std::string& plain);

using TempDir = pvtest::TempFolder;

// The file-level scrambling of dictionary files: each byte XOR ((offset & 0xFF) ^ 0xC5).
class XorStrategy : public c4_FileStrategy {
public:
    explicit XorStrategy(const std::string& path, bool writable = true) { DataOpen(path.c_str(), writable ? 1 : 0); }
    int DataRead(t4_i32 pos, void* buffer, int length) override;
    bool DataWrite(t4_i32 pos, const void* buffer, int length) override;
    void DataCommit(t4_i32) override {}
    void ResetFileMapping() override {}
};

class PlainStrategy : public c4_FileStrategy {
public:
    explicit PlainStrategy(const std::string& path, bool writable = true) { DataOpen(path.c_str(), writable ? 1 : 0); }
};

// Applies the file XOR to a whole image (it is its own inverse).
std::vector<uint8_t> XorImage(std::vector<uint8_t> bytes);

}  // namespace storage_test
