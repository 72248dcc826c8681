#include "base/FileIo.h"

#include <climits>

namespace pvbase {

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    auto file = FileHandle::Open(path, OpenMode::ReadOnly);
    if (!file)
        return false;
    const int64_t size = file->Size();
    if (size < 0 || size > (int64_t{256} << 20))
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    return size == 0 || file->Read(0, &bytes[0], static_cast<int>(size)) == static_cast<int>(size);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        return false;
    const std::string temporary = path + ".new";
    bool ok = false;
    {
        auto file = FileHandle::Open(temporary, OpenMode::CreateTruncate);
        ok = file && (bytes.empty() || file->Write(0, bytes.data(), static_cast<int>(bytes.size()))) && file->Flush();
    }
    ok = ok && ReplaceFileAtomically(temporary, path);
    if (!ok)
        RemoveFileIfExists(temporary);
    return ok;
}

}  // namespace pvbase
