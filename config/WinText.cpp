#include "config/WinText.h"

#include <windows.h>

#include <vector>

namespace {

bool Widen(const std::string& text, std::vector<wchar_t>& wide)
{
    wide.clear();
    if (text.empty())
        return true;
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length) == length;
}

}  // namespace

bool EqualsNoCaseAnsi(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        // Case never changes the byte length in the ANSI code pages; a shortcut, not a rule.
        return false;
    }
    std::vector<wchar_t> wa, wb;
    if (!Widen(a, wa) || !Widen(b, wb))
        return a == b;
    if (wa.size() != wb.size())
        return false;
    if (wa.empty())
        return true;
    return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()), TRUE) ==
           CSTR_EQUAL;
}
