#pragma once
// Reading documents to teach from on a thread of its own, so that a window can show progress and
// offer Cancel while it runs. The owner polls; nothing is handed to a store here, so a cancelled
// job leaves every store as it was.

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dict/DocumentTeaching.h"

class CDocumentTeachingJob {
public:
    struct Progress {
        std::size_t done = 0;
        std::size_t total = 0;
        std::string current;  // the document being read
    };

    // paths: files and folders (a folder's documents, sub-folders included).
    explicit CDocumentTeachingJob(std::vector<std::string> paths);
    // Cancels and waits for the thread.
    ~CDocumentTeachingJob();
    CDocumentTeachingJob(const CDocumentTeachingJob&) = delete;
    CDocumentTeachingJob& operator=(const CDocumentTeachingJob&) = delete;

    void Start();
    void Cancel() { m_cancel = true; }
    bool IsDone() const { return m_done; }
    Progress CurrentProgress() const;

    // Once done: whether every document was read (not cancelled), what was read, and the words.
    bool Completed() const { return m_completed; }
    const TeachingReport& Report() const { return m_report; }
    std::unique_ptr<CTaughtWords> TakeWords() { return std::move(m_taught); }

private:
    void Run();

    std::vector<std::string> m_paths;
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_done{false};
    bool m_completed = false;
    TeachingReport m_report;
    std::unique_ptr<CTaughtWords> m_taught = std::make_unique<CTaughtWords>();
    mutable std::mutex m_progressLock;
    Progress m_progress;
};
