#include "dict/ui/NewDictionaryDialog.h"

#include "dict/ui/DictUiIds.h"

CNewDictionaryDialog::CNewDictionaryDialog() : CDialog(IDD_NEW_DICTIONARY) {}

std::optional<NewDictionaryChoice> CNewDictionaryDialog::Run(HWND)
{
    return std::nullopt;  // being written
}
