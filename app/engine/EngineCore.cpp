#include "app/engine/EngineCore.h"

#include "base/FileIo.h"

// ---------------------------------------------------------------------------------------------
// Adapters

bool CDictionarySearchAdapter::FindFirst(const std::string& query, int matchMode, bool includeShorthand,
                                         DictionaryMatch& match)
{
    m_searchInterrupted = false;
    return m_set.FindFirst(query, match, matchMode, includeShorthand);
}

bool CDictionarySearchAdapter::FindNext(DictionaryMatch& match)
{
    // A known-word check ran its own search on the shared cursor: the engine's search is over.
    if (m_searchInterrupted)
        return false;
    return m_set.FindNext(match);
}

bool CDictionarySearchAdapter::FindFirstRanked(const std::string& query, int matchMode, bool includeShorthand,
                                               DictionaryMatch& match, int& rank)
{
    m_searchInterrupted = false;
    return m_set.FindFirstRanked(query, match, matchMode, includeShorthand, rank);
}

bool CDictionarySearchAdapter::FindNextRanked(DictionaryMatch& match, int& rank)
{
    rank = 0;
    if (m_searchInterrupted)
        return false;
    return m_set.FindNextRanked(match, rank);
}

int CDictionarySearchAdapter::RankOf(const std::string& word)
{
    m_searchInterrupted = true;
    return m_set.RankOf(word);
}

bool CDictionarySearchAdapter::HoldsExactly(const std::string& text)
{
    if (text.empty())
        return false;
    m_searchInterrupted = true;
    DictionaryMatch match;
    return m_set.FindFirst(text, match, MATCH_START | MATCH_WORDS | MATCH_PHRASES, true) && match.key == text;
}

bool CAutoLearnAdapter::EndsWithSeparator(const std::string& text)
{
    return m_store->EndsWithSeparator(text);
}

void CAutoLearnAdapter::Learn(const std::string& typedText)
{
    const LearnOutcome outcome = m_store->Learn(typedText);
    if (outcome == LearnOutcome::WriteFailed && m_onWriteFailed)
        m_onWriteFailed();
    else if ((outcome == LearnOutcome::Counted || outcome == LearnOutcome::Added) && m_onLearnt)
        m_onLearnt(std::string(m_store->CurrentText()));  // a copy: the handler may move the store on
}

std::string CAutoLearnAdapter::FirstSuggestion(const std::string& prefix)
{
    if (!m_store->IsEnabled())
        return {};
    return m_store->FirstSuggestion(prefix);
}

std::string CAutoLearnAdapter::NextSuggestion(const std::string& prefix)
{
    if (!m_store->IsEnabled())
        return {};
    return m_store->NextSuggestion(prefix);
}

// ---------------------------------------------------------------------------------------------
// The core

EngineServices CEngineCore::Wire(const PlatformServices& platform, IDictionarySearch* dictionaries,
                                 IAutoLearnStore* autoLearn)
{
    EngineServices s;
    static_cast<PlatformServices&>(s) = platform;
    s.dictionaries = dictionaries;
    s.autoLearn = autoLearn;
    return s;
}

CEngineCore::CEngineCore(const PlatformServices& platform, IDictionaryEnableStore* enableStore)
    : m_dictionaries(enableStore, *platform.ansiCodePage),
      m_dictionarySearch(m_dictionaries),
      m_autoLearnStore(m_autoLearn),
      m_engine(Wire(platform, &m_dictionarySearch, &m_autoLearnStore))
{
}

bool CEngineCore::LoadDictionaries(const std::string& pattern)
{
    m_engine.ClearCandidates();
    const bool loaded = m_dictionaries.LoadFolder(pattern, false);
    m_dictionaries.MirrorAsUtf8();
    m_dictionaries.SetLengthLimits(static_cast<int>(m_settings.nMinWordLength),
                                   static_cast<int>(m_settings.nMaxWordLength));
    return loaded;
}

std::string CEngineCore::UsagePath(const std::string& autoLearnPath)
{
    const std::size_t dot = autoLearnPath.find_last_of("./\\");
    if (dot == std::string::npos || autoLearnPath[dot] != '.')
        return autoLearnPath + ".use";
    return autoLearnPath.substr(0, dot) + ".use";
}

void CEngineCore::OpenAutoLearn(const std::string& path)
{
    m_autoLearnPath = path;
    m_engine.Usage().Load(UsagePath(path));
    m_autoLearn->Open(path);
    m_autoLearn->SetKnownWords(&m_dictionarySearch);
    ApplyStoreSettings();
}

bool CEngineCore::Load(const std::string& dictionaryPattern, const std::string& autoLearnPath)
{
    const bool loaded = LoadDictionaries(dictionaryPattern);
    BringPagesIn();
    OpenAutoLearn(autoLearnPath);
    return loaded;
}

void CEngineCore::BringPagesIn()
{
    if (m_settings.bRankByUse)
        m_dictionaries.SumUpRanks();
    m_engine.FindCandidates("a");
    m_engine.ClearCandidates();
}

void CEngineCore::ApplySettings(const SettingsRecord& settings)
{
    m_settings = settings;
    m_engine.ApplySettings(m_settings);
    m_dictionaries.SetLengthLimits(static_cast<int>(m_settings.nMinWordLength),
                                   static_cast<int>(m_settings.nMaxWordLength));
    ApplyStoreSettings();
}

void CEngineCore::ApplyStoreSettings()
{
    m_autoLearn->ApplySettings(m_settings.bEanbleAutolearn != 0, m_settings.nMinLearnLength, m_settings.strSeparate);
}

bool CEngineCore::AdoptAutoLearn(std::unique_ptr<CAutoLearnDictionary> store)
{
    const std::string path = m_autoLearn->IsOpen() ? m_autoLearn->Path() : m_autoLearnPath;
    // The old store lets go of the file first, so that the new one can take its name.
    m_autoLearn->Close();
    if (!store || !pvbase::ReplaceFileAtomically(store->Path(), path)) {
        m_autoLearn->Open(path);
        return false;
    }
    store->FileMoved(path);
    store->SetKnownWords(&m_dictionarySearch);
    m_autoLearn = std::move(store);
    ApplyStoreSettings();
    return true;
}

bool CEngineCore::SaveUsage()
{
    return m_engine.Usage().Path().empty() || m_engine.Usage().Save();
}

bool CEngineCore::ForgetUsage()
{
    return m_engine.Usage().Clear();
}

void CEngineCore::Close()
{
    SaveUsage();
    m_engine.ClearCandidates();
    m_dictionaries.CloseAll();
    m_autoLearn->Close();
}
