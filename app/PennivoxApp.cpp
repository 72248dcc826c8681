#include "app/PennivoxApp.h"

#include "app/PromptDialog.h"
#include "res/resource.h"
#include "wnd/Controls.h"
#include "wnd/Dialog.h"

const char CPennivoxApp::kMutexName[] = "Pennivox";

int CPennivoxApp::InitInstance()
{
    wnd::InitCommonControlsOnce();

    // Held for the life of the process and never closed: it marks the running copy.
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, kMutexName);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::MessageBoxA(nullptr, wnd::LoadResourceString(IDS_ALREADY_RUNNING).c_str(), "Pennivox - ERROR",
                      MB_ICONSTOP | MB_OK);
        return 0;
    }
    (void)mutex;

    // The prompt is the main window. It runs modeless under our own loop so that it stays
    // hidden from the start instead of flashing up as a modal dialog would.
    CPromptDialog prompt;
    if (!prompt.CreateModeless(nullptr))
        return 1;
    return wnd::RunMessageLoop();
}
