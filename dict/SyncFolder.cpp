#include "dict/SyncFolder.h"

#include <algorithm>
#include <climits>
#ifdef _WIN32
#include <windows.h>
#else
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;
#endif

namespace {
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif
}  // namespace

CDiskSyncFolder::CDiskSyncFolder(std::string folder) : m_folder(std::move(folder))
{
    if (!m_folder.empty() && m_folder.back() != '/' && m_folder.back() != '\\')
        m_folder += kSeparator;
}

#ifdef _WIN32
// Through base's file layer: the W functions, so a folder named beyond the code page is listed.
bool CDiskSyncFolder::List(std::vector<FileInfo>& files)
{
    files.clear();
    std::vector<pvbase::FolderEntry> entries;
    if (!pvbase::ListFolder(m_folder + "*", entries))
        return false;
    for (pvbase::FolderEntry& entry : entries) {
        if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
            continue;
        files.push_back(FileInfo{std::move(entry.name), entry.size, entry.lastWrite});
    }
    return true;
}
#else
bool CDiskSyncFolder::List(std::vector<FileInfo>& files)
{
    files.clear();
    std::error_code error;
    fs::directory_iterator it(fs::u8path(m_folder), error);
    if (error)
        return false;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code entryError;
        if (!it->is_regular_file(entryError))
            continue;
        FileInfo info;
        info.name = it->path().filename().u8string();
        const auto size = it->file_size(entryError);
        const auto time = it->last_write_time(entryError);
        if (entryError)
            continue;
        info.size = static_cast<std::int64_t>(size);
        info.stamp = static_cast<std::int64_t>(time.time_since_epoch().count());
        files.push_back(std::move(info));
    }
    return !error;
}
#endif

bool CDiskSyncFolder::Read(const std::string& name, std::int64_t offset, std::int64_t length, std::string& bytes)
{
    bytes.clear();
    auto file = pvbase::FileHandle::Open(PathOf(name), pvbase::OpenMode::ReadOnly);
    if (!file)
        return false;
    const std::int64_t size = file->Size();
    if (size < 0)
        return false;
    if (offset >= size || length <= 0)
        return true;
    const std::int64_t wanted = std::min(length, size - offset);
    if (wanted > INT_MAX)
        return false;
    bytes.resize(static_cast<std::size_t>(wanted));
    const int read = file->Read(offset, &bytes[0], static_cast<int>(wanted));
    if (read < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(read));
    return true;
}

pvbase::FileHandle* CDiskSyncFolder::Writable(const std::string& name)
{
    auto it = m_open.find(name);
    if (it == m_open.end()) {
        auto file = pvbase::FileHandle::Open(PathOf(name), pvbase::OpenMode::ReadWrite);
        if (!file)
            return nullptr;
        it = m_open.emplace(name, std::move(file)).first;
    }
    return it->second.get();
}

bool CDiskSyncFolder::Write(const std::string& name, std::int64_t offset, std::string_view bytes)
{
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        return false;
    pvbase::FileHandle* file = Writable(name);
    return file && file->Write(offset, bytes.data(), static_cast<int>(bytes.size()));
}

bool CDiskSyncFolder::Resize(const std::string& name, std::int64_t size)
{
    pvbase::FileHandle* file = Writable(name);
    return file && file->Resize(size);
}

bool CDiskSyncFolder::Flush(const std::string& name)
{
    pvbase::FileHandle* file = Writable(name);
    return file && file->Flush();
}

bool CDiskSyncFolder::Replace(const std::string& from, const std::string& to)
{
    m_open.erase(from);
    m_open.erase(to);
    return pvbase::ReplaceFileAtomically(PathOf(from), PathOf(to));
}

bool CDiskSyncFolder::Remove(const std::string& name)
{
    m_open.erase(name);
    return pvbase::RemoveFileIfExists(PathOf(name));
}
