#include "app/engine/EngineKeyGate.h"

#include <algorithm>
#include <iterator>

namespace {

bool Contains(const std::vector<unsigned>& keys, unsigned vk)
{
    return std::find(keys.begin(), keys.end(), vk) != keys.end();
}

}  // namespace

void CEngineKeyGate::AssignPromptKeys(const SelectionKeys& keys)
{
    // Filled from the weakest role to the strongest: a key given two roles keeps the stronger.
    m_promptKeys.fill(PromptKey());
    const auto assign = [this](unsigned vk, PromptKey::Action action, int code) {
        if (vk < m_promptKeys.size())
            m_promptKeys[vk] = PromptKey{action, code};
    };
    assign(kEscapeKey, PromptKey::HIDE, 0);
    for (std::uint8_t vk : keys.vkSelect)
        assign(vk, PromptKey::CHOOSE, kSelectCurrent);
    for (int slot = 9; slot >= 0; --slot)
        assign(keys.vkSelectIndex[slot], PromptKey::CHOOSE, slot);
    assign(keys.vkSelectPageUp, PromptKey::MOVE, kSelectPreviousPage);
    assign(keys.vkSelectPageDown, PromptKey::MOVE, kSelectNextPage);
    assign(keys.vkSelectNext, PromptKey::MOVE, kSelectNext);
    assign(keys.vkSelectPrev, PromptKey::MOVE, kSelectPrevious);
    m_promptKeySet.reset();
    for (std::size_t vk = 0; vk < m_promptKeys.size(); ++vk)
        m_promptKeySet[vk] = m_promptKeys[vk].action != PromptKey::NONE;
}

bool CEngineKeyGate::TakePress(unsigned vk, bool take)
{
    const auto found = std::find(m_takenKeys.begin(), m_takenKeys.end(), vk);
    if (take && found == m_takenKeys.end())
        m_takenKeys.push_back(vk);
    else if (!take && found != m_takenKeys.end())
        m_takenKeys.erase(found);
    return take;
}

bool CEngineKeyGate::TakeRelease(unsigned vk)
{
    const auto found = std::find(m_takenKeys.begin(), m_takenKeys.end(), vk);
    if (found == m_takenKeys.end())
        return false;
    m_takenKeys.erase(found);
    return true;
}

bool CEngineKeyGate::IsTaken(unsigned vk) const
{
    return Contains(m_takenKeys, vk);
}

bool CEngineKeyGate::PassesWhileHoldingBack(const KeyReport& key) const
{
    // The release of a press the prompt took waits with the others and acts when its turn comes.
    return KeyGateRules::IsModifierKey(key.vk) || (key.released && !IsHeldBack(key.vk) && !IsTaken(key.vk));
}

void CEngineKeyGate::HoldBack(const KeyReport& key)
{
    if (key.released)
        ForgetHeldBack(key.vk);
    else if (!IsHeldBack(key.vk))
        m_heldBackKeys.push_back(key.vk);
    DeferKey(key);
}

bool CEngineKeyGate::IsHeldBack(unsigned vk) const
{
    return Contains(m_heldBackKeys, vk);
}

void CEngineKeyGate::ForgetHeldBack(unsigned vk)
{
    m_heldBackKeys.erase(std::remove(m_heldBackKeys.begin(), m_heldBackKeys.end(), vk), m_heldBackKeys.end());
}

void CEngineKeyGate::DeferFocusChange(DeferredEvent::Kind kind, WindowHandle window)
{
    m_deferred.push_back(DeferredEvent{kind, KeyReport(), window});
}

void CEngineKeyGate::DeferKey(const KeyReport& key)
{
    m_deferred.push_back(DeferredEvent{DeferredEvent::Key, key, 0});
}

std::vector<CEngineKeyGate::DeferredEvent> CEngineKeyGate::TakeDeferred()
{
    std::vector<DeferredEvent> events;
    events.swap(m_deferred);
    return events;
}

unsigned CEngineKeyGate::NextOwnInputMarker()
{
    m_markerSlot = (m_markerSlot + 1) % std::size(kOwnInputMarkerKeys);
    m_awaitingOwnInput = true;
    return kOwnInputMarkerKeys[m_markerSlot];
}

bool CEngineKeyGate::MarkerEndsWait(const KeyReport& key)
{
    return !key.released && key.vk == kOwnInputMarkerKeys[m_markerSlot] && EndOwnInputWait();
}

bool CEngineKeyGate::EndOwnInputWait()
{
    const bool waited = m_awaitingOwnInput;
    m_awaitingOwnInput = false;
    return waited;
}

KeyGateRules CEngineKeyGate::Rules(bool holdingBack, bool afterAddedBlank) const
{
    KeyGateRules rules;
    rules.promptKeys = m_promptKeySet;
    rules.holdingBack = holdingBack;
    rules.afterAddedBlank = afterAddedBlank;
    rules.pressesTaken = m_takenKeys;
    rules.pressesTaken.insert(rules.pressesTaken.end(), m_heldBackKeys.begin(), m_heldBackKeys.end());
    return rules;
}
