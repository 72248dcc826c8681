// A record of the engine thread's work: one entry for each message or event it handled, with when
// it began, how long it took and, for a key, how long until the key was answered. Kept only when
// the environment variable PV_ENGINE_LOG names a file, and written there (tab-separated) when the
// engine stops. Where a key's time goes under load shows only in the order and gaps of the work,
// which no profiler under Wine gives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/engine/KeyReport.h"

class CEngineWorkLog {
public:
    CEngineWorkLog();
    bool Enabled() const { return !m_path.empty(); }

    // One piece of work, from its construction to its end.
    class Entry {
    public:
        Entry(CEngineWorkLog& log, const char* kind, std::uint32_t detail);
        ~Entry();
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;

    private:
        CEngineWorkLog& m_log;
        std::size_t m_index;
    };

    // The key being handled was answered now.
    void NoteAnswer(KeyAnswer answer);
    // Writes what was recorded; false when the file could not be written.
    bool Write() const;

private:
    struct Record {
        const char* kind;
        std::uint32_t detail;
        int depth;
        std::int64_t beganUs;
        std::int64_t tookUs;
        std::int64_t answeredAfterUs;  // -1: no answer within it
        int answer;
    };
    static constexpr std::size_t kMaxRecords = 2000000;

    std::string m_path;
    std::vector<Record> m_records;
    std::vector<std::size_t> m_open;  // records being handled, outermost first
};
