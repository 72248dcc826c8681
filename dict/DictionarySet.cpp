#include "dict/DictionarySet.h"

#include <algorithm>

#include "dict/CodePageMirror.h"
#include "dict/DictionaryEnableStore.h"
#include "dict/FolderListing.h"

CDictionarySet::CDictionarySet(IDictionaryEnableStore* enableStore, const CCodePage& ansiCodePage)
    : m_enableStore(enableStore), m_ansiCodePage(ansiCodePage), m_codePage(Utf8CodePage())
{
}

CDictionarySet::~CDictionarySet()
{
    CloseAll();
}

void CDictionarySet::CloseAll()
{
    for (auto& dictionary : m_dictionaries)
        dictionary->Close();
    m_dictionaries.clear();
    m_pending.clear();
    m_backHandedOut = false;
    m_ranked.clear();
    m_rankedHandedOut = -1;
    m_paths.clear();
    m_skipped.clear();
    m_languages.clear();
    m_capitalsPending = false;
}

int CDictionarySet::MirrorAsUtf8()
{
    m_skipped.assign(m_dictionaries.size(), 0);
    int skipped = 0;
    for (std::size_t i = 0; i < m_dictionaries.size(); ++i) {
        m_skipped[i] = MirrorIfNeeded(*m_dictionaries[i]).skipped;
        skipped += m_skipped[i];
    }
    m_capitalsPending = true;
    return skipped;
}

void CDictionarySet::AddCapitalsMirrors()
{
    m_capitalsPending = false;
    for (std::size_t i = 0; i < m_dictionaries.size(); ++i) {
        std::unique_ptr<CDictionaryFile> side = MirrorOfCapitals(*m_dictionaries[i]);
        if (!side)
            continue;
        // Right after its file: on equal keys it comes before the file's own matches, as a later
        // dictionary does.
        m_dictionaries.insert(m_dictionaries.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(side));
        const std::string path = m_paths[i];
        m_paths.insert(m_paths.begin() + static_cast<std::ptrdiff_t>(i) + 1, path);
        m_skipped.insert(m_skipped.begin() + static_cast<std::ptrdiff_t>(i) + 1, 0);
        m_languages.insert(m_languages.begin() + static_cast<std::ptrdiff_t>(i) + 1, m_languages[i]);
        ++i;
    }
}

int CDictionarySet::SkippedEntries(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < m_skipped.size() ? m_skipped[index] : 0;
}

bool CDictionarySet::LoadFolder(const std::string& pattern, bool all)
{
    CloseAll();
    if (pattern.empty())
        return false;
    std::vector<std::string> kept;
    for (std::string& path : ListMatchingFiles(pattern)) {
        if (path.empty())
            continue;
        if (all || IsEnabled(path))
            kept.push_back(std::move(path));
    }
    return LoadFiles(kept);
}

bool CDictionarySet::LoadFiles(const std::vector<std::string>& paths, bool readOnly)
{
    CloseAll();
    bool anyOpened = false;
    for (const std::string& path : paths) {
        auto dictionary = std::make_unique<CDictionaryFile>(m_ansiCodePage);
        anyOpened = dictionary->Open(path, readOnly) || anyOpened;
        dictionary->SetLengthLimits(m_minKeyLength, m_maxKeyLength);
        m_paths.push_back(path);
        m_languages.push_back(0);
        m_dictionaries.push_back(std::move(dictionary));
    }
    return anyOpened;
}

bool CDictionarySet::IsEnabled(const std::string& path) const
{
    if (path.empty() || !m_enableStore)
        return true;
    return m_enableStore->IsDictionaryEnabled(path);
}

bool CDictionarySet::SetEnabled(const std::string& path, bool on)
{
    if (path.empty() || !m_enableStore)
        return false;
    return m_enableStore->SetDictionaryEnabled(path, on);
}

void CDictionarySet::SetLengthLimits(int minimum, int maximum)
{
    m_minKeyLength = minimum;
    m_maxKeyLength = maximum;
    for (auto& dictionary : m_dictionaries)
        dictionary->SetLengthLimits(minimum, maximum);
}

void CDictionarySet::BeginSearch(std::string_view query, int mode, bool includeShorthand)
{
    m_includeShorthand = includeShorthand;
    // The dictionaries left out of this search keep the query of their last one.
    for (std::size_t i = 0; !includeShorthand && i < m_dictionaries.size(); ++i) {
        if (m_dictionaries[i]->Type() == DICTIONARY_SHORTHAND)
            m_dictionaries[i]->Search().KeepQuery();
    }
    m_query.Set(query, mode, m_codePage);
    // A letter beyond ASCII in the query: the files' own order misses its capital.
    if (m_capitalsPending &&
        std::any_of(m_query.lowered.begin(), m_query.lowered.end(), [](char c) { return c & 0x80; }))
        AddCapitalsMirrors();
    m_pending.clear();
    m_backHandedOut = false;
}

bool CDictionarySet::FindFirst(std::string_view query, DictionaryMatch& match, int mode, bool includeShorthand)
{
    BeginSearch(query, mode, includeShorthand);
    std::string_view key;
    for (std::size_t i = 0; i < m_dictionaries.size(); ++i) {
        CDictionaryFile& dictionary = *m_dictionaries[i];
        // By the dictionary's own type: it is known before its first search.
        if (!includeShorthand && dictionary.Type() == DICTIONARY_SHORTHAND)
            continue;
        if (dictionary.Search().FindFirstKey(m_query, key)) {
            m_pending.push_back(static_cast<int>(i));
            MoveBackToItsPlace(key);
        }
    }
    return TakeSmallest(match);
}

bool CDictionarySet::FindNext(DictionaryMatch& match)
{
    return TakeSmallest(match);
}

// The dictionary at the back of the queue stands on a match with this key: moves it to its place,
// shifting the entries it passes (a few at most) by one.
inline void CDictionarySet::MoveBackToItsPlace(std::string_view key)
{
    int* const pending = m_pending.data();
    std::size_t at = m_pending.size() - 1;
    const int index = pending[at];
    for (; at > 0; --at) {
        const int queued = pending[at - 1];
        std::string_view other;
        if (m_dictionaries[queued]->Search().CurrentKey(other)) {
            const int order = m_codePage.CompareNoCase(key, other);
            // On equal keys the later dictionary comes first.
            if (order < 0 || (order == 0 && index > queued))
                break;
        }
        // (a dictionary closed since is passed: it is dropped when its turn comes)
        pending[at] = queued;
    }
    pending[at] = index;
}

bool CDictionarySet::TakeSmallest(DictionaryMatch& match)
{
    if (m_backHandedOut) {
        // Its dictionary steps on; most often it still holds the smallest key and stays.
        m_backHandedOut = false;
        std::string_view key;
        if (m_dictionaries[m_pending.back()]->Search().FindNextKey(key))
            MoveBackToItsPlace(key);
        else
            m_pending.pop_back();
    }
    while (!m_pending.empty()) {
        // The key and data are copied only for the match handed out.
        if (m_dictionaries[m_pending.back()]->Search().MatchAtCursor(match)) {
            match.language = m_languages[m_pending.back()];
            m_backHandedOut = true;
            return true;
        }
        m_pending.pop_back();
    }
    match.Clear();
    return false;
}

bool CDictionarySet::FindFirstRanked(std::string_view query, DictionaryMatch& match, int mode, bool includeShorthand,
                                     int& rank)
{
    BeginSearch(query, mode, includeShorthand);
    m_ranked.clear();
    m_rankedHandedOut = -1;
    std::string_view key;
    for (std::size_t i = 0; i < m_dictionaries.size(); ++i) {
        CDictionaryFile& dictionary = *m_dictionaries[i];
        if (!includeShorthand && dictionary.Type() == DICTIONARY_SHORTHAND)
            continue;
        int found = 0;
        if (dictionary.Search().FindFirstRankedKey(m_query, key, found))
            m_ranked.push_back(
                RankedCursor{static_cast<int>(i), found > 0 ? found + RankOffsetOf(static_cast<int>(i)) : 0});
    }
    return TakeBestRanked(match, rank);
}

void CDictionarySet::SumUpRanks()
{
    for (const auto& dictionary : m_dictionaries)
        dictionary->Search().SumUpRanks();
}

bool CDictionarySet::FindNextRanked(DictionaryMatch& match, int& rank)
{
    return TakeBestRanked(match, rank);
}

bool CDictionarySet::TakeBestRanked(DictionaryMatch& match, int& rank)
{
    if (m_rankedHandedOut >= 0) {
        RankedCursor& cursor = m_ranked[m_rankedHandedOut];
        std::string_view key;
        if (!m_dictionaries[cursor.index]->Search().FindNextRankedKey(key, cursor.rank))
            m_ranked.erase(m_ranked.begin() + m_rankedHandedOut);
        else if (cursor.rank > 0)
            cursor.rank += RankOffsetOf(cursor.index);
        m_rankedHandedOut = -1;
    }
    while (!m_ranked.empty()) {
        int best = -1;
        std::string_view bestKey;
        for (std::size_t i = 0; i < m_ranked.size(); ++i) {
            std::string_view key;
            if (!m_dictionaries[m_ranked[i].index]->Search().CurrentKey(key))
                continue;
            if (best >= 0) {
                const RankedCursor& other = m_ranked[best];
                if (m_ranked[i].rank < other.rank)
                    continue;
                if (m_ranked[i].rank == other.rank) {
                    const int order = m_codePage.CompareNoCase(key, bestKey);
                    if (order > 0 || (order == 0 && m_ranked[i].index < other.index))
                        continue;
                }
            }
            best = static_cast<int>(i);
            bestKey = key;
        }
        if (best < 0)
            break;
        if (m_dictionaries[m_ranked[best].index]->Search().MatchAtCursor(match)) {
            m_rankedHandedOut = best;
            rank = m_ranked[best].rank;
            match.language = m_languages[m_ranked[best].index];
            return true;
        }
        m_ranked.erase(m_ranked.begin() + best);
    }
    m_ranked.clear();
    match.Clear();
    rank = 0;
    return false;
}

int CDictionarySet::RankOf(std::string_view word)
{
    m_pending.clear();
    m_backHandedOut = false;
    m_ranked.clear();
    m_rankedHandedOut = -1;
    int best = -1;
    DictionaryMatch match;
    std::string key, data;
    for (auto& dictionary : m_dictionaries) {
        if (!dictionary->IsOpen() || dictionary->Type() != DICTIONARY_WORDS ||
            !dictionary->Search().ContainsKey(word, match, MATCH_START))
            continue;
        // Keys equal but for letter case stand together.
        for (int row = dictionary->Search().Row(); dictionary->ReadEntry(row, key, data); ++row) {
            if (m_codePage.CompareNoCase(key, word) != 0)
                break;
            if (key == word)
                best = std::max(best, dictionary->Rank(row));
        }
    }
    return best;
}

void CDictionarySet::SetLanguage(int index, int language)
{
    if (index >= 0 && static_cast<std::size_t>(index) < m_languages.size())
        m_languages[index] = language;
}

int CDictionarySet::LanguageAt(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < m_languages.size() ? m_languages[index] : 0;
}

std::vector<int> CDictionarySet::Languages() const
{
    std::vector<int> languages;
    for (std::size_t i = 0; i < m_dictionaries.size(); ++i) {
        if (m_languages[i] != 0 && m_dictionaries[i]->IsOpen() && m_dictionaries[i]->Type() == DICTIONARY_WORDS &&
            std::find(languages.begin(), languages.end(), m_languages[i]) == languages.end())
            languages.push_back(m_languages[i]);
    }
    return languages;
}

void CDictionarySet::SetLanguageOffsets(const std::vector<LanguageRank>& offsets)
{
    m_languageOffsets = offsets;
}

int CDictionarySet::RankOffsetOf(int index) const
{
    const int language = m_languages[index];
    for (const LanguageRank& entry : m_languageOffsets)
        if (entry.language == language && language != 0)
            return entry.rank;
    return 0;
}

std::vector<LanguageRank> CDictionarySet::LanguagesHolding(std::string_view word)
{
    m_pending.clear();
    m_backHandedOut = false;
    m_ranked.clear();
    m_rankedHandedOut = -1;
    std::vector<LanguageRank> held;
    DictionaryMatch match;
    std::string key, data;
    for (std::size_t i = 0; i < m_dictionaries.size(); ++i) {
        CDictionaryFile& dictionary = *m_dictionaries[i];
        if (m_languages[i] == 0 || !dictionary.IsOpen() || dictionary.Type() != DICTIONARY_WORDS ||
            !dictionary.Search().ContainsKey(word, match, MATCH_START))
            continue;
        int best = -1;
        for (int row = dictionary.Search().Row(); dictionary.ReadEntry(row, key, data); ++row) {
            if (m_codePage.CompareNoCase(key, word) != 0)
                break;
            best = std::max(best, dictionary.Rank(row));
        }
        if (best < 0)
            continue;
        auto same = std::find_if(held.begin(), held.end(),
                                 [&](const LanguageRank& entry) { return entry.language == m_languages[i]; });
        if (same == held.end())
            held.push_back(LanguageRank{m_languages[i], best});
        else
            same->rank = std::max(same->rank, best);
    }
    return held;
}
