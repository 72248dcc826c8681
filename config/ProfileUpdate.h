// A change to an INI file that either lands whole or not at all.
//
// The system's profile writer rewrites the whole file for every key it sets; a crash, a full
// disk or a second writer in between can leave the settings file cut short. So the writes
// go to a private copy beside the file, and Commit checks that the copy holds every value
// written and every section it held before, then renames it over the file in one step.
// A read-only or locked file is never touched: the update then fails and the file stays as
// it was.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/FileIo.h"
#include "config/ProfileFile.h"
#include "config/ProfileText.h"

class CProfileUpdate : public CProfileFile {
public:
    // How the writes reach the copy. Each: one system call per write, so reads through this
    // object see them. Together: collected and applied to the copy's text in one pass at Commit
    // (the system's writer looks the whole file through for every write: thousands of writes to
    // a file of thousands of sections take seconds); reads do not see them before.
    enum class Writes { Each, Together };

    // Stages a copy of targetPath (a missing file starts as an empty copy).
    explicit CProfileUpdate(const std::string& targetPath, Writes writes = Writes::Each);
    // Throws away an update that was not committed.
    ~CProfileUpdate() override;

    // False when no copy could be staged (read-only or locked file, no room, no rights):
    // writes then fail and Commit reports false.
    bool IsStaged() const { return m_staged; }

    // Verifies the copy and replaces the file by it. True when the file now holds the update
    // (or there was nothing to write).
    bool Commit();

    const std::string& TargetPath() const { return m_target; }
    // Why staging or Commit failed (None while nothing did).
    pvbase::FileFault Fault() const { return m_fault; }

    // The text of an INI file in UTF-8, whatever encoding it is kept in; false when it cannot be
    // read (or is larger than any settings file).
    static bool ReadFileText(const std::string& path, std::string* text);

protected:
    bool PutString(const char* section, const char* key, const char* value) override;
    bool PutSection(const char* section, const std::vector<std::string>& lines) override;

private:
    struct Change {
        std::string section;
        std::string key;  // empty with removeSection or wholeSection
        std::string value;
        bool removeKey = false;
        bool removeSection = false;
        bool wholeSection = false;
    };

    bool StageCopy();
    bool ApplyCollected();
    bool RewriteCopy(const std::string& bytes) const;
    bool BackToAnsiWhereItFits();
    bool Verify() const;
    void Discard();
    // Records the fault of the system call that just failed on path; returns false.
    bool Failed(const std::string& path);
    bool Failed(pvbase::FileFault fault);

    std::string m_target;
    std::string m_copyPath;
    uint64_t m_targetTime = 0;
    uint64_t m_targetSize = 0;
    bool m_targetExisted = false;
    std::vector<std::string> m_sectionsBefore;
    std::vector<Change> m_changes;
    bool m_together = false;
    std::vector<ProfileText::IniChange> m_collected;  // Writes::Together, not applied yet
    bool m_staged = false;
    bool m_failedWrite = false;
    pvbase::FileFault m_fault = pvbase::FileFault::None;
};
