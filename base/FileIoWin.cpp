#include "base/FileIo.h"

#include <windows.h>

#include "base/Utf8Text.h"
#include "base/WinHandles.h"

namespace pvbase {

static HANDLE AsHandle(intptr_t h)
{
    return reinterpret_cast<HANDLE>(h);
}

void NoteFileError(unsigned long error, const std::string& path)
{
    FileFault fault = FileFault::Other;
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            fault = FileFault::Missing;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            fault = !path.empty() && ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES
                        ? FileFault::ReadOnly
                        : FileFault::FolderReadOnly;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            fault = FileFault::DiskFull;
            break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            fault = FileFault::InUse;
            break;
        default:
            break;
    }
    SetLastFileFault(fault);
}

// Every transfer gives its own offset, so handles shared between callers need no seeking.
static OVERLAPPED At(int64_t pos)
{
    OVERLAPPED ov = {};
    ov.Offset = static_cast<DWORD>(static_cast<ULONGLONG>(pos));
    ov.OffsetHigh = static_cast<DWORD>(static_cast<ULONGLONG>(pos) >> 32);
    return ov;
}

std::unique_ptr<FileHandle> FileHandle::Open(const std::string& path, OpenMode mode)
{
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if (mode == OpenMode::ReadWrite) {
        access |= GENERIC_WRITE;
        disposition = OPEN_ALWAYS;
    } else if (mode == OpenMode::CreateTruncate) {
        access |= GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
    }
    // Full sharing: another storage may read this file or replace it while we hold it.
    HANDLE h = ::CreateFileW(Widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        NoteFileError(::GetLastError(), path);
        return nullptr;
    }
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        SetLastFileFault(FileFault::Other);
        return nullptr;
    }
    return std::unique_ptr<FileHandle>(new FileHandle(reinterpret_cast<intptr_t>(h)));
}

FileHandle::~FileHandle()
{
    ::CloseHandle(AsHandle(m_handle));
}

int FileHandle::Read(int64_t pos, void* buffer, int length)
{
    if (pos < 0 || length < 0)
        return -1;
    int done = 0;
    while (done < length) {
        OVERLAPPED ov = At(pos + done);
        DWORD got = 0;
        if (!::ReadFile(AsHandle(m_handle), static_cast<char*>(buffer) + done, static_cast<DWORD>(length - done), &got,
                        &ov)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            NoteFileError(::GetLastError(), std::string());
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<int>(got);
    }
    return done;
}

bool FileHandle::Write(int64_t pos, const void* buffer, int length)
{
    if (pos < 0 || length < 0)
        return false;
    int done = 0;
    while (done < length) {
        OVERLAPPED ov = At(pos + done);
        DWORD put = 0;
        if (!::WriteFile(AsHandle(m_handle), static_cast<const char*>(buffer) + done, static_cast<DWORD>(length - done),
                         &put, &ov) ||
            put == 0) {
            NoteFileError(put == 0 && ::GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL : ::GetLastError(),
                          std::string());
            return false;
        }
        done += static_cast<int>(put);
    }
    return true;
}

int64_t FileHandle::Size()
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(AsHandle(m_handle), &size))
        return -1;
    return static_cast<int64_t>(size.QuadPart);
}

bool FileHandle::Resize(int64_t length)
{
    if (length < 0)
        return false;
    // Reads and writes give their own offsets, so moving the file pointer here disturbs nothing.
    LARGE_INTEGER to;
    to.QuadPart = length;
    if (::SetFilePointerEx(AsHandle(m_handle), to, nullptr, FILE_BEGIN) && ::SetEndOfFile(AsHandle(m_handle)))
        return true;
    NoteFileError(::GetLastError(), std::string());
    return false;
}

bool FileHandle::Flush()
{
    if (::FlushFileBuffers(AsHandle(m_handle)))
        return true;
    NoteFileError(::GetLastError(), std::string());
    return false;
}

bool ReplaceFileAtomically(const std::string& from, const std::string& to)
{
    // Another process may hold the old file open for a moment (reading it at open);
    // sharing violations pass quickly, so retry for up to about two seconds.
    const std::wstring wideFrom = Widen(from), wideTo = Widen(to);
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = ::GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) {
            NoteFileError(error, std::string());
            return false;
        }
        // A refusal that lasts is the folder's (renaming needs no rights on the file).
        if (attempt == 99)
            NoteFileError(error, std::string());
        ::Sleep(20);
    }
    return false;
}

bool RemoveFileIfExists(const std::string& path)
{
    if (::DeleteFileW(Widen(path).c_str()))
        return true;
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    NoteFileError(error, path);
    return false;
}

bool ListFolder(const std::string& pattern, std::vector<FolderEntry>& entries, std::size_t maxEntries)
{
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileW(Widen(pattern).c_str(), &data));
    if (!find)
        return false;
    do {
        if (entries.size() >= maxEntries)
            break;
        entries.push_back(
            FolderEntry{Narrow(data.cFileName), data.dwFileAttributes,
                        static_cast<std::int64_t>((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow),
                        static_cast<std::int64_t>((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                                  data.ftLastWriteTime.dwLowDateTime)});
    } while (::FindNextFileW(find.Get(), &data));
    return true;
}

}  // namespace pvbase
