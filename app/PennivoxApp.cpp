#include "app/PennivoxApp.h"

#include "app/Controller.h"
#include "res/resource.h"
#include "wnd/Controls.h"
#include "wnd/Dialog.h"
#include "wnd/MessageBoxes.h"

const wchar_t CPennivoxApp::kMutexName[] = L"Pennivox";

int CPennivoxApp::InitInstance()
{
    wnd::InitCommonControlsOnce();

    // Held for the life of the process and never closed: it marks the running copy.
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, kMutexName);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        wnd::ShowMessage(nullptr, IDS_ALREADY_RUNNING, wnd::kErrorCaption, MB_ICONSTOP | MB_OK);
        return 0;
    }
    (void)mutex;

    CController controller;
    if (!controller.Start())
        return 1;
    return wnd::RunMessageLoop();
}
