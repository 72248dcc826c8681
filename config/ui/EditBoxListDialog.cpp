#include "config/ui/EditBoxListDialog.h"

bool CDlgEditBoxList::Run(HWND)
{
    return false;  // being written
}
