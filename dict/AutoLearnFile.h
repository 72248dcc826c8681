#pragma once
// The AutoLearn file as positional reads and writes that go straight to the system (no
// buffering of our own), so that every completed write is visible to other readers at once.
// The file is shared for reading and writing, so the AutoLearn page of a dialog or another
// tool may read it while the program keeps it open.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dict/AutoLearnRecord.h"

namespace pvbase {
class FileHandle;
}

class CAutoLearnFile {
public:
    CAutoLearnFile();
    ~CAutoLearnFile();
    CAutoLearnFile(const CAutoLearnFile&) = delete;
    CAutoLearnFile& operator=(const CAutoLearnFile&) = delete;

    // Opens the file for reading and writing, creating it when missing, never truncating it.
    // A file that may only be read is opened read-only (IsWritable() is then false).
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    bool IsWritable() const { return m_file && m_writable; }

    // Current length in bytes, or -1 on failure.
    std::int64_t Size() const;
    // Reads up to `length` bytes at `offset`; returns the number read (0 at the end), -1 on failure.
    std::int64_t ReadAt(std::int64_t offset, void* buffer, std::size_t length) const;
    // Writes all `length` bytes at `offset`; false when any of them could not be written.
    bool WriteAt(std::int64_t offset, const void* buffer, std::size_t length);
    // Cuts or extends the file to `length` bytes.
    bool Resize(std::int64_t length);
    // Hands the written data to the disk. Not called per record: see CAutoLearnDictionary.
    bool Sync();

private:
    std::unique_ptr<pvbase::FileHandle> m_file;
    bool m_writable = false;
};

// Writes a whole UTF-8 store file (the marker, then the records; rows with an empty text are left
// out), created or emptied, and hands it to the disk. False when any write failed: the file layer
// tells why.
bool WriteAutoLearnStoreFile(const std::string& path, const std::vector<AutoLearnRecord>& records);
