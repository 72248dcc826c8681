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
    return DescriptionMeansInputMethod(InputMethodDescription(layout), RunningUnderWine());
}
