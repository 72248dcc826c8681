#include "dict/DocumentTeachingJob.h"

CDocumentTeachingJob::CDocumentTeachingJob(std::vector<std::string> paths) : m_paths(std::move(paths)) {}

CDocumentTeachingJob::~CDocumentTeachingJob()
{
    Cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void CDocumentTeachingJob::Start()
{
    m_thread = std::thread([this] { Run(); });
}

CDocumentTeachingJob::Progress CDocumentTeachingJob::CurrentProgress() const
{
    std::lock_guard<std::mutex> lock(m_progressLock);
    return m_progress;
}

void CDocumentTeachingJob::Run()
{
    const std::vector<std::string> documents = ExpandDocumentPaths(m_paths);
    m_completed = ReadDocumentsToTeach(documents, *m_taught, m_report,
                                       [this](std::size_t done, std::size_t total, const std::string& path) {
                                           std::lock_guard<std::mutex> lock(m_progressLock);
                                           m_progress = Progress{done, total, path};
                                           return !m_cancel.load();
                                       });
    m_done = true;
}
