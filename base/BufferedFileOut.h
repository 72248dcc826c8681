#pragma once
// Text written to a new file in large pieces through the file layer, which records why a write
// failed (pvbase::LastFileFault).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/FileIo.h"

namespace pvbase {

class CBufferedFileOut {
public:
    explicit CBufferedFileOut(const std::string& path) : m_file(FileHandle::Open(path, OpenMode::CreateTruncate)) {}
    bool IsOpen() const { return m_file != nullptr; }
    // What is to be written; Drain takes it.
    std::string& Buffer() { return m_buffer; }
    // Writes the buffer out once it is large, or whatever it holds (and flushes) when `all`.
    bool Drain(bool all)
    {
        if (!m_file || (!all && m_buffer.size() < kPiece))
            return m_file != nullptr;
        if (!m_file->Write(m_written, m_buffer.data(), static_cast<int>(m_buffer.size())))
            return false;
        m_written += static_cast<std::int64_t>(m_buffer.size());
        m_buffer.clear();
        return !all || m_file->Flush();
    }

private:
    static constexpr std::size_t kPiece = 1 << 16;
    std::unique_ptr<FileHandle> m_file;
    std::string m_buffer;
    std::int64_t m_written = 0;
};

}  // namespace pvbase
