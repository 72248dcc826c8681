#include "app/KeyPacer.h"

#include <algorithm>

#include "app/EngineWorkLog.h"
#include "app/MicrosecondClock.h"
#include "app/ThreadMessages.h"
#include "app/engine/CompletionEngine.h"

void CKeyPacer::NoteKey(const KeyReport& key)
{
    if (!key.released) {
        m_pressKey = key.vk;
        m_pressAt = MicrosecondsNow();
        m_releaseCame = false;
    } else if (key.vk == m_pressKey && !m_releaseCame) {
        m_releaseCame = true;
        m_releaseGapUs = MicrosecondsNow() - m_pressAt;
    }
}

LONGLONG CKeyPacer::ReleaseWaitUs() const
{
    if (m_releaseCame || m_releaseGapUs > kQuickReleaseUs)
        return 0;
    const LONGLONG waitUntil = m_pressAt + std::min(m_releaseGapUs + kReleaseMarginUs, kMaxHeadStartUs);
    return std::max<LONGLONG>(waitUntil - MicrosecondsNow(), 0);
}

void CKeyPacer::AnswerKey(KeyAnswer answer)
{
    if (!m_keyUnanswered)
        return;
    m_keyUnanswered = false;
    // The hook's thread waits in SendMessageTimeout until this answer: its key reaches the target
    // while the engine goes on with the prompt.
    if (::InSendMessage())
        ::ReplyMessage(static_cast<LRESULT>(answer));
    if (m_answerSink)
        m_answerSink(answer);
    if (m_workLog)
        m_workLog->NoteAnswer(answer);
}

bool CKeyPacer::OnTimer(UINT_PTR id, CCompletionEngine& engine)
{
    if (id == TIMER_ACCEPT_INPUT) {
        ::KillTimer(m_window, TIMER_ACCEPT_INPUT);
        engine.OnAcceptInputTimer();
    } else if (id == TIMER_OWN_INPUT) {
        ::KillTimer(m_window, TIMER_OWN_INPUT);
        engine.OnOwnInputTimer();
    } else {
        return false;
    }
    return true;
}

void CKeyPacer::PostSearch()
{
    ::PostMessageW(m_window, WM_PROMPT_SEARCH, 0, 0);
}

void CKeyPacer::PostComplete()
{
    ::PostMessageW(m_window, WM_PROMPT_COMPLETE, 0, 0);
}

void CKeyPacer::StartAcceptInputTimer()
{
    ::SetTimer(m_window, TIMER_ACCEPT_INPUT, CCompletionEngine::kAcceptInputDelayMs, nullptr);
}

void CKeyPacer::StartOwnInputTimer()
{
    ::SetTimer(m_window, TIMER_OWN_INPUT, kOwnInputWaitMs, nullptr);
}
