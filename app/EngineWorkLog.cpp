#include "app/EngineWorkLog.h"

#include "app/MicrosecondClock.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
constexpr std::size_t kNone = static_cast<std::size_t>(-1);
}

CEngineWorkLog::CEngineWorkLog()
{
    if (const char* path = std::getenv("PV_ENGINE_LOG"))
        m_path = path;
    if (Enabled())
        m_records.reserve(65536);
}

CEngineWorkLog::Entry::Entry(CEngineWorkLog& log, const char* kind, std::uint32_t detail) : m_log(log), m_index(kNone)
{
    if (!log.Enabled() || log.m_records.size() >= kMaxRecords)
        return;
    m_index = log.m_records.size();
    log.m_records.push_back(Record{kind, detail, static_cast<int>(log.m_open.size()), MicrosecondsNow(), 0, -1, -1});
    log.m_open.push_back(m_index);
}

CEngineWorkLog::Entry::~Entry()
{
    if (m_index == kNone)
        return;
    Record& record = m_log.m_records[m_index];
    record.tookUs = MicrosecondsNow() - record.beganUs;
    m_log.m_open.pop_back();
}

void CEngineWorkLog::NoteAnswer(KeyAnswer answer)
{
    if (m_open.empty())
        return;
    Record& record = m_records[m_open.back()];
    if (record.answeredAfterUs < 0) {
        record.answeredAfterUs = MicrosecondsNow() - record.beganUs;
        record.answer = static_cast<int>(answer);
    }
}

bool CEngineWorkLog::Write() const
{
    if (!Enabled())
        return true;
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(m_path.c_str(), "w"), &std::fclose);
    if (!file)
        return false;
    std::fprintf(file.get(), "began_us\tkind\tdetail\tdepth\ttook_us\tanswered_after_us\tanswer\n");
    for (const Record& r : m_records)
        std::fprintf(file.get(), "%lld\t%s\t%u\t%d\t%lld\t%lld\t%d\n", static_cast<long long>(r.beganUs), r.kind,
                     r.detail, r.depth, static_cast<long long>(r.tookUs), static_cast<long long>(r.answeredAfterUs),
                     r.answer);
    return std::fflush(file.get()) == 0;
}
