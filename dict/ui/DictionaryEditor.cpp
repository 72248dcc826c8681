#include "dict/ui/DictionaryEditor.h"

#include <cstdio>

#include "base/FileIo.h"
#include "config/ProgressPosition.h"
#include "dict/DictionaryText.h"
#include "dict/TextImport.h"
#include "dict/interchange/ShorthandImport.h"
#include "dict/ui/DictUiIds.h"
#include "dict/ui/ImportPreviewDialog.h"
#include "dict/ui/DictionaryTypes.h"
#include "dict/ui/TextFileWork.h"
#include "res/resource.h"
#include "wnd/Controls.h"
#include "wnd/Language.h"
#include "wnd/MessageBoxes.h"
#include "wnd/ModalRunner.h"
#include "wnd/ProgressWindow.h"

namespace {

// Posted to itself: a read-only dictionary is said once the dialog shows.
constexpr UINT WM_TELL_READ_ONLY = WM_APP + 1;
const char kUserShortHands[] = "\\Libs\\UserShortHands.lib";
const char kUserDictionary[] = "\\Libs\\UserDictionary.lib";
// A query that walks longer than this shows the progress window.
constexpr DWORD kProgressDelayMs = 300;
constexpr int kKeyColumnWidth = 150;
constexpr int kDataColumnWidth = 300;

// Line breaks and tabs of a data text shown on one list row.
std::string OneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    }
    return text;
}

std::string ImportProblemText(TextImportReport::Problem problem, const std::string& path)
{
    switch (problem) {
        case TextImportReport::Problem::Unreadable:
            return wnd::ResourceText(IDS_IMPORT_UNREADABLE, {path});
        case TextImportReport::Problem::Empty:
            return wnd::ResourceText(IDS_IMPORT_EMPTY, {path});
        case TextImportReport::Problem::NotText:
            return wnd::ResourceText(IDS_IMPORT_NOT_TEXT, {path});
        default:
            return std::string();
    }
}

// The editor's own tagged text: read by the text import, whatever else it looks like.
bool IsTaggedText(const std::string& bytes)
{
    const std::string start = bytes.substr(0, 4096);
    return start.find("<key>") != std::string::npos || start.find("<shortkey>") != std::string::npos;
}

// The export format of the filter chosen (1: tagged text), or else of the file's extension.
std::optional<interchange::ExportFormat> ExportFormatOf(int filter, const std::string& path)
{
    using interchange::ExportFormat;
    switch (filter) {
        case 2:
            return ExportFormat::Espanso;
        case 3:
            return ExportFormat::AutoHotkey;
        case 4:
            return ExportFormat::Csv;
        case 5:
            return ExportFormat::Words;
        default:
            break;
    }
    const std::size_t dot = path.find_last_of('.');
    const std::string extension = dot == std::string::npos ? std::string() : path.substr(dot);
    if (extension == ".yml" || extension == ".yaml")
        return ExportFormat::Espanso;
    if (extension == ".ahk")
        return ExportFormat::AutoHotkey;
    if (extension == ".csv")
        return ExportFormat::Csv;
    return std::nullopt;
}

}  // namespace

// The data edit takes the Tab key as text instead of moving the focus.
class CDictionaryEditor::CDataEdit : public wnd::CWindow {
protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_GETDLGCODE) {
            const auto* pending = reinterpret_cast<const MSG*>(lParam);
            const LRESULT code = wnd::CWindow::HandleMessage(msg, wParam, lParam);
            if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_TAB)
                return code | DLGC_WANTTAB | DLGC_WANTMESSAGE;
            return code;
        }
        return wnd::CWindow::HandleMessage(msg, wParam, lParam);
    }
};

CDictionaryEditor::CDictionaryEditor(std::string path, bool canEdit)
    : CDialog(IDD_DICT_EDITOR), m_path(std::move(path)), m_canEdit(canEdit), m_focusedEdit(IDC_EDITOR_KEY)
{
    // A large dictionary opens while the dialog and its controls are being made (or, without a
    // thread to spare, when the dialog asks for it).
    m_opened = std::async(std::launch::async | std::launch::deferred, [this] { return m_dictionary.Open(m_path); });
}

CDictionaryEditor::~CDictionaryEditor()
{
    if (m_opened.valid())
        m_opened.wait();  // a dialog that never opened still waits for its file
}

bool CDictionaryEditor::Run(HWND owner, const std::string& path, bool canEdit)
{
    CDictionaryEditor editor(path, canEdit);
    return wnd::RunModal(editor, owner).EndedWithOk();
}

BOOL CDictionaryEditor::OnInitDialog()
{
    wnd::InitCommonControlsOnce();
    m_dataEdit = std::make_unique<CDataEdit>();
    m_dataEdit->Subclass(Item(IDC_EDITOR_DATA));
    SetChecked(IDC_EDITOR_CAN_EDIT, m_canEdit);
    FillDictionaryTypes(Item(IDC_DICT_TYPE));
    SetUpList();
    wnd::FitDialogToWorkArea(Handle(), Item(IDC_EDITOR_LIST));  // small screens at large scales
    if (OpenDictionary()) {
        EnableItem(IDC_EDITOR_IMPORT, true);
        EnableItem(IDC_EDITOR_EXPORT, true);
        ShowProperties();
        Query(std::string());
        if (m_dictionary.IsReadOnly())
            ShowReadOnly();  // said once the dialog shows: posted
    } else {
        EnableItem(IDC_EDITOR_MISC_KEY, false);
        ShowStatus();
    }
    return TRUE;
}

bool CDictionaryEditor::OpenDictionary()
{
    if (m_opened.get()) {
        // Entries are edited as stored, without the caption line the prompt shows.
        m_dictionary.SetCaptionHeader(false);
        return true;
    }
    // A damaged file is never written: the dialog stays empty and OK writes nothing.
    wnd::ShowError(Handle(),
                   wnd::ResourceText(IDS_DICT_NOT_OPENED, {wnd::FileFaultText(m_dictionary.OpenFault()), m_path}));
    return false;
}

void CDictionaryEditor::ShowReadOnly()
{
    for (int id : {IDC_EDITOR_ADD, IDC_EDITOR_SAVE, IDC_EDITOR_DELETE, IDC_EDITOR_IMPORT, IDC_DICT_TYPE})
        EnableItem(id, false);
    for (int id : {IDC_DICT_NAME, IDC_DICT_DESCRIPTION, IDC_EDITOR_DATA})
        ::SendMessageW(Item(id), EM_SETREADONLY, TRUE, 0);
    Post(WM_TELL_READ_ONLY);
}

void CDictionaryEditor::ShowProperties()
{
    const bool shorthand = m_dictionary.Type() == DICTIONARY_SHORTHAND;
    m_list.SetColumns({{shorthand ? UINT(IDS_COLUMN_SHORTHAND) : UINT(IDS_COLUMN_SPELLING), kKeyColumnWidth},
                       {shorthand ? UINT(IDS_COLUMN_FULL_TEXT) : UINT(IDS_COLUMN_REMARK), kDataColumnWidth}});
    const HWND typeCombo = Item(IDC_DICT_TYPE);
    const int count = static_cast<int>(::SendMessageW(typeCombo, CB_GETCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        if (::SendMessageW(typeCombo, CB_GETITEMDATA, item, 0) == m_dictionary.Type())
            ::SendMessageW(typeCombo, CB_SETCURSEL, item, 0);
    }
    SetItemText(IDC_EDITOR_KEY_LABEL, wnd::LoadResourceString(shorthand ? IDS_LABEL_SHORTHAND : IDS_LABEL_WORD));
    SetItemText(IDC_EDITOR_DATA_LABEL, wnd::LoadResourceString(shorthand ? IDS_LABEL_FULL_TEXT : IDS_LABEL_NOTE));
    SetItemText(IDC_DICT_NAME, m_dictionary.DisplayName());
    // Titled as the menu item that opens it names the dictionary.
    if (!m_dictionary.DisplayName().empty())
        SetText(m_dictionary.DisplayName());
    SetItemText(IDC_DICT_DESCRIPTION, m_dictionary.Description());
    if ((m_dictionary.EditFlags() & 1) == 0) {
        EnableItem(IDC_EDITOR_EXPORT, false);
        EnableItem(IDC_EDITOR_IMPORT, false);
        EnableItem(IDC_DICT_TYPE, false);
    }
    EnableMiscKey();
}

void CDictionaryEditor::SetUpList()
{
    m_list.Attach(Item(IDC_EDITOR_LIST));
    m_list.AddExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    m_images.Reset(::ImageList_LoadImageW(wnd::ResourceInstance(), MAKEINTRESOURCEW(IDB_CANDIDATE_KINDS), 16, 1,
                                          RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
    m_list.SetImageList(m_images.Get(), LVSIL_SMALL);
    m_list.SetCellText([this](int row, int column) { return CellText(row, column); });
    // The strip's first image is a word, its second a shorthand.
    m_list.SetCellImage([this](int) { return m_dictionary.Type() == DICTIONARY_SHORTHAND ? 1 : 0; });
}

std::string CDictionaryEditor::CellText(int row, int column)
{
    std::string key, data;
    if (!m_rows.Read(row, key, data))
        return std::string();
    return column == 0 ? key : OneLine(std::move(data));
}

LRESULT CDictionaryEditor::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TELL_READ_ONLY) {
        wnd::ShowInfo(Handle(), wnd::ResourceText(IDS_DICT_READ_ONLY, {m_path}));
        return 0;
    }
    if (msg == WM_DESTROY) {
        // Commits what Add left pending.
        m_rows.Clear();
        m_dictionary.Close();
    }
    return CDialog::HandleMessage(msg, wParam, lParam);
}

bool CDictionaryEditor::OnCommand(int id, int code, HWND)
{
    if (id >= ID_MISC_FIRST && id <= ID_MISC_LAST) {
        InsertMacro(id);
        return true;
    }
    switch (id) {
        case IDC_EDITOR_QUERY:
            Query(ItemText(IDC_EDITOR_KEY));
            return true;
        case IDC_EDITOR_RELOAD:
            SetItemText(IDC_EDITOR_KEY, std::string());
            SetItemText(IDC_EDITOR_DATA, std::string());
            Query(std::string());
            return true;
        case IDC_EDITOR_ADD:
            Add();
            return true;
        case IDC_EDITOR_SAVE:
            Save();
            return true;
        case IDC_EDITOR_DELETE:
            Delete();
            return true;
        case IDC_EDITOR_IMPORT:
            Import();
            return true;
        case IDC_EDITOR_EXPORT:
            Export();
            return true;
        case IDC_EDITOR_MISC_KEY:
            ShowMiscMenu();
            return true;
        case IDC_DICT_TYPE:
            if (code == CBN_SELCHANGE)
                EnableMiscKey();
            return code == CBN_SELCHANGE;
        case IDC_EDITOR_KEY:
        case IDC_EDITOR_DATA:
            if (code == EN_SETFOCUS)
                m_focusedEdit = id;
            else if (code == EN_CHANGE && id == IDC_EDITOR_KEY)
                OnKeyChanged();
            else if (code == EN_CHANGE)
                OnDataChanged();
            return code == EN_SETFOCUS || code == EN_CHANGE;
        default:
            return false;
    }
}

bool CDictionaryEditor::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (m_list.HandleNotify(header, result))
        return true;
    if (header.hwndFrom != m_list.Handle())
        return false;
    if (header.code != LVN_ITEMCHANGED && header.code != LVN_ODSTATECHANGED)
        return false;
    OnSelectionChanged();
    result = 0;
    return true;
}

void CDictionaryEditor::OnSelectionChanged()
{
    if (m_list.SelectedCount() != 1)
        return;
    std::string key, data;
    if (!m_rows.Read(m_list.SelectedIndex(), key, data))
        return;
    m_loadedKey = key;
    m_loadedData = data;
    SetItemText(IDC_EDITOR_KEY, key);
    SetItemText(IDC_EDITOR_DATA, data);
    EnableItem(IDC_EDITOR_DELETE, true);
}

void CDictionaryEditor::OnKeyChanged()
{
    const std::string key = ItemText(IDC_EDITOR_KEY);
    if (key.empty()) {
        EnableItem(IDC_EDITOR_ADD, false);
        EnableItem(IDC_EDITOR_SAVE, false);
    } else if (key != m_loadedKey) {
        EnableItem(IDC_EDITOR_ADD, true);
        EnableItem(IDC_EDITOR_SAVE, false);
    } else {
        EnableItem(IDC_EDITOR_ADD, false);
    }
}

void CDictionaryEditor::OnDataChanged()
{
    EnableItem(IDC_EDITOR_SAVE, ItemText(IDC_EDITOR_DATA) != m_loadedData);
}

void CDictionaryEditor::EnableMiscKey()
{
    EnableItem(IDC_EDITOR_MISC_KEY, wnd::SelectedComboData(Item(IDC_DICT_TYPE)) == DICTIONARY_SHORTHAND);
}

void CDictionaryEditor::Query(const std::string& text)
{
    m_list.SetItemCount(0);  // also drops the selection
    EnableItem(IDC_EDITOR_DELETE, false);
    CProgressPosition place;
    std::unique_ptr<wnd::CProgressWindow> progress;
    const DWORD started = ::GetTickCount();
    m_rows.Query(m_dictionary, text, [&](int found) {
        if (!progress && ::GetTickCount() - started >= kProgressDelayMs) {
            wnd::ProgressWindowOptions options;
            options.owner = Handle();
            options.title = wnd::kProgramCaption;
            options.position = &place;
            progress = std::make_unique<wnd::CProgressWindow>(options);
            progress->SetText("%s", wnd::LoadResourceString(IDS_EDITOR_LOADING).c_str());
            progress->SetRange(0, m_dictionary.CountEntries());
            progress->MakeModal();  // the editor takes no commands meanwhile
        }
        if (!progress)
            return true;
        progress->SetPosition(found);
        progress->ProcessMessages();
        return !progress->IsCancelled();
    });
    m_list.SetItemCount(m_rows.Count());
    ShowStatus();
}

void CDictionaryEditor::ShowStatus()
{
    SetItemText(IDC_EDITOR_STATUS, wnd::ResourceText(IDS_EDITOR_STATUS, {std::to_string(m_dictionary.CountEntries()),
                                                                         std::to_string(m_rows.Count())}));
}

void CDictionaryEditor::Add()
{
    const std::string key = ItemText(IDC_EDITOR_KEY);
    DictionaryMatch match;
    if (m_dictionary.Search().ContainsKey(key, match, MATCH_START)) {
        wnd::ShowInfo(Handle(), wnd::ResourceText(IDS_EDITOR_ALREADY_THERE, {key}), MB_ICONSTOP);
        return;
    }
    if (m_dictionary.IsReadOnly())
        return;
    if (m_dictionary.AddEntry(key, ItemText(IDC_EDITOR_DATA))) {
        // The fields now show a stored entry: nothing typed is left to lose.
        m_loadedKey = key;
        m_loadedData = ItemText(IDC_EDITOR_DATA);
        EnableItem(IDC_EDITOR_ADD, false);
        EnableItem(IDC_EDITOR_SAVE, false);
        wnd::ShowInfo(Handle(), wnd::ResourceText(IDS_EDITOR_ADDED, {key}));
    }
    Query(key);
}

void CDictionaryEditor::Save()
{
    WriteProperties();
    const std::string key = ItemText(IDC_EDITOR_KEY);
    const bool saved = m_dictionary.ReplaceEntry(key, key, ItemText(IDC_EDITOR_DATA));
    wnd::ShowInfo(Handle(), wnd::ResourceText(saved ? IDS_EDITOR_SAVED : IDS_EDITOR_NOT_SAVED, {key}),
                  saved ? MB_ICONINFORMATION : MB_ICONSTOP);
    Query(key);
}

void CDictionaryEditor::Delete()
{
    const std::vector<int> selected = m_list.SelectedIndexes();
    if (selected.empty()) {
        wnd::ShowError(Handle(), IDS_SELECT_TO_DELETE);
        return;
    }
    // Keys first: every removal moves the rows behind it.
    std::vector<std::string> keys;
    std::string key, data;
    for (int row : selected) {
        if (m_rows.Read(row, key, data) && !key.empty())
            keys.push_back(key);
    }
    if (keys.empty() || wnd::Ask(Handle(), DeleteQuestion(keys, m_dictionary.Type() == DICTIONARY_SHORTHAND)) != IDOK)
        return;
    for (const std::string& doomed : keys) {
        if (!m_dictionary.RemoveEntry(doomed)) {
            wnd::ShowError(Handle(), IDS_DELETE_FAILED);
            Query(std::string());
            return;
        }
    }
    wnd::ShowInfo(Handle(), "Delete Succeed!");
    Query(std::string());
}

void CDictionaryEditor::Import()
{
    wnd::FileDialogOptions options = TextFileOptions(Handle());
    options.filter =
        "Text and shorthand files|*.txt;*.yml;*.yaml;*.ahk;*.json;*.csv|Text (*.txt)|*.txt|"
        "espanso (*.yml)|*.yml;*.yaml|AutoHotkey (*.ahk)|*.ahk|Beeftext (*.json)|*.json|CSV (*.csv)|*.csv|"
        "All Files (*.*)|*.*||";
    options.fileName.clear();
    const std::optional<std::string> path = wnd::AskOpenFile(options);
    if (!path)
        return;
    if (ImportShorthands(*path))
        return;
    int count = 0;
    TextImportReport report;
    WithWaitDialog(Handle(), Handle(), wnd::LoadResourceString(IDS_IMPORTING), [&](IWaitProgress* wait) {
        count = ImportDictionaryText(m_dictionary, *path, wait, &report);
        // A tagged file without entries is not a word list: its tags would become words.
        const bool cancelled = wait && wait->Cancelled();
        if (count <= 0 && report.problem == TextImportReport::Problem::None && !report.tagged && !cancelled)
            count = ImportDictionaryWords(m_dictionary, *path, wait, &report);
    });
    if (report.problem != TextImportReport::Problem::None) {
        wnd::ShowError(Handle(), ImportProblemText(report.problem, *path));
        return;
    }
    std::string message = wnd::ResourceText(IDS_IMPORTED, {std::to_string(count)});
    if (report.unconvertible > 0)
        message += "\r\n" + wnd::ResourceText(IDS_BROKEN_LEFT_OUT, {std::to_string(report.unconvertible)});
    wnd::ShowInfo(Handle(), message);
    Query(std::string());
}

bool CDictionaryEditor::ImportShorthands(const std::string& path)
{
    std::string bytes;
    if (!pvbase::ReadWholeFile(path, bytes) || IsTaggedText(bytes))
        return false;
    interchange::ShorthandImportPlan plan;
    WithWaitDialog(Handle(), Handle(), "Reading the file ... ",
                   [&](IWaitProgress*) { plan = interchange::PlanShorthandImportOfBytes(bytes, m_dictionary); });
    // A table is taken for shorthands only in a shorthand dictionary or from a .csv file: any
    // word list with a comma on its first line would look like one.
    const bool csvName =
        path.size() > 4 && (path.substr(path.size() - 4) == ".csv" || path.substr(path.size() - 4) == ".CSV");
    if (plan.format == interchange::ShorthandFormat::Unknown ||
        (plan.format == interchange::ShorthandFormat::Csv && !csvName && m_dictionary.Type() != DICTIONARY_SHORTHAND))
        return false;
    if (!plan.problem.empty()) {
        wnd::ShowError(Handle(), plan.problem + " Nothing was imported:\r\n" + path);
        return true;
    }
    const std::optional<std::vector<interchange::ClashChoice>> choices = CImportPreviewDialog::Run(Handle(), plan);
    if (!choices)
        return true;
    int count = 0;
    WithWaitDialog(Handle(), Handle(), "Importing! Please wait ... ",
                   [&](IWaitProgress*) { count = interchange::ImportShorthandPlan(m_dictionary, plan, *choices); });
    if (count < 0)
        wnd::ShowError(Handle(), "The dictionary could not be written (" + FaultReason() + ").");
    else
        wnd::ShowInfo(Handle(), Formatted("%d shorthands have been imported.", count));
    Query(std::string());
    return true;
}

void CDictionaryEditor::Export()
{
    wnd::FileDialogOptions options = TextFileOptions(Handle());
    options.filter =
        "Text (*.txt)|*.txt|espanso (*.yml)|*.yml|AutoHotkey (*.ahk)|*.ahk|CSV (*.csv)|*.csv|"
        "Word list with ranks (*.txt)|*.txt||";
    int filter = 1;
    options.filterIndex = &filter;
    const std::optional<std::string> path = wnd::AskSaveFile(options);
    if (!path)
        return;
    const std::optional<interchange::ExportFormat> format = ExportFormatOf(filter, *path);
    if (format) {
        ExportAs(*path, *format);
        return;
    }
    int count = 0;
    bool cancelled = false;
    WithWaitDialog(Handle(), Handle(), wnd::LoadResourceString(IDS_EXPORTING), [&](IWaitProgress* wait) {
        // What Add left pending goes into the file first, so that file and export agree.
        m_dictionary.Commit();
        count = ExportDictionaryText(m_dictionary, *path, wait);
        cancelled = wait && wait->Cancelled();
    });
    if (count == 0 && m_dictionary.CountEntries() > 0 && !cancelled) {
        wnd::ShowError(Handle(), wnd::ResourceText(IDS_EXPORT_NOT_WRITTEN, {*path}));
        return;
    }
    wnd::ShowInfo(Handle(), wnd::ResourceText(IDS_EXPORTED, {std::to_string(count)}));
}

void CDictionaryEditor::ExportAs(const std::string& path, interchange::ExportFormat format)
{
    interchange::ShorthandExportResult result;
    WithWaitDialog(Handle(), Handle(), "Exporting! Please wait ... ", [&](IWaitProgress*) {
        m_dictionary.Commit();
        result = interchange::ExportDictionary(m_dictionary, path, format);
    });
    if (!result.written) {
        wnd::ShowError(Handle(), "The file could not be written; nothing was exported:\r\n" + path);
        return;
    }
    std::string message = Formatted("%d items have been successfully exported !", result.entries);
    if (!result.notHeld.empty())
        message += Formatted("\r\n%d could not be written as they are:", static_cast<int>(result.notHeld.size()));
    constexpr std::size_t kShown = 12;
    for (std::size_t i = 0; i < result.notHeld.size() && i < kShown; ++i)
        message += "\r\n" + result.notHeld[i].what + ": " + result.notHeld[i].reason;
    if (result.notHeld.size() > kShown)
        message += "\r\n...";
    wnd::ShowInfo(Handle(), message);
}

void CDictionaryEditor::ShowMiscMenu()
{
    wnd::MenuHandle menu(wnd::LoadUiMenu(IDR_MISC_MENU));
    const HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup)
        return;
    RECT button{};
    ::GetWindowRect(Item(IDC_EDITOR_MISC_KEY), &button);
    const int command = static_cast<int>(::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD,
                                                          button.right, button.top, 0, Handle(), nullptr));
    if (command >= ID_MISC_FIRST && command <= ID_MISC_LAST)
        InsertMacro(command);
}

void CDictionaryEditor::InsertMacro(int commandId)
{
    // The item's text is the macro's name.
    wnd::MenuHandle menu(wnd::LoadUiMenu(IDR_MISC_MENU));
    wchar_t name[64] = L"";
    if (!menu || ::GetMenuStringW(menu.Get(), commandId, name, 64, MF_BYCOMMAND) <= 0)
        return;
    const HWND edit = Item(m_focusedEdit);
    ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(name));
    ::SetFocus(edit);
}

void CDictionaryEditor::OnOK()
{
    // Nothing could be changed in a dictionary that did not open or may only be read.
    if (m_dictionary.IsOpen() && !m_dictionary.IsReadOnly() && !WriteProperties()) {
        // The entries added stay pending in memory: OK again writes them.
        wnd::ShowError(Handle(), wnd::ResourceText(IDS_DICT_NOT_SAVED, {FaultReason(), m_path}));
        return;
    }
    EndDialog(IDOK);
}

void CDictionaryEditor::OnCancel()
{
    // A key or text typed but neither added nor saved would be lost without a word.
    const bool unsavedInput = ::IsWindowEnabled(Item(IDC_EDITOR_ADD)) || ::IsWindowEnabled(Item(IDC_EDITOR_SAVE));
    if (unsavedInput && wnd::Ask(Handle(), IDS_UNSAVED_INPUT, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    if (m_dictionary.IsOpen() && !m_dictionary.IsReadOnly()) {
        // What Add left pending is kept on the way out, as a close always did.
        const bool saved = ApplyUserFileRules() ? m_dictionary.WriteInfo() : m_dictionary.Commit();
        if (!saved && wnd::ShowMessage(Handle(), wnd::ResourceText(IDS_DICT_CLOSE_WITHOUT, {FaultReason(), m_path}),
                                       wnd::kErrorCaption, MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON2) != IDYES)
            return;
    }
    EndDialog(IDCANCEL);
}

std::string CDictionaryEditor::FaultReason() const
{
    return wnd::FileFaultText(m_dictionary.CommitFault());
}

bool CDictionaryEditor::WriteProperties()
{
    if (!m_dictionary.IsOpen())
        return false;
    const LPARAM type = wnd::SelectedComboData(Item(IDC_DICT_TYPE));
    if (type == DICTIONARY_WORDS || type == DICTIONARY_SHORTHAND)
        m_dictionary.SetType(static_cast<int>(type));
    m_dictionary.SetDescription(ItemText(IDC_DICT_DESCRIPTION));
    m_dictionary.SetCaption(ItemText(IDC_DICT_NAME));
    const int canEdit = IsChecked(IDC_EDITOR_CAN_EDIT) ? 1 : 0;
    m_dictionary.SetEditFlags((m_dictionary.EditFlags() & ~1) | canEdit);
    ApplyUserFileRules();
    return m_dictionary.WriteInfo();
}

bool CDictionaryEditor::ApplyUserFileRules()
{
    int type = 0;
    if (m_path.find(kUserShortHands) != std::string::npos)
        type = DICTIONARY_SHORTHAND;
    else if (m_path.find(kUserDictionary) != std::string::npos)
        type = DICTIONARY_WORDS;
    if (type == 0)
        return false;
    m_dictionary.SetType(type);
    m_dictionary.SetEditFlags(m_dictionary.EditFlags() | 1);
    return true;
}
