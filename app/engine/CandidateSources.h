// The sources of candidates: each adds its candidates for the word being typed (or, after a blank,
// for the next word, or for the last words as a phrase), scored on the usage model's scale. The
// dictionaries' words are too many to collect: they stream, the most likely first, as pages ask.
// A new source is one class here and one line where CCandidateSearch lists its sources.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/engine/EngineServices.h"
#include "dict/UsageModel.h"

class CCodePage;

struct ScoredCandidate {
    DictionaryMatch match;
    double score = 0.0;
    std::string replaces;  // the typed text it replaces (empty: the word being typed)
};

struct CandidateQuery {
    std::string key;       // what was typed of the word; empty: the next word is asked for
    std::string previous;  // the word before it in the same sentence, or empty
    int matchMode = MATCH_START;
    bool shorthands = true;
    // Raises a word the context asks for (the document's use, a capital typed mid-sentence).
    std::function<double(double score, std::string_view word, bool ownCapital)> inContext;
};

class ICandidateSource {
public:
    virtual ~ICandidateSource() = default;
    // Whether the query was this source's to answer: for most, whether it added any; a path's
    // folder answers even when none of its entries fits.
    virtual bool Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) = 0;
};

// Candidates one by one as the pages ask, the most likely first (in key order where the search
// has no ranks). One stream at a time: opening again starts over.
class ICandidateStream {
public:
    virtual ~ICandidateStream() = default;
    virtual void Open(const CandidateQuery& query, bool ranked) = 0;
    // False once the stream has ended.
    virtual bool Next(ScoredCandidate& next) = 0;
};

// The dictionaries' matches, scored by their rank after the previous word.
class CDictionaryWords : public ICandidateStream {
public:
    CDictionaryWords(IDictionarySearch& dictionaries, const CUsageModel& usage)
        : m_dictionaries(dictionaries), m_usage(usage)
    {
    }
    void Open(const CandidateQuery& query, bool ranked) override;
    bool Next(ScoredCandidate& next) override;

private:
    IDictionarySearch& m_dictionaries;
    const CUsageModel& m_usage;
    CandidateQuery m_query;
    bool m_ranked = false;
    bool m_opened = false;  // the first match is still to be asked for
};

// Shorthands whose key is exactly what was typed: first of all, as the user asked for them.
class CExactShorthands : public ICandidateSource {
public:
    static constexpr double kAskedFor = 1e6;
    CExactShorthands(IDictionarySearch& dictionaries, const CCodePage& codePage)
        : m_dictionaries(dictionaries), m_codePage(codePage)
    {
    }
    bool Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

private:
    IDictionarySearch& m_dictionaries;
    const CCodePage& m_codePage;
};

// Dictionary words the user typed, by their counts, recency and pairs.
class CTypedWords : public ICandidateSource {
public:
    CTypedWords(const CUsageModel& usage, const CCodePage& codePage) : m_usage(usage), m_codePage(codePage) {}
    bool Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

private:
    const CUsageModel& m_usage;
    const CCodePage& m_codePage;
};

// AutoLearn's items: they decide which words no dictionary holds are offered (a word deleted
// there is gone).
class CLearntWords : public ICandidateSource {
public:
    static constexpr std::size_t kMaxItems = 1000;
    CLearntWords(IAutoLearnStore& autoLearn, const CUsageModel& usage, const CCodePage& codePage)
        : m_autoLearn(autoLearn), m_usage(usage), m_codePage(codePage)
    {
    }
    bool Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

private:
    IAutoLearnStore& m_autoLearn;
    const CUsageModel& m_usage;
    const CCodePage& m_codePage;
};

// Phrases of the last words (the query's key is the tail), the dictionaries' and AutoLearn's, two
// at most however many tails ask: they share the first page with the words of the last one.
class CTailPhrases : public ICandidateSource {
public:
    static constexpr std::size_t kMaxPhrases = 2;
    CTailPhrases(IDictionarySearch& dictionaries, IAutoLearnStore& autoLearn, const CUsageModel& usage,
                 const CCodePage& codePage)
        : m_dictionaries(dictionaries), m_autoLearn(autoLearn), m_usage(usage), m_codePage(codePage)
    {
    }
    bool Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

private:
    IDictionarySearch& m_dictionaries;
    IAutoLearnStore& m_autoLearn;
    const CUsageModel& m_usage;
    const CCodePage& m_codePage;
};

// After a blank: the words that followed the last one at least twice, while they are words
// (a dictionary's, or one AutoLearn keeps).
class CNextWords : public ICandidateSource {
public:
    static constexpr std::uint32_t kMinPair = 2;
    CNextWords(const CUsageModel& usage, IAutoLearnStore& autoLearn) : m_usage(usage), m_autoLearn(autoLearn) {}
    bool Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

private:
    bool AutoLearnHolds(std::string_view word);
    const CUsageModel& m_usage;
    IAutoLearnStore& m_autoLearn;
};

// The files and folders of a typed drive path ("C:\\Pro"): the entries of its folder whose name
// holds what was typed of the name, as many as one page of a listing takes.
class CPathEntries : public ICandidateSource {
public:
    static constexpr std::size_t kMaxEntries = 1000;
    CPathEntries(IFileSystem& files, const CCodePage& codePage) : m_files(files), m_codePage(codePage) {}
    static bool IsPath(const std::string& key) { return key.size() >= 3 && key[1] == ':' && key[2] == '\\'; }
    // Whether key is a path whose folder could be listed (the folder may hold no such entry).
    bool List(const std::string& key, std::vector<DictionaryMatch>& into);
    bool Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

private:
    IFileSystem& m_files;
    const CCodePage& m_codePage;
};
