// pvlayout: every dialog of the program in every language of the interface, measured at the
// screen's dots per inch; prints each text that does not fit and exits with their number. The
// end-to-end scenario dialogs_layout runs it at 96, 144 and 192 dots per inch.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "tests/res/DialogLayout.h"
#include "wnd/Language.h"
#include "wnd/Window.h"

int main()
{
    ::SetProcessDPIAware();  // measured at the screen's scale, as the program (per-monitor aware) is
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    wnd::SetResourceInstance(::GetModuleHandleW(nullptr));
    int count = 0;
    for (const wnd::UiLanguageInfo& language : wnd::UiLanguages()) {
        for (const std::string& problem : layout_check::ProgramProblems(language.primary)) {
            std::printf("%s\n", problem.c_str());
            ++count;
        }
    }
    std::printf("%d texts do not fit at %d dpi\n", count, wnd::WindowDpi(nullptr));
    return count;
}
