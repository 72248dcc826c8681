#include "dict/UsageModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include <utf8proc.h>

#include "base/FileIo.h"
#include "base/Utf8Text.h"
#include "dict/AutoLearnRecord.h"
#include "dict/CodePage.h"
#include "dict/Utf8Case.h"

namespace {

const char kHeader[] = "PVUSAGE 2\n";
// The first version: the same lines, words in the system's ANSI code page.
const char kAnsiHeader[] = "PVUSAGE 1\n";
constexpr std::size_t kHeaderLength = sizeof kHeader - 1;

// What a stored word may hold: read back from a file, it was a word when it was learnt.
bool IsStoredWord(std::string_view text)
{
    if (text.empty() || text.size() > 0xFF || Utf8CharacterCount(text) > CUsageModel::kMaxWordLength)
        return false;
    return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::uint32_t Fnv(std::string_view bytes)
{
    std::uint32_t hash = 2166136261u;
    for (char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

// Reads the next decimal number of a line; false when none is there.
bool NextNumber(std::string_view& line, unsigned long long& value)
{
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    std::size_t digits = i;
    value = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9' && digits - i < 19)
        value = value * 10 + static_cast<unsigned>(line[digits++] - '0');
    if (digits == i)
        return false;
    line.remove_prefix(digits);
    return true;
}

}  // namespace

CUsageModel::CUsageModel() : CUsageModel(Limits()) {}

CUsageModel::CUsageModel(Limits limits) : m_limits(limits) {}

bool CUsageModel::IsWord(std::string_view text)
{
    if (text.empty() || text.size() > 0xFF)
        return false;
    const auto* s = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    bool letter = false;
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < text.size(); ++characters) {
        utf8proc_int32_t cp = 0;
        const utf8proc_ssize_t length =
            utf8proc_iterate(s + pos, static_cast<utf8proc_ssize_t>(text.size() - pos), &cp);
        if (length <= 0)
            return false;
        pos += static_cast<std::size_t>(length);
        const utf8case::WordPart part = utf8case::WordPartOf(cp);
        if (part == utf8case::WordPart::Other)
            return false;
        letter = letter || part == utf8case::WordPart::Letter;
    }
    return letter && characters <= kMaxWordLength;
}

void CUsageModel::Reset()
{
    m_pool.clear();
    m_words.clear();
    m_order.clear();
    m_pairs.clear();
    m_newPairs.clear();
    m_typed = 0;
    m_serial = 0;
    ++m_orderChanges;
}

CUsageModel::Word CUsageModel::ToWord(const Record& record) const
{
    return Word{TextOf(record), record.count, record.last,
                record.rank,    record.known, static_cast<std::int32_t>(&record - m_words.data())};
}

std::size_t CUsageModel::LowerBound(std::string_view word) const
{
    const auto at =
        std::lower_bound(m_order.begin(), m_order.end(), word, [this](std::uint32_t index, std::string_view key) {
            return utf8case::CompareNoCase(TextOf(m_words[index]), key) < 0;
        });
    return static_cast<std::size_t>(at - m_order.begin());
}

int CUsageModel::IndexOf(std::string_view word) const
{
    if (word.empty() || word.size() > 0xFF)
        return -1;
    const std::size_t at = LowerBound(word);
    if (at < m_order.size() && utf8case::CompareNoCase(TextOf(m_words[m_order[at]]), word) == 0)
        return static_cast<int>(m_order[at]);
    return -1;
}

int CUsageModel::AddWord(std::string_view word, int rank, bool known, bool keepOrder)
{
    Record record{};
    record.textAt = static_cast<std::uint32_t>(m_pool.size());
    record.length = static_cast<std::uint8_t>(word.size());
    record.known = known;
    record.rank = static_cast<std::uint16_t>(std::clamp(rank, 0, 0xFFFF));
    m_pool.append(word.data(), word.size());
    const auto index = static_cast<std::uint32_t>(m_words.size());
    m_words.push_back(record);
    ++m_orderChanges;
    if (keepOrder)
        m_order.insert(m_order.begin() + static_cast<std::ptrdiff_t>(LowerBound(word)), index);
    else
        m_order.push_back(index);
    return static_cast<int>(index);
}

void CUsageModel::SortOrder()
{
    ++m_orderChanges;
    std::sort(m_order.begin(), m_order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return utf8case::CompareNoCase(TextOf(m_words[a]), TextOf(m_words[b])) < 0;
    });
}

void CUsageModel::MergePairs() const
{
    if (m_newPairs.empty())
        return;
    const auto less = [](const Pair& a, const Pair& b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    };
    std::sort(m_newPairs.begin(), m_newPairs.end(), less);
    std::vector<Pair> merged;
    merged.reserve(m_pairs.size() + m_newPairs.size());
    std::merge(m_pairs.begin(), m_pairs.end(), m_newPairs.begin(), m_newPairs.end(), std::back_inserter(merged), less);
    m_pairs.swap(merged);
    m_newPairs.clear();
}

const CUsageModel::Pair* CUsageModel::FindPair(std::uint32_t first, std::uint32_t second) const
{
    const std::size_t at = PairAt(first, second);
    if (at < m_pairs.size() && m_pairs[at].first == first && m_pairs[at].second == second)
        return &m_pairs[at];
    for (const Pair& pair : m_newPairs)
        if (pair.first == first && pair.second == second)
            return &pair;
    return nullptr;
}

std::size_t CUsageModel::PairAt(std::uint32_t first, std::uint32_t second) const
{
    const auto at =
        std::lower_bound(m_pairs.begin(), m_pairs.end(), std::make_pair(first, second),
                         [](const Pair& pair, const std::pair<std::uint32_t, std::uint32_t>& key) {
                             return pair.first != key.first ? pair.first < key.first : pair.second < key.second;
                         });
    return static_cast<std::size_t>(at - m_pairs.begin());
}

void CUsageModel::CountPair(std::uint32_t first, std::uint32_t second, std::uint32_t times)
{
    if (const Pair* pair = FindPair(first, second)) {
        const_cast<Pair*>(pair)->count += std::min(times, UINT32_MAX - pair->count);
    } else {
        m_newPairs.push_back(Pair{first, second, times});
        if (m_newPairs.size() >= kNewPairs)
            MergePairs();
    }
    m_words[first].followers += std::min(times, UINT32_MAX - m_words[first].followers);
}

int CUsageModel::CountWord(std::string_view word, int rank, bool known, std::uint32_t times)
{
    int index = IndexOf(word);
    if (index < 0) {
        index = AddWord(word, rank, known);
    } else {
        Record& record = m_words[static_cast<std::size_t>(index)];
        record.rank = static_cast<std::uint16_t>(std::clamp(rank, 0, 0xFFFF));
        record.known = known;
        // Once typed in small letters, a word is offered so (written in place when it is as long).
        if (!utf8case::HasCapital(word) && TextOf(record) != word) {
            if (word.size() != record.length) {
                record.textAt = static_cast<std::uint32_t>(m_pool.size());
                record.length = static_cast<std::uint8_t>(word.size());
                m_pool.append(word.size(), ' ');
            }
            m_pool.replace(record.textAt, record.length, word);
        }
    }
    Record& record = m_words[static_cast<std::size_t>(index)];
    record.count += std::min(times, UINT32_MAX - record.count);
    record.last = ++m_serial;
    m_typed += times;
    m_dirty = true;
    return index;
}

bool CUsageModel::Learn(std::string_view word, std::string_view previous, int rank, bool known)
{
    if (!IsWord(word))
        return false;
    const int index = CountWord(word, rank, known, 1);
    const int before = previous.empty() ? -1 : IndexOf(previous);
    const bool paired = before >= 0 && before != index;
    std::string pair[2];
    if (paired) {
        CountPair(static_cast<std::uint32_t>(before), static_cast<std::uint32_t>(index));
        if (m_onPairLearnt) {
            pair[0].assign(TextOf(m_words[static_cast<std::size_t>(before)]));
            pair[1].assign(TextOf(m_words[static_cast<std::size_t>(index)]));
        }
    }
    if (m_words.size() > m_limits.words || PairCountTotal() > m_limits.pairs)
        Prune();
    if (paired && m_onPairLearnt)
        m_onPairLearnt(pair[0], pair[1]);
    return true;
}

int CUsageModel::PlaceWord(std::string_view word, const RankOf& rankOf)
{
    const int index = IndexOf(word);
    if (index >= 0)
        return index;
    const int rank = rankOf ? rankOf(word) : -1;
    return AddWord(word, rank < 0 ? 0 : rank, rank >= 0);
}

void CUsageModel::RemovePair(std::uint32_t first, std::uint32_t second)
{
    MergePairs();
    const std::size_t at = PairAt(first, second);
    if (at >= m_pairs.size() || m_pairs[at].first != first || m_pairs[at].second != second)
        return;
    m_words[first].followers -= std::min(m_words[first].followers, m_pairs[at].count);
    m_pairs.erase(m_pairs.begin() + static_cast<std::ptrdiff_t>(at));
}

bool CUsageModel::SetPairCount(std::string_view previous, std::string_view word, std::uint32_t count,
                               const RankOf& rankOf)
{
    if (!IsStoredWord(previous) || !IsStoredWord(word))
        return false;
    if (count == 0) {
        const int first = IndexOf(previous), second = IndexOf(word);
        if (first < 0 || second < 0 || !FindPair(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(second)))
            return false;
        RemovePair(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(second));
        m_dirty = true;
        return true;
    }
    const auto first = static_cast<std::uint32_t>(PlaceWord(previous, rankOf));
    const auto second = static_cast<std::uint32_t>(PlaceWord(word, rankOf));
    if (first == second)
        return false;
    const Pair* pair = FindPair(first, second);
    if (pair && pair->count == count)
        return false;
    if (pair)
        RemovePair(first, second);
    CountPair(first, second, count);
    m_dirty = true;
    if (m_words.size() > m_limits.words || PairCountTotal() > m_limits.pairs)
        Prune();
    return true;
}

void CUsageModel::ForEachPair(const std::function<void(std::string_view, std::string_view, std::uint32_t)>& visit) const
{
    MergePairs();
    for (const Pair& pair : m_pairs)
        visit(TextOf(m_words[pair.first]), TextOf(m_words[pair.second]), pair.count);
}

bool CUsageModel::Teach(std::string_view word, int rank, bool known, std::uint32_t times)
{
    if (times == 0 || !IsWord(word))
        return false;
    CountWord(word, rank, known, times);
    if (m_words.size() > m_limits.words)
        Prune();
    return true;
}

bool CUsageModel::TeachPair(std::string_view previous, std::string_view word, std::uint32_t times)
{
    const int before = IndexOf(previous), index = IndexOf(word);
    if (times == 0 || before < 0 || index < 0 || before == index)
        return false;
    CountPair(static_cast<std::uint32_t>(before), static_cast<std::uint32_t>(index), times);
    m_dirty = true;
    if (PairCountTotal() > m_limits.pairs)
        Prune();
    return true;
}

double CUsageModel::WordWeight(const Record& record) const
{
    const double age = static_cast<double>(m_serial - record.last);
    return record.count * (1.0 + 1.0 / (1.0 + age / m_blend.recentWords));
}

double CUsageModel::ModelScore(int rank, std::string_view previous) const
{
    if (rank <= 0)
        return 0.0;
    const double model = std::pow(10.0, rank / 1000.0 - 9.0);
    double score = m_blend.modelWeight * model / (static_cast<double>(m_typed) + m_blend.modelWeight);
    const int before = IndexOfPrevious(previous);
    if (before >= 0)
        score *= m_blend.pairWeight / (m_words[before].followers + m_blend.pairWeight);
    return score;
}

int CUsageModel::IndexOfPrevious(std::string_view previous) const
{
    if (previous.empty())
        return -1;
    if (m_lastPreviousAt != m_orderChanges || previous != m_lastPrevious) {
        m_lastPrevious.assign(previous);
        m_lastPreviousIndex = IndexOf(previous);
        m_lastPreviousAt = m_orderChanges;
    }
    return m_lastPreviousIndex;
}

double CUsageModel::Score(const Word& word, std::string_view previous) const
{
    const bool placed = word.index >= 0 && static_cast<std::size_t>(word.index) < m_words.size() &&
                        TextOf(m_words[static_cast<std::size_t>(word.index)]).data() == word.text.data();
    const int index = placed ? word.index : IndexOf(word.text);
    const double model = word.rank > 0 ? std::pow(10.0, word.rank / 1000.0 - 9.0) : 0.0;
    const double own = index >= 0 ? WordWeight(m_words[index]) : 0.0;
    const double unigram = (own + m_blend.modelWeight * model) / (static_cast<double>(m_typed) + m_blend.modelWeight);
    const int before = IndexOfPrevious(previous);
    if (before < 0)
        return unigram;
    const Pair* found =
        index >= 0 ? FindPair(static_cast<std::uint32_t>(before), static_cast<std::uint32_t>(index)) : nullptr;
    const double pair = found ? found->count : 0.0;
    return (pair + m_blend.pairWeight * unigram) / (m_words[before].followers + m_blend.pairWeight);
}

void CUsageModel::ForEachWithPrefix(std::string_view prefix, const std::function<void(const Word&)>& visit) const
{
    for (std::size_t at = LowerBound(prefix); at < m_order.size(); ++at) {
        const Record& record = m_words[m_order[at]];
        if (!utf8case::StartsWithNoCase(TextOf(record), prefix))
            break;
        visit(ToWord(record));
    }
}

void CUsageModel::ForEachFollower(std::string_view previous,
                                  const std::function<void(const Word&, std::uint32_t)>& visit) const
{
    const int before = IndexOf(previous);
    if (before < 0)
        return;
    const auto first = static_cast<std::uint32_t>(before);
    for (std::size_t at = PairAt(first, 0); at < m_pairs.size() && m_pairs[at].first == first; ++at)
        visit(ToWord(m_words[m_pairs[at].second]), m_pairs[at].count);
    for (const Pair& pair : m_newPairs)
        if (pair.first == first)
            visit(ToWord(m_words[pair.second]), pair.count);
}

bool CUsageModel::Find(std::string_view word, Word& found) const
{
    const int index = IndexOf(word);
    if (index < 0)
        return false;
    found = ToWord(m_words[static_cast<std::size_t>(index)]);
    return true;
}

std::uint32_t CUsageModel::PairCount(std::string_view previous, std::string_view word) const
{
    const int first = IndexOf(previous), second = IndexOf(word);
    if (first < 0 || second < 0)
        return 0;
    const Pair* pair = FindPair(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(second));
    return pair ? pair->count : 0;
}

// Drops a quarter of the words (the least used, weighing recency) or of the pairs (the rarest),
// and the pairs of the words dropped.
bool CUsageModel::Forget(const std::vector<std::string>& words)
{
    MergePairs();
    std::vector<bool> forgotten(m_words.size(), false);
    bool any = false;
    for (const std::string& word : words) {
        const int index = IndexOf(word);
        if (index >= 0)
            any = forgotten[static_cast<std::size_t>(index)] = true;
    }
    if (!any)
        return false;
    std::vector<std::uint32_t> kept;
    for (std::uint32_t i = 0; i < m_words.size(); ++i)
        if (!forgotten[i])
            kept.push_back(i);
    KeepWords(std::move(kept));
    m_dirty = true;
    return true;
}

void CUsageModel::KeepWords(std::vector<std::uint32_t> kept)
{
    std::sort(kept.begin(), kept.end());
    std::vector<std::uint32_t> newIndex(m_words.size(), UINT32_MAX);
    std::string pool;
    std::vector<Record> words;
    for (std::uint32_t old : kept) {
        newIndex[old] = static_cast<std::uint32_t>(words.size());
        Record record = m_words[old];
        const std::string_view text = TextOf(record);
        record.textAt = static_cast<std::uint32_t>(pool.size());
        record.followers = 0;
        pool.append(text.data(), text.size());
        words.push_back(record);
    }
    std::vector<Pair> pairs;
    for (const Pair& pair : m_pairs) {
        if (newIndex[pair.first] != UINT32_MAX && newIndex[pair.second] != UINT32_MAX)
            pairs.push_back(Pair{newIndex[pair.first], newIndex[pair.second], pair.count});
    }
    m_pool.swap(pool);
    m_words.swap(words);
    m_pairs.swap(pairs);
    std::sort(m_pairs.begin(), m_pairs.end(), [](const Pair& a, const Pair& b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
    for (const Pair& pair : m_pairs)
        m_words[pair.first].followers += pair.count;
    m_order.clear();
    for (std::uint32_t i = 0; i < m_words.size(); ++i)
        m_order.push_back(i);
    SortOrder();
}

void CUsageModel::Prune()
{
    MergePairs();
    if (m_words.size() > m_limits.words) {
        std::vector<std::uint32_t> byUse(m_words.size());
        for (std::uint32_t i = 0; i < byUse.size(); ++i)
            byUse[i] = i;
        const std::size_t keep = m_limits.words - m_limits.words / 4;
        std::nth_element(
            byUse.begin(), byUse.begin() + static_cast<std::ptrdiff_t>(keep), byUse.end(),
            [this](std::uint32_t a, std::uint32_t b) { return WordWeight(m_words[a]) > WordWeight(m_words[b]); });
        byUse.resize(keep);
        KeepWords(std::move(byUse));
    }
    if (m_pairs.size() > m_limits.pairs) {
        const std::size_t keep = m_limits.pairs - m_limits.pairs / 4;
        std::vector<Pair> pairs(m_pairs);
        std::nth_element(pairs.begin(), pairs.begin() + static_cast<std::ptrdiff_t>(keep), pairs.end(),
                         [](const Pair& a, const Pair& b) { return a.count > b.count; });
        pairs.resize(keep);
        std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
            return a.first != b.first ? a.first < b.first : a.second < b.second;
        });
        m_pairs.swap(pairs);
        for (Record& record : m_words)
            record.followers = 0;
        for (const Pair& pair : m_pairs)
            m_words[pair.first].followers += pair.count;
    }
}

std::size_t CUsageModel::MemoryBytes() const
{
    return m_pool.capacity() + m_words.capacity() * sizeof(Record) + m_order.capacity() * sizeof(std::uint32_t) +
           (m_pairs.capacity() + m_newPairs.capacity()) * sizeof(Pair);
}

// ---------------------------------------------------------------------------------------------
// The file

std::string CUsageModel::Serialize() const
{
    MergePairs();
    std::string text = kHeader;
    char line[96];
    std::snprintf(line, sizeof line, "typed %llu serial %lu\n", static_cast<unsigned long long>(m_typed),
                  static_cast<unsigned long>(m_serial));
    text += line;
    for (const Record& record : m_words) {
        std::snprintf(line, sizeof line, "w %lu %lu %u %u ", static_cast<unsigned long>(record.count),
                      static_cast<unsigned long>(record.last), static_cast<unsigned>(record.rank),
                      record.known ? 1u : 0u);
        text += line;
        text += TextOf(record);
        text += '\n';
    }
    for (const Pair& pair : m_pairs) {
        std::snprintf(line, sizeof line, "p %lu %lu %lu\n", static_cast<unsigned long>(pair.first),
                      static_cast<unsigned long>(pair.second), static_cast<unsigned long>(pair.count));
        text += line;
    }
    std::snprintf(line, sizeof line, "end %zu %zu %08lx\n", m_words.size(), m_pairs.size(),
                  static_cast<unsigned long>(Fnv(text)));
    return text + line;
}

bool CUsageModel::Parse(std::string_view text)
{
    const std::size_t endAt = text.rfind("end ");
    const bool ansi = text.substr(0, kHeaderLength) == kAnsiHeader;
    if ((!ansi && text.substr(0, kHeaderLength) != kHeader) || endAt == std::string_view::npos || text.back() != '\n')
        return false;
    const CCodePage& codePage = m_legacyCodePage ? *m_legacyCodePage : SystemCodePage();
    std::string_view tail = text.substr(endAt + 4);
    unsigned long long words = 0, pairs = 0;
    if (!NextNumber(tail, words) || !NextNumber(tail, pairs) || tail.size() != 10 ||
        std::strtoul(std::string(tail.substr(1, 8)).c_str(), nullptr, 16) != Fnv(text.substr(0, endAt)))
        return false;

    CUsageModel parsed(m_limits);
    std::string_view body = text.substr(kHeaderLength, endAt - kHeaderLength);
    unsigned long long typed = 0, serial = 0;
    std::string_view first = body.substr(0, body.find('\n') + 1);
    if (first.substr(0, 6) != "typed " || (first.remove_prefix(6), !NextNumber(first, typed)) ||
        first.substr(0, 8) != " serial " || (first.remove_prefix(8), !NextNumber(first, serial)))
        return false;
    body.remove_prefix(body.find('\n') + 1);
    parsed.m_words.reserve(words);
    parsed.m_pairs.reserve(pairs);
    while (!body.empty()) {
        const std::size_t cut = body.find('\n');
        std::string_view line = body.substr(0, cut);
        body.remove_prefix(cut + 1);
        unsigned long long a = 0, b = 0, c = 0, d = 0;
        if (line.substr(0, 2) == "w ") {
            line.remove_prefix(2);
            if (!NextNumber(line, a) || !NextNumber(line, b) || !NextNumber(line, c) || !NextNumber(line, d) ||
                line.size() < 2 || line[0] != ' ' || c > 0xFFFF)
                return false;
            const std::string word =
                ansi ? AutoLearnTextFromCodePage(line.substr(1), codePage) : std::string(line.substr(1));
            if (!IsStoredWord(word))
                return false;
            const int index = parsed.AddWord(word, static_cast<int>(c), d != 0, false);
            parsed.m_words[index].count = static_cast<std::uint32_t>(std::min<unsigned long long>(a, UINT32_MAX));
            parsed.m_words[index].last = static_cast<std::uint32_t>(std::min<unsigned long long>(b, serial));
        } else if (line.substr(0, 2) == "p ") {
            line.remove_prefix(2);
            if (!NextNumber(line, a) || !NextNumber(line, b) || !NextNumber(line, c) || !line.empty() ||
                a >= parsed.m_words.size() || b >= parsed.m_words.size() ||
                (!parsed.m_pairs.empty() &&
                 std::make_pair(parsed.m_pairs.back().first, parsed.m_pairs.back().second) >=
                     std::make_pair(static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b))))
                return false;
            parsed.m_pairs.push_back(Pair{static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b),
                                          static_cast<std::uint32_t>(std::min<unsigned long long>(c, UINT32_MAX))});
            parsed.m_words[a].followers += parsed.m_pairs.back().count;
        } else {
            return false;
        }
    }
    if (parsed.m_words.size() != words || parsed.m_pairs.size() != pairs)
        return false;
    parsed.SortOrder();
    for (std::size_t i = 1; i < parsed.m_order.size(); ++i) {
        if (utf8case::CompareNoCase(parsed.TextOf(parsed.m_words[parsed.m_order[i - 1]]),
                                    parsed.TextOf(parsed.m_words[parsed.m_order[i]])) >= 0)
            return false;  // a word twice
    }
    m_pool.swap(parsed.m_pool);
    m_words.swap(parsed.m_words);
    m_order.swap(parsed.m_order);
    m_pairs.swap(parsed.m_pairs);
    ++m_orderChanges;
    m_pool.shrink_to_fit();
    m_order.shrink_to_fit();
    m_typed = typed;
    m_serial = static_cast<std::uint32_t>(std::min<unsigned long long>(serial, UINT32_MAX));
    m_parsedAnsi = ansi;
    return true;
}

bool CUsageModel::Load(const std::string& path)
{
    m_path = path;
    m_dirty = false;
    Reset();
    std::string bytes;
    if (!pvbase::ReadWholeFile(path, bytes))
        return true;  // none yet
    if (bytes.empty())
        return true;
    if (Parse(bytes)) {
        if (m_parsedAnsi) {
            m_dirty = true;
            Save();  // converted once: from now on the file is UTF-8
        }
        return true;
    }
    Reset();
    m_dirty = true;  // the damaged file is replaced at the next save
    return false;
}

bool CUsageModel::Save()
{
    if (!m_dirty)
        return true;
    if (m_path.empty() || !pvbase::WriteFileAtomically(m_path, Serialize()))
        return false;
    m_dirty = false;
    return true;
}

bool CUsageModel::Clear()
{
    Reset();
    m_dirty = false;
    return m_path.empty() || pvbase::RemoveFileIfExists(m_path);
}
