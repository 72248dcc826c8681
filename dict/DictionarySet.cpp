#include "dict/DictionarySet.h"

#include "dict/DictionaryEnableStore.h"
#include "dict/FolderListing.h"

CDictionarySet::CDictionarySet(IDictionaryEnableStore* enableStore, const CCodePage& codePage)
    : enableStore_(enableStore), codePage_(codePage), singleByte_(!codePage.HasLeadBytes())
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
    pending_.clear();
    backHandedOut_ = false;
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
    // The dictionaries left out of this search keep the query of their last one.
    for (std::size_t i = 0; !includeShorthand && i < dictionaries_.size(); ++i) {
        if (dictionaries_[i]->Type() == DICTIONARY_SHORTHAND)
            dictionaries_[i]->KeepQuery();
    }
    query_.Set(query, mode, codePage_);
    pending_.clear();
    backHandedOut_ = false;
    std::string_view key;
    for (std::size_t i = 0; i < dictionaries_.size(); ++i) {
        CDictionaryFile& dictionary = *dictionaries_[i];
        // By the dictionary's own type: it is known before its first search.
        if (!includeShorthand && dictionary.Type() == DICTIONARY_SHORTHAND)
            continue;
        if (dictionary.FindFirstKey(query_, key)) {
            pending_.push_back(static_cast<int>(i));
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
    int* const pending = pending_.data();
    std::size_t at = pending_.size() - 1;
    const int index = pending[at];
    for (; at > 0; --at) {
        const int queued = pending[at - 1];
        std::string_view other;
        if (dictionaries_[queued]->CurrentKey(other)) {
            const int order =
                singleByte_ ? codePage_.CompareNoCaseSingleByte(key, other) : codePage_.CompareNoCase(key, other);
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
    if (backHandedOut_) {
        // Its dictionary steps on; most often it still holds the smallest key and stays.
        backHandedOut_ = false;
        std::string_view key;
        if (dictionaries_[pending_.back()]->FindNextKey(key))
            MoveBackToItsPlace(key);
        else
            pending_.pop_back();
    }
    while (!pending_.empty()) {
        // The key and data are copied only for the match handed out.
        if (dictionaries_[pending_.back()]->MatchAtCursor(match)) {
            backHandedOut_ = true;
            return true;
        }
        pending_.pop_back();
    }
    match.Clear();
    return false;
}
