// Key answering and pacing on the engine thread: each key report is answered as soon as its fate
// is known, the engine's own work after a key goes through messages and timers of the engine's
// window, and a search waits a moment for a release that is about to come.
#pragma once

#include <windows.h>

#include "app/engine/EngineServices.h"
#include "app/engine/KeyReport.h"

class CCompletionEngine;

class CKeyPacer : public IEngineScheduler {
public:
    static constexpr UINT_PTR TIMER_ACCEPT_INPUT = 1003;
    // How long keys typed behind a completion wait at most for the target to take its output. A
    // busy machine may take a few hundred milliseconds for a long output; giving up earlier lets a
    // key typed meanwhile overtake the ones held back.
    static constexpr UINT_PTR TIMER_OWN_INPUT = 1005;
    static constexpr UINT kOwnInputWaitMs = 1000;
    // Releases that came this soon after their press's answer are waited for before a search, by
    // their last gap plus a margin, at most kMaxHeadStartUs.
    static constexpr LONGLONG kQuickReleaseUs = 5000;
    static constexpr LONGLONG kReleaseMarginUs = 1000;
    static constexpr LONGLONG kMaxHeadStartUs = 3000;

    // The engine's window: its own messages and timers go there.
    void SetWindow(HWND window) { m_window = window; }

    // Runs `work` on a key report (the engine answers through AnswerKey) and returns its answer.
    template <typename Work>
    int Report(const KeyReport& key, Work&& work)
    {
        const bool outerUnanswered = m_keyUnanswered;
        m_keyUnanswered = true;
        m_answeredAt = 0;
        const int answer = work();
        m_keyUnanswered = outerUnanswered;
        NoteReleaseGap(key);
        return answer;
    }
    // Before a search's work: lets a key report that is about to come be answered first.
    void LetNextKeyIn();
    // The engine's timers; false for a timer of someone else.
    bool OnTimer(UINT_PTR id, CCompletionEngine& engine);

    // IEngineScheduler
    void AnswerKey(int answer) override;
    void PostSearch() override;
    void PostComplete() override;
    void StartAcceptInputTimer() override;
    void StartOwnInputTimer() override;

private:
    void NoteReleaseGap(const KeyReport& key);
    static LONGLONG MicrosecondsNow();

    HWND m_window = nullptr;
    bool m_keyUnanswered = false;  // a WM_HOOK_KEY is being handled and not yet answered
    LONGLONG m_answeredAt = 0;     // when the last key was answered early (microseconds)
    unsigned m_pressKey = 0;       // the last key pressed, and when its press was answered
    LONGLONG m_pressAnsweredAt = 0;
    LONGLONG m_releaseGapUs = kQuickReleaseUs + 1;  // from a press's answer to its release's report
};
