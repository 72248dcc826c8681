#include "dict/DictionarySet.h"

#include "dict/DictionaryEnableStore.h"
#include "dict/FolderListing.h"

CDictionarySet::CDictionarySet(IDictionaryEnableStore* enableStore, const CCodePage& codePage)
    : enableStore_(enableStore), codePage_(codePage)
{
}

CDictionarySet::~CDictionarySet()
{
    CloseAll();
}

void CDictionarySet::CloseAll()
{
    for (auto& dictionary : dictionaries_)
        dictionary->Close();
    dictionaries_.clear();
    slots_.clear();
    paths_.clear();
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
        auto dictionary = std::make_unique<CDictionaryFile>(codePage_);
        anyOpened = dictionary->Open(path, readOnly) || anyOpened;
        dictionary->SetLengthLimits(minKeyLength_, maxKeyLength_);
        paths_.push_back(path);
        dictionaries_.push_back(std::move(dictionary));
        slots_.emplace_back();
    }
    return anyOpened;
}

bool CDictionarySet::IsEnabled(const std::string& path) const
{
    if (path.empty() || !enableStore_)
        return true;
    return enableStore_->IsDictionaryEnabled(path);
}

bool CDictionarySet::SetEnabled(const std::string& path, bool on)
{
    if (path.empty() || !enableStore_)
        return false;
    return enableStore_->SetDictionaryEnabled(path, on);
}

void CDictionarySet::SetLengthLimits(int minimum, int maximum)
{
    minKeyLength_ = minimum;
    maxKeyLength_ = maximum;
    for (auto& dictionary : dictionaries_)
        dictionary->SetLengthLimits(minimum, maximum);
}

bool CDictionarySet::FindFirst(std::string_view query, DictionaryMatch& match, int mode, bool includeShorthand)
{
    includeShorthand_ = includeShorthand;
    mode_ = mode;
    std::string_view key;
    for (std::size_t i = 0; i < dictionaries_.size(); ++i) {
        CDictionaryFile& dictionary = *dictionaries_[i];
        // By the dictionary's own type: it is known before its first search.
        if (!includeShorthand && dictionary.Type() == DICTIONARY_SHORTHAND)
            slots_[i].holds = false;
        else
            slots_[i].holds = dictionary.FindFirstKey(query, key, mode);
    }
    return TakeSmallest(match);
}

bool CDictionarySet::FindNext(DictionaryMatch& match)
{
    return TakeSmallest(match);
}

bool CDictionarySet::TakeSmallest(DictionaryMatch& match)
{
    for (;;) {
        int best = -1;
        std::string_view bestKey, key;
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            if (!slots_[i].holds)
                continue;
            if (!dictionaries_[i]->CurrentKey(key)) {
                slots_[i].holds = false;  // closed since
                continue;
            }
            // "<=": on equal keys the later dictionary wins.
            if (best < 0 || codePage_.CompareNoCase(key, bestKey) <= 0) {
                best = static_cast<int>(i);
                bestKey = key;
            }
        }
        if (best < 0) {
            match.Clear();
            return false;
        }
        // The key and data are copied only for the match handed out.
        CDictionaryFile& dictionary = *dictionaries_[best];
        const bool taken = dictionary.MatchAtCursor(match);
        slots_[best].holds = dictionary.FindNextKey(key);
        if (taken)
            return true;
    }
}
