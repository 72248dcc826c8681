#include "app/win/InputMethod.h"

#include <iterator>

#include <imm.h>

#include "base/Utf8Text.h"

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
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

std::string InputMethodDescription(HKL layout)
{
    wchar_t buffer[1024] = L"";
    UINT n = ::ImmGetDescriptionW(layout, buffer, static_cast<UINT>(std::size(buffer)) - 1);
    if (n >= std::size(buffer))
        n = static_cast<UINT>(std::size(buffer)) - 1;
    return Narrow(std::wstring_view(buffer, n));
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
