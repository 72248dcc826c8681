// The AutoLearn page's way to the engine's learnt words.
#pragma once

#include "dict/ui/AutoLearnPage.h"

class CEngineThread;

class CAutoLearnHome : public IAutoLearnHome {
public:
    CAutoLearnHome(CEngineThread& engine, std::string programDirectory);
    std::string AutoLearnPath() const override;
    std::vector<AutoLearnRecord> LearntWords() override;
    bool AdoptAutoLearn(std::unique_ptr<CAutoLearnDictionary> store) override;
    bool ForgetUsage() override;
    void ForgetWords(std::vector<std::string> words) override;
    std::vector<int> RanksOf(const std::vector<std::string>& words) override;
    void TeachUsage(const CTaughtWords& taught, const CTaughtWords::RankOf& rankOf) override;

private:
    CEngineThread& m_engine;
    std::string m_programDirectory;
};
