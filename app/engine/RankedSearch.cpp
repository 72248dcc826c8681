// Ranked mode of the completion engine: candidates in the order of their likelihood, from the
// dictionaries' ranks blended with what the user has typed (words, and which word follows which).
#include <algorithm>
#include <cctype>

#include "app/engine/CompletionEngine.h"
#include "dict/CodePage.h"

namespace {

// Words raised by use that one search takes at most, and the least count of a pair before the
// word that followed is offered with nothing of it typed.
constexpr std::size_t kMaxRaised = 64;
constexpr std::uint32_t kMinPredictedPair = 2;

bool IsWordByte(unsigned char c)
{
    return std::isalnum(c) || c == '\'' || c == '-' || c >= 0x80;
}

// The run of word bytes that ends at end (exclusive), apostrophes and hyphens at its ends left out.
std::string_view WordEndingAt(const std::string& text, std::size_t end)
{
    std::size_t start = end;
    while (start > 0 && IsWordByte(static_cast<unsigned char>(text[start - 1])))
        --start;
    std::string_view word(text.data() + start, end - start);
    while (!word.empty() && (word.front() == '\'' || word.front() == '-'))
        word.remove_prefix(1);
    while (!word.empty() && (word.back() == '\'' || word.back() == '-'))
        word.remove_suffix(1);
    return word;
}

}  // namespace

std::string CCompletionEngine::WordBefore(const std::string& text, std::size_t end)
{
    std::size_t at = std::min(end, text.size());
    while (at > 0 && IsWordByte(static_cast<unsigned char>(text[at - 1])))
        --at;  // the word being typed
    std::size_t blanks = at;
    while (blanks > 0 && text[blanks - 1] == ' ')
        --blanks;
    if (blanks == at || blanks == 0)
        return std::string();
    return std::string(WordEndingAt(text, blanks));
}

std::string CCompletionEngine::AdaptCase(std::string_view text, const std::string& key) const
{
    // As the dictionaries adapt their keys: "Th" gives a first capital, "TH" all capitals.
    std::string adapted(text);
    m_codePage.AdaptCase(adapted, m_codePage.LeadingCapitals(key));
    return adapted;
}

// Each key is offered once per search, whatever its letter case or source.
bool CCompletionEngine::IsOfferedOnce(const std::string& key)
{
    std::string lowered = m_codePage.Lowered(key);
    if (std::find(m_offeredKeys.begin(), m_offeredKeys.end(), lowered) != m_offeredKeys.end())
        return false;
    m_offeredKeys.push_back(std::move(lowered));
    return true;
}

void CCompletionEngine::LearnUsage(const std::string& typedText)
{
    if (typedText.empty() || IsWordByte(static_cast<unsigned char>(typedText.back())))
        return;
    std::string word(WordEndingAt(typedText, typedText.size() - 1));
    if (!CUsageModel::IsWord(word))
        return;
    const std::string previous = WordBefore(typedText, typedText.size() - 1);
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

int CCompletionEngine::FindRankedCandidates(const std::string& key)
{
    ClearCandidates();
    m_pageStart = 0;
    m_previousWord = WordBefore(m_typedText, m_typedText.size());
    const std::string lowerKey = m_codePage.Lowered(key);

    // Shorthands whose key is exactly what was typed come first, as the user asked for them.
    DictionaryMatch match;
    if (m_settings.bEnableShorthand) {
        for (bool found = m_dictionaries.FindFirst(key, m_matchMode, true, match);
             found && m_codePage.Lowered(match.key) == lowerKey; found = m_dictionaries.FindNext(match)) {
            if (match.type == KIND_SHORTHAND)
                m_raised.push_back(ScoredMatch{match, 2.0});
        }
    }
    // Words that typing raised: dictionary words the user typed, and AutoLearn's items (which
    // decide which words no dictionary holds are offered: a word deleted there is gone).
    std::vector<ScoredMatch> raised;
    m_usage.ForEachWithPrefix(key, [&](const CUsageModel::Word& word) {
        if (!word.known || word.text.size() == key.size() || !(m_matchMode & MATCH_WORDS))
            return;
        DictionaryMatch found;
        found.key = AdaptCase(word.text, key);
        found.data = found.key;
        found.type = KIND_WORD;
        raised.push_back(ScoredMatch{std::move(found), m_usage.Score(word, m_previousWord)});
    });
    m_learntHits = 0;
    for (std::string text = m_autoLearn.FirstSuggestion(key); !text.empty(); text = m_autoLearn.NextSuggestion(key)) {
        CUsageModel::Word word{};
        if (text.size() > key.size()) {
            if (!m_usage.Find(text, word) || word.known)
                word = CUsageModel::Word{text, 1, 0, 0, false};
            const double score = m_usage.Score(word, m_previousWord);
            DictionaryMatch found;
            found.key = text;
            found.data = std::move(text);
            found.type = KIND_LEARNT;
            raised.push_back(ScoredMatch{std::move(found), score});
        }
        if (static_cast<std::size_t>(++m_learntHits) >= kMaxLearntCandidates)
            break;
    }
    std::stable_sort(raised.begin(), raised.end(),
                     [](const ScoredMatch& a, const ScoredMatch& b) { return a.score > b.score; });
    if (raised.size() > kMaxRaised)
        raised.resize(kMaxRaised);
    for (ScoredMatch& item : raised)
        m_raised.push_back(std::move(item));

    int rank = 0;
    m_dictionaryCursorLive = m_dictionaries.FindFirstRanked(key, m_matchMode, m_settings.bEnableShorthand, match, rank);
    if (m_dictionaryCursorLive) {
        m_streamPeek = ScoredMatch{std::move(match), m_usage.ModelScore(rank, m_previousWord)};
        m_streamPeeked = true;
    }
    if (!m_dictionaryCursorLive && m_raised.empty())
        return 0;
    return NextPage(m_pageSize);
}

// The next match of the ranked dictionary search, unless it ended.
bool CCompletionEngine::PeekRankedStream()
{
    if (m_streamPeeked)
        return true;
    if (!m_dictionaryCursorLive)
        return false;
    int rank = 0;
    if (!m_dictionaries.FindNextRanked(m_streamPeek.match, rank)) {
        m_dictionaryCursorLive = false;
        return false;
    }
    m_streamPeek.score = m_usage.ModelScore(rank, m_previousWord);
    m_streamPeeked = true;
    return true;
}

void CCompletionEngine::FillRanked(std::size_t wanted)
{
    const std::string lowerKey = m_codePage.Lowered(m_searchKey);
    while (m_candidates.size() < wanted) {
        const bool stream = PeekRankedStream();
        const bool raised = m_raisedNext < m_raised.size();
        if (!stream && !raised)
            break;
        DictionaryMatch next;
        if (raised && (!stream || m_raised[m_raisedNext].score >= m_streamPeek.score)) {
            next = std::move(m_raised[m_raisedNext++].match);
        } else {
            next = std::move(m_streamPeek.match);
            m_streamPeeked = false;
        }
        // What was typed already is no help as a candidate (a shorthand is: it expands).
        if (next.type != KIND_SHORTHAND && m_codePage.Lowered(next.key) == lowerKey)
            continue;
        if (next.type == KIND_SHORTHAND || IsOfferedOnce(next.key))
            m_candidates.push_back(std::move(next));
    }
}

bool CCompletionEngine::AutoLearnHolds(std::string_view word)
{
    const std::string prefix(word);
    for (std::string text = m_autoLearn.FirstSuggestion(prefix); !text.empty();
         text = m_autoLearn.NextSuggestion(prefix))
        if (text == word)
            return true;
    return false;
}

int CCompletionEngine::PredictNextWords(const std::string& text)
{
    if (text.size() < 2 || text.back() != ' ' || !IsWordByte(static_cast<unsigned char>(text[text.size() - 2])))
        return 0;
    const std::string previous(WordEndingAt(text, text.size() - 1));
    std::vector<ScoredMatch> followers;
    m_usage.ForEachFollower(previous, [&](const CUsageModel::Word& word, std::uint32_t count) {
        if (count < kMinPredictedPair || (!word.known && !AutoLearnHolds(word.text)))
            return;
        DictionaryMatch found;
        found.key = std::string(word.text);
        found.data = found.key;
        found.type = word.known ? KIND_WORD : KIND_LEARNT;
        followers.push_back(ScoredMatch{std::move(found), m_usage.Score(word, previous)});
    });
    if (followers.empty())
        return 0;
    ClearCandidates();
    m_pageStart = 0;
    m_previousWord = previous;
    std::stable_sort(followers.begin(), followers.end(),
                     [](const ScoredMatch& a, const ScoredMatch& b) { return a.score > b.score; });
    for (ScoredMatch& item : followers)
        m_raised.push_back(std::move(item));
    m_predicting = true;
    return NextPage(m_pageSize);
}
