#include "dict/ui/DictionariesManager.h"

#include <map>

#include "base/ProgramPaths.h"
#include "dict/DictionaryCopy.h"
#include "dict/FolderListing.h"
#include "dict/ui/DictUiIds.h"
#include "dict/ui/DictionaryEditor.h"
#include "dict/ui/DictionaryEnableSettings.h"
#include "dict/ui/DictionaryTypes.h"
#include "dict/ui/NewDictionaryDialog.h"
#include "wnd/MessageBoxes.h"
#include "wnd/ModalRunner.h"

namespace {

// The damaged files are reported over the dialog once it shows: a timer fires only when the queue
// is empty, after the dialog came forward (a box over the hidden dialog closes at once under Wine).
const UINT_PTR kReportDamagedTimer = 1;
constexpr int kPathColumn = 3;

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a bundled dictionary holds, in the user's language: its file says nothing of it.
struct BundledDescription {
    const char* fileName;
    UINT textId;
};
constexpr BundledDescription kBundledDescriptions[] = {
    {"English.lib", IDS_ABOUT_ENGLISH_LIB},
    {"Phrases.lib", IDS_ABOUT_PHRASES_LIB},
    {"UserDictionary.lib", IDS_ABOUT_USER_DICTIONARY_LIB},
    {"UserShortHands.lib", IDS_ABOUT_USER_SHORTHANDS_LIB},
    {"German.lib", IDS_ABOUT_GERMAN_LIB},
    {"French.lib", IDS_ABOUT_FRENCH_LIB},
    {"Spanish.lib", IDS_ABOUT_SPANISH_LIB},
    {"Italian.lib", IDS_ABOUT_ITALIAN_LIB},
    {"Portuguese.lib", IDS_ABOUT_PORTUGUESE_LIB},
    {"Dutch.lib", IDS_ABOUT_DUTCH_LIB},
    {"Polish.lib", IDS_ABOUT_POLISH_LIB},
    {"Swedish.lib", IDS_ABOUT_SWEDISH_LIB},
    {"Russian.lib", IDS_ABOUT_RUSSIAN_LIB},
};

// The file's own description, or for a bundled file without one, what it holds.
std::string DescriptionOf(const std::string& path, const CDictionaryFile& dictionary)
{
    if (!dictionary.Description().empty())
        return dictionary.Description();
    const std::string name = FileNameOf(path);
    for (const BundledDescription& bundled : kBundledDescriptions) {
        if (::lstrcmpiA(name.c_str(), bundled.fileName) == 0)
            return wnd::LoadResourceString(bundled.textId);
    }
    return std::string();
}

}  // namespace

CDictionariesManager::CDictionariesManager(std::string programDirectory)
    : CDialog(IDD_DICT_MANAGER),
      m_programDirectory(std::move(programDirectory)),
      m_enableStore(std::make_unique<CDictionaryEnableSettings>(
          pvbase::ConfigIniPath(pvbase::WithTrailingSeparator(m_programDirectory)))),
      m_set(m_enableStore.get())
{
}

CDictionariesManager::~CDictionariesManager() = default;

bool CDictionariesManager::Run(HWND owner)
{
    CDictionariesManager manager(pvbase::ProgramDirectory());
    return wnd::RunModal(manager, owner).EndedWithOk();
}

BOOL CDictionariesManager::OnInitDialog()
{
    m_list.Attach(Item(IDC_MANAGER_LIST));
    // The name column holds the longest bundled caption ("Portuguese words") whole.
    m_list.SetColumns({{IDS_COLUMN_DICT_NAME, 135, LVCFMT_CENTER},
                       {IDS_COLUMN_DICT_TYPE, 110, LVCFMT_CENTER},
                       {IDS_COLUMN_DESCRIPTION, 185, LVCFMT_CENTER},
                       {IDS_COLUMN_FILE_PATH, 200, LVCFMT_CENTER}});
    m_list.AddExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    m_pathColumn.Attach(m_list, kPathColumn, [this](int row) {
        const LPARAM index = m_list.ItemData(row);
        return index >= 0 && index < m_set.Count() ? m_set.PathAt(static_cast<int>(index)) : std::string();
    });
    FillList();
    ::SetTimer(Handle(), kReportDamagedTimer, 0, nullptr);
    return TRUE;
}

LRESULT CDictionariesManager::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_TIMER:
            if (wParam != kReportDamagedTimer)
                break;
            ::KillTimer(Handle(), kReportDamagedTimer);
            ReportDamaged();
            return 0;
        case WM_DESTROY:
            m_set.CloseAll();
            break;
        default:
            break;
    }
    return CDialog::HandleMessage(msg, wParam, lParam);
}

void CDictionariesManager::FillList()
{
    // Rows are refilled after an edit; what the user ticked meanwhile is not lost.
    std::map<std::string, bool> shownChecks;
    for (int row = 0; row < m_list.ItemCount(); ++row) {
        const LPARAM index = m_list.ItemData(row);
        if (index >= 0 && index < m_set.Count())
            shownChecks[m_set.PathAt(static_cast<int>(index))] = m_list.IsChecked(row);
    }
    m_list.DeleteAllItems();
    m_set.CloseAll();
    if (m_programDirectory.empty())
        return;
    // Read-only: the manager only shows what the files say; the editor and the copy write them.
    m_set.LoadFiles(ListMatchingFiles(m_programDirectory + "libs\\*.lib"), true);
    for (int index = 0; index < m_set.Count(); ++index) {
        const auto shown = shownChecks.find(m_set.PathAt(index));
        AddRow(index, shown != shownChecks.end() ? shown->second : m_set.IsEnabled(m_set.PathAt(index)));
    }
    m_pathColumn.Fit();
    EnableItem(IDC_MANAGER_EDIT, SelectedDictionary() >= 0);
}

void CDictionariesManager::AddRow(int index, bool checked)
{
    const std::string& path = m_set.PathAt(index);
    const CDictionaryFile& dictionary = m_set.Dictionary(index);
    std::vector<std::string> cells;
    if (IsDamaged(index))
        cells = {FileNameOf(path), "", "", path};
    else
        cells = {dictionary.DisplayName(), DictionaryTypeName(dictionary.Type()), DescriptionOf(path, dictionary),
                 path};
    const int row = m_list.AddRow(cells, index);
    if (row >= 0)
        m_list.SetChecked(row, checked);
}

void CDictionariesManager::ReportDamaged()
{
    std::string paths;
    for (int index = 0; index < m_set.Count(); ++index) {
        if (IsDamaged(index) && m_reportedDamaged.insert(m_set.PathAt(index)).second)
            paths += "\n" + m_set.PathAt(index);
    }
    if (!paths.empty())
        wnd::ShowError(Handle(), wnd::ResourceText(IDS_DICT_DAMAGED_LIST, {paths}));
}

int CDictionariesManager::SelectedDictionary() const
{
    const int row = m_list.SelectedIndex();
    if (row < 0)
        return -1;
    const LPARAM index = m_list.ItemData(row);
    return index >= 0 && index < m_set.Count() ? static_cast<int>(index) : -1;
}

bool CDictionariesManager::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
        case IDC_MANAGER_CREATE:
            CreateDictionary();
            return true;
        case IDC_MANAGER_EDIT:
            EditSelected();
            return true;
        case IDC_MANAGER_ENCRYPT:
            EncryptSelected();
            return true;
        default:
            return false;
    }
}

bool CDictionariesManager::OnNotify(const NMHDR& header, LRESULT&)
{
    if (header.idFrom == IDC_MANAGER_LIST && header.code == LVN_ITEMCHANGED) {
        EnableItem(IDC_MANAGER_EDIT, SelectedDictionary() >= 0);  // Edit needs a row
        return false;
    }
    if (header.idFrom != IDC_MANAGER_LIST || header.code != NM_DBLCLK)
        return false;
    if (SelectedDictionary() >= 0)
        EditSelected();
    return true;
}

void CDictionariesManager::CreateDictionary()
{
    const std::optional<NewDictionaryChoice> choice = CNewDictionaryDialog::Run(Handle());
    if (!choice)
        return;
    CDictionaryFile dictionary;
    if (!dictionary.Open(choice->path)) {
        wnd::ShowError(Handle(), IDS_DICT_NOT_CREATED);
        return;
    }
    dictionary.SetType(choice->type);
    dictionary.SetDescription(choice->description);
    dictionary.SetCaption(choice->name);
    dictionary.SetEditFlags(1);
    const bool written = dictionary.WriteInfo();
    dictionary.Close();
    if (!written) {
        wnd::ShowError(Handle(), IDS_DICT_NOT_CREATED);
        return;
    }
    CDictionaryEditor::Run(Handle(), choice->path, true);
    // Listed even when the editor was cancelled: the file exists now.
    FillList();
}

void CDictionariesManager::EditSelected()
{
    const int index = SelectedDictionary();
    if (index < 0)
        return;
    const std::string path = m_set.PathAt(index);
    if (IsDamaged(index)) {
        wnd::ShowError(Handle(), wnd::ResourceText(IDS_DICT_DAMAGED_EDIT, {path}));
        return;
    }
    const bool canEdit = (m_set.Dictionary(index).EditFlags() & 1) != 0;
    if (CDictionaryEditor::Run(Handle(), path, canEdit))
        FillList();
}

void CDictionariesManager::EncryptSelected()
{
    const int index = SelectedDictionary();
    if (index < 0)
        return;
    const std::string path = m_set.PathAt(index);
    if (IsDamaged(index)) {
        wnd::ShowError(Handle(), wnd::ResourceText(IDS_DICT_DAMAGED_COPY, {path}));
        return;
    }
    if (CopyEncrypted(path, path + ".dic"))
        wnd::ShowInfo(Handle(), wnd::ResourceText(IDS_SCRAMBLED_SAVED, {path + ".dic"}));
    else
        wnd::ShowError(Handle(), wnd::ResourceText(IDS_SCRAMBLED_NOT_SAVED, {path + ".dic"}));
}

bool CDictionariesManager::SaveEnableFlags()
{
    bool saved = true;
    for (int row = 0; row < m_list.ItemCount(); ++row) {
        const LPARAM index = m_list.ItemData(row);
        if (index >= 0 && index < m_set.Count())
            saved = m_set.SetEnabled(m_set.PathAt(static_cast<int>(index)), m_list.IsChecked(row)) && saved;
    }
    return saved;
}

void CDictionariesManager::OnOK()
{
    if (!SaveEnableFlags())
        wnd::ShowError(Handle(), IDS_CHOICE_NOT_SAVED);
    EndDialog(IDOK);
}
