#include "app/engine/CandidatePager.h"

#include <algorithm>

#include "dict/CodePage.h"

namespace {

// Phrases of the last words share the first page with the words of the last one: at most two,
// from the fourth row on, so a phrase never hides every word (phrases have no ranks to compare).
constexpr std::size_t kPhraseRow = 3;

void TrimTrailingLineBreaks(std::string& text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
}

bool IsPathKind(int kind)
{
    return kind == KIND_FILE || kind == KIND_FOLDER;
}

}  // namespace

CCandidatePager::CCandidatePager(IPromptView& view, ICandidateStream& stream, const CCodePage& codePage,
                                 SelectionListener onSelect)
    : m_view(view), m_stream(stream), m_codePage(codePage), m_onSelect(std::move(onSelect))
{
}

void CCandidatePager::Configure(int pageSize, bool ranked)
{
    m_pageSize = pageSize;
    m_ranked = ranked;
}

void CCandidatePager::Clear()
{
    m_candidates.clear();
    m_candidateKeys.clear();
    m_rows.clear();
    m_selectedRow = -1;
    m_view.ClearRows();
    m_streamLive = false;
    m_pathSorted = false;
    m_raised.clear();
    m_raisedNext = 0;
    m_placedPhrases.clear();
    m_placedNext = 0;
    m_streamPeeked = false;
    m_offeredKeys.clear();
    m_onSelect(-1);
}

bool CCandidatePager::OpenStream(const CandidateQuery& query)
{
    m_stream.Open(query, m_ranked);
    m_streamLive = true;
    m_streamPeeked = false;
    return PeekStream();
}

bool CCandidatePager::TakeStreamHead(ScoredCandidate& head)
{
    if (!PeekStream())
        return false;
    m_streamPeeked = false;
    head = std::move(m_streamPeek);
    return true;
}

void CCandidatePager::PlacePhrases(std::vector<ScoredCandidate> phrases)
{
    m_placedPhrases = std::move(phrases);
    m_placedNext = 0;
}

void CCandidatePager::Raise(std::vector<ScoredCandidate> raised)
{
    for (ScoredCandidate& item : raised)
        m_raised.push_back(std::move(item));
}

bool CCandidatePager::HasRankedCandidates() const
{
    return m_streamLive || !m_raised.empty() || !m_placedPhrases.empty();
}

const std::string* CCandidatePager::ReplacedBy(int candidate) const
{
    return candidate >= 0 && static_cast<std::size_t>(candidate) < m_candidateKeys.size() ? &m_candidateKeys[candidate]
                                                                                          : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Filling the list

void CCandidatePager::AddOrJoin(DictionaryMatch&& match)
{
    for (DictionaryMatch& existing : m_candidates) {
        if (existing.type != match.type || existing.key != match.key)
            continue;
        // The same key from another dictionary: one row showing the texts of both.
        if (!match.data.empty()) {
            if (existing.data.empty()) {
                existing.data = std::move(match.data);
            } else {
                TrimTrailingLineBreaks(existing.data);
                existing.data += "\r\n\r\n";
                existing.data += match.data;
            }
        }
        return;
    }
    m_candidates.push_back(std::move(match));
}

void CCandidatePager::FillClassic(std::size_t wanted)
{
    while (m_candidates.size() < wanted && PeekStream()) {
        m_streamPeeked = false;
        AddOrJoin(std::move(m_streamPeek.match));
    }
}

// Each key is offered once per list, whatever its letter case or source.
bool CCandidatePager::IsOfferedOnce(const std::string& key)
{
    std::string lowered = m_codePage.Lowered(key);
    if (std::find(m_offeredKeys.begin(), m_offeredKeys.end(), lowered) != m_offeredKeys.end())
        return false;
    m_offeredKeys.push_back(std::move(lowered));
    return true;
}

// The stream's next candidate, unless it ended.
bool CCandidatePager::PeekStream()
{
    if (m_streamPeeked)
        return true;
    if (!m_streamLive)
        return false;
    m_streamLive = m_stream.Next(m_streamPeek);
    m_streamPeeked = m_streamLive;
    return m_streamLive;
}

void CCandidatePager::FillRanked(std::size_t wanted)
{
    while (m_candidates.size() < wanted) {
        const bool stream = PeekStream();
        const bool raised = m_raisedNext < m_raised.size();
        const bool phrase = m_placedNext < m_placedPhrases.size();
        if (!stream && !raised && !phrase)
            break;
        DictionaryMatch next;
        std::string replaces;
        if (phrase && (m_candidates.size() >= kPhraseRow || (!stream && !raised))) {
            replaces = std::move(m_placedPhrases[m_placedNext].replaces);
            next = std::move(m_placedPhrases[m_placedNext++].match);
        } else if (raised && (!stream || m_raised[m_raisedNext].score >= m_streamPeek.score)) {
            replaces = std::move(m_raised[m_raisedNext].replaces);
            next = std::move(m_raised[m_raisedNext++].match);
        } else {
            next = std::move(m_streamPeek.match);
            m_streamPeeked = false;
        }
        if (replaces.empty())
            replaces = m_wordKey;
        // What was typed already is no help as a candidate (a shorthand is: it expands).
        if (next.type != KIND_SHORTHAND && m_codePage.Lowered(next.key) == m_codePage.Lowered(replaces))
            continue;
        // A shorthand may have several expansions, each offered, but each once: the exact
        // shorthands and the dictionaries' stream both find the one typed.
        const bool once = next.type == KIND_SHORTHAND
                              ? IsOfferedOnce(std::string(1, '\0') + next.key + '\0' + next.data)
                              : IsOfferedOnce(next.key);
        if (once) {
            m_candidates.push_back(std::move(next));
            m_candidateKeys.push_back(std::move(replaces));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Pages

bool CCandidatePager::NextPage(int count)
{
    const int shown = static_cast<int>(m_rows.size());
    if (shown > 0 && shown < m_pageSize)
        return false;  // the short last page
    const std::size_t wanted = static_cast<std::size_t>(m_pageStart) + shown + std::max(count, 0);
    if (m_ranked)
        FillRanked(wanted);
    else
        FillClassic(wanted);
    if (m_candidates.size() > static_cast<std::size_t>(m_pageStart) + shown) {
        m_pageStart += shown;
        return ShowPage(m_pageStart, m_pageSize);
    }
    return false;
}

bool CCandidatePager::PreviousPage()
{
    if (m_pageStart < 1)
        return false;
    m_pageStart = std::max(0, m_pageStart - m_pageSize);
    return ShowPage(m_pageStart, m_pageSize);
}

void CCandidatePager::SortPathCandidates()
{
    if (m_pathSorted)
        return;
    // Folders first, then files, by name without regard to case; of equal names the one
    // listed later comes first.
    std::reverse(m_candidates.begin(), m_candidates.end());
    std::stable_sort(m_candidates.begin(), m_candidates.end(),
                     [this](const DictionaryMatch& a, const DictionaryMatch& b) {
                         const bool aFolder = a.type == KIND_FOLDER;
                         const bool bFolder = b.type == KIND_FOLDER;
                         if (aFolder != bFolder)
                             return aFolder;
                         return m_codePage.CompareNoCase(a.key, b.key) < 0;
                     });
    m_pathSorted = true;
}

bool CCandidatePager::ShowPage(int first, int count)
{
    const int total = static_cast<int>(m_candidates.size());
    if (first < 0 || first >= total)
        return false;
    const bool pathPage = IsPathKind(m_candidates[first].type);
    if (pathPage) {
        SortPathCandidates();
        first = 0;
        count = total;
    }

    m_rows.clear();
    m_selectedRow = -1;
    std::vector<PromptRow> rows;
    for (int i = first; i < first + count && i < total; ++i) {
        m_rows.push_back(i);
        rows.push_back(PromptRow{m_candidates[i].key, m_candidates[i].type - 1});
    }
    const int inserted = m_view.ShowRows(rows, pathPage);
    if (inserted < static_cast<int>(m_rows.size()))
        m_rows.resize(std::max(inserted, 0));
    if (m_rows.empty()) {
        m_onSelect(-1);
        return false;
    }
    m_selectedRow = 0;
    m_onSelect(m_rows[0]);
    return true;
}

void CCandidatePager::SelectRow(int row)
{
    m_selectedRow = row;
    m_view.SelectRow(row);
    m_onSelect(m_rows[row]);
}

void CCandidatePager::OnRowSelected(int row)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()) || row == m_selectedRow)
        return;
    m_selectedRow = row;
    m_onSelect(m_rows[row]);
}

CCandidatePager::Selection CCandidatePager::MoveSelection(int code)
{
    if (m_rows.empty())
        return Selection::NONE;
    if (m_selectedRow < 0) {
        SelectRow(0);
        return Selection::BEGUN;
    }
    const int n = static_cast<int>(m_rows.size());
    int cur = m_selectedRow;
    Selection result = Selection::MOVED;
    if (code == kSelectPrevious) {
        --cur;
    } else if (code == kSelectNext) {
        ++cur;
    } else if (code >= 0 && code <= 9) {
        // No such row on this page: the selection moves on as past the last row.
        cur = code;
        if (code >= n)
            result = Selection::NO_SUCH_ROW;
    } else if (code != kSelectPreviousPage && code != kSelectNextPage && code != kSelectCurrent) {
        return Selection::NONE;
    }

    if (cur >= n || code == kSelectNextPage) {
        cur = NextPage(m_pageSize) ? 0 : static_cast<int>(m_rows.size()) - 1;
    } else if (cur < 0 || code == kSelectPreviousPage) {
        cur = PreviousPage() ? static_cast<int>(m_rows.size()) - 1 : 0;
    }
    if (cur < 0 || cur >= static_cast<int>(m_rows.size()))
        return result == Selection::NO_SUCH_ROW ? result : Selection::NONE;
    SelectRow(cur);
    return result;
}
