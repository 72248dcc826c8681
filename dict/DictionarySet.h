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
    explicit CDictionarySet(IDictionaryEnableStore* enableStore = nullptr,
                            const CCodePage& codePage = SystemCodePage());
    ~CDictionarySet();
    CDictionarySet(const CDictionarySet&) = delete;
    CDictionarySet& operator=(const CDictionarySet&) = delete;

    void SetEnableStore(IDictionaryEnableStore* enableStore) { enableStore_ = enableStore; }

    // Closes what was loaded, then loads the files matching `pattern` (e.g. the program
    // folder + "\\libs\\*.lib"): all of them, or only the enabled ones. True if at least
    // one opened. A file that fails to open stays in the set and yields no matches.
    bool LoadFolder(const std::string& pattern, bool all);
    // The same for a list of files, in this order. readOnly: the files are never written.
    bool LoadFiles(const std::vector<std::string>& paths, bool readOnly = false);
    void CloseAll();

    // Per-file enable flag; a file without a record, and an empty path, are enabled.
    bool IsEnabled(const std::string& path) const;
    bool SetEnabled(const std::string& path, bool on);

    // Key length limits of word/phrase dictionaries, for this set and every file in it.
    void SetLengthLimits(int minimum, int maximum);
    int MinKeyLength() const { return minKeyLength_; }
    int MaxKeyLength() const { return maxKeyLength_; }

    // Merged search: the smallest pending key over all dictionaries; on equal keys the
    // dictionary loaded later comes first.
    bool FindFirst(std::string_view query, DictionaryMatch& match, int mode, bool includeShorthand = true);
    bool FindNext(DictionaryMatch& match);

    int Count() const { return static_cast<int>(dictionaries_.size()); }
    CDictionaryFile& Dictionary(int index) { return *dictionaries_[index]; }
    const CDictionaryFile& Dictionary(int index) const { return *dictionaries_[index]; }
    const std::string& PathAt(int index) const { return paths_[index]; }
    bool IncludeShorthand() const { return includeShorthand_; }

private:
    bool TakeSmallest(DictionaryMatch& match);
    inline void MoveBackToItsPlace(std::string_view key);  // defined in DictionarySet.cpp

    IDictionaryEnableStore* enableStore_;
    const CCodePage& codePage_;
    // No double-byte characters: the merge compares keys with the simpler fold.
    bool singleByte_;
    // The query of the merged search, prepared once for all dictionaries.
    DictionaryQuery query_;
    std::vector<std::string> paths_;
    std::vector<std::unique_ptr<CDictionaryFile>> dictionaries_;
    // Dictionaries whose cursor stands on a pending match (read only when it is taken), in the
    // reverse of the order they hand them out (by key, then the later dictionary first): the
    // next one is taken from the back.
    std::vector<int> pending_;
    // The match of the back's dictionary was handed out: it steps on at the next FindNext only.
    bool backHandedOut_ = false;
    bool includeShorthand_ = true;
    int minKeyLength_ = 1;
    int maxKeyLength_ = 500;
};
