// A file strategy over bytes in memory, for the fuzzer and tests that need no file.
#pragma once

#include "storage/Storage.h"

#include <algorithm>
#include <cstring>
#include <vector>

class MemoryStrategy : public c4_FileStrategy {
public:
    explicit MemoryStrategy(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
    bool IsValid() const override { return true; }
    int DataRead(t4_i32 pos, void* buffer, int length) override {
        if (length < 1)
            return 0;
        if (pos < 0 || static_cast<size_t>(pos) > bytes_.size())
            return -1;
        size_t n = std::min(static_cast<size_t>(length), bytes_.size() - static_cast<size_t>(pos));
        if (n > 0)
            std::memcpy(buffer, bytes_.data() + pos, n);
        return static_cast<int>(n);
    }
    t4_i32 FileSize() override { return static_cast<t4_i32>(bytes_.size()); }
    bool BeginRewrite() override { return false; }  // nothing to write to

private:
    std::vector<uint8_t> bytes_;
};
