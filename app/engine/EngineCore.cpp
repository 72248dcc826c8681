#include "app/engine/EngineCore.h"

#include <algorithm>
#include <cctype>

#include "base/FileIo.h"
#include "config/DictionaryLanguages.h"

namespace {

constexpr int kEnglish = 0x09;

// The bundled dictionaries by their file names; English and its phrases are not among those
// DictionaryLanguages knows, being on for every user.
int BundledLanguage(const std::string& path)
{
    if (const int language = dictionary_languages::LanguageOfFile(path))
        return language;
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name == "english.lib" || name == "phrases.lib" ? kEnglish : 0;
}

}  // namespace

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

std::vector<LanguageRank> CDictionarySearchAdapter::LanguagesHolding(const std::string& word)
{
    m_searchInterrupted = true;
    return m_set.LanguagesHolding(word);
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
    AssignLanguages();
    return loaded;
}

void CEngineCore::AssignLanguages()
{
    for (int i = 0; i < m_dictionaries.Count(); ++i)
        m_dictionaries.SetLanguage(i, BundledLanguage(m_dictionaries.PathAt(i)));
    for (int i = 0; i < m_dictionaries.Count(); ++i) {
        if (m_dictionaries.LanguageAt(i) == 0)
            m_dictionaries.SetLanguage(i, LanguageByWords(i));
    }
}

// Most of a dictionary's first words held by one language's dictionaries and few by any other:
// the dictionary is of that language.
int CEngineCore::LanguageByWords(int index)
{
    constexpr int kSampled = 200;
    constexpr int kLeastVotes = 20;
    CDictionaryFile& dictionary = m_dictionaries.Dictionary(index);
    if (!dictionary.IsOpen() || dictionary.Type() != DICTIONARY_WORDS)
        return 0;
    std::vector<std::string> words;
    std::string key, data;
    for (int row = 0; row < kSampled && dictionary.ReadEntry(row, key, data); ++row) {
        if (key.find(' ') == std::string::npos)
            words.push_back(key);
    }
    std::vector<LanguageRank> votes;
    int voters = 0;
    for (const std::string& word : words) {
        const std::vector<LanguageRank> held = m_dictionaries.LanguagesHolding(word);
        voters += held.empty() ? 0 : 1;
        for (const LanguageRank& language : held) {
            auto it = std::find_if(votes.begin(), votes.end(),
                                   [&](const LanguageRank& v) { return v.language == language.language; });
            if (it == votes.end())
                votes.push_back(LanguageRank{language.language, 1});
            else
                ++it->rank;
        }
    }
    if (voters < kLeastVotes)
        return 0;
    std::sort(votes.begin(), votes.end(), [](const LanguageRank& a, const LanguageRank& b) { return a.rank > b.rank; });
    // The winner holds four in five of the words, the runner-up under half.
    const bool clear = votes[0].rank * 5 >= voters * 4 && (votes.size() < 2 || votes[1].rank * 2 < voters);
    return clear ? votes[0].language : 0;
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
    m_autoLearn->ApplySettings(m_settings.bEnableAutolearn != 0, m_settings.nMinLearnLength, m_settings.strSeparate);
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
