// The completion engine: for each key reported by the hook it decides, through its pieces, whether
// the key passes (the key gate), what the target control now holds (the typed text), which
// candidates fit the last words (the search over the candidate sources), which of them the prompt
// shows (the pager), and types the chosen one (the writer). It has no window of its own: the
// engine thread's host hands it the hook's keys, the prompt's notifications and its timers.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/engine/EngineKeyGate.h"
#include "app/engine/EngineServices.h"
#include "app/engine/EngineTypes.h"
#include "app/engine/KeyGateRules.h"
#include "app/engine/CandidatePager.h"
#include "app/engine/CandidateSearch.h"
#include "app/engine/CandidateSources.h"
#include "app/engine/CompletionWriter.h"
#include "app/engine/KeyReport.h"
#include "app/engine/TypedText.h"
#include "app/engine/WindowTextMemory.h"
#include "dict/UsageModel.h"

class CCompletionEngine {
public:
    // AutoLearn items taken for one classic search.
    static constexpr std::size_t kMaxLearntCandidates = CCandidateSearch::kMaxLearntCandidates;
    static constexpr unsigned kAcceptInputDelayMs = 100;
    static constexpr unsigned kEscapeKey = 0x1B;
    static constexpr unsigned kBackspaceKey = 0x08;
    static constexpr unsigned kReturnKey = 0x0D;

    // MoveSelection codes besides the row numbers 0 ... 9 (EngineTypes.h).
    static constexpr int kSelectPrevious = ::kSelectPrevious;
    static constexpr int kSelectNext = ::kSelectNext;
    static constexpr int kSelectPreviousPage = ::kSelectPreviousPage;
    static constexpr int kSelectNextPage = ::kSelectNextPage;
    static constexpr int kSelectCurrent = ::kSelectCurrent;

    explicit CCompletionEngine(const EngineServices& services);
    CCompletionEngine(const CCompletionEngine&) = delete;
    CCompletionEngine& operator=(const CCompletionEngine&) = delete;

    void ApplySettings(const EngineSettings& settings);
    const EngineSettings& Settings() const { return m_settings; }
    // The dictionary match mode the settings give: start of key, words and phrases as enabled.
    int MatchMode() const { return m_search.MatchMode(); }
    int PageSize() const { return m_pager.PageSize(); }

    // WM_HOOK_KEY: whether the key reaches the target. The same answer goes to
    // IEngineScheduler::AnswerKey once, as soon as it is known and before the key's other effects.
    KeyAnswer OnHookKey(const KeyReport& key);
    // A key that reached the target already, answered by the rules the engine published
    // (GateRules): it only joins the typed text.
    void OnPassedKey(const KeyReport& key);
    // A key that was swallowed for the engine, which did not answer in time
    // (KeyGateRules::AnswerWithoutEngine): it goes the way the engine would have sent it, and is
    // typed again if that way was to pass.
    void OnSwallowedKey(const KeyReport& key);
    // Types a swallowed key as it was, the engine aside (switched off).
    void TypeAgain(const KeyReport& key);
    // What lets a key be answered without the engine; keysDecided is left to the caller.
    KeyGateRules GateRules() const;

    // WM_PROMPT_SEARCH: runs the searches queued since the last one; whether a prompt is shown. Several queued by a
    // burst of keys are done at once (the later messages find nothing left to do), but a word ended within the burst is
    // still searched, so it is learnt.
    bool SearchTyped();
    bool HasQueuedSearches() const { return m_queuedSearches > 0; }
    // Something the last search could not see yet has arrived (a folder listing): search again.
    bool SearchAgain()
    {
        ++m_queuedSearches;
        return SearchTyped();
    }

    // What typing taught (ranked mode): the owner loads and saves it.
    CUsageModel& Usage() { return m_usage; }
    const CUsageModel& Usage() const { return m_usage; }
    // The language the text is estimated to be in (ranked mode, several languages on; 0: none yet).
    int LikeliestLanguage() const { return m_search.LikeliestLanguage(); }

    // Whether a page of candidates is shown.
    bool FindCandidates(const std::string& key) { return m_search.FindCandidates(key); }
    // Codes 0 ... 9 select that row, the kSelect* codes move. Whether the selected row may be
    // completed (false for a row beyond the page, a code of no row, an empty prompt, and a
    // selection that only began).
    bool MoveSelection(int code);
    void SetPending(int candidateIndex);
    // Types a text other than a candidate's.
    void SetPendingText(const std::string& text, CompletionMode mode);
    // The marker did not come in time (the target went away, another program's shortcut): the
    // keys held back go out now.
    void OnOwnInputTimer();
    // Types the selected candidate now; whether text was typed.
    bool CompleteSelection();
    // WM_PROMPT_COMPLETE: the completion a key asked for, unless a later key ran it already;
    // whether text was typed.
    bool RunQueuedCompletion();
    void ClearCandidates();

    // The caret tracker's focus notifications, always Save then Restore.
    void SaveWindowText(WindowHandle window);
    void RestoreWindowText(WindowHandle window);
    // The accept-input timer ran out after a completion: focus changes replace the typed text again.
    void OnAcceptInputTimer() { m_acceptInput = true; }

    // The list's own notifications: a row became selected (LVN_ITEMCHANGED) or was
    // double-clicked (NM_DBLCLK; posts WM_PROMPT_COMPLETE when it may be completed).
    void OnRowSelected(int row);
    void OnRowDoubleClicked(int row);

    const std::string& TypedText() const { return m_typed.Text(); }
    const std::string& SearchKey() const { return m_search.Key(); }
    const std::string& PendingText() const { return m_writer.PendingText(); }
    CompletionMode PendingMode() const { return m_writer.PendingMode(); }
    const std::vector<DictionaryMatch>& Candidates() const { return m_pager.Candidates(); }
    // Candidate index of each row of the page shown.
    const std::vector<int>& Rows() const { return m_pager.Rows(); }
    int SelectedRow() const { return m_pager.SelectedRow(); }
    int PageStart() const { return m_pager.PageStart(); }
    int LearntHits() const { return m_search.LearntHits(); }
    bool AcceptsInput() const { return m_acceptInput; }
    const CWindowTextMemory& WindowTexts() const { return m_windowTexts; }

private:
    using PromptKey = CEngineKeyGate::PromptKey;
    using DeferredEvent = CEngineKeyGate::DeferredEvent;
    bool IsPromptKey(unsigned vk) const { return m_gate.IsPromptKey(vk); }
    // The focused control takes completions and the rules let the engine work there.
    bool WorksInFocusWindow();
    // Whether anything could swallow the key (the prompt, or a mark after a completion's blank);
    // every other key can only pass.
    bool MayTake(const KeyReport& key) const;
    void ActOnPrompt(const KeyReport& key);
    void ForgetTypedText();
    void QueueSearch();
    // Whether a prompt is shown.
    bool SearchText(const std::string& text);
    bool Ranked() const { return m_settings.bRankByUse != 0; }
    void RunDeferredEvents();
    void QueueCompletion();
    KeyAnswer HoldBackKey(const KeyReport& key);
    bool IsHoldingBackKeys() const { return m_writer.IsTyping() || m_writer.IsQueued() || m_gate.AwaitingOwnInput(); }
    KeyAnswer OnOwnInputMarker(const KeyReport& key);
    void SendOwnInputMarker();
    // The target has taken the output (or the wait gave up): the keys held back go out.
    void OwnInputArrived();
    void ReplayHeldBackKey(const KeyReport& key);
    void RetypeKey(const KeyReport& key);
    // A key's own work once it is not held back: answer, typed text, prompt.
    KeyAnswer ProcessKey(const KeyReport& key);
    // What a key that passed adds to or takes from the typed text.
    void TypeKey(const KeyReport& key);
    // A mark, tab or line break typed right behind the blank that a completion added goes before
    // that blank; a blank typed there is that blank.
    bool PutMarkBeforeBlank(const KeyReport& key);
    // Answers the key: true (swallowed) when the prompt takes it.
    bool TakenByPrompt(const KeyReport& key);
    // Whether the prompt, brought up to date with every key before this press, takes it.
    bool PromptTakesPress(const KeyReport& key);
    // What the key typed joins the typed text when typing adds each of its bytes.
    void AddTypedBytes(const KeyReport& key);
    static bool IsModifierKey(unsigned vk) { return KeyGateRules::IsModifierKey(vk); }

    IPromptView& m_view;
    IEngineScheduler& m_scheduler;
    IFocusTracker& m_focus;
    IDesktop& m_desktop;
    IFileSystem& m_files;
    IDictionarySearch& m_dictionaries;
    IAutoLearnStore& m_autoLearn;
    IKeyOutput& m_output;
    const CClock& m_clock;
    const CCodePage& m_codePage;

    EngineSettings m_settings;
    CEngineKeyGate m_gate;

    CTypedText m_typed;
    // Searches posted and not yet run (the typed text keeps the word ends among them).
    int m_queuedSearches = 0;
    // The queued search only shows the prompt of a control the focus came back to: the user has
    // not seen that prompt yet, so a prompt key must not act on it first.
    bool m_searchIsFocusOnly = false;
    // Escape hid the prompt: it stays hidden until the word ends.
    bool m_hiddenForWord = false;
    // Ranked mode: what typing taught.
    CUsageModel m_usage;
    // The dictionaries' matches, streamed into the pager as its pages ask.
    CDictionaryWords m_dictionaryWords;
    // The candidates of the last search, paged.
    CCandidatePager m_pager;
    CCandidateSearch m_search;
    bool m_acceptInput = true;
    CWindowTextMemory m_windowTexts;
    CCompletionWriter m_writer;
};
