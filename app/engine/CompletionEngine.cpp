#include "app/engine/CompletionEngine.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "dict/CodePage.h"

namespace {

// Marks, and the tab and line break, that take the place of a blank typed behind a completed word.
const char kMarksBeforeBlank[] = ".,;:!?)]}\t\r";

}  // namespace

CCompletionEngine::CCompletionEngine(const EngineServices& services)
    : m_view(*services.view),
      m_scheduler(*services.scheduler),
      m_focus(*services.focus),
      m_desktop(*services.desktop),
      m_files(*services.files),
      m_dictionaries(*services.dictionaries),
      m_autoLearn(*services.autoLearn),
      m_output(*services.output),
      m_clock(*services.clock),
      m_codePage(*services.codePage),
      m_typed(m_codePage),
      m_dictionaryWords(m_dictionaries, m_usage),
      m_pager(m_view, m_dictionaryWords, m_codePage, [this](int candidate) { SetPending(candidate); }),
      m_search(CCandidateSearch::Ports{m_pager, m_dictionaries, m_autoLearn, m_files, m_usage, m_codePage, m_typed}),
      m_writer(m_output, m_clock, m_codePage)
{
    ApplySettings(EngineSettings());
}

void CCompletionEngine::ApplySettings(const EngineSettings& settings)
{
    m_settings = settings;
    m_search.ApplySettings(settings);
    // A page of no rows could never be shown or left.
    m_pager.Configure(
        static_cast<int>(std::min<std::uint32_t>(std::max<std::uint32_t>(settings.nMaxItemShow, 1), 1000)),
        settings.bRankByUse != 0);
    m_gate.AssignPromptKeys(settings);
}

// ---------------------------------------------------------------------------------------------
// Keys

void CCompletionEngine::ForgetTypedText()
{
    m_typed.Clear();
    m_hiddenForWord = false;
    if (m_view.IsPromptVisible())
        m_view.ShowPrompt(false);
}

// The hold-back gate: markers behind the engine's own output, keys that wait behind a completion
// and the releases of presses that waited; every other key is the engine's own work.
KeyAnswer CCompletionEngine::OnHookKey(const KeyReport& key)
{
    // Most keys can only pass: they reach the target before the focus is looked at, which asks
    // the system (and the target's process) a few things.
    if (!MayTake(key))
        m_scheduler.AnswerKey(KeyAnswer::Pass);
    m_focus.SyncFocus();
    if (KeyGateRules::IsOwnInputMarkerKey(key.vk))
        return OnOwnInputMarker(key);
    // Between the key that completes and the moment the target has taken the completion's output,
    // the user's keys would reach the target before it (or between its pieces) and its Backspaces
    // would delete them: they are held back and typed again after it, in order.
    if (IsHoldingBackKeys())
        return HoldBackKey(key);
    // The release of a key whose press was held back goes the way its press went.
    if (key.released && m_gate.IsHeldBack(key.vk)) {
        m_scheduler.AnswerKey(KeyAnswer::Swallow);
        m_gate.ForgetHeldBack(key.vk);
        ReplayHeldBackKey(key);
        return KeyAnswer::Swallow;
    }
    return ProcessKey(key);
}

bool CCompletionEngine::MayTake(const KeyReport& key) const
{
    return !GateRules().OnlyPasses(key);
}

KeyGateRules CCompletionEngine::GateRules() const
{
    return m_gate.Rules(IsHoldingBackKeys(), m_writer.BlankTyped());
}

void CCompletionEngine::OnPassedKey(const KeyReport& key)
{
    if (key.released)
        return;  // changes nothing the engine keeps: no need to ask the system anything
    m_focus.SyncFocus();
    m_gate.TakePress(key.vk, false);  // an earlier press of this key that was taken is over
    if (!WorksInFocusWindow()) {
        ForgetTypedText();
        return;
    }
    TypeKey(key);
}

KeyAnswer CCompletionEngine::ProcessKey(const KeyReport& key)
{
    // Keys in other controls, in applications the rules exclude, and in password boxes are
    // neither kept nor acted on.
    if (!WorksInFocusWindow()) {
        m_scheduler.AnswerKey(KeyAnswer::Pass);
        if (key.released)
            m_gate.TakeRelease(key.vk);
        ForgetTypedText();
        return KeyAnswer::Pass;
    }
    if (PutMarkBeforeBlank(key))
        return KeyAnswer::Swallow;
    if (TakenByPrompt(key)) {
        ActOnPrompt(key);
        return KeyAnswer::Swallow;
    }
    TypeKey(key);
    return KeyAnswer::Pass;
}

void CCompletionEngine::TypeKey(const KeyReport& key)
{
    if (key.vk != kBackspaceKey) {
        AddTypedBytes(key);
    } else if (!key.released) {
        m_typed.RemoveLastCharacter();
        QueueSearch();
    }
}

bool CCompletionEngine::PutMarkBeforeBlank(const KeyReport& key)
{
    // Escape only hides the prompt: the blank still stands right before the caret.
    if (!m_writer.BlankTyped() || key.released || IsModifierKey(key.vk) || key.vk == kEscapeKey)
        return false;
    // A shown prompt takes its keys first (Tab completes the next word offered).
    if (IsPromptKey(key.vk) && PromptTakesPress(key))
        return false;
    m_writer.ForgetBlank();
    const std::string mark = key.Text();
    if (mark.size() != 1 || m_typed.Empty() || m_typed.Text().back() != ' ')
        return false;
    if (mark == " ") {
        // The blank typed out of habit behind a completed word is there already: one stays.
        m_scheduler.AnswerKey(KeyAnswer::Swallow);
        m_gate.TakePress(key.vk, true);  // its release goes the same way
        return true;
    }
    if (!std::strchr(kMarksBeforeBlank, mark[0]))
        return false;
    m_scheduler.AnswerKey(KeyAnswer::Swallow);
    m_search.SetKey(" ");
    m_writer.SetPendingText(mark, MODE_REPLACE);
    m_writer.TakeBackBlank();
    QueueCompletion();
    return true;
}

bool CCompletionEngine::TakenByPrompt(const KeyReport& key)
{
    // A prompt key acts on the prompt of everything typed before it, whether or not the searches
    // kept up with the keys: a target that lags hands its keys over in a burst, and judged by the
    // prompt of an earlier text (hidden by a blank, or by a prefix without candidates) the key
    // would reach the target although its own prompt shows. Its answer waits for them; other
    // keys never wait.
    // Only the prompt's own keys are swallowed, only while it is shown, and a release goes the way
    // its press went: a key is never both passed and acted on. The target gets its key before the
    // prompt moves, the typed text changes or a search is queued.
    const bool taken = key.released ? m_gate.TakeRelease(key.vk) : m_gate.TakePress(key.vk, PromptTakesPress(key));
    m_scheduler.AnswerKey(taken ? KeyAnswer::Swallow : KeyAnswer::Pass);
    return taken;
}

bool CCompletionEngine::PromptTakesPress(const KeyReport& key)
{
    if (!IsPromptKey(key.vk))
        return false;
    if (m_queuedSearches > 0 && !m_searchIsFocusOnly)
        SearchTyped();
    // A prompt on screen still belongs to the control the focus left.
    const bool shown = m_view.IsPromptVisible() && !m_searchIsFocusOnly;
    // Ranked, the first row is a guess: Return there is the user's line break, unless they moved
    // to a row themselves.
    const bool guessOnly = key.vk == kReturnKey && Ranked() && !m_pager.SelectionMoved();
    return shown && !guessOnly;
}

void CCompletionEngine::AddTypedBytes(const KeyReport& key)
{
    const std::string text = key.Text();
    if (text.empty() || key.released)
        return;
    if (m_typed.IsKept(text)) {
        m_typed.Append(text);
        QueueSearch();
    } else if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        // A mark beyond ASCII (a quotation mark, a currency sign): the text before it is not
        // what the target holds before the caret any more.
        ForgetTypedText();
    }
}

bool CCompletionEngine::WorksInFocusWindow()
{
    if (!m_focus.IsTargetControl())
        return false;
    const WindowHandle focusWindow = m_focus.FocusWindow();
    return m_desktop.EngineWorksIn(focusWindow) && !m_focus.IsPasswordControl(focusWindow);
}

void CCompletionEngine::ActOnPrompt(const KeyReport& key)
{
    // A search run for the key may have closed the prompt: then the key does nothing.
    if (!m_view.IsPromptVisible())
        return;
    const PromptKey role = m_gate.PromptKeyOf(key.vk);
    switch (role.action) {
        case PromptKey::MOVE:
            if (!key.released) {
                m_pager.SetSelectionMoved(true);
                MoveSelection(role.code);
            }
            break;
        case PromptKey::CHOOSE:
            if (key.released && MoveSelection(role.code))
                QueueCompletion();
            break;
        case PromptKey::HIDE:
            // The word goes on as typed: hidden until it ends, then learnt and searched whole.
            m_hiddenForWord = true;
            m_view.ShowPrompt(false);
            break;
        case PromptKey::NONE:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Search

void CCompletionEngine::QueueSearch()
{
    // Learning happens in the search of the text that ends the word; a later key must not
    // take that text away before the search runs.
    if (m_autoLearn.EndsWithSeparator(m_typed.Text()))
        m_typed.QueueWordEnd();
    ++m_queuedSearches;
    m_searchIsFocusOnly = false;
    m_scheduler.PostSearch();
}

bool CCompletionEngine::SearchTyped()
{
    if (m_queuedSearches == 0)
        return m_view.IsPromptVisible();  // done with an earlier message of the burst
    m_queuedSearches = 0;
    m_searchIsFocusOnly = false;
    m_pager.SetSelectionMoved(false);
    const std::vector<std::string> wordEnds = m_typed.TakeWordEnds();
    if (Ranked()) {
        for (const std::string& text : wordEnds)
            m_search.ObserveWordEnd(text);
    }
    if (Ranked() && m_settings.bEnableAutolearn) {
        for (const std::string& text : wordEnds)
            m_search.LearnUsage(text);
    }
    for (const std::string& text : wordEnds) {
        if (text != m_typed.Text())
            SearchText(text);
    }
    if (m_hiddenForWord && (m_typed.Empty() || m_autoLearn.EndsWithSeparator(m_typed.Text())))
        m_hiddenForWord = false;
    if (m_hiddenForWord) {
        m_view.ShowPrompt(false);
        return false;
    }
    return SearchText(m_typed.Text());
}

bool CCompletionEngine::SearchText(const std::string& text)
{
    const bool shown = m_search.Search(text);
    m_view.ShowPrompt(shown);
    return shown;
}

bool CCompletionEngine::MoveSelection(int code)
{
    const CCandidatePager::Selection selection = m_pager.MoveSelection(code);
    // No such row on this page: a beep, no completion.
    if (selection == CCandidatePager::Selection::NO_SUCH_ROW)
        m_output.Beep();
    return selection == CCandidatePager::Selection::MOVED;
}

void CCompletionEngine::SetPending(int candidateIndex)
{
    if (candidateIndex < 0 || candidateIndex >= static_cast<int>(Candidates().size())) {
        m_writer.ClearPending();
        m_view.ShowPreview(std::string(), PREVIEW_NORMAL);
        return;
    }
    if (const std::string* replaced = m_pager.ReplacedBy(candidateIndex))
        m_search.SetKey(*replaced);
    const CCompletionWriter::Preview preview = m_writer.PendCandidate(Candidates()[candidateIndex]);
    m_view.ShowPreview(preview.text, preview.style);
}

void CCompletionEngine::SetPendingText(const std::string& text, CompletionMode mode)
{
    m_writer.SetPendingText(text, mode);
}

void CCompletionEngine::ClearCandidates()
{
    // The pager tells SetPending that no candidate is selected: what is pending belonged to one.
    m_search.Clear();
}

void CCompletionEngine::OnRowSelected(int row)
{
    m_pager.OnRowSelected(row);
}

void CCompletionEngine::OnRowDoubleClicked(int row)
{
    if (row < 0 || row >= static_cast<int>(Rows().size()))
        return;
    m_pager.SelectRow(row);
    QueueCompletion();
}

// ---------------------------------------------------------------------------------------------
// Completion

KeyAnswer CCompletionEngine::HoldBackKey(const KeyReport& key)
{
    if (m_gate.PassesWhileHoldingBack(key)) {
        m_scheduler.AnswerKey(KeyAnswer::Pass);
        return KeyAnswer::Pass;
    }
    m_scheduler.AnswerKey(KeyAnswer::Swallow);
    m_gate.HoldBack(key);
    if (m_writer.IsQueued() && !m_writer.IsTyping())
        RunQueuedCompletion();  // the completion goes out first, then this key
    return KeyAnswer::Swallow;
}

KeyAnswer CCompletionEngine::OnOwnInputMarker(const KeyReport& key)
{
    m_scheduler.AnswerKey(KeyAnswer::Swallow);
    if (m_gate.MarkerEndsWait(key))
        OwnInputArrived();
    return KeyAnswer::Swallow;
}

void CCompletionEngine::OnOwnInputTimer()
{
    if (m_gate.EndOwnInputWait())
        OwnInputArrived();
}

void CCompletionEngine::OwnInputArrived()
{
    if (!IsHoldingBackKeys())
        RunDeferredEvents();
}

void CCompletionEngine::QueueCompletion()
{
    m_writer.MarkQueued();
    m_scheduler.PostComplete();
}

bool CCompletionEngine::RunQueuedCompletion()
{
    if (!m_writer.IsQueued())
        return false;  // a key that came after the message ran it already
    const bool typed = CompleteSelection();
    if (!typed)
        RunDeferredEvents();
    return typed;
}

void CCompletionEngine::ReplayHeldBackKey(const KeyReport& key)
{
    if (IsHoldingBackKeys()) {
        // A key replayed before this one started another completion: this one waits for it too.
        m_gate.DeferKey(key);
        return;
    }
    if (ProcessKey(key) == KeyAnswer::Pass)
        RetypeKey(key);
}

void CCompletionEngine::RetypeKey(const KeyReport& key)
{
    const std::string text = key.PrintableText();
    // A character is typed again whole on its press; keys without one go down and up as they did.
    if (!text.empty()) {
        if (!key.released)
            m_output.ReplayText(text);
    } else {
        m_output.ReplayKey(key.vk, key.released);
    }
}

void CCompletionEngine::OnSwallowedKey(const KeyReport& key)
{
    if (OnHookKey(key) == KeyAnswer::Swallow)
        return;
    TypeAgain(key);
    // Keys typed after it reached the target first or wait there: the next ones wait for it.
    SendOwnInputMarker();
}

void CCompletionEngine::TypeAgain(const KeyReport& key)
{
    // A release that passes belongs to a press that reached the target.
    if (key.released)
        m_output.ReplayKey(key.vk, true);
    else
        RetypeKey(key);
}

bool CCompletionEngine::CompleteSelection()
{
    m_writer.TakeQueued();
    if (m_writer.IsTyping())
        return false;  // a completion is being typed already
    const WindowHandle prompt = m_view.Handle();
    const WindowHandle focusWindow = m_focus.FocusWindow();
    WindowHandle target = m_desktop.ForegroundWindow();
    if (target == prompt)
        target = focusWindow != 0 ? m_desktop.TopLevelAncestor(focusWindow) : 0;
    if ((m_search.Key().empty() && !m_search.Predicting()) || target == 0 || PendingText().empty() ||
        focusWindow == prompt)
        return false;
    if (focusWindow != 0 && m_focus.IsPasswordControl(focusWindow))
        return false;

    m_output.BringToFront(target);
    const CompletionMode mode = PendingMode();
    // Ranked, a completed word is followed by its blank.
    m_writer.Type(target, m_search.Key(), Ranked() && m_settings.bBlankAfterWord, m_typed);
    // Keys typed before the output went out are still ahead of it in the target's queue: the
    // marker behind the output tells when the target has taken it.
    SendOwnInputMarker();

    if (mode == MODE_FOLDER || m_writer.BlankTyped())
        QueueSearch();  // go on with the folder's entries; learn the word and offer the next
    else
        m_view.ShowPrompt(false);
    m_acceptInput = false;
    m_scheduler.StartAcceptInputTimer();
    return true;
}

void CCompletionEngine::RunDeferredEvents()
{
    if (IsHoldingBackKeys())
        return;
    const std::vector<DeferredEvent> events = m_gate.TakeDeferred();
    bool replayed = false;
    for (const DeferredEvent& event : events) {
        switch (event.kind) {
            case DeferredEvent::Key:
                ReplayHeldBackKey(event.key);
                replayed = true;
                break;
            case DeferredEvent::SaveText:
                SaveWindowText(event.window);
                break;
            case DeferredEvent::RestoreText:
                RestoreWindowText(event.window);
                break;
        }
    }
    // A key typed before the replayed ones went out is still ahead of them in the target's queue:
    // it is held back too until the marker behind them arrives, so that nothing overtakes them.
    if (replayed && !IsHoldingBackKeys())
        SendOwnInputMarker();
}

void CCompletionEngine::SendOwnInputMarker()
{
    m_output.SendOwnInputMarker(m_gate.NextOwnInputMarker());
    m_scheduler.StartOwnInputTimer();
}

// ---------------------------------------------------------------------------------------------
// Typed text per control

void CCompletionEngine::SaveWindowText(WindowHandle window)
{
    if (IsHoldingBackKeys()) {
        m_gate.DeferFocusChange(DeferredEvent::SaveText, window);
        return;
    }
    if (window == 0 || window == m_view.Handle())
        return;
    if (m_focus.IsPasswordControl(window)) {
        m_windowTexts.Forget(window);
        return;
    }
    m_windowTexts.Save(window, m_typed.Text(), [this](WindowHandle w) { return m_desktop.WindowExists(w); });
}

void CCompletionEngine::RestoreWindowText(WindowHandle window)
{
    if (IsHoldingBackKeys()) {
        m_gate.DeferFocusChange(DeferredEvent::RestoreText, window);
        return;
    }
    if (!m_acceptInput)
        return;
    std::string restored;
    if (window != 0 && window != m_view.Handle() && !m_focus.IsPasswordControl(window))
        m_windowTexts.Lookup(window, restored);
    m_typed.Assign(restored);
    m_hiddenForWord = false;
    QueueSearch();
    m_searchIsFocusOnly = true;
}
