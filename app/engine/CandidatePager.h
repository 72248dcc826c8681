// The candidates of one search in one list, paged onto the prompt. Classic, the list is what the
// search added followed by the stream's matches (the dictionaries') as pages ask for them; ranked,
// it merges one page ahead the candidates the sources raised, the ranked stream and the phrases of
// the longer tails (two at most, from the fourth row on), each key offered once. It tells the
// engine which candidate is selected; the engine makes it the pending completion.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/engine/CandidateSources.h"
#include "app/engine/EngineServices.h"
#include "dict/UsageModel.h"

class CCodePage;

class CCandidatePager {
public:
    // What a selection key did.
    enum class Selection {
        NONE,         // no rows, or a code of no move
        BEGUN,        // the first row became selected: nothing was chosen yet
        NO_SUCH_ROW,  // an index beyond the page: the selection moved on as past the last row
        MOVED,        // a row is selected that may be completed
    };
    // Called with the candidate index that became selected, -1 when none is.
    using SelectionListener = std::function<void(int candidate)>;

    CCandidatePager(IPromptView& view, ICandidateStream& stream, const CCodePage& codePage, SelectionListener onSelect);

    void Configure(int pageSize, bool ranked);
    int PageSize() const { return m_pageSize; }

    // Empties the list and the prompt's rows: no candidate is selected.
    void Clear();
    // A new list: its first page comes next.
    void Begin() { m_pageStart = 0; }
    // Ranked: the word being typed that the list is for (empty: phrases or next words alone).
    void SetWordKey(const std::string& wordKey) { m_wordKey = wordKey; }
    void Add(DictionaryMatch match) { m_candidates.push_back(std::move(match)); }
    // The stream's matches of the query go on filling the list as pages ask for them (ranked:
    // merged by their score). Whether it has any.
    bool OpenStream(const CandidateQuery& query);
    // Ranked: takes the stream's next match out (to be raised with the sources' candidates).
    bool TakeStreamHead(ScoredCandidate& head);
    void PlacePhrases(std::vector<ScoredCandidate> phrases);
    // The sources' candidates, best first.
    void Raise(std::vector<ScoredCandidate> raised);
    bool HasRankedCandidates() const;

    // Whether a page was shown.
    bool NextPage(int count);
    bool PreviousPage();
    bool ShowPage(int first, int count);
    // Codes 0 ... 9 select that row, the kSelect* codes move (EngineTypes.h).
    Selection MoveSelection(int code);
    void SelectRow(int row);
    // The list's own selection (a click): no change of the view.
    void OnRowSelected(int row);
    // The user moved the selection (arrows, page keys) since the list was made.
    bool SelectionMoved() const { return m_selectionMoved; }
    void SetSelectionMoved(bool moved) { m_selectionMoved = moved; }

    const std::vector<DictionaryMatch>& Candidates() const { return m_candidates; }
    // Ranked: the typed text a candidate replaces; null when the list does not say.
    const std::string* ReplacedBy(int candidate) const;
    const std::vector<int>& Rows() const { return m_rows; }
    int SelectedRow() const { return m_selectedRow; }
    int PageStart() const { return m_pageStart; }

private:
    void FillRanked(std::size_t wanted);
    void FillClassic(std::size_t wanted);
    bool PeekStream();
    bool IsOfferedOnce(const std::string& key);
    void AddOrJoin(DictionaryMatch&& match);
    void SortPathCandidates();

    IPromptView& m_view;
    ICandidateStream& m_stream;
    const CCodePage& m_codePage;
    SelectionListener m_onSelect;
    int m_pageSize = 1;
    bool m_ranked = false;

    std::vector<DictionaryMatch> m_candidates;
    std::vector<std::string> m_candidateKeys;  // ranked: what each candidate replaces
    std::vector<int> m_rows;                   // candidate index of each row of the page shown
    int m_selectedRow = -1;
    int m_pageStart = 0;
    bool m_selectionMoved = false;
    // The stream belongs to the list and may still yield matches.
    bool m_streamLive = false;
    bool m_pathSorted = false;
    std::string m_wordKey;  // the word being typed that the list is for
    std::vector<ScoredCandidate> m_raised;
    std::size_t m_raisedNext = 0;
    bool m_streamPeeked = false;
    ScoredCandidate m_streamPeek;
    std::vector<ScoredCandidate> m_placedPhrases;
    std::size_t m_placedNext = 0;
    std::vector<std::string> m_offeredKeys;  // lower-cased keys offered in this list
};
