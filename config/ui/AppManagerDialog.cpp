#include "config/ui/AppManagerDialog.h"

bool CDlgAppManager::Run(HWND)
{
    return false;  // being written
}
