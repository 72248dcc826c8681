#include "app/win/InputMethod.h"

#include <imm.h>

namespace {
const char kWinePlaceholder[] = "Wine XIM";
}

bool DescriptionMeansInputMethod(const std::string& description, bool underWine)
{
    if (description.empty())
        return false;
    return !(underWine && description == kWinePlaceholder);
}

bool RunningUnderWine()
{
    static const bool wine = [] {
        HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
        return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

std::string InputMethodDescription(HKL layout)
{
    char buffer[1024] = "";
    UINT n = ::ImmGetDescriptionA(layout, buffer, sizeof(buffer) - 1);
    if (n >= sizeof(buffer))
        n = sizeof(buffer) - 1;
    return std::string(buffer, n);
}

bool ForegroundHasInputMethod()
{
    HWND foreground = ::GetForegroundWindow();
    DWORD thread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    HKL layout = ::GetKeyboardLayout(thread);
    // A layout's description does not change; asking the input method manager on every key does.
    thread_local HKL s_layout = nullptr;
    thread_local bool s_hasInputMethod = false;
    if (layout != s_layout || !layout) {
        s_layout = layout;
        s_hasInputMethod = DescriptionMeansInputMethod(InputMethodDescription(layout), RunningUnderWine());
    }
    return s_hasInputMethod;
}
