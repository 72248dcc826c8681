#include "app/engine/WindowTextMemory.h"

CWindowTextMemory::CWindowTextMemory() : m_slots(kSlotCount) {}

CWindowTextMemory::Slot* CWindowTextMemory::FindSlot(WindowHandle window)
{
    if (window == 0)
        return nullptr;
    for (Slot& slot : m_slots)
        if (slot.window == window)
            return &slot;
    return nullptr;
}

const CWindowTextMemory::Slot* CWindowTextMemory::FindSlot(WindowHandle window) const
{
    return const_cast<CWindowTextMemory*>(this)->FindSlot(window);
}

void CWindowTextMemory::Save(WindowHandle window, const std::string& text, const ExistsQuery& exists)
{
    if (window == 0)
        return;
    if (Slot* slot = FindSlot(window)) {
        if (text.empty()) {
            slot->window = 0;
            slot->text.clear();
        } else {
            slot->text = text;
        }
        return;
    }
    if (text.empty())
        return;
    for (Slot& slot : m_slots) {
        if (slot.window == 0 || !exists(slot.window)) {
            slot.window = window;
            slot.text = text;
            return;
        }
    }
}

bool CWindowTextMemory::Lookup(WindowHandle window, std::string& text) const
{
    const Slot* slot = FindSlot(window);
    if (!slot)
        return false;
    text = slot->text;
    return true;
}

void CWindowTextMemory::Forget(WindowHandle window)
{
    if (Slot* slot = FindSlot(window)) {
        slot->window = 0;
        slot->text.clear();
    }
}

std::size_t CWindowTextMemory::UsedCount() const
{
    std::size_t used = 0;
    for (const Slot& slot : m_slots)
        if (slot.window != 0)
            ++used;
    return used;
}
