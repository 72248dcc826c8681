#include "dict/AutoLearnFile.h"

#include "storage/FileIo.h"

using pv_storage::FileHandle;
using pv_storage::OpenMode;

// The file wrapper takes int lengths; larger transfers go in pieces.
static const std::size_t kMaxPiece = 0x40000000u;

CAutoLearnFile::CAutoLearnFile() = default;
CAutoLearnFile::~CAutoLearnFile() = default;

bool CAutoLearnFile::Open(const std::string& path)
{
    Close();
    file_ = FileHandle::Open(path, OpenMode::ReadWrite);
    writable_ = file_ != nullptr;
    if (!file_)
        file_ = FileHandle::Open(path, OpenMode::ReadOnly);
    return file_ != nullptr;
}

void CAutoLearnFile::Close()
{
    file_.reset();
    writable_ = false;
}

std::int64_t CAutoLearnFile::Size() const
{
    return file_ ? file_->Size() : -1;
}

std::int64_t CAutoLearnFile::ReadAt(std::int64_t offset, void* buffer, std::size_t length) const
{
    if (!file_ || offset < 0)
        return -1;
    char* out = static_cast<char*>(buffer);
    std::int64_t total = 0;
    while (length > 0) {
        const int piece = static_cast<int>(length < kMaxPiece ? length : kMaxPiece);
        const int got = file_->Read(offset + total, out + total, piece);
        if (got < 0)
            return -1;
        total += got;
        length -= static_cast<std::size_t>(got);
        if (got < piece)
            break;  // end of file
    }
    return total;
}

bool CAutoLearnFile::WriteAt(std::int64_t offset, const void* buffer, std::size_t length)
{
    if (!IsWritable() || offset < 0)
        return false;
    const char* in = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (length > 0) {
        const int piece = static_cast<int>(length < kMaxPiece ? length : kMaxPiece);
        if (!file_->Write(offset + done, in + done, piece))
            return false;
        done += piece;
        length -= static_cast<std::size_t>(piece);
    }
    return true;
}

bool CAutoLearnFile::Resize(std::int64_t length)
{
    return IsWritable() && file_->Resize(length);
}

bool CAutoLearnFile::Sync()
{
    return IsWritable() && file_->Flush();
}
