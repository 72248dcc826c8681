// Files that could not be loaded, or cannot be saved where the program lies, and a helper program
// that could not be started: the user is told through the window thread, once per file.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "app/ThreadMessages.h"

class CAutoLearnDictionary;
class CDictionarySet;

class CFileProblemTeller {
public:
    // viewWindow receives WM_VIEW_FILE_PROBLEM.
    explicit CFileProblemTeller(HWND viewWindow) : m_viewWindow(viewWindow) {}

    void TellUnloadedDictionaries(CDictionarySet& dictionaries);
    // directory: the program's folder (empty: nothing is said).
    void TellUnsavableFolder(const std::string& directory, CAutoLearnDictionary& autoLearn);
    void TellAutoLearnProblem(const std::string& directory, CAutoLearnDictionary& autoLearn);
    // A file of the sync folder (or one the merge could not write) and why.
    void TellSyncProblem(const std::string& file, const std::string& reason);
    // The 32-bit helper did not start: everything else works, so it is a warning.
    void TellNo32BitHelper();

private:
    void Tell(const std::string& file, const std::string& text, ProblemWeight weight = ProblemWeight::Error);

    HWND m_viewWindow;
    std::set<std::string> m_toldFiles;
};
