#include "dict/ui/AutoLearnPage.h"

#include <algorithm>
#include <cstdio>

#include "base/FileIo.h"
#include "config/AppSettings.h"
#include "config/SettingsErrors.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/AutoLearnList.h"
#include "dict/DocumentTeaching.h"
#include "dict/DocumentTeachingJob.h"
#include "dict/TeachingRanks.h"
#include "config/ui/ConfigUiIds.h"
#include "dict/ui/DictUiIds.h"
#include "dict/ui/DictionaryTypes.h"
#include "dict/ui/TeachProgressDialog.h"
#include "dict/ui/TextFileWork.h"
#include "wnd/DataExchange.h"
#include "wnd/FileDialogs.h"
#include "wnd/MessageBoxes.h"

CAutoLearnPage::CAutoLearnPage(CAppSettings& settings, IAutoLearnHome& home)
    : CDialogPage(IDD_AUTOLEARN_PAGE), m_settings(settings), m_home(home), m_list(std::make_unique<CAutoLearnList>())
{
}

CAutoLearnPage::~CAutoLearnPage() = default;

BOOL CAutoLearnPage::OnInitDialog()
{
    wnd::SetSpinRange(Item(IDC_AUTOLEARN_MIN_LENGTH_SPIN), 1, settings_ranges::nMinLearnLength.maximum);
    m_listView.Attach(Item(IDC_AUTOLEARN_LIST));
    m_listView.AddExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    m_listView.SetColumns({{IDS_COLUMN_WORDS_PHRASES, 150}, {IDS_COLUMN_TYPE_TIMES, 80}});
    m_listView.SetCellText([this](int row, int column) { return CellText(row, column); });
    return CDialogPage::OnInitDialog();
}

void CAutoLearnPage::ReadModel()
{
    m_settings.LoadAutoLearn();
    m_values = m_read = m_settings.Values();
    // No word is shorter than one character: 0 learns what 1 learns, and the field shows that.
    if (m_values.nMinLearnLength == 0)
        m_values.nMinLearnLength = m_read.nMinLearnLength = 1;
}

void CAutoLearnPage::Exchange(wnd::CDataExchange& dx)
{
    dx.Check(IDC_AUTOLEARN_ENABLE, m_values.bEnableAutolearn);
    dx.Number(IDC_AUTOLEARN_MIN_LENGTH, m_values.nMinLearnLength, settings_ranges::nMinLearnLength);
    dx.Text(IDC_AUTOLEARN_SEPARATORS, m_values.strSeparate);
    if (dx.IsSaving() && m_values.strSeparate.empty())
        dx.Fail(IDC_AUTOLEARN_SEPARATORS, wnd::LoadResourceString(IDS_NO_SEPARATORS));
}

bool CAutoLearnPage::WriteModel()
{
    CopySettings(settings_sections::kAutoLearn, m_values, m_settings.Values());
    if (!m_settings.SaveAutoLearn()) {
        wnd::ShowError(Handle(), SettingsNotSavedMessage(m_settings, wnd::LoadResourceString(IDS_OPTIONS_NOT_SAVED),
                                                         wnd::FileFaultText));
        return false;
    }
    m_read = m_values;
    // An unchanged list is not written: words learnt meanwhile stay.
    return !m_listChanged || SaveList();
}

bool CAutoLearnPage::IsChanged() const
{
    if (m_listChanged)
        return true;
    if (!Handle())
        return false;
    bool ok = false;
    const int minLength = ItemInt(IDC_AUTOLEARN_MIN_LENGTH, &ok);
    return IsChecked(IDC_AUTOLEARN_ENABLE) != (m_read.bEnableAutolearn != 0) ||
           (ok && static_cast<std::uint32_t>(minLength) != m_read.nMinLearnLength) ||
           ItemText(IDC_AUTOLEARN_SEPARATORS) != m_read.strSeparate;
}

void CAutoLearnPage::FillList()
{
    if (m_filled)
        return;
    m_filled = true;
    m_list->Assign(m_home.LearntWords());
    ShowRows();
}

void CAutoLearnPage::ShowRows()
{
    m_listView.SetItemCount(0);  // also drops the selection
    m_listView.SetItemCount(m_list->Count());
}

std::string CAutoLearnPage::CellText(int row, int column) const
{
    if (row < 0 || row >= m_list->Count())
        return std::string();
    const AutoLearnRecord& record = m_list->Row(row);
    return column == 0 ? record.text : Formatted("%d", record.count);
}

bool CAutoLearnPage::OnCommand(int id, int code, HWND)
{
    switch (id) {
        case IDC_AUTOLEARN_ADD:
            Add();
            return true;
        case IDC_AUTOLEARN_DELETE_SELECTED:
            DeleteSelected();
            return true;
        case IDC_AUTOLEARN_DELETE_ALL:
            DeleteAll();
            return true;
        case IDC_AUTOLEARN_SAVE:
            SaveList();
            return true;
        case IDC_AUTOLEARN_IMPORT:
            Import();
            return true;
        case IDC_AUTOLEARN_EXPORT:
            Export();
            return true;
        case IDC_AUTOLEARN_TEACH:
            LearnFromDocuments();
            return true;
        case IDC_AUTOLEARN_RESET:
            SetItemText(IDC_AUTOLEARN_SEPARATORS, settings_defaults::strSeparate);
            return true;
        case IDC_AUTOLEARN_SEPARATORS:
            if (code == EN_KILLFOCUS)
                CheckSeparators();
            else if (code == EN_SETFOCUS)
                m_values.strSeparate = ItemText(IDC_AUTOLEARN_SEPARATORS);
            return code == EN_KILLFOCUS || code == EN_SETFOCUS;
        default:
            return false;
    }
}

bool CAutoLearnPage::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (m_listView.HandleNotify(header, result))
        return true;
    if (const std::optional<wnd::LabelEdit> edit = wnd::CListView::EndedLabelEdit(header)) {
        EndLabelEdit(*edit);
        result = FALSE;  // the list holds no texts of its own: the model has the new one
        return true;
    }
    return false;
}

void CAutoLearnPage::CheckSeparators()
{
    if (!ItemText(IDC_AUTOLEARN_SEPARATORS).empty())
        return;
    wnd::ShowError(Handle(), IDS_NO_SEPARATORS);
    SetItemText(IDC_AUTOLEARN_SEPARATORS, m_values.strSeparate.empty() ? m_read.strSeparate : m_values.strSeparate);
    ::SetFocus(Item(IDC_AUTOLEARN_SEPARATORS));
}

void CAutoLearnPage::Add()
{
    FillList();
    m_list->InsertTop(std::string());
    m_newRow = 0;
    m_listChanged = true;
    ShowRows();
    m_listView.Select(0);
    ::SetFocus(m_listView.Handle());
    m_listView.EditLabel(0);
}

void CAutoLearnPage::EndLabelEdit(const wnd::LabelEdit& edit)
{
    const bool wasNew = edit.row == m_newRow;
    m_newRow = -1;
    if (edit.row < 0 || edit.row >= m_list->Count())
        return;
    if (edit.text && !edit.text->empty()) {
        m_list->SetText(edit.row, *edit.text);
        m_listChanged = true;
    } else if (wasNew) {
        m_list->Remove({edit.row});
        ShowRows();
        return;
    }
    ListView_RedrawItems(m_listView.Handle(), edit.row, edit.row);
}

void CAutoLearnPage::DeleteSelected()
{
    const std::vector<int> selected = m_listView.SelectedIndexes();
    std::vector<std::string> doomed;
    for (int row : selected)
        doomed.push_back(CellText(row, 0));
    if (doomed.empty() || wnd::Ask(Handle(), DeleteQuestion(doomed, false)) != IDOK)
        return;
    m_list->Remove(selected);
    m_listChanged = true;
    ShowRows();
}

void CAutoLearnPage::DeleteAll()
{
    if (wnd::Ask(Handle(), wnd::ResourceText(IDS_DELETE_ALL_WORDS, {std::to_string(m_listView.ItemCount())})) != IDOK)
        return;
    FillList();
    m_list->Clear();
    m_listChanged = true;
    m_deletedAll = true;
    ShowRows();
}

bool CAutoLearnPage::SaveList()
{
    FillList();
    // Built beside AutoLearn.dic and read into a store here; the engine then only swaps files.
    const std::string path = m_home.AutoLearnPath();
    const std::string built = path + ".new";
    auto store = std::make_unique<CAutoLearnDictionary>();
    if (m_list->WriteStoreFile(built) && store->Open(built) && m_home.AdoptAutoLearn(std::move(store))) {
        m_listChanged = false;
        std::vector<std::string> removed = m_list->TakeRemovedTexts();
        if (m_deletedAll)
            m_home.ForgetUsage();
        else if (!removed.empty())
            m_home.ForgetWords(std::move(removed));
        m_deletedAll = false;
        return true;
    }
    store.reset();
    pvbase::RemoveFileIfExists(built);
    wnd::ShowError(Handle(), wnd::ResourceText(IDS_LEARNT_NOT_SAVED, {path}));
    return false;
}

void CAutoLearnPage::Import()
{
    const std::optional<std::string> path = wnd::AskOpenFile(TextFileOptions(Handle()));
    if (!path)
        return;
    FillList();
    int count = 0;
    WithWaitDialog(Handle(), ::GetAncestor(Handle(), GA_ROOT), wnd::LoadResourceString(IDS_IMPORTING),
                   [&](wnd::CWaitDialog* wait) {
                       count = m_list->ImportText(*path, [wait](int done) {
                           if (!wait)
                               return true;
                           wait->SetText(wnd::ResourceText(IDS_IMPORTED_SO_FAR, {std::to_string(done)}));
                           wait->ProcessMessages();
                           return !wait->Cancelled();
                       });
                   });
    if (count < 0) {
        wnd::ShowError(Handle(), wnd::ResourceText(IDS_IMPORT_UNREADABLE, {*path}));
        return;
    }
    m_listChanged = m_listChanged || count > 0;
    ShowRows();
    wnd::ShowInfo(Handle(), wnd::ResourceText(IDS_IMPORTED, {std::to_string(count)}));
}

void CAutoLearnPage::Export()
{
    const std::optional<std::string> path = wnd::AskSaveFile(TextFileOptions(Handle()));
    if (!path)
        return;
    FillList();
    int count = 0;
    pvbase::FileFault fault = pvbase::FileFault::None;
    WithWaitDialog(Handle(), ::GetAncestor(Handle(), GA_ROOT), wnd::LoadResourceString(IDS_EXPORTING),
                   [&](wnd::CWaitDialog* wait) {
                       count = m_list->ExportText(
                           *path,
                           [wait](int done) {
                               if (!wait)
                                   return true;
                               wait->SetText(wnd::ResourceText(IDS_EXPORTED_SO_FAR, {std::to_string(done)}));
                               wait->ProcessMessages();
                               return !wait->Cancelled();
                           },
                           &fault);
                   });
    if (count >= 0)
        wnd::ShowInfo(Handle(), wnd::ResourceText(IDS_EXPORTED, {std::to_string(count)}));
    else if (fault != pvbase::FileFault::None)  // else cancelled: nothing was written, nothing to say
        wnd::ShowError(Handle(), wnd::ResourceText(IDS_EXPORT_NOT_WRITTEN_BECAUSE, {wnd::FileFaultText(fault), *path}));
}

void CAutoLearnPage::LearnFromDocuments()
{
    wnd::FileDialogOptions options;
    options.owner = Handle();
    options.filter = wnd::LoadResourceString(IDS_TEACH_FILTER);
    options.title = wnd::LoadResourceString(IDS_TEACH_TITLE);
    const std::vector<std::string> paths = wnd::AskOpenFiles(options);
    if (paths.empty())
        return;
    FillList();
    CDocumentTeachingJob job(paths);
    CTeachProgressDialog progress(job);
    // Cancelled: nothing was handed to a store, so both stay as they were.
    if (progress.DoModal(::GetAncestor(Handle(), GA_ROOT)) != IDOK)
        return;
    const int added = TakeTaughtWords(*job.TakeWords());
    if (added < 0)
        return;  // SaveList said why
    std::string summary =
        wnd::ResourceText(IDS_TEACH_DONE, {std::to_string(job.Report().documents), std::to_string(added)});
    const std::vector<std::string>& unread = job.Report().unread;
    if (!unread.empty()) {
        std::string names;
        for (std::size_t i = 0; i < unread.size() && i < 10; ++i)
            names += (i ? "\n" : "") + unread[i];
        summary += "\n\n" + wnd::ResourceText(IDS_TEACH_UNREAD, {std::to_string(unread.size()), names});
    }
    wnd::ShowInfo(Handle(), summary);
}

int CAutoLearnPage::TakeTaughtWords(const CTaughtWords& taught)
{
    // The ranks are asked of the engine in batches, so typing goes on between them; the usage
    // store then takes the words in one short step on the engine thread.
    CCachedRanks ranks;
    ResolveTaughtRanks(taught, ranks, [this](const std::vector<std::string>& words) { return m_home.RanksOf(words); });
    m_home.TeachUsage(taught, ranks.Lookup());
    const TeachingRules rules;
    const std::vector<AutoLearnRecord> unknown = taught.UnknownWords(
        ranks.Lookup(), std::max<unsigned>(m_read.nMinLearnLength, 1), rules.autoLearnMinCount, rules.autoLearnWords);
    const int added = m_list->AddRecords(unknown);
    m_listChanged = m_listChanged || !unknown.empty();
    ShowRows();
    // Saved at once, as the usage store was: what the documents taught is kept either way.
    if (m_listChanged && !SaveList())
        return -1;
    return added;
}
