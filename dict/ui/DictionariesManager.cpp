#include "dict/ui/DictionariesManager.h"

#include "dict/ui/DictUiIds.h"

CDictionariesManager::CDictionariesManager() : CDialog(IDD_DICT_MANAGER) {}

bool CDictionariesManager::Run(HWND)
{
    return false;  // being written
}
