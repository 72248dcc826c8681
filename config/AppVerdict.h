// Whether the program works in the application of a window, asked at every key: the answer for
// the last window is kept, because finding a window's executable asks its process.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/AppRules.h"

class CAppVerdict {
public:
    using WindowHandle = CAppRules::WindowHandle;
    // How the executable of a window's process is found.
    using ImagePathLookup = std::function<std::string(WindowHandle)>;

    // Follows every later change of rules; the lookup defaults to DefaultImagePath.
    explicit CAppVerdict(const CAppRules& rules, ImagePathLookup lookup = nullptr);

    // 1: the program works there. A window whose executable cannot be found keeps the last
    // answer; a change of the rules drops it, so the window in front is judged anew.
    int32_t IsAppEnabled(WindowHandle window);

    static std::string DefaultImagePath(WindowHandle window);

private:
    const CAppRules& m_rules;
    ImagePathLookup m_lookup;
    WindowHandle m_window = nullptr;
    unsigned m_revision = 0;
    int32_t m_verdict = 1;
};
