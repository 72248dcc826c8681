// The text typed in each edit control, kept while the focus is elsewhere: 1000 slots of
// (window, text). A slot is free when its window is 0 or no longer exists.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/engine/EngineTypes.h"

class CWindowTextMemory {
public:
    static constexpr std::size_t kSlotCount = 1000;
    using ExistsQuery = std::function<bool(WindowHandle)>;

    CWindowTextMemory();

    // Remembers the text of a window; an empty text frees its slot. With every slot taken by a
    // living window the text is not remembered.
    void Save(WindowHandle window, const std::string& text, const ExistsQuery& exists);
    // The remembered text of a window; false when there is none.
    bool Lookup(WindowHandle window, std::string& text) const;
    void Forget(WindowHandle window);
    std::size_t UsedCount() const;

private:
    struct Slot {
        WindowHandle window = 0;
        std::string text;
    };
    Slot* FindSlot(WindowHandle window);
    const Slot* FindSlot(WindowHandle window) const;

    std::vector<Slot> m_slots;
};
