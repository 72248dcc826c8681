#include "app/SyncHandOver.h"

#include "app/FileProblemTeller.h"
#include "app/engine/EngineCore.h"

CSyncedWords::Outcome CSyncHandOver::Follow(HWND window, const std::string& programDirectory,
                                            const SettingsRecord& settings)
{
    CSyncedWords::Outcome outcome;
    const std::string& folder = settings.strSyncFolder;
    if (m_words && m_words->Folder() == folder && m_programDirectory == programDirectory) {
        m_words->RecordSettings(settings);
        return outcome;
    }
    // Off, or another folder: the merged state stays in the local files.
    ::KillTimer(window, TIMER_SYNC_REFRESH);
    m_words.reset();
    m_programDirectory = programDirectory;
    if (folder.empty() || programDirectory.empty())
        return outcome;
    m_words = std::make_unique<CSyncedWords>(programDirectory);
    if (!m_words->Open(folder, m_core.AutoLearn(), settings, outcome)) {
        TellProblems();
        m_words.reset();
        return outcome;
    }
    TellProblems();
    ::SetTimer(window, TIMER_SYNC_REFRESH, kRefreshMs, nullptr);
    return outcome;
}

CSyncedWords::Outcome CSyncHandOver::OnRefreshTimer()
{
    if (!m_words)
        return {};
    const CSyncedWords::Outcome outcome = m_words->Refresh(m_core.AutoLearn());
    TellProblems();
    return outcome;
}

void CSyncHandOver::RecordLearnt(const std::string& word)
{
    if (m_words)
        m_words->RecordLearnt(word, m_core.AutoLearn());
}

void CSyncHandOver::BeforeAutoLearnAdopted()
{
    m_wordsBeforeAdoption.clear();
    if (!m_words)
        return;
    for (const AutoLearnRecord& record : m_core.AutoLearn().Records())
        m_wordsBeforeAdoption.insert(record.text);
}

void CSyncHandOver::AfterAutoLearnAdopted()
{
    if (!m_words)
        return;
    for (const AutoLearnRecord& record : m_core.AutoLearn().Records())
        m_wordsBeforeAdoption.erase(record.text);
    m_words->RecordForgotten({m_wordsBeforeAdoption.begin(), m_wordsBeforeAdoption.end()});
    m_wordsBeforeAdoption.clear();
}

void CSyncHandOver::RecordDictionaryEdits()
{
    if (m_words)
        m_words->RecordDictionaryEdits();
}

void CSyncHandOver::Stop(HWND window)
{
    if (window)
        ::KillTimer(window, TIMER_SYNC_REFRESH);
    m_words.reset();
}

void CSyncHandOver::TellProblems()
{
    for (const SyncProblem& problem : m_words->TakeProblems())
        m_problems.TellSyncProblem(problem.file, problem.reason);
}
