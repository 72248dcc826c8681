#include "app/SyncHandOver.h"

#include <chrono>
#include <system_error>

#include "app/FileProblemTeller.h"
#include "app/ThreadMessages.h"
#include "app/engine/EngineCore.h"

namespace {

void Add(CSyncedWords::Outcome& to, const CSyncedWords::Outcome& outcome)
{
    to.dictionariesWritten = to.dictionariesWritten || outcome.dictionariesWritten;
    to.settingsChanged = to.settingsChanged || outcome.settingsChanged;
}

}  // namespace

CSyncedWords::Outcome CSyncHandOver::Follow(HWND window, const std::string& programDirectory,
                                            const SettingsRecord& settings)
{
    const std::string& folder = settings.strSyncFolder;
    const bool sameFolder = m_programDirectory == programDirectory;
    if (m_words && m_words->Folder() == folder && sameFolder) {
        m_words->RecordSettings(settings);
        return {};
    }
    if (IsPreparing() && m_preparingFolder == folder && sameFolder) {
        m_preparingSettings = settings;  // recorded when the store is taken up
        return {};
    }
    // Off, or another folder: the merged state stays in the local files.
    ::KillTimer(window, TIMER_SYNC_REFRESH);
    m_words.reset();
    GiveUpPreparing();
    m_window = window;
    m_programDirectory = programDirectory;
    if (programDirectory.empty())
        return {};
    if (folder.empty()) {
        CSyncedWords::ForgetFolder(programDirectory);
        return {};
    }
    m_preparingSettings = settings;
    StartPreparing(window, folder);
    return {};
}

void CSyncHandOver::StartPreparing(HWND window, const std::string& folder)
{
    m_preparingFolder = folder;
    const WPARAM serial = ++m_preparingSerial;
    auto read = [directory = m_programDirectory, folder, window, serial] {
        auto opening = CSyncedWords::Prepare(directory, folder);
        ::PostMessageW(window, WM_ENGINE_SYNC_PREPARED, serial, 0);
        return opening;
    };
    try {
        m_preparing = std::async(std::launch::async, std::move(read));
    } catch (const std::system_error&) {
        // No thread to be had: read here.
        std::promise<std::unique_ptr<CSyncedWords::Opening>> now;
        now.set_value(CSyncedWords::Prepare(m_programDirectory, folder));
        m_preparing = now.get_future();
        ::PostMessageW(window, WM_ENGINE_SYNC_PREPARED, serial, 0);
    }
}

CSyncedWords::Outcome CSyncHandOver::OnPrepared(WPARAM serial)
{
    if (!IsPreparing() || serial != m_preparingSerial)
        return {};  // given up on
    return FinishPreparing();
}

CSyncedWords::Outcome CSyncHandOver::FinishPreparing()
{
    if (!IsPreparing())
        return {};
    std::unique_ptr<CSyncedWords::Opening> opening = m_preparing.get();  // at most the rest of the reading
    return TakeUp(std::move(opening));
}

CSyncedWords::Outcome CSyncHandOver::TakeUp(std::unique_ptr<CSyncedWords::Opening> opening)
{
    CSyncedWords::Outcome outcome;
    std::vector<std::string> learnt = std::move(m_learntWhilePreparing);
    std::vector<std::pair<std::string, std::string>> pairs = std::move(m_pairsWhilePreparing);
    m_learntWhilePreparing.clear();
    m_pairsWhilePreparing.clear();
    m_words = std::make_unique<CSyncedWords>(m_programDirectory);
    m_words->AttachUsage(&m_core.Engine().Usage(), [this](std::string_view word) { return m_core.RankOf(word); });
    if (!m_words->Complete(std::move(opening), m_core.AutoLearn(), m_preparingSettings, outcome)) {
        TellProblems();
        m_words.reset();
        return outcome;
    }
    for (const std::string& word : learnt)
        m_words->RecordLearnt(word, m_core.AutoLearn());
    for (const auto& [previous, word] : pairs)
        m_words->RecordPairLearnt(previous, word);
    TellProblems();
    ::SetTimer(m_window, TIMER_SYNC_REFRESH, kRefreshMs, nullptr);
    return outcome;
}

void CSyncHandOver::GiveUpPreparing()
{
    if (IsPreparing())
        m_preparing.wait();  // its files are this program's: no second reading beside it
    m_preparing = {};
    m_learntWhilePreparing.clear();
    m_pairsWhilePreparing.clear();
}

CSyncedWords::Outcome CSyncHandOver::OnRefreshTimer()
{
    CSyncedWords::Outcome outcome = m_heldOutcome;
    m_heldOutcome = {};
    if (!m_words)
        return outcome;
    Add(outcome, m_words->Refresh(m_core.AutoLearn()));
    TellProblems();
    return outcome;
}

void CSyncHandOver::RecordLearnt(const std::string& word)
{
    if (m_words)
        m_words->RecordLearnt(word, m_core.AutoLearn());
    else if (IsPreparing())
        m_learntWhilePreparing.push_back(word);
}

void CSyncHandOver::RecordPairLearnt(std::string_view previous, std::string_view word)
{
    if (m_words)
        m_words->RecordPairLearnt(previous, word);
    else if (IsPreparing())
        m_pairsWhilePreparing.emplace_back(previous, word);
}

void CSyncHandOver::AfterTeaching()
{
    Add(m_heldOutcome, FinishPreparing());  // compared with the whole merge
    if (m_words)
        m_words->RecordUsagePairs();
}

void CSyncHandOver::BeforeAutoLearnAdopted()
{
    // The page's deletions are told apart by the store's words before and after: taken up first.
    Add(m_heldOutcome, FinishPreparing());
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
    // Taken up first: an edit compared with entries not yet merged would be overwritten.
    Add(m_heldOutcome, FinishPreparing());
    if (m_words)
        m_words->RecordDictionaryEdits();
}

void CSyncHandOver::Stop(HWND window)
{
    if (window)
        ::KillTimer(window, TIMER_SYNC_REFRESH);
    m_words.reset();
    GiveUpPreparing();
}

void CSyncHandOver::TellProblems()
{
    for (const SyncProblem& problem : m_words->TakeProblems())
        m_problems.TellSyncProblem(problem.file, problem.reason);
}
