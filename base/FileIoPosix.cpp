#include "base/FileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pvbase {

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
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
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
        if (n < 0)
            return -1;
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
        if (n <= 0)
            return false;
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
    return length >= 0 && ::ftruncate(static_cast<int>(m_handle), static_cast<off_t>(length)) == 0;
}

bool FileHandle::Flush()
{
    return ::fsync(static_cast<int>(m_handle)) == 0;
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
    if (::rename(from.c_str(), to.c_str()) != 0)
        return false;
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
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace pvbase
