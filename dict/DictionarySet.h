#pragma once
// The loaded dictionaries, searched as one: matches come in one ascending order
// (case-insensitive) merged over all dictionaries.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dict/CodePage.h"
#include "dict/DictionaryFile.h"
#include "dict/DictionaryMatch.h"

class IDictionaryEnableStore;

class CDictionarySet {
public:
    // enableStore: where the per-file enable flags are kept; none: every file is enabled.
    // ansiCodePage: what the files' ANSI texts are read in. Queries and matches are UTF-8.
    explicit CDictionarySet(IDictionaryEnableStore* enableStore = nullptr,
                            const CCodePage& ansiCodePage = SystemCodePage());
    ~CDictionarySet();
    CDictionarySet(const CDictionarySet&) = delete;
    CDictionarySet& operator=(const CDictionarySet&) = delete;

    void SetEnableStore(IDictionaryEnableStore* enableStore) { m_enableStore = enableStore; }

    // Closes what was loaded, then loads the files matching `pattern` (e.g. the program
    // folder + "\\libs\\*.lib"): all of them, or only the enabled ones. True if at least
    // one opened. A file that fails to open stays in the set and yields no matches.
    bool LoadFolder(const std::string& pattern, bool all);
    // The same for a list of files, in this order. readOnly: the files are never written.
    bool LoadFiles(const std::vector<std::string>& paths, bool readOnly = false);
    void CloseAll();
    // For completion: every loaded dictionary that needs one is searched through a UTF-8 mirror
    // from now on (dict/CodePageMirror.h), read-only; every file gets the mirror of its keys with
    // capitals beyond ASCII beside it at the first query that needs it. Returns the entries left
    // out over all of them, for they cannot be read (broken UTF-8 or UTF-16).
    int MirrorAsUtf8();
    int SkippedEntries(int index) const;

    // Per-file enable flag; a file without a record, and an empty path, are enabled.
    bool IsEnabled(const std::string& path) const;
    bool SetEnabled(const std::string& path, bool on);

    // Key length limits of word/phrase dictionaries, for this set and every file in it.
    void SetLengthLimits(int minimum, int maximum);
    int MinKeyLength() const { return m_minKeyLength; }
    int MaxKeyLength() const { return m_maxKeyLength; }

    // Merged search: the smallest pending key over all dictionaries; on equal keys the
    // dictionary loaded later comes first.
    bool FindFirst(std::string_view query, DictionaryMatch& match, int mode, bool includeShorthand = true);
    bool FindNext(DictionaryMatch& match);

    // Ranked merged search: over all dictionaries, the match with the highest rank first (see
    // CDictionaryFile::FindFirstRankedKey); equal ranks in key order, on equal keys the later
    // dictionary first. So the matches without a rank follow in the order of FindFirst.
    bool FindFirstRanked(std::string_view query, DictionaryMatch& match, int mode, bool includeShorthand, int& rank);
    // At load, for the ranked search: see CDictionaryFile::SumUpRanks.
    void SumUpRanks();
    bool FindNextRanked(DictionaryMatch& match, int& rank);
    // The rank of an entry of a word dictionary whose key is exactly the word (letter case too),
    // the highest if several hold it; 0 when it has none, -1 when no word dictionary holds it.
    // Ends the merged search in progress.
    int RankOf(std::string_view word);

    // The language of each dictionary (primary language ids, 0: not known), set by the owner
    // after loading; matches carry it.
    void SetLanguage(int index, int language);
    int LanguageAt(int index) const;
    // The distinct known languages of the open word dictionaries.
    std::vector<int> Languages() const;
    // Ranked search: what each language's ranks are moved by, from the next search on; languages
    // not named are not moved.
    void SetLanguageOffsets(const std::vector<LanguageRank>& offsets);
    // Per known language, the best rank of the word's entries in it, letter case ignored (0: held
    // without a rank). Ends the merged search in progress.
    std::vector<LanguageRank> LanguagesHolding(std::string_view word);

    int Count() const { return static_cast<int>(m_dictionaries.size()); }
    CDictionaryFile& Dictionary(int index) { return *m_dictionaries[index]; }
    const CDictionaryFile& Dictionary(int index) const { return *m_dictionaries[index]; }
    const std::string& PathAt(int index) const { return m_paths[index]; }
    bool IncludeShorthand() const { return m_includeShorthand; }

private:
    // What a keyed and a ranked search set up alike: the query and the dictionaries taking part.
    void BeginSearch(std::string_view query, int mode, bool includeShorthand);
    bool TakeSmallest(DictionaryMatch& match);
    bool TakeBestRanked(DictionaryMatch& match, int& rank);
    inline void MoveBackToItsPlace(std::string_view key);  // defined in DictionarySet.cpp

    IDictionaryEnableStore* m_enableStore;
    const CCodePage& m_ansiCodePage;
    const CCodePage& m_codePage;  // of queries and matches: UTF-8
    // The query of the merged search, prepared once for all dictionaries.
    DictionaryQuery m_query;
    std::vector<std::string> m_paths;
    std::vector<std::unique_ptr<CDictionaryFile>> m_dictionaries;
    std::vector<int> m_skipped;    // per dictionary, by MirrorAsUtf8
    std::vector<int> m_languages;  // per dictionary
    std::vector<LanguageRank> m_languageOffsets;
    int RankOffsetOf(int index) const;
    bool m_capitalsPending = false;  // the capitals mirrors are still to be made
    void AddCapitalsMirrors();
    // Dictionaries whose cursor stands on a pending match (read only when it is taken), in the
    // reverse of the order they hand them out (by key, then the later dictionary first): the
    // next one is taken from the back.
    std::vector<int> m_pending;
    // The match of the back's dictionary was handed out: it steps on at the next FindNext only.
    bool m_backHandedOut = false;
    // Ranked search: per dictionary whether it stands on a match and that match's rank.
    struct RankedCursor {
        int index;
        int rank;
    };
    std::vector<RankedCursor> m_ranked;
    int m_rankedHandedOut = -1;  // entry of m_ranked whose match went out: it steps on first
    bool m_includeShorthand = true;
    int m_minKeyLength = 1;
    int m_maxKeyLength = 500;
};
