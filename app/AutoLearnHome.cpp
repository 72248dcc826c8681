#include "app/AutoLearnHome.h"

#include "app/EngineThread.h"
#include "app/LearningHandOver.h"
#include "app/SyncHandOver.h"
#include "base/ProgramPaths.h"
#include "dict/AutoLearnDictionary.h"

CAutoLearnHome::CAutoLearnHome(CEngineThread& engine, std::string programDirectory)
    : m_engine(engine), m_programDirectory(std::move(programDirectory))
{
}

std::string CAutoLearnHome::AutoLearnPath() const
{
    return pvbase::AutoLearnPath(m_programDirectory);
}

std::vector<AutoLearnRecord> CAutoLearnHome::LearntWords()
{
    std::vector<AutoLearnRecord> words;
    m_engine.Call([&](ILearningDesk& desk) { words = desk.Learning().LearntWords(); });
    return words;
}

bool CAutoLearnHome::AdoptAutoLearn(std::unique_ptr<CAutoLearnDictionary> store)
{
    bool adopted = false;
    m_engine.Call([&](ILearningDesk& desk) {
        // Words the page deleted leave the sync folder's merge too.
        desk.Sync().BeforeAutoLearnAdopted();
        adopted = desk.Learning().AdoptAutoLearn(std::move(store));
        if (adopted)
            desk.Sync().AfterAutoLearnAdopted();
    });
    return adopted;
}

void CAutoLearnHome::ForgetWords(std::vector<std::string> words)
{
    m_engine.Call([&](ILearningDesk& desk) { desk.Learning().ForgetWords(words); });
}

bool CAutoLearnHome::ForgetUsage()
{
    bool forgotten = false;
    m_engine.Call([&](ILearningDesk& desk) { forgotten = desk.Learning().ForgetUsage(); });
    return forgotten;
}

std::vector<int> CAutoLearnHome::RanksOf(const std::vector<std::string>& words)
{
    std::vector<int> ranks;
    ranks.reserve(words.size());
    m_engine.Call([&](ILearningDesk& desk) {
        for (const std::string& word : words)
            ranks.push_back(desk.RankOf(word));
    });
    return ranks;
}

void CAutoLearnHome::TeachUsage(const CTaughtWords& taught, const CTaughtWords::RankOf& rankOf)
{
    m_engine.Call([&](ILearningDesk& desk) {
        desk.Learning().Teach(taught, rankOf);
        desk.Sync().AfterTeaching();
    });
}
