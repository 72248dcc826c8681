#include "dict/ScramblingFileStrategy.h"

#include <cstring>

#include "dict/TextScrambling.h"

CScramblingFileStrategy::CScramblingFileStrategy(const char* path, bool writable)
{
    DataOpen(path, writable ? 1 : 0);
}

int CScramblingFileStrategy::DataRead(t4_i32 pos, void* buffer, int length)
{
    if (length < 1)
        return 0;
    const int got = c4_FileStrategy::DataRead(pos, buffer, length);
    if (got > 0)
        ScrambleFileBytes(static_cast<std::uint64_t>(pos), static_cast<unsigned char*>(buffer),
                          static_cast<std::size_t>(got));
    return got;
}

bool CScramblingFileStrategy::DataWrite(t4_i32 pos, const void* buffer, int length)
{
    if (length < 1)
        return true;
    // Scrambled copies in pieces: a commit may hand over the whole file at once.
    constexpr int kPiece = 64 * 1024;
    m_scratch.resize(static_cast<std::size_t>(length < kPiece ? length : kPiece));
    const auto* source = static_cast<const unsigned char*>(buffer);
    for (int done = 0; done < length;) {
        const int piece = length - done < kPiece ? length - done : kPiece;
        std::memcpy(m_scratch.data(), source + done, static_cast<std::size_t>(piece));
        ScrambleFileBytes(static_cast<std::uint64_t>(pos) + done, m_scratch.data(), static_cast<std::size_t>(piece));
        if (!c4_FileStrategy::DataWrite(pos + done, m_scratch.data(), piece))
            return false;
        done += piece;
    }
    return true;
}

void CScramblingFileStrategy::DataCommit(t4_i32) {}

void CScramblingFileStrategy::ResetFileMapping() {}
