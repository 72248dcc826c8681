// Where pvengine keeps the learning stores while it runs. With --learn FILE --save they are the
// files themselves (FILE and the other stores beside it); otherwise a folder of its own that is
// removed at the end: a copy of FILE and of the non-dictionary files beside it, or nothing (a
// fresh start), so that a run leaves the given stores as they were.
#pragma once

#include <string>

class CLearnFolder {
public:
    CLearnFolder() = default;
    ~CLearnFolder();
    CLearnFolder(const CLearnFolder&) = delete;
    CLearnFolder& operator=(const CLearnFolder&) = delete;

    // False when the copy could not be made.
    bool Prepare(const std::string& learnFile, bool save);
    const std::string& AutoLearnPath() const { return m_autoLearnPath; }

private:
    std::string m_temporary;  // the folder of our own, "" when none
    std::string m_autoLearnPath;
};
