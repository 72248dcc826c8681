// The search for the last words typed: asks every source of candidates (CandidateSources.h) and
// fills the pager with what they found. Ranked, the candidates are ordered by their likelihood in
// context (the previous words, the document's own words, the language being written, a capital
// typed mid-sentence); classic, AutoLearn's items come first and the dictionaries' follow in key
// order, from the first tail (of three words, two, one) that finds anything. A typed drive path
// lists its folder instead.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/engine/CandidatePager.h"
#include "app/engine/CandidateSources.h"
#include "app/engine/DocumentCache.h"
#include "app/engine/EngineServices.h"
#include "app/engine/EngineTypes.h"
#include "app/engine/LanguageEstimate.h"
#include "app/engine/TypedText.h"
#include "dict/UsageModel.h"

class CCandidateSearch {
public:
    // AutoLearn items a classic search takes.
    static constexpr std::size_t kMaxLearntCandidates = 1000;

    struct Ports {
        CCandidatePager& pager;
        IDictionarySearch& dictionaries;
        IAutoLearnStore& autoLearn;
        IFileSystem& files;
        CUsageModel& usage;
        const CCodePage& codePage;
        CTypedText& typed;
    };
    explicit CCandidateSearch(const Ports& ports);
    CCandidateSearch(const CCandidateSearch&) = delete;
    CCandidateSearch& operator=(const CCandidateSearch&) = delete;

    void ApplySettings(const EngineSettings& settings);
    int MatchMode() const { return m_matchMode; }

    // Fills the pager for the text typed; whether a page is shown. A word the text ends is
    // taken into AutoLearn on the way.
    bool Search(const std::string& text);
    // A word ended (ranked): the language estimate and the document's words take it in; with
    // learning on, the usage model learns it.
    void ObserveWordEnd(const std::string& typedText);
    void LearnUsage(const std::string& typedText);

    // Whether a page of candidates is shown.
    bool FindPathCandidates(const std::string& key);
    bool FindCandidates(const std::string& key);
    // Classic: the number of AutoLearn items added.
    int FindLearnt(const std::string& key);
    // Empties the pager and what this search found.
    void Clear();

    // The typed text the completion replaces (a candidate may say another: SetKey).
    const std::string& Key() const { return m_key; }
    void SetKey(const std::string& key) { m_key = key; }
    // The candidates follow the last word: nothing is typed of the next one.
    bool Predicting() const { return m_predicting; }
    int LearntHits() const { return m_learntHits; }
    int LikeliestLanguage() const { return m_languageEstimate.Likeliest(); }

private:
    enum class Role {
        PATHS,       // a typed drive path: its folder's entries make the page alone
        WORDS,       // the word being typed, raised above the stream by their score
        PHRASES,     // phrases of the last words
        NEXT_WORDS,  // after a blank, nothing typed of the next word
    };
    struct ListedSource {
        Role role;
        std::unique_ptr<ICandidateSource> source;
    };
    bool Collect(Role role, const CandidateQuery& query, std::vector<ScoredCandidate>& into);

    bool Ranked() const { return m_settings.bRankByUse != 0; }
    bool SearchClassic(const std::string& text);
    bool SearchRanked(const std::string& text);
    bool FindRankedCandidates(const std::string& key);
    bool PredictNextWords(const std::string& text);
    void CollectPhrases(const std::string& tail);
    bool ShowTailPhrasesAlone();
    // A new ranked list for the word being typed (empty: phrases or next words alone).
    void StartList(const std::string& wordKey);
    void PlaceTailPhrases();
    bool ShowFirstPage() { return m_pager.NextPage(m_pager.PageSize()); }
    CandidateQuery Query(const std::string& key) const;
    // Raises a word the document used lately, and one whose own capital a mid-sentence capital asks for.
    double InContext(double score, std::string_view word, bool ownCapital) const;
    // A capital typed mid-sentence: a name, a day or a month is likely.
    bool NameLikely(const std::string& text, const std::string& key) const;
    void WeighTypedWordsByLanguage(std::vector<ScoredCandidate>& raised, const std::vector<LanguageRank>& offsets);

    CCandidatePager& m_pager;
    IDictionarySearch& m_dictionaries;
    IAutoLearnStore& m_autoLearn;
    CUsageModel& m_usage;
    const CCodePage& m_codePage;
    CTypedText& m_typed;
    EngineSettings m_settings;
    int m_matchMode = MATCH_START;

    std::vector<ListedSource> m_sources;
    std::string m_key;
    int m_learntHits = 0;
    bool m_predicting = false;
    bool m_nameLikely = false;
    // Phrases of the longer tails, merged with the words of the next search.
    std::vector<ScoredCandidate> m_tailPhrases;
    CLanguageEstimate m_languageEstimate;
    CDocumentCache m_documentCache;
};
