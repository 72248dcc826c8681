#include "dict/AutoLearnDictionary.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <new>

#include "dict/CodePage.h"

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

std::int32_t AddCounts(std::int32_t a, std::int32_t b)
{
    const long long sum = static_cast<long long>(a) + b;
    return static_cast<std::int32_t>(sum > INT_MAX ? INT_MAX : (sum < INT_MIN ? INT_MIN : sum));
}

}  // namespace

bool CAutoLearnDictionary::Open(const std::string& path)
{
    Close();
    m_path = path;
    m_openFault = pvbase::FileFault::None;
    m_writeFault = pvbase::FileFault::None;
    m_foundAnsi = false;
    if (!m_file.Open(path)) {
        m_openFault = pvbase::LastFileFault();
        return false;
    }
    const std::int64_t size = m_file.Size();
    if (size < 0) {
        m_file.Close();
        return false;
    }
    std::uint64_t count = static_cast<std::uint64_t>(size) / kAutoLearnRecordSize;
    if (count > kMaxRecords) {
        m_file.Close();
        return false;
    }
    // A partial record at the end is what an interrupted write leaves; records are always
    // written at count * 516, so cutting it off keeps appends aligned. Should the cut fail
    // (read-only file), the remainder is ignored and the next append overwrites it.
    if (static_cast<std::uint64_t>(size) % kAutoLearnRecordSize != 0 && m_file.IsWritable())
        m_file.Resize(static_cast<std::int64_t>(count * kAutoLearnRecordSize));

    if (!ReadRecords(count))
        return false;
    if (count == 0) {
        MarkEmptyFile();
    } else if (!m_marked) {
        m_foundAnsi = true;
        ConvertAnsiRecords();
        if (m_file.IsWritable() && !RewriteInUtf8() && !m_file.IsOpen())
            return false;
    }
    try {
        m_heads.reserve(m_records.size());
        for (const AutoLearnRecord& record : m_records)
            m_heads.push_back(HeadOf(record.text));
        BuildIndex();
    } catch (const std::bad_alloc&) {
        Close();
        return false;
    }

    m_open = true;
    m_current = 0;
    LoadCurrent();
    return true;
}

bool CAutoLearnDictionary::ReadRecords(std::uint64_t count)
{
    m_marked = false;
    try {
        std::vector<unsigned char> chunk(kLoadChunkRecords * kAutoLearnRecordSize);
        std::uint64_t loaded = 0;
        while (loaded < count) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(kLoadChunkRecords, count - loaded));
            const std::int64_t got = m_file.ReadAt(static_cast<std::int64_t>(loaded * kAutoLearnRecordSize),
                                                   chunk.data(), want * kAutoLearnRecordSize);
            if (got < 0)
                throw std::bad_alloc();  // handled below like any other failed load
            const std::size_t whole = static_cast<std::size_t>(got) / kAutoLearnRecordSize;
            std::size_t first = 0;
            if (loaded == 0 && whole > 0 && IsAutoLearnMarker(chunk.data())) {
                m_marked = true;
                first = 1;
            }
            for (std::size_t i = first; i < whole; ++i)
                m_records.push_back(DecodeAutoLearnRecord(chunk.data() + i * kAutoLearnRecordSize));
            loaded += whole;
            if (whole < want)
                break;  // the file became shorter while it was read
        }
    } catch (const std::bad_alloc&) {
        m_records.clear();
        m_marked = false;
        m_file.Close();
        return false;
    }
    return true;
}

bool CAutoLearnDictionary::MarkEmptyFile()
{
    // A new file: nothing to convert, so the marker goes in place (a cut write leaves a partial
    // record, which the next Open cuts off).
    unsigned char marker[kAutoLearnRecordSize];
    EncodeAutoLearnMarker(marker);
    m_marked = m_file.IsWritable() && m_file.WriteAt(0, marker, sizeof marker);
    if (!m_marked && m_file.IsWritable()) {
        m_writeFault = pvbase::LastFileFault();
        m_file.Resize(0);
    }
    return m_marked;
}

void CAutoLearnDictionary::ConvertAnsiRecords()
{
    const CCodePage& codePage = m_legacyCodePage ? *m_legacyCodePage : SystemCodePage();
    for (AutoLearnRecord& record : m_records)
        record.text = AutoLearnTextFromCodePage(record.text, codePage);
}

bool CAutoLearnDictionary::RewriteInUtf8()
{
    // Written whole beside the old file and moved over it only when complete: a crash or a
    // failure at any step leaves the old file, converted again at the next start.
    const std::string converted = m_path + ".utf8-part";
    pvbase::SetLastFileFault(pvbase::FileFault::None);
    const bool written = WriteAutoLearnStoreFile(converted, m_records);
    m_file.Close();
    if (written && pvbase::ReplaceFileAtomically(converted, m_path)) {
        if (m_file.Open(m_path) && m_file.IsWritable()) {
            m_marked = true;
            return true;
        }
        m_openFault = pvbase::LastFileFault();
        return false;
    }
    m_writeFault = pvbase::LastFileFault();
    if (m_writeFault == pvbase::FileFault::None)
        m_writeFault = pvbase::FileFault::Other;
    pvbase::RemoveFileIfExists(converted);
    if (!m_file.Open(m_path))
        m_openFault = pvbase::LastFileFault();
    return false;
}

void CAutoLearnDictionary::BuildIndex()
{
    // Sorted once and inserted in order: far cheaper than one tree search per record.
    m_index.clear();
    Changed();
    std::vector<std::uint32_t> order(m_records.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(order.begin(), order.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return m_records[a].text < m_records[b].text; });
    for (std::size_t i = 0; i < order.size();) {
        const std::string& text = m_records[order[i]].text;
        std::vector<std::uint32_t> at;
        for (; i < order.size() && m_records[order[i]].text == text; ++i)
            at.push_back(order[i]);
        m_index.emplace_hint(m_index.end(), text, std::move(at));
    }
}

void CAutoLearnDictionary::Close()
{
    m_file.Close();
    m_open = false;
    m_marked = false;
    m_records.clear();
    m_heads.clear();
    m_index.clear();
    Changed();
    m_current = 0;
    m_currentCount = 0;
    m_currentText.clear();
}

bool CAutoLearnDictionary::Truncate()
{
    if (!m_open) {
        if (m_path.empty())
            return false;
        const std::string path = m_path;
        if (!Open(path))
            return false;
    }
    if (m_marked ? !m_file.Resize(static_cast<std::int64_t>(kAutoLearnRecordSize)) : !m_file.Resize(0))
        return false;
    if (!m_marked)
        MarkEmptyFile();
    m_records.clear();
    m_heads.clear();
    m_index.clear();
    Changed();
    m_current = 0;
    LoadCurrent();
    return true;
}

void CAutoLearnDictionary::ApplySettings(bool enabled, unsigned minWordLength, std::string_view separators)
{
    m_enabled = enabled;
    m_minWordLength = minWordLength;
    m_rules.SetSeparators(separators);
}

void CAutoLearnDictionary::LoadCurrent()
{
    if (m_current < m_records.size()) {
        m_currentCount = m_records[m_current].count;
        m_currentText = m_records[m_current].text;
    } else {
        m_currentCount = 0;
        m_currentText.clear();
    }
}

void CAutoLearnDictionary::MoveFirst()
{
    m_current = 0;
    LoadCurrent();
}

void CAutoLearnDictionary::MoveNext()
{
    if (m_open && m_current < m_records.size()) {
        ++m_current;
        LoadCurrent();
    }
}

void CAutoLearnDictionary::SetCurrent(std::int32_t count, std::string_view text)
{
    m_currentCount = count;
    m_currentText.assign(text.data(), text.size());
}

bool CAutoLearnDictionary::WriteRecord(std::size_t index, std::int32_t count, const std::string& text)
{
    unsigned char bytes[kAutoLearnRecordSize];
    EncodeAutoLearnRecord(count, text, bytes);
    const std::int64_t offset = OffsetOf(index);
    const bool replacing = index < m_records.size();
    if (!m_marked) {
        // Texts of the old layout stay as they are: no UTF-8 record goes among them.
        if (m_writeFault == pvbase::FileFault::None)
            m_writeFault = pvbase::FileFault::ReadOnly;
        return false;
    }

    unsigned char before[kAutoLearnRecordSize];
    const bool haveBefore =
        replacing && m_file.ReadAt(offset, before, sizeof before) == static_cast<std::int64_t>(sizeof before);
    if (m_file.WriteAt(offset, bytes, sizeof bytes)) {
        m_writeFault = pvbase::FileFault::None;
        return true;
    }
    m_writeFault = m_file.IsWritable() ? pvbase::LastFileFault() : pvbase::FileFault::ReadOnly;
    if (m_writeFault == pvbase::FileFault::None)
        m_writeFault = pvbase::FileFault::Other;

    // The write failed, perhaps halfway: put the file back as it was.
    if (!replacing) {
        m_file.Resize(offset);
        return false;
    }
    if (haveBefore)
        m_file.WriteAt(offset, before, sizeof before);
    // Whatever the file now holds for this record is the truth.
    unsigned char now[kAutoLearnRecordSize];
    if (m_file.ReadAt(offset, now, sizeof now) == static_cast<std::int64_t>(sizeof now)) {
        AutoLearnRecord onDisk = DecodeAutoLearnRecord(now);
        if (onDisk != m_records[index]) {
            m_records[index].count = onDisk.count;
            SetRecordText(index, std::move(onDisk.text));
            Changed();
        }
    }
    return false;
}

bool CAutoLearnDictionary::UpdateCurrent()
{
    if (!m_open || m_current >= m_records.size())
        return false;
    const std::string text = AutoLearnStoredText(m_currentText);
    if (!WriteRecord(m_current, m_currentCount, text)) {
        LoadCurrent();
        return false;
    }
    m_records[m_current].count = m_currentCount;
    SetRecordText(m_current, text);
    Changed();
    m_currentText = text;
    return true;
}

bool CAutoLearnDictionary::Append()
{
    if (!m_open || m_records.size() >= kMaxRecords)
        return false;
    const std::string text = AutoLearnStoredText(m_currentText);
    const std::size_t index = m_records.size();
    if (!WriteRecord(index, m_currentCount, text))
        return false;
    m_records.push_back(AutoLearnRecord{m_currentCount, text});
    m_heads.push_back(HeadOf(text));
    IndexAdd(text, static_cast<std::uint32_t>(index));
    m_current = index;
    m_currentText = text;
    return true;
}

bool CAutoLearnDictionary::CountIn(const AutoLearnRecord& record)
{
    const auto found = m_index.find(record.text);
    if (found == m_index.end()) {
        SetCurrent(record.count, record.text);
        return Append();
    }
    // A word learnt already: its count grows instead of a second record that nobody sees.
    m_current = found->second.front();
    SetCurrent(AddCounts(m_records[m_current].count, record.count), record.text);
    return UpdateCurrent();
}

std::int32_t CAutoLearnDictionary::CountOf(std::string_view text) const
{
    const auto found = m_index.find(AutoLearnStoredText(text));
    return found == m_index.end() ? 0 : m_records[found->second.front()].count;
}

bool CAutoLearnDictionary::SetCount(std::string_view text, std::int32_t count)
{
    const auto found = m_index.find(AutoLearnStoredText(text));
    if (found == m_index.end()) {
        SetCurrent(count, text);
        return Append();
    }
    m_current = found->second.front();
    SetCurrent(count, m_records[m_current].text);
    return UpdateCurrent();
}

bool CAutoLearnDictionary::Remove(std::string_view text)
{
    const std::string stored = AutoLearnStoredText(text);
    while (m_open) {
        const auto found = m_index.find(stored);
        if (found == m_index.end())
            break;
        const std::size_t at = found->second.back();
        const std::size_t last = m_records.size() - 1;
        if (at != last) {
            const AutoLearnRecord moved = m_records[last];
            if (!WriteRecord(at, moved.count, moved.text))
                return false;
            IndexRemove(stored, static_cast<std::uint32_t>(at));
            IndexRemove(moved.text, static_cast<std::uint32_t>(last));
            m_records[at] = moved;
            m_heads[at] = m_heads[last];
            IndexAdd(moved.text, static_cast<std::uint32_t>(at));
        } else {
            IndexRemove(stored, static_cast<std::uint32_t>(at));
        }
        m_records.pop_back();
        m_heads.pop_back();
        Changed();
        if (!m_file.Resize(OffsetOf(m_records.size())))
            return false;
    }
    m_current = 0;
    LoadCurrent();
    return true;
}

LearnOutcome CAutoLearnDictionary::Learn(std::string_view typedText)
{
    if (!m_open || !m_enabled)
        return LearnOutcome::NotLearnt;
    const std::string word = m_rules.ExtractWord(typedText);
    if (word.empty() || CAutoLearnWordRules::Length(word) < m_minWordLength)
        return LearnOutcome::NotLearnt;
    if (m_knownWords && m_knownWords->HoldsExactly(word))
        return LearnOutcome::NotLearnt;

    const auto found = m_index.find(word);
    if (found != m_index.end()) {
        m_current = found->second.front();
        const std::int32_t count = m_records[m_current].count;
        SetCurrent(count == std::numeric_limits<std::int32_t>::max() ? count : count + 1, word);
        return UpdateCurrent() ? LearnOutcome::Counted : LearnOutcome::WriteFailed;
    }
    const std::size_t previous = m_current;
    SetCurrent(1, word);
    if (Append())
        return LearnOutcome::Added;
    m_current = std::min(previous, m_records.size());
    LoadCurrent();
    return LearnOutcome::WriteFailed;
}

std::string CAutoLearnDictionary::FirstSuggestion(std::string_view prefix)
{
    if (!m_open || !m_enabled)
        return std::string();
    MoveFirst();
    return NextSuggestion(prefix);
}

std::string CAutoLearnDictionary::NextSuggestion(std::string_view prefix)
{
    if (!m_open || !m_enabled)
        return std::string();
    prefix = UpToZero(prefix);
    const std::size_t hit = FindSuggestionFrom(m_current, prefix);
    if (hit >= m_records.size()) {
        m_current = m_records.size();
        LoadCurrent();
        return std::string();
    }
    m_current = hit + 1;
    LoadCurrent();
    return m_records[hit].text;
}

bool CAutoLearnDictionary::Offered(const AutoLearnRecord& record, std::string_view prefix) const
{
    return record.count >= m_offerThreshold && StartsWith(record.text, prefix);
}

void CAutoLearnDictionary::PlanSuggestions(std::string_view prefix)
{
    if (m_plan.valid && m_plan.generation == m_generation && m_plan.threshold == m_offerThreshold &&
        m_plan.prefix == prefix)
        return;
    m_plan.valid = true;
    m_plan.prefix.assign(prefix.data(), prefix.size());
    m_plan.threshold = m_offerThreshold;
    m_plan.generation = m_generation;
    m_plan.walk = false;
    m_plan.hits.clear();
    std::size_t visited = 0;
    for (auto it = m_index.lower_bound(prefix); it != m_index.end() && StartsWith(it->first, prefix); ++it) {
        visited += it->second.size();
        // A common prefix is better answered by walking the records: the next hit is near.
        if (visited > m_indexedPrefixLimit) {
            m_plan.walk = true;
            m_plan.hits.clear();
            return;
        }
        for (const std::uint32_t at : it->second) {
            if (m_records[at].count >= m_offerThreshold)
                m_plan.hits.push_back(at);
        }
    }
    std::sort(m_plan.hits.begin(), m_plan.hits.end());
}

std::size_t CAutoLearnDictionary::FindSuggestionFrom(std::size_t from, std::string_view prefix)
{
    const std::size_t none = m_records.size();
    if (from >= m_records.size())
        return none;
    PlanSuggestions(prefix);
    if (!m_plan.walk) {
        const auto next = std::lower_bound(m_plan.hits.begin(), m_plan.hits.end(), from);
        return next == m_plan.hits.end() ? none : *next;
    }
    // A common prefix: hits are dense, so the walk in file order is short.
    const std::size_t headLength = std::min<std::size_t>(prefix.size(), 4);
    const std::uint32_t mask = headLength == 0 ? 0u : ~0u << (8 * (4 - headLength));
    const std::uint32_t wanted = HeadOf(prefix) & mask;
    const std::uint32_t* heads = m_heads.data();
    for (std::size_t i = from; i < m_records.size(); ++i) {
        if ((heads[i] & mask) == wanted && Offered(m_records[i], prefix))
            return i;
    }
    return none;
}

void CAutoLearnDictionary::SetRecordText(std::size_t index, std::string text)
{
    AutoLearnRecord& record = m_records[index];
    if (record.text == text)
        return;
    IndexRemove(record.text, static_cast<std::uint32_t>(index));
    record.text = std::move(text);
    m_heads[index] = HeadOf(record.text);
    IndexAdd(record.text, static_cast<std::uint32_t>(index));
}

void CAutoLearnDictionary::IndexAdd(const std::string& text, std::uint32_t index)
{
    Changed();
    std::vector<std::uint32_t>& at = m_index[text];
    at.insert(std::upper_bound(at.begin(), at.end(), index), index);
}

void CAutoLearnDictionary::IndexRemove(const std::string& text, std::uint32_t index)
{
    Changed();
    const auto found = m_index.find(text);
    if (found == m_index.end())
        return;
    std::vector<std::uint32_t>& at = found->second;
    const auto pos = std::lower_bound(at.begin(), at.end(), index);
    if (pos != at.end() && *pos == index)
        at.erase(pos);
    if (at.empty())
        m_index.erase(found);
}
