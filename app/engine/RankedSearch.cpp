// Ranked mode of the completion engine: candidates in the order of their likelihood, from the
// dictionaries' ranks blended with what the user has typed (words, and which word follows which).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "app/engine/CompletionEngine.h"
#include "dict/CodePage.h"

namespace {

// Words raised by use that one search takes at most.
constexpr std::size_t kMaxRaised = 64;
// Phrases of the last words share the first page with the words of the last one (the pager
// places them): at most two.
constexpr std::size_t kMaxTailPhrases = 2;
// How far the current document's own words, pairs and triples raise a word.
constexpr double kDocumentWeight = 0.25;
// A capital typed mid-sentence: the matches looked at for a name, and how much a name is raised.
constexpr int kNameWindow = 40;
constexpr double kNameBoost = 30.0;
// Where a capital starts a sentence rather than asks for a name.
constexpr char kSentenceEnds[] = ".!?:;\"\r\n\t([{";

}  // namespace

void CCompletionEngine::LearnUsage(const std::string& typedText)
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

double CCompletionEngine::InContext(double score, std::string_view word, bool ownCapital) const
{
    if (m_settings.bEanbleAutolearn)
        score +=
            kDocumentWeight * m_documentCache.Probability(word, m_typed.WordBeforePrevious(), m_typed.PreviousWord());
    return m_nameLikely && ownCapital ? score * kNameBoost : score;
}

CandidateQuery CCompletionEngine::Query(const std::string& key) const
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

void CCompletionEngine::SortRaised(std::vector<ScoredMatch>& raised) const
{
    std::stable_sort(raised.begin(), raised.end(),
                     [](const ScoredMatch& a, const ScoredMatch& b) { return a.score > b.score; });
}

void CCompletionEngine::ObserveWordEnd(const std::string& typedText)
{
    const CTypedText::EndedWord ended = CTypedText::WordEndedBy(typedText);
    const std::string& word = ended.word;
    if (!CUsageModel::IsWord(word))
        return;
    m_languageEstimate.SetLanguages(m_dictionaries.Languages());
    if (m_languageEstimate.IsActive())
        m_languageEstimate.Observe(m_dictionaries.LanguagesHolding(word));
    if (!m_settings.bEanbleAutolearn)
        return;
    m_documentCache.Add(word, ended.before, ended.previous);
}

bool CCompletionEngine::NameLikely(const std::string& text, const std::string& key) const
{
    if (key.empty() || key.size() > text.size() || m_codePage.LeadingCapitals(key) != 1)
        return false;
    std::size_t at = text.size() - key.size();
    while (at > 0 && text[at - 1] == ' ')
        --at;
    return at > 0 && std::strchr(kSentenceEnds, text[at - 1]) == nullptr;
}

void CCompletionEngine::CollectPhrases(const std::string& tail)
{
    if (m_tailPhrases.size() >= kMaxTailPhrases)
        return;
    const std::string lowerTail = m_codePage.Lowered(tail);
    DictionaryMatch match;
    int rank = 0;
    for (bool found = m_dictionaries.FindFirstRanked(tail, m_matchMode, m_settings.bEnableShorthand, match, rank);
         found && m_tailPhrases.size() < kMaxTailPhrases; found = m_dictionaries.FindNextRanked(match, rank)) {
        const bool exact = m_codePage.Lowered(match.key) == lowerTail;
        if (exact && match.type != KIND_SHORTHAND)
            continue;
        const double score = exact ? 2.0 : m_usage.ModelScore(rank, std::string());
        m_tailPhrases.push_back(ScoredMatch{std::move(match), score, tail});
    }
    for (std::string text = m_autoLearn.FirstSuggestion(tail); !text.empty() && m_tailPhrases.size() < kMaxTailPhrases;
         text = m_autoLearn.NextSuggestion(tail)) {
        if (text.size() <= tail.size())
            continue;
        DictionaryMatch found;
        found.key = text;
        found.data = std::move(text);
        found.type = KIND_LEARNT;
        const double score = m_usage.Score(CUsageModel::Word{found.key, 1, 0, 0, false}, std::string());
        m_tailPhrases.push_back(ScoredMatch{std::move(found), score, tail});
    }
}

bool CCompletionEngine::SearchRanked(const std::string& text)
{
    m_tailPhrases.clear();
    m_nameLikely = false;
    std::string longer;
    for (int n = 2; n >= 0; --n) {
        m_searchKey = CTypedText::ExtractTail(text, n);
        if (m_searchKey.empty() && n == 2) {
            m_view.ShowPrompt(false);
            return false;
        }
        if (!m_searchKey.empty() && FindPathCandidates(m_searchKey)) {
            m_view.ShowPrompt(true);
            return true;
        }
        if (n == 1 && m_autoLearn.EndsWithSeparator(m_searchKey)) {
            // AutoLearn takes words only, not runs of marks or bare numbers.
            if (CUsageModel::IsWord(CTypedText::ExtractTail(m_searchKey.substr(0, m_searchKey.size() - 1), 0)))
                m_autoLearn.Learn(text);
            if (m_searchKey != longer && m_searchKey.size() >= m_settings.nMinInput)
                CollectPhrases(m_searchKey);
            m_searchKey.clear();
            const bool shown = PredictNextWords(text) || ShowTailPhrasesAlone();
            m_view.ShowPrompt(shown);
            return shown;
        }
        if (n > 0) {
            // A tail of several words: its phrases; one word alone is searched as the word.
            if (m_searchKey != longer && m_searchKey != CTypedText::ExtractTail(text, 0) &&
                m_searchKey.size() >= m_settings.nMinInput)
                CollectPhrases(m_searchKey);
            longer = m_searchKey;
            continue;
        }
        m_nameLikely = NameLikely(text, m_searchKey);
        const bool found = m_searchKey.empty() || m_searchKey.size() < m_settings.nMinInput
                               ? ShowTailPhrasesAlone()
                               : FindRankedCandidates(m_searchKey) != 0;
        m_nameLikely = false;
        if (found) {
            m_view.ShowPrompt(true);
            return true;
        }
        break;
    }
    m_tailPhrases.clear();
    m_searchKey.clear();
    ClearCandidates();
    m_view.ShowPrompt(false);
    return false;
}

// Only phrases of the last words fit: they make the page.
bool CCompletionEngine::ShowTailPhrasesAlone()
{
    if (m_tailPhrases.empty())
        return false;
    ClearCandidates();
    m_pager.Begin();
    m_pager.SetWordKey(std::string());
    PlaceTailPhrases();
    return ShowFirstPage();
}

bool CCompletionEngine::FindRankedCandidates(const std::string& key)
{
    ClearCandidates();
    m_pager.Begin();
    m_pager.SetWordKey(key);
    m_typed.FollowWordsBefore(m_typed.Text());
    const std::string lowerKey = m_codePage.Lowered(key);

    std::vector<ScoredMatch> raised;
    const CandidateQuery query = Query(key);
    for (const auto& source : m_wordSources)
        source->Collect(query, raised);
    SortRaised(raised);
    if (raised.size() > kMaxRaised)
        raised.resize(kMaxRaised);
    PlaceTailPhrases();

    m_languageEstimate.SetLanguages(m_dictionaries.Languages());
    if (m_languageEstimate.IsActive()) {
        const std::vector<LanguageRank> offsets = m_languageEstimate.RankOffsets();
        m_dictionaries.SetLanguageOffsets(offsets);
        WeighTypedWordsByLanguage(raised, offsets);
    }
    m_pager.OpenRankedStream(key, m_matchMode, m_settings.bEnableShorthand != 0, m_typed.PreviousWord());
    // A name is looked for among the first matches, which the stream gives by rank alone.
    ScoredMatch head;
    for (int taken = 0; m_nameLikely && taken < kNameWindow && m_pager.TakeStreamHead(head); ++taken) {
        head.score = InContext(head.score, head.match.key, head.match.ownCapital);
        raised.push_back(std::move(head));
    }
    SortRaised(raised);
    m_pager.Raise(std::move(raised));
    if (!m_pager.HasRankedCandidates())
        return false;
    return ShowFirstPage();
}

// A word typed before counts for the language being written only if that language holds it: one
// typed in another language moves down as that language's dictionary does.
void CCompletionEngine::WeighTypedWordsByLanguage(std::vector<ScoredMatch>& raised,
                                                  const std::vector<LanguageRank>& offsets)
{
    for (ScoredMatch& item : raised) {
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
    SortRaised(raised);
}

void CCompletionEngine::PlaceTailPhrases()
{
    m_pager.PlacePhrases(std::move(m_tailPhrases));
    m_tailPhrases.clear();
}

bool CCompletionEngine::PredictNextWords(const std::string& text)
{
    if (text.size() < 2 || text.back() != ' ' ||
        !CTypedText::IsWordByte(static_cast<unsigned char>(text[text.size() - 2])))
        return 0;
    std::vector<ScoredMatch> followers;
    m_typed.FollowWordsBefore(text);
    const CandidateQuery query = Query(std::string());
    for (const auto& source : m_nextWordSources)
        source->Collect(query, followers);
    if (followers.empty())
        return false;
    ClearCandidates();
    m_pager.Begin();
    m_pager.SetWordKey(std::string());
    PlaceTailPhrases();
    SortRaised(followers);
    m_pager.Raise(std::move(followers));
    m_predicting = true;
    return ShowFirstPage();
}
