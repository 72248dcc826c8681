// Minimal positional file access and the atomic replace: the one place with platform file
// calls (FileIoPosix.cpp natively, FileIoWin.cpp on Windows). The storage layer, the AutoLearn
// file and the settings updates all go through it. Paths are UTF-8 (the W functions on Windows).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pvbase {

// Why a file could not be opened, read or written: what the user is told.
enum class FileFault {
    None,
    Missing,         // the file (or its folder) does not exist
    ReadOnly,        // the file may only be read
    FolderReadOnly,  // its folder (or the whole disk) takes no new files
    DiskFull,        // no room left (or the user's quota is used up)
    InUse,           // another program holds it
    Damaged,         // it is not what it should be (told by the readers, not by this layer)
    Other,
};

// The fault of this layer's last failed call on this thread; None until one failed. Callers
// that refuse a file for reasons of their own record them with SetLastFileFault.
FileFault LastFileFault();
void SetLastFileFault(FileFault fault);
// Records the fault of a failed system call on path (errno natively, the system's error code on
// Windows); path tells a read-only file from a read-only folder.
void NoteFileError(unsigned long error, const std::string& path);
// Whether new files can be made in the folder (given with its final separator): None when they
// can, else why not (FolderReadOnly, Missing, ...). Leaves nothing behind.
FileFault FolderWriteFault(const std::string& folder);

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
// A whole (small) file. False when it cannot be read or is over 256 MB.
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Writes the bytes to path + ".new", forces them to disk and moves that file over path: a write
// cut anywhere leaves the old file or the new one. The partial file is removed on failure.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

#ifdef _WIN32
// An entry of a folder listing: its name, the system's FILE_ATTRIBUTE_* bits, its size and the
// time it was last written (100 ns units since 1601).
struct FolderEntry {
    std::string name;
    std::uint32_t attributes = 0;
    std::int64_t size = 0;
    std::int64_t lastWrite = 0;
};
// Adds the entries matching the system's wildcard pattern ("C:\\folder\\*.lib"; the system also
// matches short names) in the system's order, up to maxEntries in all. False when nothing matched or
// the folder cannot be read.
bool ListFolder(const std::string& pattern, std::vector<FolderEntry>& entries, std::size_t maxEntries = SIZE_MAX);
#endif

}  // namespace pvbase
