#include "dict/AutoLearnFile.h"

#include "base/FileIo.h"

using pvbase::FileHandle;
using pvbase::OpenMode;

// The file wrapper takes int lengths; larger transfers go in pieces.
static const std::size_t kMaxPiece = 0x40000000u;

CAutoLearnFile::CAutoLearnFile() = default;
CAutoLearnFile::~CAutoLearnFile() = default;

bool CAutoLearnFile::Open(const std::string& path)
{
    Close();
    m_file = FileHandle::Open(path, OpenMode::ReadWrite);
    m_writable = m_file != nullptr;
    if (m_file)
        return true;
    // A missing file that could not be created: why it could not is what counts.
    const pvbase::FileFault createFault = pvbase::LastFileFault();
    m_file = FileHandle::Open(path, OpenMode::ReadOnly);
    if (!m_file && pvbase::LastFileFault() == pvbase::FileFault::Missing)
        pvbase::SetLastFileFault(createFault);
    return m_file != nullptr;
}

void CAutoLearnFile::Close()
{
    m_file.reset();
    m_writable = false;
}

std::int64_t CAutoLearnFile::Size() const
{
    return m_file ? m_file->Size() : -1;
}

std::int64_t CAutoLearnFile::ReadAt(std::int64_t offset, void* buffer, std::size_t length) const
{
    if (!m_file || offset < 0)
        return -1;
    char* out = static_cast<char*>(buffer);
    std::int64_t total = 0;
    while (length > 0) {
        const int piece = static_cast<int>(length < kMaxPiece ? length : kMaxPiece);
        const int got = m_file->Read(offset + total, out + total, piece);
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
        if (!m_file->Write(offset + done, in + done, piece))
            return false;
        done += piece;
        length -= static_cast<std::size_t>(piece);
    }
    return true;
}

bool CAutoLearnFile::Resize(std::int64_t length)
{
    return IsWritable() && m_file->Resize(length);
}

bool CAutoLearnFile::Sync()
{
    return IsWritable() && m_file->Flush();
}

bool WriteAutoLearnStoreFile(const std::string& path, const std::vector<AutoLearnRecord>& records)
{
    const std::unique_ptr<FileHandle> file = FileHandle::Open(path, OpenMode::CreateTruncate);
    if (!file)
        return false;
    // Written in pieces of this many records: a large store needs no second copy in memory.
    constexpr std::size_t kPieceRecords = 256;
    std::vector<unsigned char> piece(kPieceRecords * kAutoLearnRecordSize);
    EncodeAutoLearnMarker(piece.data());
    std::size_t filled = 1;
    std::int64_t offset = 0;
    const auto drain = [&] {
        const int length = static_cast<int>(filled * kAutoLearnRecordSize);
        if (!file->Write(offset, piece.data(), length))
            return false;
        offset += length;
        filled = 0;
        return true;
    };
    for (const AutoLearnRecord& record : records) {
        if (record.text.empty())
            continue;
        EncodeAutoLearnRecord(record.count, AutoLearnStoredText(record.text),
                              piece.data() + filled * kAutoLearnRecordSize);
        if (++filled == kPieceRecords && !drain())
            return false;
    }
    return (filled == 0 || drain()) && file->Flush();
}
