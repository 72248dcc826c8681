#include "base/FileIo.h"

namespace pvbase {

namespace {
thread_local FileFault t_lastFault = FileFault::None;
}  // namespace

FileFault LastFileFault()
{
    return t_lastFault;
}

void SetLastFileFault(FileFault fault)
{
    t_lastFault = fault;
}

FileFault FolderWriteFault(const std::string& folder)
{
    const std::string probe = folder + "~pvprobe.tmp";
    if (!FileHandle::Open(probe, OpenMode::CreateTruncate)) {
        const FileFault fault = LastFileFault();
        return fault == FileFault::ReadOnly ? FileFault::FolderReadOnly : fault;
    }
    RemoveFileIfExists(probe);
    return FileFault::None;
}

}  // namespace pvbase
