// A file strategy over bytes in memory, for the fuzzer and tests that need no file.
#pragma once

#include "storage/Storage.h"

#include <algorithm>
#include <cstring>
#include <vector>

class MemoryStrategy : public c4_FileStrategy {
public:
    explicit MemoryStrategy(const uint8_t* data, size_t size) : m_bytes(data, data + size) {}
    bool IsValid() const override { return true; }
    int DataRead(t4_i32 pos, void* buffer, int length) override
    {
        if (length < 1)
            return 0;
        if (pos < 0 || static_cast<size_t>(pos) > m_bytes.size())
            return -1;
        size_t n = std::min(static_cast<size_t>(length), m_bytes.size() - static_cast<size_t>(pos));
        if (n > 0)
            std::memcpy(buffer, m_bytes.data() + pos, n);
        return static_cast<int>(n);
    }
    t4_i32 FileSize() override { return static_cast<t4_i32>(m_bytes.size()); }
    bool BeginRewrite() override { return false; }  // nothing to write to

private:
    std::vector<uint8_t> m_bytes;
};
