#include "app/KeyGate.h"

#include <algorithm>

#include "app/ThreadMessages.h"
#include "hook/HookMessages.h"

namespace {
const char kGateWindowClass[] = "PennivoxKeyGate";
const unsigned kUnicodeInputKey = VK_PACKET;
}  // namespace

CKeyGate::CKeyGate(HWND engine) : m_engine(engine), m_answered(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

bool CKeyGate::Create()
{
    if (!m_answered || !wnd::RegisterWindowClass(kGateWindowClass))
        return false;
    RECT none{};
    return wnd::CWindow::Create(kGateWindowClass, "", 0, 0, none, HWND_MESSAGE);
}

void CKeyGate::Publish(const KeyGateRules& rules)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_rules = rules;
    m_published = true;
}

std::vector<CKeyGate::AnsweredKey> CKeyGate::TakeAnsweredKeys()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<AnsweredKey> keys;
    keys.swap(m_answeredKeys);
    m_swallowedPresses.clear();  // the engine has them all: it knows their releases
    return keys;
}

bool CKeyGate::TakeUp(unsigned serial)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    // Windows still delivers a message whose sender stopped waiting; Wine drops it.
    if (std::find(m_answeredSerials.begin(), m_answeredSerials.end(), serial) != m_answeredSerials.end())
        return false;
    if (serial == m_askSerial && m_askState == AskState::Waiting)
        m_askState = AskState::TakenUp;
    return true;
}

void CKeyGate::Answer(KeyAnswer answer)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_askState != AskState::TakenUp)
        return;
    m_askState = AskState::Answered;
    m_askAnswer = answer;
    ::SetEvent(m_answered.Get());
}

LRESULT CKeyGate::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_HOOK_KEY)
        return OnHookKey(wParam, lParam);
    if (msg == WM_HOOK_KEY_TEXT) {
        m_keyText.NoteText(static_cast<std::uint32_t>(wParam), static_cast<unsigned>(lParam), ::GetTickCount());
        return 1;
    }
    return wnd::CWindow::HandleMessage(msg, wParam, lParam);
}

std::uint32_t CKeyGate::UnitsOf(WPARAM chars, LPARAM keyInfo)
{
    if (const auto text = m_keyText.TakeFor(static_cast<unsigned>(keyInfo), ::GetTickCount()))
        return *text;
    const char bytes[2] = {static_cast<char>(chars & 0xFF), static_cast<char>((chars >> 8) & 0xFF)};
    const int length = bytes[0] == 0 ? 0 : (bytes[1] == 0 ? 1 : 2);
    wchar_t units[2] = {0, 0};
    if (length > 0)
        ::MultiByteToWideChar(CP_ACP, 0, bytes, length, units, 2);
    return static_cast<std::uint32_t>(units[0]) | (static_cast<std::uint32_t>(units[1]) << 16);
}

bool CKeyGate::OnlyPasses(const KeyReport& key)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    // Rules published before the engine was done with the last key it was sent may not show what
    // that key started (a completion, keys held back).
    return m_published && m_rules.keysDecided >= m_keysAsked && m_rules.OnlyPasses(key);
}

int CKeyGate::OnHookKey(WPARAM chars, LPARAM keyInfo)
{
    const KeyReport key = KeyReport::FromHook(UnitsOf(chars, keyInfo), static_cast<unsigned>(keyInfo));
    // Unicode input: ours (the hook cannot always tell: its mark is not visible to it everywhere)
    // or another program's, which types no key of the user. It passes, and the engine never
    // sees it: held back behind a completion, our own output would wait for itself.
    if (key.vk == kUnicodeInputKey)
        return 1;
    if (OnlyPasses(key)) {
        ::ReplyMessage(1);  // the key goes on before the engine hears of it
        ::PostMessageA(m_engine, WM_ENGINE_KEY_PASSED, key.units, keyInfo);
        return 1;
    }
    return static_cast<int>(AskEngine(key, keyInfo));
}

KeyAnswer CKeyGate::AskEngine(const KeyReport& key, LPARAM keyInfo)
{
    unsigned serial = 0;
    UINT wait = kEngineTakeUpMs;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_keysAsked;
        m_askSerial = m_askSerial % 0xFFFF + 1;  // 1 ... 0xFFFF: 0 is a report from elsewhere
        serial = m_askSerial;
        m_askState = AskState::Waiting;
        ::ResetEvent(m_answered.Get());
        if (!m_answeredKeys.empty())
            wait = kLateTakeUpMs;
    }
    const WPARAM report = key.units | (static_cast<WPARAM>(serial) << 32);
    DWORD_PTR answer = 1;
    if (::SendMessageTimeoutA(m_engine, WM_HOOK_KEY, report, keyInfo, SMTO_NORMAL, wait, &answer))
        return answer == 0 ? KeyAnswer::Swallow : KeyAnswer::Pass;
    return AnswerLate(key);
}

KeyAnswer CKeyGate::AnswerLate(const KeyReport& key)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_askState == AskState::Waiting) {
            // Not taken up: the gate answers, and the engine goes the same way when it gets there.
            m_askState = AskState::GivenUp;
            const KeyAnswer answer = AnswerForEngine(key);
            if (m_answeredKeys.empty())
                m_lateSince = ::GetTickCount();
            m_answeredKeys.push_back(AnsweredKey{key, answer});
            m_answeredSerials.push_back(m_askSerial);
            if (m_answeredSerials.size() > kSerialsKept)
                m_answeredSerials.pop_front();
            ::PostMessageA(m_engine, WM_ENGINE_KEYS_ANSWERED, 0, 0);
            return answer;
        }
        if (m_askState == AskState::Answered)
            return m_askAnswer;
    }
    // Taken up: the answer is on its way.
    if (::WaitForSingleObject(m_answered.Get(), kEngineAnswerMs) == WAIT_OBJECT_0) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_askState == AskState::Answered)
            return m_askAnswer;
    }
    return KeyAnswer::Pass;
}

KeyAnswer CKeyGate::AnswerForEngine(const KeyReport& key)
{
    const auto swallowed = std::find(m_swallowedPresses.begin(), m_swallowedPresses.end(), key.vk);
    if (key.released && swallowed != m_swallowedPresses.end()) {
        m_swallowedPresses.erase(swallowed);
        return KeyAnswer::Swallow;  // goes the way its press went
    }
    if (KeyGateRules::IsOwnInputMarkerKey(key.vk))
        return KeyAnswer::Swallow;
    const bool hung = !m_answeredKeys.empty() && ::GetTickCount() - m_lateSince > kHungAfterMs;
    if (KeyGateRules::IsModifierKey(key.vk) || hung)
        return KeyAnswer::Pass;
    if (key.released) {
        const auto& taken = m_rules.pressesTaken;
        return std::find(taken.begin(), taken.end(), key.vk) != taken.end() ? KeyAnswer::Swallow : KeyAnswer::Pass;
    }
    m_swallowedPresses.push_back(key.vk);
    return KeyAnswer::Swallow;
}
