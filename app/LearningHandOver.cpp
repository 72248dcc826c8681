#include "app/LearningHandOver.h"

#include "base/FileIo.h"
#include "dict/DocumentTeaching.h"

bool CLearningHandOver::ForgetUsage()
{
    WaitForWriter();
    return m_core.ForgetUsage();
}

void CLearningHandOver::ForgetWords(const std::vector<std::string>& words)
{
    if (m_core.Engine().Usage().Forget(words))
        SaveInBackground();
}

void CLearningHandOver::Teach(const CTaughtWords& taught, const CTaughtWords::RankOf& rankOf)
{
    TeachUsage(taught, m_core.Engine().Usage(), rankOf);
    SaveInBackground();
}

void CLearningHandOver::ScheduleSave()
{
    if (m_saveScheduled || !m_window || !m_core.Engine().Usage().IsDirty())
        return;
    m_saveScheduled = ::SetTimer(m_window, TIMER_SAVE_USAGE, kSaveUsageMs, nullptr) != 0;
}

void CLearningHandOver::OnSaveTimer()
{
    ::KillTimer(m_window, TIMER_SAVE_USAGE);
    m_saveScheduled = false;
    SaveInBackground();
}

void CLearningHandOver::SaveInBackground()
{
    CUsageModel& usage = m_core.Engine().Usage();
    if (!usage.IsDirty() || usage.Path().empty())
        return;
    WaitForWriter();
    m_writer =
        std::thread([path = usage.Path(), bytes = usage.Snapshot()] { pvbase::WriteFileAtomically(path, bytes); });
}

void CLearningHandOver::WaitForWriter()
{
    if (m_writer.joinable())
        m_writer.join();
}
