// Key answering and pacing on the engine thread: each key report is answered as soon as its fate
// is known, the engine's own work after a key goes through messages and timers of the engine's
// window, and a search lets a release that is about to come be answered first.
#pragma once

#include <windows.h>

#include "app/ThreadMessages.h"

#include <functional>
#include <utility>

#include "app/engine/EngineServices.h"
#include "app/engine/KeyReport.h"

class CCompletionEngine;
class CEngineWorkLog;

class CKeyPacer : public IEngineScheduler {
public:
    // How long keys typed behind a completion wait at most for the target to take its output. A
    // busy machine may take a few hundred milliseconds for a long output; giving up earlier lets a
    // key typed meanwhile overtake the ones held back.
    static constexpr UINT kOwnInputWaitMs = 1000;
    // Releases that came this soon after their press are waited for before a search, by their last
    // gap plus a margin, at most kMaxHeadStartUs: the search would take the processor the key
    // gate needs to answer them. A typist who holds keys longer gets the search at once.
    static constexpr LONGLONG kQuickReleaseUs = 5000;
    static constexpr LONGLONG kReleaseMarginUs = 1000;
    static constexpr LONGLONG kMaxHeadStartUs = 5000;

    // The engine's window: its own messages and timers go there.
    void AttachWindow(HWND window) { m_window = window; }
    void SetWorkLog(CEngineWorkLog* log) { m_workLog = log; }
    // Also told each answer: the key gate, which may have stopped waiting for the reply.
    void SetAnswerSink(std::function<void(KeyAnswer)> sink) { m_answerSink = std::move(sink); }

    // Runs `work` on a key report (the engine answers through AnswerKey) and returns its answer.
    template <typename Work>
    KeyAnswer Report(Work&& work)
    {
        const bool outerUnanswered = m_keyUnanswered;
        m_keyUnanswered = true;
        const KeyAnswer answer = work();
        m_keyUnanswered = outerUnanswered;
        return answer;
    }
    // A key the engine got (answered by it or by the gate).
    void NoteKey(const KeyReport& key);
    // How long a search should still wait for the release of the last press (0: not at all).
    LONGLONG ReleaseWaitUs() const;
    // The engine's timers; false for a timer of someone else.
    bool OnTimer(UINT_PTR id, CCompletionEngine& engine);

    // IEngineScheduler
    void AnswerKey(KeyAnswer answer) override;
    void PostSearch() override;
    void PostComplete() override;
    void StartAcceptInputTimer() override;
    void StartOwnInputTimer() override;

private:
    HWND m_window = nullptr;
    CEngineWorkLog* m_workLog = nullptr;
    std::function<void(KeyAnswer)> m_answerSink;
    bool m_keyUnanswered = false;  // a WM_HOOK_KEY is being handled and not yet answered
    unsigned m_pressKey = 0;       // the last key pressed, when it came, and whether its release did
    LONGLONG m_pressAt = 0;
    bool m_releaseCame = true;
    LONGLONG m_releaseGapUs = kQuickReleaseUs + 1;  // from a press to its release, last time
};
