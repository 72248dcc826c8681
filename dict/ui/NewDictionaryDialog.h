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

// Why a name cannot become a dictionary file name ("" when it can): empty or blank, a character
// that file names cannot hold, or a device name such as "CON".
std::string DictionaryNameProblem(const std::string& name);

class CNewDictionaryDialog : public wnd::CDialog {
public:
    // programDirectory: where the libs folder is, ending in a backslash.
    explicit CNewDictionaryDialog(std::string programDirectory);
    // Runs the dialog modally over owner; the choice when it ended with OK.
    static std::optional<NewDictionaryChoice> Run(HWND owner);
    const NewDictionaryChoice& Choice() const { return m_choice; }

protected:
    BOOL OnInitDialog() override;
    void Exchange(wnd::CDataExchange& dx) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    std::string FilePathOf(const std::string& name) const;

    std::string m_programDirectory;
    NewDictionaryChoice m_choice;
};
