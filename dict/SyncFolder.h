#pragma once
// What the sync store needs of a folder: its files' names, sizes and change stamps, positional
// reads and writes, and the atomic replace. CDiskSyncFolder is a real folder (through base's file
// layer); tests put a simulated one, or one that fails on purpose, in its place.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileIo.h"

class ISyncFolder {
public:
    struct FileInfo {
        std::string name;
        std::int64_t size = 0;
        std::int64_t stamp = 0;  // changes whenever the file is written (a modification time)
    };

    virtual ~ISyncFolder() = default;
    // The regular files directly in the folder. False when the folder cannot be read.
    virtual bool List(std::vector<FileInfo>& files) = 0;
    // Up to length bytes from offset (fewer at the end). False when the file cannot be read.
    virtual bool Read(const std::string& name, std::int64_t offset, std::int64_t length, std::string& bytes) = 0;
    // Writes at offset, creating the file when it is missing.
    virtual bool Write(const std::string& name, std::int64_t offset, std::string_view bytes) = 0;
    virtual bool Resize(const std::string& name, std::int64_t size) = 0;
    // Forces the file's written bytes to disk.
    virtual bool Flush(const std::string& name) = 0;
    // Moves from over to in one atomic step.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& name) = 0;
};

class CDiskSyncFolder : public ISyncFolder {
public:
    // folder: a path (UTF-8), with or without its final separator.
    explicit CDiskSyncFolder(std::string folder);

    bool List(std::vector<FileInfo>& files) override;
    bool Read(const std::string& name, std::int64_t offset, std::int64_t length, std::string& bytes) override;
    bool Write(const std::string& name, std::int64_t offset, std::string_view bytes) override;
    bool Resize(const std::string& name, std::int64_t size) override;
    bool Flush(const std::string& name) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& name) override;

    const std::string& Folder() const { return m_folder; }

private:
    std::string PathOf(const std::string& name) const { return m_folder + name; }
    // The PC's own files are written often: their handles stay open between writes.
    pvbase::FileHandle* Writable(const std::string& name);

    std::string m_folder;  // with its final separator
    std::map<std::string, std::unique_ptr<pvbase::FileHandle>> m_open;
};
