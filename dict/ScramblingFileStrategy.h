#pragma once
// File access of every dictionary file: each byte on disk is scrambled by its absolute
// offset, so no dictionary file is a plain storage file.

#include <vector>

#include "storage/Storage.h"

class CScramblingFileStrategy : public c4_FileStrategy {
public:
    // Opens `path` read-write (a missing file is created empty) or read-only.
    CScramblingFileStrategy(const char* path, bool writable);

    int DataRead(t4_i32 pos, void* buffer, int length) override;
    bool DataWrite(t4_i32 pos, const void* buffer, int length) override;
    // Neither truncates nor flushes: the storage writes whole new files and replaces them itself.
    void DataCommit(t4_i32 newSize) override;
    // Files are never mapped: every byte must pass through DataRead.
    void ResetFileMapping() override;

private:
    std::vector<unsigned char> m_scratch;  // the caller's bytes are never changed
};
