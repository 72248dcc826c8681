#include "dict/TaughtWords.h"

#include <algorithm>

#include <utf8proc.h>

#include "dict/UsageModel.h"
#include "dict/Utf8Case.h"

namespace {

using utf8case::WordPart;

// Combining marks count with the letters they are typed with.
WordPart PartOf(utf8proc_int32_t cp)
{
    const WordPart part = utf8case::WordPartOf(cp);
    return part == WordPart::Mark ? WordPart::Letter : part;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Calls visit(word, joinedToChunkEdges) for each word of a chunk; a word is a run of letters and
// digits, apostrophes and hyphens inside it.
template <class Visit>
void ForEachWord(std::string_view chunk, Visit visit)
{
    const auto* s = reinterpret_cast<const utf8proc_uint8_t*>(chunk.data());
    std::size_t start = std::string_view::npos, end = 0;
    auto finish = [&](std::size_t at) {
        if (start != std::string_view::npos)
            visit(chunk.substr(start, end - start), start == 0, end == at && at == chunk.size());
        start = std::string_view::npos;
    };
    for (std::size_t pos = 0; pos < chunk.size();) {
        utf8proc_int32_t cp = -1;
        utf8proc_ssize_t length = utf8proc_iterate(s + pos, static_cast<utf8proc_ssize_t>(chunk.size() - pos), &cp);
        if (length <= 0) {
            length = 1;
            cp = -1;
        }
        const WordPart kind = PartOf(cp);
        const std::size_t next = pos + static_cast<std::size_t>(length);
        if (kind == WordPart::Letter || kind == WordPart::Digit) {
            if (start == std::string_view::npos)
                start = pos;
            end = next;
        } else if (kind != WordPart::Joiner || start == std::string_view::npos || end != pos) {
            finish(pos);
        }
        pos = next;
    }
    finish(chunk.size());
}

}  // namespace

bool CTaughtWords::LooksSecret(std::string_view chunk)
{
    std::size_t letters = 0, digits = 0, run = 0;
    bool secret = false;
    const auto* s = reinterpret_cast<const utf8proc_uint8_t*>(chunk.data());
    for (std::size_t pos = 0; pos < chunk.size() && !secret;) {
        utf8proc_int32_t cp = -1;
        utf8proc_ssize_t length = utf8proc_iterate(s + pos, static_cast<utf8proc_ssize_t>(chunk.size() - pos), &cp);
        pos += length <= 0 ? 1 : static_cast<std::size_t>(length);
        const WordPart kind = length <= 0 ? WordPart::Other : PartOf(cp);
        if (kind == WordPart::Letter || kind == WordPart::Digit) {
            ++run;
            (kind == WordPart::Letter ? letters : digits) += 1;
            secret = run >= 8 && letters >= 2 && digits >= 2;
        } else if (kind != WordPart::Joiner && cp != '_' && cp != '+' && cp != '/' && cp != '=') {
            // Key alphabets (base64, underscores) hold a secret together; other marks end the run.
            run = letters = digits = 0;
        }
    }
    return secret;
}

void CTaughtWords::Add(std::string_view text)
{
    while (!text.empty()) {
        std::size_t blank = 0;
        while (blank < text.size() && !IsBlank(text[blank]))
            ++blank;
        m_carry.append(text.substr(0, blank));
        if (blank == text.size())
            return;  // the chunk may go on in the next piece
        if (!m_carry.empty()) {
            Chunk(m_carry, m_newlines >= 2);
            m_carry.clear();
            m_newlines = 0;
        }
        std::size_t next = blank;
        for (; next < text.size() && IsBlank(text[next]); ++next)
            m_newlines += text[next] == '\n' ? 1 : 0;
        text.remove_prefix(next);
    }
}

void CTaughtWords::EndDocument()
{
    if (!m_carry.empty())
        Chunk(m_carry, m_newlines >= 2);
    m_carry.clear();
    m_newlines = 0;
    m_previous = -1;
}

void CTaughtWords::Chunk(std::string_view chunk, bool blankLineBefore)
{
    if (blankLineBefore)
        m_previous = -1;
    if (chunk.find('@') != std::string_view::npos || chunk.find("://") != std::string_view::npos ||
        chunk.substr(0, 4) == "www.") {
        m_previous = -1;
        return;
    }
    if (LooksSecret(chunk)) {
        ++m_secrets;
        m_previous = -1;
        return;
    }
    bool endsChunk = false;
    ForEachWord(chunk, [&](std::string_view word, bool atStart, bool atEnd) {
        Count(word, atStart);
        endsChunk = atEnd;
    });
    // A mark after the last word ("word," "word.") ends what the next chunk could follow.
    if (!endsChunk)
        m_previous = -1;
}

void CTaughtWords::Count(std::string_view word, bool pairsWithPrevious)
{
    if (!CUsageModel::IsWord(word)) {
        m_previous = -1;
        return;
    }
    // The typographic apostrophe as the keyboard types it.
    std::string text(word);
    for (std::size_t at; (at = text.find("\xE2\x80\x99")) != std::string::npos;)
        text.replace(at, 3, "'");
    auto found = m_index.find(text);
    if (found == m_index.end()) {
        if (m_words.size() >= m_limits.words) {
            m_previous = -1;
            return;
        }
        found = m_index.emplace(text, static_cast<std::uint32_t>(m_words.size())).first;
        m_words.push_back(Word{std::move(text), 0});
    }
    const std::uint32_t index = found->second;
    if (m_words[index].count < UINT32_MAX)
        ++m_words[index].count;
    if (pairsWithPrevious && m_previous >= 0) {
        const std::uint64_t key = (static_cast<std::uint64_t>(m_previous) << 32) | index;
        auto pair = m_pairs.find(key);
        if (pair != m_pairs.end())
            pair->second += pair->second < UINT32_MAX ? 1 : 0;
        else if (m_pairs.size() < m_limits.pairs)
            m_pairs.emplace(key, 1);
    }
    m_previous = index;
}

std::vector<CTaughtWords::Pair> CTaughtWords::Pairs() const
{
    std::vector<Pair> pairs;
    pairs.reserve(m_pairs.size());
    for (const auto& [key, count] : m_pairs)
        pairs.push_back(Pair{static_cast<std::uint32_t>(key >> 32), static_cast<std::uint32_t>(key), count});
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
        return a.count != b.count         ? a.count < b.count
               : a.previous != b.previous ? a.previous < b.previous
                                          : a.word < b.word;
    });
    return pairs;
}

std::pair<std::string, int> CTaughtWords::Settled(const std::string& text, const RankOf& rankOf) const
{
    const int rank = rankOf(text);
    if (rank >= 0 || utf8case::LeadingCapitals(text) != 1)
        return {text, rank};
    std::string lower = text;
    utf8case::Lower(lower);
    const int lowerRank = rankOf(lower);
    return lowerRank >= 0 ? std::make_pair(std::move(lower), lowerRank) : std::make_pair(text, rank);
}

void CTaughtWords::TeachUsage(CUsageModel& usage, const RankOf& rankOf, std::size_t most) const
{
    // Rarest first: when the store overflows, its pruning keeps the later, more frequent ones.
    std::vector<std::uint32_t> order(m_words.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return m_words[a].count < m_words[b].count; });
    if (order.size() > most)
        order.erase(order.begin(), order.end() - static_cast<std::ptrdiff_t>(most));
    std::vector<std::string> settled(m_words.size());
    for (const std::uint32_t i : order) {
        auto [text, rank] = Settled(m_words[i].text, rankOf);
        usage.Teach(text, rank < 0 ? 0 : rank, rank >= 0, m_words[i].count);
        settled[i] = std::move(text);
    }
    for (const Pair& pair : Pairs()) {
        if (!settled[pair.previous].empty() && !settled[pair.word].empty())
            usage.TeachPair(settled[pair.previous], settled[pair.word], pair.count);
    }
}

std::vector<AutoLearnRecord> CTaughtWords::UnknownWords(const RankOf& rankOf, unsigned minLength,
                                                        std::uint32_t minCount, std::size_t most) const
{
    std::unordered_map<std::string, std::uint32_t> unknown;
    for (const Word& word : m_words) {
        auto [text, rank] = Settled(word.text, rankOf);
        if (rank < 0 && Utf8CharacterCount(text) >= minLength)
            unknown[AutoLearnStoredText(text)] += word.count;
    }
    std::vector<AutoLearnRecord> records;
    for (auto& [text, count] : unknown) {
        if (count >= minCount)
            records.push_back(
                AutoLearnRecord{static_cast<std::int32_t>(std::min<std::uint32_t>(count, INT32_MAX)), text});
    }
    std::sort(records.begin(), records.end(), [](const AutoLearnRecord& a, const AutoLearnRecord& b) {
        return a.count != b.count ? a.count > b.count : a.text < b.text;
    });
    if (records.size() > most)
        records.resize(most);
    return records;
}
