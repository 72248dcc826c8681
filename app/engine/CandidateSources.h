// The sources of ranked candidates beside the dictionaries' ranked stream, which the pager merges
// with them: each adds its candidates for the word being typed (or, after a blank, for the next
// word), scored on the usage model's scale. A new source is one class here and one line where
// CCompletionEngine lists its sources.
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
    virtual void Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) = 0;
};

// Shorthands whose key is exactly what was typed: first of all, as the user asked for them.
class CExactShorthands : public ICandidateSource {
public:
    static constexpr double kAskedFor = 1e6;
    CExactShorthands(IDictionarySearch& dictionaries, const CCodePage& codePage)
        : m_dictionaries(dictionaries), m_codePage(codePage)
    {
    }
    void Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

private:
    IDictionarySearch& m_dictionaries;
    const CCodePage& m_codePage;
};

// Dictionary words the user typed, by their counts, recency and pairs.
class CTypedWords : public ICandidateSource {
public:
    CTypedWords(const CUsageModel& usage, const CCodePage& codePage) : m_usage(usage), m_codePage(codePage) {}
    void Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

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
    void Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

private:
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
    void Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

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
    void Collect(const CandidateQuery& query, std::vector<ScoredCandidate>& into) override;

private:
    IFileSystem& m_files;
    const CCodePage& m_codePage;
};
