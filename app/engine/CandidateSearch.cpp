#include "app/engine/CandidateSearch.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "dict/CodePage.h"

namespace {

// Words raised by use that one search takes at most.
constexpr std::size_t kMaxRaised = 64;
// How far the current document's own words, pairs and triples raise a word.
constexpr double kDocumentWeight = 0.25;
// A capital typed mid-sentence: the matches looked at for a name, and how much a name is raised.
constexpr int kNameWindow = 40;
constexpr double kNameBoost = 30.0;
// Where a capital starts a sentence rather than asks for a name.
constexpr char kSentenceEnds[] = ".!?:;\"\r\n\t([{";

void SortByScore(std::vector<ScoredCandidate>& candidates)
{
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const ScoredCandidate& a, const ScoredCandidate& b) { return a.score > b.score; });
}

}  // namespace

CCandidateSearch::CCandidateSearch(const Ports& ports)
    : m_pager(ports.pager),
      m_dictionaries(ports.dictionaries),
      m_autoLearn(ports.autoLearn),
      m_usage(ports.usage),
      m_codePage(ports.codePage),
      m_typed(ports.typed)
{
    // Every source of candidates but the dictionaries' stream (the pager's): a new one is a
    // class in CandidateSources.h and a line here. The order within a role is the order asked.
    auto list = [this](Role role, std::unique_ptr<ICandidateSource> source) {
        m_sources.push_back(ListedSource{role, std::move(source)});
    };
    list(Role::PATHS, std::make_unique<CPathEntries>(ports.files, m_codePage));
    list(Role::WORDS, std::make_unique<CExactShorthands>(m_dictionaries, m_codePage));
    list(Role::WORDS, std::make_unique<CTypedWords>(m_usage, m_codePage));
    list(Role::WORDS, std::make_unique<CLearntWords>(m_autoLearn, m_usage, m_codePage));
    list(Role::PHRASES, std::make_unique<CTailPhrases>(m_dictionaries, m_autoLearn, m_usage, m_codePage));
    list(Role::NEXT_WORDS, std::make_unique<CNextWords>(m_usage, m_autoLearn));
    ApplySettings(EngineSettings());
}

void CCandidateSearch::ApplySettings(const EngineSettings& settings)
{
    m_settings = settings;
    m_matchMode = MATCH_START | (settings.bEnableWord ? MATCH_WORDS : 0) | (settings.bEnablePhrase ? MATCH_PHRASES : 0);
}

bool CCandidateSearch::Collect(Role role, const CandidateQuery& query, std::vector<ScoredCandidate>& into)
{
    bool answered = false;
    for (const ListedSource& listed : m_sources)
        if (listed.role == role)
            answered = listed.source->Collect(query, into) || answered;
    return answered;
}

void CCandidateSearch::Clear()
{
    m_pager.Clear();
    m_learntHits = 0;
    m_predicting = false;
}

void CCandidateSearch::StartList(const std::string& wordKey)
{
    Clear();
    m_pager.Begin();
    m_pager.SetWordKey(wordKey);
}

bool CCandidateSearch::Search(const std::string& text)
{
    return Ranked() ? SearchRanked(text) : SearchClassic(text);
}

// Classic: the first tail (of three words, two, one) that finds anything makes the page.
bool CCandidateSearch::SearchClassic(const std::string& text)
{
    for (int n = 2; n >= 0; --n) {
        m_key = CTypedText::ExtractTail(text, n);
        if (m_key.empty())
            return false;
        if (FindPathCandidates(m_key))
            return true;
        if (m_key.size() >= m_settings.nMinInput && FindCandidates(m_key))
            return true;
        if (n == 1 && m_autoLearn.EndsWithSeparator(m_key)) {
            m_autoLearn.Learn(text);
            m_key.clear();
            return false;
        }
    }
    m_key.clear();
    return false;
}

bool CCandidateSearch::FindPathCandidates(const std::string& key)
{
    std::vector<ScoredCandidate> found;
    if (!Collect(Role::PATHS, Query(key), found))
        return false;
    Clear();
    if (found.empty())
        return false;
    for (ScoredCandidate& entry : found)
        m_pager.Add(std::move(entry.match));
    m_pager.Begin();
    return m_pager.ShowPage(0, 10);
}

bool CCandidateSearch::FindCandidates(const std::string& key)
{
    if (Ranked())
        return FindRankedCandidates(key);
    Clear();
    m_pager.Begin();
    m_learntHits = FindLearnt(key);
    if (!m_pager.OpenStream(Query(key)) && m_learntHits < 1)
        return false;
    const bool shown = ShowFirstPage();
    // What was typed is already complete.
    if (m_pager.Candidates().size() == 1 && m_pager.Candidates()[0].key == key) {
        Clear();
        return false;
    }
    return shown;
}

// Classic: AutoLearn's items as it orders them, before the dictionaries' words.
int CCandidateSearch::FindLearnt(const std::string& key)
{
    int added = 0;
    for (std::string text = m_autoLearn.FirstSuggestion(key); !text.empty(); text = m_autoLearn.NextSuggestion(key)) {
        DictionaryMatch match;
        match.key = text;
        match.data = std::move(text);
        match.type = KIND_LEARNT;
        m_pager.Add(std::move(match));
        if (static_cast<std::size_t>(++added) >= kMaxLearntCandidates)
            break;
    }
    return added;
}

void CCandidateSearch::LearnUsage(const std::string& typedText)
{
    CTypedText::EndedWord ended = CTypedText::WordEndedBy(typedText);
    std::string& word = ended.word;
    if (!CUsageModel::IsWord(word))
        return;
    const std::string& previous = ended.previous;
    // A capital at the start of a sentence is not the word's own: "The" is learnt as "the".
    int rank = m_dictionaries.RankOf(word);
    if (rank < 0 && m_codePage.LeadingCapitals(word) > 0) {
        const std::size_t first = m_codePage.CharLength(word, 0);
        const std::string lower = m_codePage.Lowered(word.substr(0, first)) + word.substr(first);
        const int lowerRank = m_dictionaries.RankOf(lower);
        if (lowerRank >= 0) {
            word = lower;
            rank = lowerRank;
        }
    }
    m_usage.Learn(word, previous, rank < 0 ? 0 : rank, rank >= 0);
}

double CCandidateSearch::InContext(double score, std::string_view word, bool ownCapital) const
{
    if (m_settings.bEnableAutolearn)
        score +=
            kDocumentWeight * m_documentCache.Probability(word, m_typed.WordBeforePrevious(), m_typed.PreviousWord());
    return m_nameLikely && ownCapital ? score * kNameBoost : score;
}

CandidateQuery CCandidateSearch::Query(const std::string& key) const
{
    CandidateQuery query;
    query.key = key;
    query.previous = m_typed.PreviousWord();
    query.matchMode = m_matchMode;
    query.shorthands = m_settings.bEnableShorthand != 0;
    query.inContext = [this](double score, std::string_view word, bool ownCapital) {
        return InContext(score, word, ownCapital);
    };
    return query;
}

void CCandidateSearch::ObserveWordEnd(const std::string& typedText)
{
    const CTypedText::EndedWord ended = CTypedText::WordEndedBy(typedText);
    const std::string& word = ended.word;
    if (!CUsageModel::IsWord(word))
        return;
    m_languageEstimate.SetLanguages(m_dictionaries.Languages());
    if (m_languageEstimate.IsActive())
        m_languageEstimate.Observe(m_dictionaries.LanguagesHolding(word));
    if (!m_settings.bEnableAutolearn)
        return;
    m_documentCache.Add(word, ended.before, ended.previous);
}

bool CCandidateSearch::NameLikely(const std::string& text, const std::string& key) const
{
    if (key.empty() || key.size() > text.size() || m_codePage.LeadingCapitals(key) != 1)
        return false;
    std::size_t at = text.size() - key.size();
    while (at > 0 && text[at - 1] == ' ')
        --at;
    return at > 0 && std::strchr(kSentenceEnds, text[at - 1]) == nullptr;
}

void CCandidateSearch::CollectPhrases(const std::string& tail)
{
    Collect(Role::PHRASES, Query(tail), m_tailPhrases);
}

bool CCandidateSearch::SearchRanked(const std::string& text)
{
    m_tailPhrases.clear();
    m_nameLikely = false;
    std::string longer;
    for (int n = 2; n >= 0; --n) {
        m_key = CTypedText::ExtractTail(text, n);
        if (m_key.empty() && n == 2)
            return false;
        if (!m_key.empty() && FindPathCandidates(m_key))
            return true;
        if (n == 1 && m_autoLearn.EndsWithSeparator(m_key)) {
            // AutoLearn takes words only, not runs of marks or bare numbers.
            if (CUsageModel::IsWord(CTypedText::ExtractTail(m_key.substr(0, m_key.size() - 1), 0)))
                m_autoLearn.Learn(text);
            if (m_key != longer && m_key.size() >= m_settings.nMinInput)
                CollectPhrases(m_key);
            m_key.clear();
            return PredictNextWords(text) || ShowTailPhrasesAlone();
        }
        if (n > 0) {
            // A tail of several words: its phrases; one word alone is searched as the word.
            if (m_key != longer && m_key != CTypedText::ExtractTail(text, 0) && m_key.size() >= m_settings.nMinInput)
                CollectPhrases(m_key);
            longer = m_key;
            continue;
        }
        m_nameLikely = NameLikely(text, m_key);
        const bool found =
            m_key.empty() || m_key.size() < m_settings.nMinInput ? ShowTailPhrasesAlone() : FindRankedCandidates(m_key);
        m_nameLikely = false;
        if (found)
            return true;
        break;
    }
    m_tailPhrases.clear();
    m_key.clear();
    Clear();
    return false;
}

// Only phrases of the last words fit: they make the page.
bool CCandidateSearch::ShowTailPhrasesAlone()
{
    if (m_tailPhrases.empty())
        return false;
    StartList(std::string());
    PlaceTailPhrases();
    return ShowFirstPage();
}

bool CCandidateSearch::FindRankedCandidates(const std::string& key)
{
    StartList(key);
    m_typed.FollowWordsBefore(m_typed.Text());

    std::vector<ScoredCandidate> raised;
    Collect(Role::WORDS, Query(key), raised);
    SortByScore(raised);
    if (raised.size() > kMaxRaised)
        raised.resize(kMaxRaised);
    PlaceTailPhrases();

    m_languageEstimate.SetLanguages(m_dictionaries.Languages());
    if (m_languageEstimate.IsActive()) {
        const std::vector<LanguageRank> offsets = m_languageEstimate.RankOffsets();
        m_dictionaries.SetLanguageOffsets(offsets);
        WeighTypedWordsByLanguage(raised, offsets);
    }
    m_pager.OpenStream(Query(key));
    // A name is looked for among the first matches, which the stream gives by rank alone.
    ScoredCandidate head;
    for (int taken = 0; m_nameLikely && taken < kNameWindow && m_pager.TakeStreamHead(head); ++taken) {
        head.score = InContext(head.score, head.match.key, head.match.ownCapital);
        raised.push_back(std::move(head));
    }
    SortByScore(raised);
    m_pager.Raise(std::move(raised));
    if (!m_pager.HasRankedCandidates())
        return false;
    return ShowFirstPage();
}

// A word typed before counts for the language being written only if that language holds it: one
// typed in another language moves down as that language's dictionary does.
void CCandidateSearch::WeighTypedWordsByLanguage(std::vector<ScoredCandidate>& raised,
                                                 const std::vector<LanguageRank>& offsets)
{
    for (ScoredCandidate& item : raised) {
        if (item.match.type != KIND_WORD)
            continue;
        int offset = -CLanguageEstimate::kMostMovedDown - 1;
        for (const LanguageRank& held : m_dictionaries.LanguagesHolding(item.match.key))
            for (const LanguageRank& language : offsets)
                if (language.language == held.language)
                    offset = std::max(offset, language.rank);
        if (offset < -CLanguageEstimate::kMostMovedDown)
            continue;  // no language's word: the user's own
        item.score *= std::pow(10.0, offset / 1000.0);
    }
    SortByScore(raised);
}

void CCandidateSearch::PlaceTailPhrases()
{
    m_pager.PlacePhrases(std::move(m_tailPhrases));
    m_tailPhrases.clear();
}

bool CCandidateSearch::PredictNextWords(const std::string& text)
{
    if (text.size() < 2 || text.back() != ' ' ||
        !CTypedText::IsWordByte(static_cast<unsigned char>(text[text.size() - 2])))
        return false;
    std::vector<ScoredCandidate> followers;
    m_typed.FollowWordsBefore(text);
    Collect(Role::NEXT_WORDS, Query(std::string()), followers);
    if (followers.empty())
        return false;
    StartList(std::string());
    PlaceTailPhrases();
    SortByScore(followers);
    m_pager.Raise(std::move(followers));
    m_predicting = true;
    return ShowFirstPage();
}
