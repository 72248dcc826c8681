#include "dict/ui/DictionaryEditor.h"

#include "dict/ui/DictUiIds.h"

CDictionaryEditor::CDictionaryEditor(std::string, bool) : CDialog(IDD_DICT_EDITOR) {}
CDictionaryEditor::~CDictionaryEditor() = default;

bool CDictionaryEditor::Run(HWND, const std::string&, bool)
{
    return false;  // being written
}
