#include "app/engine/CandidateSources.h"

#include "dict/CodePage.h"

void CDictionaryWords::Open(const CandidateQuery& query, bool ranked)
{
    m_query = query;
    m_ranked = ranked;
    m_opened = true;
}

bool CDictionaryWords::Next(ScoredCandidate& next)
{
    int rank = 0;
    const bool first = m_opened;
    m_opened = false;
    bool found = false;
    if (m_ranked)
        found =
            first ? m_dictionaries.FindFirstRanked(m_query.key, m_query.matchMode, m_query.shorthands, next.match, rank)
                  : m_dictionaries.FindNextRanked(next.match, rank);
    else
        found = first ? m_dictionaries.FindFirst(m_query.key, m_query.matchMode, m_query.shorthands, next.match)
                      : m_dictionaries.FindNext(next.match);
    if (!found)
        return false;
    next.score = m_ranked ? m_usage.ModelScore(rank, m_query.previous) : 0.0;
    next.replaces.clear();
    return true;
}

bool CExactShorthands::Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into)
{
    if (!query.shorthands || query.key.empty())
        return false;
    const std::size_t before = into.size();
    const std::string lowerKey = m_codePage.Lowered(query.key);
    DictionaryMatch match;
    for (bool found = m_dictionaries.FindFirst(query.key, query.matchMode, true, match);
         found && m_codePage.Lowered(match.key) == lowerKey; found = m_dictionaries.FindNext(match)) {
        if (match.type == KIND_SHORTHAND)
            into.push_back(ScoredCandidate{match, kAskedFor, std::string()});
    }
    return into.size() > before;
}

bool CTypedWords::Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into)
{
    if (query.key.empty() || !(query.matchMode & MATCH_WORDS))
        return false;
    const std::size_t before = into.size();
    const int capitals = m_codePage.LeadingCapitals(query.key);
    m_usage.ForEachWithPrefix(query.key, [&](const CUsageModel::Word& word) {
        if (!word.known || word.text.size() == query.key.size())
            return;
        DictionaryMatch found;
        found.key = std::string(word.text);
        // As the dictionaries adapt their keys: "Th" gives a first capital, "TH" all capitals.
        m_codePage.AdaptCase(found.key, capitals);
        found.data = found.key;
        found.type = KIND_WORD;
        const double score =
            query.inContext(m_usage.Score(word, query.previous), word.text, m_codePage.LeadingCapitals(word.text) > 0);
        into.push_back(ScoredCandidate{std::move(found), score, std::string()});
    });
    return into.size() > before;
}

bool CLearntWords::Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into)
{
    if (query.key.empty())
        return false;
    const std::size_t before = into.size();
    std::size_t taken = 0;
    for (std::string text = m_autoLearn.FirstSuggestion(query.key); !text.empty();
         text = m_autoLearn.NextSuggestion(query.key)) {
        if (text.size() > query.key.size()) {
            CUsageModel::Word word{};
            if (!m_usage.Find(text, word) || word.known)
                word = CUsageModel::Word{text, 1, 0, 0, false};
            const double score =
                query.inContext(m_usage.Score(word, query.previous), text, m_codePage.LeadingCapitals(text) > 0);
            DictionaryMatch found;
            found.key = text;
            found.data = std::move(text);
            found.type = KIND_LEARNT;
            into.push_back(ScoredCandidate{std::move(found), score, std::string()});
        }
        if (++taken >= kMaxItems)
            break;
    }
    return into.size() > before;
}

bool CTailPhrases::Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into)
{
    const std::size_t before = into.size();
    const std::string& tail = query.key;
    if (tail.empty() || into.size() >= kMaxPhrases)
        return false;
    const std::string lowerTail = m_codePage.Lowered(tail);
    DictionaryMatch match;
    int rank = 0;
    for (bool found = m_dictionaries.FindFirstRanked(tail, query.matchMode, query.shorthands, match, rank);
         found && into.size() < kMaxPhrases; found = m_dictionaries.FindNextRanked(match, rank)) {
        const bool exact = m_codePage.Lowered(match.key) == lowerTail;
        if (exact && match.type != KIND_SHORTHAND)
            continue;
        // An exact shorthand is what was asked for; other phrases by their rank alone.
        const double score = exact ? 2.0 : m_usage.ModelScore(rank, std::string());
        into.push_back(ScoredCandidate{std::move(match), score, tail});
    }
    for (std::string text = m_autoLearn.FirstSuggestion(tail); !text.empty() && into.size() < kMaxPhrases;
         text = m_autoLearn.NextSuggestion(tail)) {
        if (text.size() <= tail.size())
            continue;
        DictionaryMatch found;
        found.key = text;
        found.data = std::move(text);
        found.type = KIND_LEARNT;
        const double score = m_usage.Score(CUsageModel::Word{found.key, 1, 0, 0, false}, std::string());
        into.push_back(ScoredCandidate{std::move(found), score, tail});
    }
    return into.size() > before;
}

bool CNextWords::AutoLearnHolds(std::string_view word)
{
    const std::string prefix(word);
    for (std::string text = m_autoLearn.FirstSuggestion(prefix); !text.empty();
         text = m_autoLearn.NextSuggestion(prefix))
        if (text == word)
            return true;
    return false;
}

bool CNextWords::Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into)
{
    if (!query.key.empty() || query.previous.empty())
        return false;
    const std::size_t before = into.size();
    m_usage.ForEachFollower(query.previous, [&](const CUsageModel::Word& word, std::uint32_t count) {
        if (count < kMinPair || (!word.known && !AutoLearnHolds(word.text)))
            return;
        DictionaryMatch found;
        found.key = std::string(word.text);
        found.data = found.key;
        found.type = word.known ? KIND_WORD : KIND_LEARNT;
        into.push_back(ScoredCandidate{
            std::move(found), query.inContext(m_usage.Score(word, query.previous), word.text, false), std::string()});
    });
    return into.size() > before;
}

bool CPathEntries::List(const std::string& key, std::vector<DictionaryMatch>& into)
{
    if (!IsPath(key))
        return false;
    const std::size_t slash = key.rfind('\\');
    const std::string folder = key.substr(0, slash + 1);
    const std::string name = m_codePage.Lowered(key.substr(slash + 1));
    std::size_t taken = 0;
    return m_files.ListDirectory(folder + "*.*", [&](const DirectoryEntry& entry) {
        if (taken >= kMaxEntries)
            return false;
        if (entry.name.empty() || entry.name == "." || entry.name == "..")
            return true;
        if (!name.empty() && m_codePage.FindAtCharBoundary(m_codePage.Lowered(entry.name), name) == std::string::npos)
            return true;
        DictionaryMatch match;
        match.key = entry.name;
        match.data = entry.name;
        // Any directory, whatever other attributes it carries (read-only, system, ...).
        match.type = (entry.attributes & kFileAttributeDirectory) ? KIND_FOLDER : KIND_FILE;
        into.push_back(std::move(match));
        ++taken;
        return true;
    });
}

bool CPathEntries::Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into)
{
    std::vector<DictionaryMatch> found;
    const bool listed = List(query.key, found);
    for (DictionaryMatch& match : found)
        into.push_back(ScoredCandidate{std::move(match), 0.0, std::string()});
    return listed;
}
