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

const char* FileFaultReason(FileFault fault)
{
    switch (fault) {
        case FileFault::None:
            return "";
        case FileFault::Missing:
            return "it does not exist";
        case FileFault::ReadOnly:
            return "the file is read-only";
        case FileFault::FolderReadOnly:
            return "its folder is read-only";
        case FileFault::DiskFull:
            return "the disk is full";
        case FileFault::InUse:
            return "another program is using it";
        case FileFault::Damaged:
            return "the file is damaged";
        case FileFault::Other:
            break;
    }
    return "the system refused it";
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
