// Key answering and pacing on the engine thread: each key report is answered as soon as its fate
// is known, and the engine's own work after a key goes through messages and timers of the engine's
// window.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#include "app/engine/EngineServices.h"
#include "app/engine/KeyReport.h"

class CCompletionEngine;
class CEngineWorkLog;

class CKeyPacer : public IEngineScheduler {
public:
    static constexpr UINT_PTR TIMER_ACCEPT_INPUT = 1003;
    // How long keys typed behind a completion wait at most for the target to take its output. A
    // busy machine may take a few hundred milliseconds for a long output; giving up earlier lets a
    // key typed meanwhile overtake the ones held back.
    static constexpr UINT_PTR TIMER_OWN_INPUT = 1005;
    static constexpr UINT kOwnInputWaitMs = 1000;

    // The engine's window: its own messages and timers go there.
    void SetWindow(HWND window) { m_window = window; }
    void SetWorkLog(CEngineWorkLog* log) { m_workLog = log; }
    // Also told each answer: the key gate, which may have stopped waiting for the reply.
    void SetAnswerSink(std::function<void(int)> sink) { m_answerSink = std::move(sink); }

    // Runs `work` on a key report (the engine answers through AnswerKey) and returns its answer.
    template <typename Work>
    int Report(Work&& work)
    {
        const bool outerUnanswered = m_keyUnanswered;
        m_keyUnanswered = true;
        const int answer = work();
        m_keyUnanswered = outerUnanswered;
        return answer;
    }
    // The engine's timers; false for a timer of someone else.
    bool OnTimer(UINT_PTR id, CCompletionEngine& engine);

    // IEngineScheduler
    void AnswerKey(int answer) override;
    void PostSearch() override;
    void PostComplete() override;
    void StartAcceptInputTimer() override;
    void StartOwnInputTimer() override;

private:
    HWND m_window = nullptr;
    CEngineWorkLog* m_workLog = nullptr;
    std::function<void(int)> m_answerSink;
    bool m_keyUnanswered = false;  // a WM_HOOK_KEY is being handled and not yet answered
};
