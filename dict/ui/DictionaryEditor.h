// The dictionary editor: one dictionary's name, type, description and entries.
#pragma once

#include <string>

#include "wnd/Dialog.h"

class CDictionaryEditor : public wnd::CDialog {
public:
    // canEdit: the "Can Edit" state (bit 0 of the dictionary's edit flags) written back on OK.
    CDictionaryEditor(std::string path, bool canEdit = true);
    ~CDictionaryEditor() override;
    // Runs the editor on the dictionary at path modally over owner; true when it ended with OK.
    static bool Run(HWND owner, const std::string& path, bool canEdit = true);
};
