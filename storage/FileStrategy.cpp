#include "base/FileIo.h"
#include "storage/Storage.h"

#include <climits>

using pvbase::FileHandle;
using pvbase::OpenMode;

std::string c4_FileStrategy::RewriteName(const std::string& fileName)
{
    return fileName + ".tmp";
}

c4_FileStrategy::c4_FileStrategy() = default;

c4_FileStrategy::~c4_FileStrategy()
{
    if (m_rewriting)
        EndRewrite(false);
}

bool c4_FileStrategy::IsValid() const
{
    return m_valid;
}

bool c4_FileStrategy::DataOpen(const char* fileName, int mode)
{
    if (m_rewriting)
        EndRewrite(false);
    m_file.reset();
    m_valid = false;
    m_failed = false;
    m_fault = pvbase::FileFault::None;
    if (!fileName || !*fileName)
        return false;
    m_fileName = fileName;
    m_tempName = RewriteName(m_fileName);
    m_writable = mode != 0;
    m_file = FileHandle::Open(m_fileName, m_writable ? OpenMode::ReadWrite : OpenMode::ReadOnly);
    m_valid = m_file != nullptr;
    if (!m_valid)
        m_fault = pvbase::LastFileFault();
    return m_valid;
}

bool c4_FileStrategy::EnsureOpen()
{
    if (m_file)
        return true;
    if (!m_valid || m_rewriting)
        return false;
    m_file = FileHandle::Open(m_fileName, OpenMode::ReadOnly);
    return m_file != nullptr;
}

int c4_FileStrategy::DataRead(t4_i32 pos, void* buffer, int length)
{
    if (length < 1)
        return 0;
    if (pos < 0 || !EnsureOpen()) {
        SetFailed();
        return -1;
    }
    int n = m_file->Read(pos, buffer, length);
    if (n < 0)
        SetFailed();
    return n;
}

bool c4_FileStrategy::DataWrite(t4_i32 pos, const void* buffer, int length)
{
    if (length < 1)
        return true;
    // Writes go only into a rewrite's temporary file; the committed file is never patched.
    if (pos < 0 || !m_rewriting || !m_file || static_cast<int64_t>(pos) + length > INT32_MAX ||
        !m_file->Write(pos, buffer, length)) {
        SetFailed();
        return false;
    }
    return true;
}

void c4_FileStrategy::DataCommit(t4_i32 /*newSize*/)
{
    if (m_rewriting && m_file && !m_file->Flush())
        SetFailed();
}

void c4_FileStrategy::ResetFileMapping() {}

t4_i32 c4_FileStrategy::FileSize()
{
    if (!EnsureOpen())
        return -1;
    int64_t size = m_file->Size();
    if (size < 0 || size > INT32_MAX)
        return -1;
    return static_cast<t4_i32>(size);
}

void c4_FileStrategy::DataClose()
{
    if (!m_rewriting)
        m_file.reset();
}

bool c4_FileStrategy::BeginRewrite()
{
    if (m_rewriting)
        EndRewrite(false);
    if (!m_valid || !m_writable) {
        m_fault = m_valid ? pvbase::FileFault::ReadOnly : m_fault;
        return false;
    }
    m_file.reset();
    m_fault = pvbase::FileFault::None;
    m_file = FileHandle::Open(m_tempName, OpenMode::CreateTruncate);
    if (!m_file) {
        // The temporary file is new: a refusal is its folder's.
        m_fault = pvbase::LastFileFault();
        if (m_fault == pvbase::FileFault::ReadOnly || m_fault == pvbase::FileFault::Missing)
            m_fault = pvbase::FileFault::FolderReadOnly;
        return false;
    }
    m_rewriting = true;
    m_failed = false;
    return true;
}

bool c4_FileStrategy::EndRewrite(bool replace)
{
    if (!m_rewriting)
        return false;
    bool ok = replace && !m_failed && m_file && m_file->Flush();
    if (replace && !ok)
        SetFailed();
    m_file.reset();
    m_rewriting = false;
    if (ok) {
        ok = pvbase::ReplaceFileAtomically(m_tempName, m_fileName);
        if (!ok)
            SetFailed();
    }
    if (!ok)
        pvbase::RemoveFileIfExists(m_tempName);
    return ok;
}
