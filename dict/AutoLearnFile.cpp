#include "dict/AutoLearnFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32

bool CAutoLearnFile::Open(const std::string& path)
{
    Close();
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    writable_ = h != INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE)
        h = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    handle_ = h;
    return true;
}

void CAutoLearnFile::Close()
{
    if (handle_)
        CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    writable_ = false;
}

bool CAutoLearnFile::IsOpen() const { return handle_ != nullptr; }

std::int64_t CAutoLearnFile::Size() const
{
    LARGE_INTEGER size;
    if (!handle_ || !GetFileSizeEx(static_cast<HANDLE>(handle_), &size))
        return -1;
    return size.QuadPart;
}

static OVERLAPPED OffsetOf(std::int64_t offset)
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return at;
}

std::int64_t CAutoLearnFile::ReadAt(std::int64_t offset, void* buffer, std::size_t length) const
{
    if (!handle_ || offset < 0)
        return -1;
    std::int64_t total = 0;
    char* out = static_cast<char*>(buffer);
    while (length > 0) {
        OVERLAPPED at = OffsetOf(offset + total);
        const DWORD chunk = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
        DWORD got = 0;
        if (!ReadFile(static_cast<HANDLE>(handle_), out + total, chunk, &got, &at))
            return GetLastError() == ERROR_HANDLE_EOF ? total : -1;
        if (got == 0)
            break;
        total += got;
        length -= got;
    }
    return total;
}

bool CAutoLearnFile::WriteAt(std::int64_t offset, const void* buffer, std::size_t length)
{
    if (!handle_ || !writable_ || offset < 0)
        return false;
    const char* in = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (length > 0) {
        OVERLAPPED at = OffsetOf(offset + done);
        const DWORD chunk = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
        DWORD put = 0;
        if (!WriteFile(static_cast<HANDLE>(handle_), in + done, chunk, &put, &at) || put == 0)
            return false;
        done += put;
        length -= put;
    }
    return true;
}

bool CAutoLearnFile::Resize(std::int64_t length)
{
    if (!handle_ || !writable_ || length < 0)
        return false;
    LARGE_INTEGER to;
    to.QuadPart = length;
    HANDLE h = static_cast<HANDLE>(handle_);
    return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

bool CAutoLearnFile::Sync()
{
    return handle_ && writable_ && FlushFileBuffers(static_cast<HANDLE>(handle_));
}

#else

bool CAutoLearnFile::Open(const std::string& path)
{
    Close();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    writable_ = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        writable_ = false;
        return false;
    }
    fd_ = fd;
    return true;
}

void CAutoLearnFile::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    writable_ = false;
}

bool CAutoLearnFile::IsOpen() const { return fd_ >= 0; }

std::int64_t CAutoLearnFile::Size() const
{
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

std::int64_t CAutoLearnFile::ReadAt(std::int64_t offset, void* buffer, std::size_t length) const
{
    if (fd_ < 0 || offset < 0)
        return -1;
    std::int64_t total = 0;
    char* out = static_cast<char*>(buffer);
    while (length > 0) {
        const ssize_t got = ::pread(fd_, out + total, length, static_cast<off_t>(offset + total));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        total += got;
        length -= static_cast<std::size_t>(got);
    }
    return total;
}

bool CAutoLearnFile::WriteAt(std::int64_t offset, const void* buffer, std::size_t length)
{
    if (fd_ < 0 || !writable_ || offset < 0)
        return false;
    const char* in = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (length > 0) {
        const ssize_t put = ::pwrite(fd_, in + done, length, static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += put;
        length -= static_cast<std::size_t>(put);
    }
    return true;
}

bool CAutoLearnFile::Resize(std::int64_t length)
{
    return fd_ >= 0 && writable_ && length >= 0 && ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
}

bool CAutoLearnFile::Sync()
{
    return fd_ >= 0 && writable_ && ::fsync(fd_) == 0;
}

#endif
