// Minimal positional file access and the atomic replace: the one place with platform file
// calls (FileIoPosix.cpp natively, FileIoWin.cpp on Windows). The storage layer, the AutoLearn
// file and the settings updates all go through it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace pvbase {

enum class OpenMode {
    ReadOnly,        // the file must exist
    ReadWrite,       // created empty when missing
    CreateTruncate,  // created, or emptied when it exists
};

class FileHandle {
public:
    // Null on failure. Other handles on the same file may read, write, rename and delete it.
    static std::unique_ptr<FileHandle> Open(const std::string& path, OpenMode mode);
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Count of bytes read (short at the end of the file), or -1.
    int Read(int64_t pos, void* buffer, int length);
    bool Write(int64_t pos, const void* buffer, int length);
    // -1 on failure.
    int64_t Size();
    // Cuts or extends the file to `length` bytes.
    bool Resize(int64_t length);
    // Forces the written data to disk.
    bool Flush();

private:
    explicit FileHandle(intptr_t handle) : m_handle(handle) {}
    intptr_t m_handle;
};

// Moves from over to (replacing it) in one atomic step and makes the change durable.
bool ReplaceFileAtomically(const std::string& from, const std::string& to);
bool RemoveFileIfExists(const std::string& path);

}  // namespace pvbase
