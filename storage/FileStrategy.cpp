#include "storage/FileIo.h"
#include "storage/Storage.h"

#include <climits>

using pv_storage::FileHandle;
using pv_storage::OpenMode;

c4_FileStrategy::c4_FileStrategy() = default;

c4_FileStrategy::~c4_FileStrategy() {
    if (rewriting_)
        EndRewrite(false);
}

bool c4_FileStrategy::IsValid() const { return valid_; }

bool c4_FileStrategy::DataOpen(const char* fileName, int mode) {
    if (rewriting_)
        EndRewrite(false);
    file_.reset();
    valid_ = false;
    failed_ = false;
    if (!fileName || !*fileName)
        return false;
    fileName_ = fileName;
    tempName_ = fileName_ + ".tmp";
    writable_ = mode != 0;
    file_ = FileHandle::Open(fileName_, writable_ ? OpenMode::ReadWrite : OpenMode::ReadOnly);
    valid_ = file_ != nullptr;
    return valid_;
}

bool c4_FileStrategy::EnsureOpen() {
    if (file_)
        return true;
    if (!valid_ || rewriting_)
        return false;
    file_ = FileHandle::Open(fileName_, OpenMode::ReadOnly);
    return file_ != nullptr;
}

int c4_FileStrategy::DataRead(t4_i32 pos, void* buffer, int length) {
    if (length < 1)
        return 0;
    if (pos < 0 || !EnsureOpen()) {
        failed_ = true;
        return -1;
    }
    int n = file_->Read(pos, buffer, length);
    if (n < 0)
        failed_ = true;
    return n;
}

bool c4_FileStrategy::DataWrite(t4_i32 pos, const void* buffer, int length) {
    if (length < 1)
        return true;
    // Writes go only into a rewrite's temporary file; the committed file is never patched.
    if (pos < 0 || !rewriting_ || !file_ || static_cast<int64_t>(pos) + length > INT32_MAX ||
        !file_->Write(pos, buffer, length)) {
        failed_ = true;
        return false;
    }
    return true;
}

void c4_FileStrategy::DataCommit(t4_i32 /*newSize*/) {
    if (rewriting_ && file_ && !file_->Flush())
        failed_ = true;
}

void c4_FileStrategy::ResetFileMapping() {}

t4_i32 c4_FileStrategy::FileSize() {
    if (!EnsureOpen())
        return -1;
    int64_t size = file_->Size();
    if (size < 0 || size > INT32_MAX)
        return -1;
    return static_cast<t4_i32>(size);
}

void c4_FileStrategy::DataClose() {
    if (!rewriting_)
        file_.reset();
}

bool c4_FileStrategy::BeginRewrite() {
    if (rewriting_)
        EndRewrite(false);
    if (!valid_ || !writable_)
        return false;
    file_.reset();
    file_ = FileHandle::Open(tempName_, OpenMode::CreateTruncate);
    if (!file_)
        return false;
    rewriting_ = true;
    failed_ = false;
    return true;
}

bool c4_FileStrategy::EndRewrite(bool replace) {
    if (!rewriting_)
        return false;
    bool ok = replace && !failed_ && file_ && file_->Flush();
    file_.reset();
    rewriting_ = false;
    if (ok)
        ok = pv_storage::ReplaceFileAtomically(tempName_, fileName_);
    if (!ok)
        pv_storage::RemoveFileIfExists(tempName_);
    return ok;
}
