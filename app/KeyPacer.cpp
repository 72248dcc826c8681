#include "app/KeyPacer.h"

#include <algorithm>

#include "app/ThreadMessages.h"
#include "app/engine/CompletionEngine.h"

LONGLONG CKeyPacer::MicrosecondsNow()
{
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return now.QuadPart / frequency.QuadPart * 1000000 +
           now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

void CKeyPacer::AnswerKey(int answer)
{
    if (!m_keyUnanswered)
        return;
    m_keyUnanswered = false;
    // The hook's thread waits in SendMessageTimeout until this answer: its key reaches the target
    // while the engine goes on with the prompt.
    if (::InSendMessage() && ::ReplyMessage(answer))
        m_answeredAt = MicrosecondsNow();
}

void CKeyPacer::NoteReleaseGap(const KeyReport& key)
{
    if (!key.released) {
        m_pressKey = key.vk;
        m_pressAnsweredAt = m_answeredAt;
    } else if (key.vk == m_pressKey && m_pressAnsweredAt) {
        m_releaseGapUs = MicrosecondsNow() - m_pressAnsweredAt;
        m_pressAnsweredAt = 0;
    }
}

void CKeyPacer::LetNextKeyIn()
{
    const LONGLONG answeredAt = m_answeredAt;
    m_answeredAt = 0;
    // Keys released right after their press (fast rollover typing, scanners, automation): the
    // release is on its way and is answered before the search's work rather than after it. A
    // typist who holds keys longer gets the search at once.
    if (!answeredAt || m_releaseGapUs > kQuickReleaseUs)
        return;
    const LONGLONG waitUntil = answeredAt + std::min(m_releaseGapUs + kReleaseMarginUs, kMaxHeadStartUs);
    const LONGLONG left = waitUntil - MicrosecondsNow();
    if (left > 0 && ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>((left + 999) / 1000), QS_SENDMESSAGE,
                                                  0) == WAIT_OBJECT_0) {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // runs the sent reports
    }
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
    ::PostMessageA(m_window, WM_PROMPT_SEARCH, 0, 0);
}

void CKeyPacer::PostComplete()
{
    ::PostMessageA(m_window, WM_PROMPT_COMPLETE, 0, 0);
}

void CKeyPacer::StartAcceptInputTimer()
{
    ::SetTimer(m_window, TIMER_ACCEPT_INPUT, CCompletionEngine::kAcceptInputDelayMs, nullptr);
}

void CKeyPacer::StartOwnInputTimer()
{
    ::SetTimer(m_window, TIMER_OWN_INPUT, kOwnInputWaitMs, nullptr);
}
