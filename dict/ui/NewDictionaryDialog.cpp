#include "dict/ui/NewDictionaryDialog.h"

#include <cctype>

#include "base/ProgramPaths.h"
#include "base/Utf8Text.h"
#include "dict/ui/DictUiIds.h"
#include "dict/ui/DictionaryTypes.h"
#include "wnd/DataExchange.h"
#include "wnd/ModalRunner.h"

namespace {

const char kForbiddenCharacters[] = "\\/:*?\"<>|";

bool IsBlank(const std::string& text)
{
    for (unsigned char c : text) {
        if (!std::isspace(c))
            return false;
    }
    return true;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The system opens a device, not a file, for these names with any extension.
bool IsDeviceName(const std::string& name)
{
    const std::string upper = UpperAscii(name);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL")
        return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::string DictionaryNameProblem(const std::string& name)
{
    if (IsBlank(name))
        return wnd::LoadResourceString(IDS_NAME_MISSING);
    for (unsigned char c : name) {
        if (c < 0x20)
            return wnd::LoadResourceString(IDS_NAME_CONTROL_CHARACTERS);
        for (const char* forbidden = kForbiddenCharacters; *forbidden; ++forbidden) {
            if (c == static_cast<unsigned char>(*forbidden))
                return wnd::ResourceText(IDS_NAME_CHARACTERS, {kForbiddenCharacters});
        }
    }
    if (IsDeviceName(name))
        return wnd::ResourceText(IDS_NAME_RESERVED, {name});
    return std::string();
}

CNewDictionaryDialog::CNewDictionaryDialog(std::string programDirectory)
    : CDialog(IDD_NEW_DICTIONARY), m_programDirectory(std::move(programDirectory))
{
}

std::optional<NewDictionaryChoice> CNewDictionaryDialog::Run(HWND owner)
{
    CNewDictionaryDialog dialog(pvbase::ProgramDirectory());
    const wnd::ModalResult result = wnd::RunModal(dialog, owner);
    if (!result.EndedWithOk())
        return std::nullopt;
    return dialog.Choice();
}

std::string CNewDictionaryDialog::FilePathOf(const std::string& name) const
{
    return m_programDirectory + "libs\\" + name + ".lib";
}

BOOL CNewDictionaryDialog::OnInitDialog()
{
    FillDictionaryTypes(Item(IDC_DICT_TYPE));
    ::SendMessageW(Item(IDC_DICT_NAME), EM_LIMITTEXT, MAX_PATH, 0);
    SetItemText(IDC_NEW_DICT_FILE, FilePathOf(""));
    return TRUE;
}

void CNewDictionaryDialog::Exchange(wnd::CDataExchange& dx)
{
    dx.Text(IDC_DICT_NAME, m_choice.name);
    LPARAM type = m_choice.type;
    dx.ComboData(IDC_DICT_TYPE, type);
    dx.Text(IDC_DICT_DESCRIPTION, m_choice.description);
    if (!dx.IsSaving())
        return;
    m_choice.type = type == DICTIONARY_SHORTHAND ? DICTIONARY_SHORTHAND : DICTIONARY_WORDS;
    if (const std::string problem = DictionaryNameProblem(m_choice.name); !problem.empty()) {
        dx.Fail(IDC_DICT_NAME, problem);
        return;
    }
    m_choice.path = FilePathOf(m_choice.name);
    if (m_choice.path.size() >= MAX_PATH) {
        dx.Fail(IDC_DICT_NAME, wnd::LoadResourceString(IDS_NAME_TOO_LONG));
    } else if (FileExists(m_choice.path)) {
        dx.Fail(IDC_DICT_NAME, wnd::ResourceText(IDS_NAME_TAKEN, {m_choice.path}));
    }
}

bool CNewDictionaryDialog::OnCommand(int id, int code, HWND)
{
    if (id != IDC_DICT_NAME || code != EN_CHANGE)
        return false;
    SetItemText(IDC_NEW_DICT_FILE, FilePathOf(ItemText(IDC_DICT_NAME)));
    return true;
}
