#include "base/FileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pvbase {

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

void NoteFileError(unsigned long error, const std::string& path)
{
    FileFault fault = FileFault::Other;
    switch (static_cast<int>(error)) {
        case ENOENT:
        case ENOTDIR:
            fault = FileFault::Missing;
            break;
        case EACCES:
        case EPERM:
            fault = Exists(path) ? FileFault::ReadOnly : FileFault::FolderReadOnly;
            break;
        case EROFS:
            fault = FileFault::FolderReadOnly;
            break;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            fault = FileFault::DiskFull;
            break;
        case EBUSY:
        case ETXTBSY:
            fault = FileFault::InUse;
            break;
        default:
            break;
    }
    SetLastFileFault(fault);
}

std::unique_ptr<FileHandle> FileHandle::Open(const std::string& path, OpenMode mode)
{
    int flags = O_CLOEXEC;
    switch (mode) {
        case OpenMode::ReadOnly:
            flags |= O_RDONLY;
            break;
        case OpenMode::ReadWrite:
            flags |= O_RDWR | O_CREAT;
            break;
        case OpenMode::CreateTruncate:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        NoteFileError(errno, path);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        SetLastFileFault(FileFault::Other);
        return nullptr;
    }
    return std::unique_ptr<FileHandle>(new FileHandle(fd));
}

FileHandle::~FileHandle()
{
    ::close(static_cast<int>(m_handle));
}

int FileHandle::Read(int64_t pos, void* buffer, int length)
{
    if (pos < 0 || length < 0)
        return -1;
    int done = 0;
    while (done < length) {
        ssize_t n = ::pread(static_cast<int>(m_handle), static_cast<char*>(buffer) + done,
                            static_cast<size_t>(length - done), static_cast<off_t>(pos + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            NoteFileError(errno, std::string());
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<int>(n);
    }
    return done;
}

bool FileHandle::Write(int64_t pos, const void* buffer, int length)
{
    if (pos < 0 || length < 0)
        return false;
    int done = 0;
    while (done < length) {
        ssize_t n = ::pwrite(static_cast<int>(m_handle), static_cast<const char*>(buffer) + done,
                             static_cast<size_t>(length - done), static_cast<off_t>(pos + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            NoteFileError(n < 0 ? errno : ENOSPC, std::string());
            return false;
        }
        done += static_cast<int>(n);
    }
    return true;
}

int64_t FileHandle::Size()
{
    struct stat st;
    if (::fstat(static_cast<int>(m_handle), &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

bool FileHandle::Resize(int64_t length)
{
    if (length >= 0 && ::ftruncate(static_cast<int>(m_handle), static_cast<off_t>(length)) == 0)
        return true;
    NoteFileError(length < 0 ? EINVAL : errno, std::string());
    return false;
}

bool FileHandle::Flush()
{
    if (::fsync(static_cast<int>(m_handle)) == 0)
        return true;
    NoteFileError(errno, std::string());
    return false;
}

static std::string DirectoryOf(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool ReplaceFileAtomically(const std::string& from, const std::string& to)
{
    // Keep the permissions of the file being replaced.
    struct stat st;
    if (::stat(to.c_str(), &st) == 0)
        ::chmod(from.c_str(), st.st_mode & 07777);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        // Renaming needs only the folder: a refusal is the folder's.
        const int error = errno;
        NoteFileError(error, std::string());
        if (error == EACCES || error == EPERM)
            SetLastFileFault(FileFault::FolderReadOnly);
        return false;
    }
    // The rename itself must reach the disk before the commit counts as done.
    int dir = ::open(DirectoryOf(to).c_str(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool RemoveFileIfExists(const std::string& path)
{
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    NoteFileError(errno, path);
    return false;
}

}  // namespace pvbase
