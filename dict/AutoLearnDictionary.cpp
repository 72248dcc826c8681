#include "dict/AutoLearnDictionary.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

// Records read per file access while loading.
constexpr std::size_t kLoadChunkRecords = 256;
// About 1 GB of records. Far beyond anything typed by hand; a larger file is damaged or
// not ours, and reading it would stall start-up: it is refused and left as it is.
constexpr std::uint64_t kMaxRecords = 2000000;

std::string_view UpToZero(std::string_view text)
{
    const std::size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

bool StartsWith(const std::string& text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The first four bytes, first byte highest; missing bytes are zero (texts hold no zero byte).
std::uint32_t HeadOf(std::string_view text)
{
    std::uint32_t head = 0;
    for (std::size_t i = 0; i < 4; ++i)
        head = (head << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return head;
}

}  // namespace

bool CAutoLearnDictionary::Open(const std::string& path)
{
    Close();
    path_ = path;
    if (!file_.Open(path))
        return false;
    const std::int64_t size = file_.Size();
    if (size < 0) {
        file_.Close();
        return false;
    }
    std::uint64_t count = static_cast<std::uint64_t>(size) / kAutoLearnRecordSize;
    if (count > kMaxRecords) {
        file_.Close();
        return false;
    }
    // A partial record at the end is what an interrupted write leaves; records are always
    // written at count * 516, so cutting it off keeps appends aligned. Should the cut fail
    // (read-only file), the remainder is ignored and the next append overwrites it.
    if (static_cast<std::uint64_t>(size) % kAutoLearnRecordSize != 0 && file_.IsWritable())
        file_.Resize(static_cast<std::int64_t>(count * kAutoLearnRecordSize));

    try {
        std::vector<unsigned char> chunk(kLoadChunkRecords * kAutoLearnRecordSize);
        std::uint64_t loaded = 0;
        while (loaded < count) {
            const std::size_t want = static_cast<std::size_t>(
                std::min<std::uint64_t>(kLoadChunkRecords, count - loaded));
            const std::int64_t got = file_.ReadAt(static_cast<std::int64_t>(loaded * kAutoLearnRecordSize),
                                                  chunk.data(), want * kAutoLearnRecordSize);
            if (got < 0)
                throw std::bad_alloc();  // handled below like any other failed load
            const std::size_t whole = static_cast<std::size_t>(got) / kAutoLearnRecordSize;
            for (std::size_t i = 0; i < whole; ++i)
                records_.push_back(DecodeAutoLearnRecord(chunk.data() + i * kAutoLearnRecordSize));
            loaded += whole;
            if (whole < want)
                break;  // the file became shorter while it was read
        }
        heads_.reserve(records_.size());
        for (const AutoLearnRecord& record : records_)
            heads_.push_back(HeadOf(record.text));
        BuildIndex();
    } catch (const std::bad_alloc&) {
        records_.clear();
        heads_.clear();
        index_.clear();
        file_.Close();
        return false;
    }

    open_ = true;
    current_ = 0;
    LoadCurrent();
    return true;
}

void CAutoLearnDictionary::BuildIndex()
{
    // Sorted once and inserted in order: far cheaper than one tree search per record.
    index_.clear();
    Changed();
    std::vector<std::uint32_t> order(records_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(order.begin(), order.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return records_[a].text < records_[b].text; });
    for (std::size_t i = 0; i < order.size();) {
        const std::string& text = records_[order[i]].text;
        std::vector<std::uint32_t> at;
        for (; i < order.size() && records_[order[i]].text == text; ++i)
            at.push_back(order[i]);
        index_.emplace_hint(index_.end(), text, std::move(at));
    }
}

void CAutoLearnDictionary::Close()
{
    file_.Close();
    open_ = false;
    records_.clear();
    heads_.clear();
    index_.clear();
    Changed();
    current_ = 0;
    currentCount_ = 0;
    currentText_.clear();
}

bool CAutoLearnDictionary::Truncate()
{
    if (!open_) {
        if (path_.empty())
            return false;
        const std::string path = path_;
        if (!Open(path))
            return false;
    }
    if (!file_.Resize(0))
        return false;
    records_.clear();
    heads_.clear();
    index_.clear();
    Changed();
    current_ = 0;
    LoadCurrent();
    return true;
}

void CAutoLearnDictionary::ApplySettings(bool enabled, unsigned minWordLength, std::string_view separators)
{
    enabled_ = enabled;
    minWordLength_ = minWordLength;
    rules_.SetSeparators(separators);
}

void CAutoLearnDictionary::LoadCurrent()
{
    if (current_ < records_.size()) {
        currentCount_ = records_[current_].count;
        currentText_ = records_[current_].text;
    } else {
        currentCount_ = 0;
        currentText_.clear();
    }
}

void CAutoLearnDictionary::MoveFirst()
{
    current_ = 0;
    LoadCurrent();
}

void CAutoLearnDictionary::MoveNext()
{
    if (open_ && current_ < records_.size()) {
        ++current_;
        LoadCurrent();
    }
}

void CAutoLearnDictionary::SetCurrent(std::int32_t count, std::string_view text)
{
    currentCount_ = count;
    currentText_.assign(text.data(), text.size());
}

bool CAutoLearnDictionary::WriteRecord(std::size_t index, std::int32_t count, const std::string& text)
{
    unsigned char bytes[kAutoLearnRecordSize];
    EncodeAutoLearnRecord(count, text, bytes);
    const std::int64_t offset = static_cast<std::int64_t>(index) * static_cast<std::int64_t>(kAutoLearnRecordSize);
    const bool replacing = index < records_.size();

    unsigned char before[kAutoLearnRecordSize];
    const bool haveBefore = replacing && file_.ReadAt(offset, before, sizeof before) ==
                                             static_cast<std::int64_t>(sizeof before);
    if (file_.WriteAt(offset, bytes, sizeof bytes))
        return true;

    // The write failed, perhaps halfway: put the file back as it was.
    if (!replacing) {
        file_.Resize(offset);
        return false;
    }
    if (haveBefore)
        file_.WriteAt(offset, before, sizeof before);
    // Whatever the file now holds for this record is the truth.
    unsigned char now[kAutoLearnRecordSize];
    if (file_.ReadAt(offset, now, sizeof now) == static_cast<std::int64_t>(sizeof now)) {
        AutoLearnRecord onDisk = DecodeAutoLearnRecord(now);
        if (onDisk != records_[index]) {
            records_[index].count = onDisk.count;
            SetRecordText(index, std::move(onDisk.text));
            Changed();
        }
    }
    return false;
}

bool CAutoLearnDictionary::UpdateCurrent()
{
    if (!open_ || current_ >= records_.size())
        return false;
    const std::string text = AutoLearnStoredText(currentText_, rules_.LeadBytes());
    if (!WriteRecord(current_, currentCount_, text)) {
        LoadCurrent();
        return false;
    }
    records_[current_].count = currentCount_;
    SetRecordText(current_, text);
    Changed();
    currentText_ = text;
    return true;
}

bool CAutoLearnDictionary::Append()
{
    if (!open_ || records_.size() >= kMaxRecords)
        return false;
    const std::string text = AutoLearnStoredText(currentText_, rules_.LeadBytes());
    const std::size_t index = records_.size();
    if (!WriteRecord(index, currentCount_, text))
        return false;
    records_.push_back(AutoLearnRecord{currentCount_, text});
    heads_.push_back(HeadOf(text));
    IndexAdd(text, static_cast<std::uint32_t>(index));
    current_ = index;
    currentText_ = text;
    return true;
}

LearnOutcome CAutoLearnDictionary::Learn(std::string_view typedText)
{
    if (!open_ || !enabled_)
        return LearnOutcome::NotLearnt;
    const std::string word = rules_.ExtractWord(typedText);
    if (word.empty() || word.size() < minWordLength_)
        return LearnOutcome::NotLearnt;
    if (knownWords_ && knownWords_->HoldsExactly(word))
        return LearnOutcome::NotLearnt;

    const auto found = index_.find(word);
    if (found != index_.end()) {
        current_ = found->second.front();
        const std::int32_t count = records_[current_].count;
        SetCurrent(count == std::numeric_limits<std::int32_t>::max() ? count : count + 1, word);
        return UpdateCurrent() ? LearnOutcome::Counted : LearnOutcome::WriteFailed;
    }
    const std::size_t previous = current_;
    SetCurrent(1, word);
    if (Append())
        return LearnOutcome::Added;
    current_ = std::min(previous, records_.size());
    LoadCurrent();
    return LearnOutcome::WriteFailed;
}

std::string CAutoLearnDictionary::FirstSuggestion(std::string_view prefix)
{
    if (!open_ || !enabled_)
        return std::string();
    MoveFirst();
    return NextSuggestion(prefix);
}

std::string CAutoLearnDictionary::NextSuggestion(std::string_view prefix)
{
    if (!open_ || !enabled_)
        return std::string();
    prefix = UpToZero(prefix);
    const std::size_t hit = FindSuggestionFrom(current_, prefix);
    if (hit >= records_.size()) {
        current_ = records_.size();
        LoadCurrent();
        return std::string();
    }
    current_ = hit + 1;
    LoadCurrent();
    return records_[hit].text;
}

bool CAutoLearnDictionary::Offered(const AutoLearnRecord& record, std::string_view prefix) const
{
    return record.count >= offerThreshold_ && StartsWith(record.text, prefix);
}

void CAutoLearnDictionary::PlanSuggestions(std::string_view prefix)
{
    if (plan_.valid && plan_.generation == generation_ && plan_.threshold == offerThreshold_ && plan_.prefix == prefix)
        return;
    plan_.valid = true;
    plan_.prefix.assign(prefix.data(), prefix.size());
    plan_.threshold = offerThreshold_;
    plan_.generation = generation_;
    plan_.walk = false;
    plan_.hits.clear();
    std::size_t visited = 0;
    for (auto it = index_.lower_bound(prefix); it != index_.end() && StartsWith(it->first, prefix); ++it) {
        visited += it->second.size();
        // A common prefix is better answered by walking the records: the next hit is near.
        if (visited > indexedPrefixLimit_) {
            plan_.walk = true;
            plan_.hits.clear();
            return;
        }
        for (const std::uint32_t at : it->second) {
            if (records_[at].count >= offerThreshold_)
                plan_.hits.push_back(at);
        }
    }
    std::sort(plan_.hits.begin(), plan_.hits.end());
}

std::size_t CAutoLearnDictionary::FindSuggestionFrom(std::size_t from, std::string_view prefix)
{
    const std::size_t none = records_.size();
    if (from >= records_.size())
        return none;
    PlanSuggestions(prefix);
    if (!plan_.walk) {
        const auto next = std::lower_bound(plan_.hits.begin(), plan_.hits.end(), from);
        return next == plan_.hits.end() ? none : *next;
    }
    // A common prefix: hits are dense, so the walk in file order is short.
    const std::size_t headLength = std::min<std::size_t>(prefix.size(), 4);
    const std::uint32_t mask = headLength == 0 ? 0u : ~0u << (8 * (4 - headLength));
    const std::uint32_t wanted = HeadOf(prefix) & mask;
    const std::uint32_t* heads = heads_.data();
    for (std::size_t i = from; i < records_.size(); ++i) {
        if ((heads[i] & mask) == wanted && Offered(records_[i], prefix))
            return i;
    }
    return none;
}

void CAutoLearnDictionary::SetRecordText(std::size_t index, std::string text)
{
    AutoLearnRecord& record = records_[index];
    if (record.text == text)
        return;
    IndexRemove(record.text, static_cast<std::uint32_t>(index));
    record.text = std::move(text);
    heads_[index] = HeadOf(record.text);
    IndexAdd(record.text, static_cast<std::uint32_t>(index));
}

void CAutoLearnDictionary::IndexAdd(const std::string& text, std::uint32_t index)
{
    Changed();
    std::vector<std::uint32_t>& at = index_[text];
    at.insert(std::upper_bound(at.begin(), at.end(), index), index);
}

void CAutoLearnDictionary::IndexRemove(const std::string& text, std::uint32_t index)
{
    Changed();
    const auto found = index_.find(text);
    if (found == index_.end())
        return;
    std::vector<std::uint32_t>& at = found->second;
    const auto pos = std::lower_bound(at.begin(), at.end(), index);
    if (pos != at.end() && *pos == index)
        at.erase(pos);
    if (at.empty())
        index_.erase(found);
}
