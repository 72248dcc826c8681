// Folders for the sync tests: one in memory (each simulated PC sees its own copy of the shared
// folder, filled by a delivery model), and one that stops writing after a given count of writes.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "dict/SyncFolder.h"

namespace synctest {

class CMemoryFolder : public ISyncFolder {
public:
    std::map<std::string, std::string> files;

    bool List(std::vector<FileInfo>& list) override
    {
        list.clear();
        for (const auto& [name, bytes] : files)
            list.push_back(FileInfo{name, static_cast<std::int64_t>(bytes.size()), m_stamps[name]});
        return true;
    }
    bool Read(const std::string& name, std::int64_t offset, std::int64_t length, std::string& bytes) override
    {
        const auto found = files.find(name);
        if (found == files.end())
            return false;
        const auto at = static_cast<std::size_t>(std::min<std::int64_t>(offset, found->second.size()));
        bytes = found->second.substr(at, static_cast<std::size_t>(length));
        return true;
    }
    bool Write(const std::string& name, std::int64_t offset, std::string_view bytes) override
    {
        std::string& file = files[name];
        const auto end = static_cast<std::size_t>(offset) + bytes.size();
        if (file.size() < end)
            file.resize(end, '\0');
        file.replace(static_cast<std::size_t>(offset), bytes.size(), bytes);
        Touch(name);
        return true;
    }
    bool Resize(const std::string& name, std::int64_t size) override
    {
        files[name].resize(static_cast<std::size_t>(size), '\0');
        Touch(name);
        return true;
    }
    bool Flush(const std::string& name) override { return files.count(name) != 0; }
    bool Replace(const std::string& from, const std::string& to) override
    {
        const auto found = files.find(from);
        if (found == files.end())
            return false;
        files[to] = std::move(found->second);
        files.erase(from);
        Touch(to);
        return true;
    }
    bool Remove(const std::string& name) override
    {
        files.erase(name);
        return true;
    }
    // What a sync client does: puts bytes into the file (a change the reader can see).
    void Put(const std::string& name, std::string bytes)
    {
        files[name] = std::move(bytes);
        Touch(name);
    }

private:
    void Touch(const std::string& name) { m_stamps[name] = ++m_clock; }

    std::map<std::string, std::int64_t> m_stamps;
    std::int64_t m_clock = 0;
};

// Passes calls on until the given count of writes (Write, Resize, Flush, Replace, Remove) was
// reached; that write and every one after it fail, as if the PC had stopped there.
class CStoppingFolder : public ISyncFolder {
public:
    CStoppingFolder(ISyncFolder& inner, int writesAllowed) : m_inner(inner), m_allowed(writesAllowed) {}
    int Writes() const { return m_writes; }

    bool List(std::vector<FileInfo>& files) override { return m_inner.List(files); }
    bool Read(const std::string& name, std::int64_t offset, std::int64_t length, std::string& bytes) override
    {
        return m_inner.Read(name, offset, length, bytes);
    }
    bool Write(const std::string& name, std::int64_t offset, std::string_view bytes) override
    {
        return Allowed() && m_inner.Write(name, offset, bytes);
    }
    bool Resize(const std::string& name, std::int64_t size) override { return Allowed() && m_inner.Resize(name, size); }
    bool Flush(const std::string& name) override { return Allowed() && m_inner.Flush(name); }
    bool Replace(const std::string& from, const std::string& to) override
    {
        return Allowed() && m_inner.Replace(from, to);
    }
    bool Remove(const std::string& name) override { return Allowed() && m_inner.Remove(name); }

private:
    bool Allowed() { return m_writes++ < m_allowed; }

    ISyncFolder& m_inner;
    int m_allowed;
    int m_writes = 0;
};

}  // namespace synctest
