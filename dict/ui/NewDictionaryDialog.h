// The New Dictionary dialog: name, file and type of a dictionary to be created.
#pragma once

#include <optional>
#include <string>

#include "wnd/Dialog.h"

struct NewDictionaryChoice {
    std::string name;
    std::string path;  // "<program folder>\libs\<name>.lib"
    int type = 1;
    std::string description;
};

class CNewDictionaryDialog : public wnd::CDialog {
public:
    CNewDictionaryDialog();
    // Runs the dialog modally over owner; the choice when it ended with OK.
    static std::optional<NewDictionaryChoice> Run(HWND owner);
};
