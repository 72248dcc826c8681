// The dialog toolkit driven through real dialogs: fields, lists, the modal runner and pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/BoxAnswer.h"
#include "tests/wnd/ToolkitIds.h"
#include "wnd/Controls.h"
#include "wnd/DataExchange.h"
#include "wnd/Dialog.h"
#include "wnd/FileDialogs.h"
#include "wnd/MessageBoxes.h"
#include "wnd/ModalRunner.h"
#include "wnd/PageHost.h"

namespace {

using namespace std::chrono_literals;

class FieldsDialog : public wnd::CDialog {
public:
    FieldsDialog() : CDialog(IDD_FIELDS) {}
    int count = 5;
    int speed = 1;
    bool enabled = true;
    std::string label = "first";
    DWORD hotkey = 0x00020074;  // Ctrl+F5 in the stored form
    LPARAM kind = 2;

protected:
    BOOL OnInitDialog() override
    {
        for (LPARAM value : {1, 2}) {
            auto item = SendDlgItemMessageA(Handle(), IDC_KIND, CB_ADDSTRING, 0,
                                            reinterpret_cast<LPARAM>(value == 1 ? "Words" : "Shorthands"));
            SendDlgItemMessageA(Handle(), IDC_KIND, CB_SETITEMDATA, static_cast<WPARAM>(item), value);
        }
        return TRUE;
    }
    void Exchange(wnd::CDataExchange& dx) override
    {
        dx.Number(IDC_COUNT, count, 1, 10, IDC_COUNT_SPIN);
        dx.Radio(IDC_SPEED_SLOW, IDC_SPEED_FAST, speed);
        dx.Check(IDC_ENABLED, enabled);
        dx.Text(IDC_LABEL, label, 8);
        dx.Hotkey(IDC_HOTKEY, hotkey);
        dx.ComboData(IDC_KIND, kind);
    }
};

bool SaveRefused(wnd::CDialog& dialog, std::string* message)
{
    pvtest::BoxAnswer closer(wnd::kProgramCaption);
    bool saved = dialog.SaveFields();
    closer.Join();
    *message = closer.Text();
    return !saved && closer.Seen();
}

TEST(DataExchangeTest, ANumberOutOfRangeIsRefusedWithTheFocusLeftOnIt)
{
    ASSERT_TRUE(wnd::InitCommonControlsOnce());
    FieldsDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    ::SetForegroundWindow(dialog.Handle());
    EXPECT_EQ(dialog.ItemText(IDC_COUNT), "5");
    int low = 0, high = 0;
    ::SendMessageA(dialog.Item(IDC_COUNT_SPIN), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                   reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 10);

    std::string message;
    for (const char* bad : {"11", "0", "abc", "", "99999999999"}) {
        dialog.SetItemText(IDC_COUNT, bad);
        dialog.SetItemText(IDC_LABEL, "second");
        ::SetFocus(dialog.Item(IDC_LABEL));
        ASSERT_TRUE(SaveRefused(dialog, &message)) << bad;
        EXPECT_EQ(message, "Please enter a whole number from 1 to 10.") << bad;
        EXPECT_EQ(::GetFocus(), dialog.Item(IDC_COUNT)) << bad;
        EXPECT_EQ(dialog.count, 5) << bad;
        EXPECT_EQ(dialog.label, "first") << bad;  // the save stopped at the bad field
    }
    // OK with the bad value keeps the dialog open.
    pvtest::BoxAnswer closer(wnd::kProgramCaption);
    dialog.Send(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    closer.Join();
    EXPECT_TRUE(closer.Seen());
    EXPECT_TRUE(dialog.IsAlive());

    dialog.SetItemText(IDC_COUNT, " 10 ");
    dialog.SetItemText(IDC_LABEL, "toolonglabel");
    ASSERT_TRUE(SaveRefused(dialog, &message));
    EXPECT_EQ(message, "Please enter no more than 8 characters.");
    EXPECT_EQ(dialog.count, 10);
    dialog.SetItemText(IDC_LABEL, "second");
    EXPECT_TRUE(dialog.SaveFields());
    EXPECT_EQ(dialog.label, "second");
    dialog.EndDialog(IDCANCEL);
}

TEST(DataExchangeTest, RadioGroupCheckBoxHotkeyAndComboRoundTrip)
{
    FieldsDialog dialog;
    dialog.speed = 2;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    EXPECT_FALSE(dialog.IsChecked(IDC_SPEED_SLOW));
    EXPECT_TRUE(dialog.IsChecked(IDC_SPEED_FAST));
    auto word = static_cast<WORD>(::SendMessageA(dialog.Item(IDC_HOTKEY), HKM_GETHOTKEY, 0, 0));
    EXPECT_EQ(word, MAKEWORD(VK_F5, HOTKEYF_CONTROL));
    EXPECT_EQ(::SendMessageA(dialog.Item(IDC_KIND), CB_GETCURSEL, 0, 0), 1);  // "Shorthands", data 2

    ::CheckRadioButton(dialog.Handle(), IDC_SPEED_SLOW, IDC_SPEED_FAST, IDC_SPEED_SLOW);
    dialog.SetChecked(IDC_ENABLED, false);
    ::SendMessageA(dialog.Item(IDC_HOTKEY), HKM_SETHOTKEY, MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    ::SendMessageA(dialog.Item(IDC_KIND), CB_SETCURSEL, 0, 0);
    ASSERT_TRUE(dialog.SaveFields());
    EXPECT_EQ(dialog.speed, 0);
    EXPECT_FALSE(dialog.enabled);
    EXPECT_EQ(dialog.hotkey, 196683u);  // (Ctrl|Shift) << 16 | 'K'
    EXPECT_EQ(dialog.kind, 1);

    ::CheckRadioButton(dialog.Handle(), IDC_SPEED_SLOW, IDC_SPEED_FAST, 0);  // none
    ASSERT_TRUE(dialog.SaveFields());
    EXPECT_EQ(dialog.speed, -1);
    dialog.speed = 7;  // no such button: none checked
    dialog.LoadFields();
    for (int id = IDC_SPEED_SLOW; id <= IDC_SPEED_FAST; ++id)
        EXPECT_FALSE(dialog.IsChecked(id));
    dialog.EndDialog(IDCANCEL);
}

class ListsDialog : public wnd::CDialog {
public:
    ListsDialog() : CDialog(IDD_LISTS) {}
    wnd::CListView rows;
    wnd::CListView many;
    std::vector<int> editStarts;
    std::vector<wnd::LabelEdit> edits;
    bool acceptEdits = true;

protected:
    BOOL OnInitDialog() override
    {
        rows.Attach(Item(IDC_ROWS));
        many.Attach(Item(IDC_MANY));
        return TRUE;
    }
    bool OnNotify(const NMHDR& header, LRESULT& result) override
    {
        if (many.HandleNotify(header, result))
            return true;
        if (int row = wnd::CListView::LabelEditStartRow(header); row >= 0) {
            editStarts.push_back(row);
            result = FALSE;
            return true;
        }
        if (auto edit = wnd::CListView::EndedLabelEdit(header)) {
            edits.push_back(*edit);
            result = acceptEdits && edit->text.has_value();
            return true;
        }
        return false;
    }
};

std::string ColumnTitle(const wnd::CListView& list, int column)
{
    char title[64] = "";
    LVCOLUMNA query{};
    query.mask = LVCF_TEXT;
    query.pszText = title;
    query.cchTextMax = sizeof(title);
    ::SendMessageA(list.Handle(), LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&query));
    return title;
}

std::vector<std::string> FirstColumn(const wnd::CListView& list)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.ItemCount(); ++row)
        texts.push_back(list.ItemText(row));
    return texts;
}

TEST(ListViewTest, ColumnsRowsChecksSortingSelectionAndLabels)
{
    ListsDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    wnd::CListView& list = dialog.rows;
    ASSERT_EQ(list.SetColumns({{IDS_COLUMN_NAME, 90}, {IDS_COLUMN_SIZE, 50, LVCFMT_CENTER}}), 2);
    ASSERT_EQ(list.SetColumns({{IDS_COLUMN_SIZE, 40}, {IDS_COLUMN_NAME, 90}}), 2);  // replaced, not added
    EXPECT_EQ(list.ColumnCount(), 2);
    EXPECT_EQ(ColumnTitle(list, 0), "Size");
    EXPECT_EQ(ColumnTitle(list, 1), "Name");
    list.AddExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);

    EXPECT_EQ(list.AddRow({"3", "pear"}, 30), 0);
    EXPECT_EQ(list.AddRow({"1", "apple"}, 10), 1);
    EXPECT_EQ(list.InsertRow(1, {"2", "fig"}, 20), 1);
    std::string longText(700, 'x');
    ASSERT_TRUE(list.SetItemText(2, 1, longText));
    EXPECT_EQ(list.ItemText(2, 1), longText);
    list.SetItemText(2, 1, "apple");
    list.SetChecked(2, true);
    EXPECT_TRUE(list.IsChecked(2));
    EXPECT_FALSE(list.IsChecked(0));

    ASSERT_TRUE(list.SortByData([](LPARAM a, LPARAM b) { return static_cast<int>(a - b); }));
    EXPECT_EQ(FirstColumn(list), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_TRUE(list.IsChecked(0));  // the check travels with its row
    EXPECT_EQ(list.ItemText(0, 1), "apple");
    ASSERT_TRUE(list.SortByText(1, false));
    EXPECT_EQ(FirstColumn(list), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(list.ItemData(0), 30);  // item data survives a sort by text
    EXPECT_EQ(list.ItemData(2), 10);
    EXPECT_EQ(list.FindData(20), 1);
    EXPECT_EQ(list.FindData(99), -1);

    list.SetSelected(0, true);
    list.SetSelected(2, true);
    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 2}));
    list.SetSelected(-1, false);
    EXPECT_TRUE(list.SelectedIndexes().empty());
    list.SetFocused(1);
    EXPECT_EQ(list.FocusedIndex(), 1);
    list.Select(2);
    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{2}));

    HWND edit = list.EditLabel(1);
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextA(edit, "22");
    ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    edit = list.EditLabel(1);
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextA(edit, "ignored");
    ::SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(dialog.editStarts, (std::vector<int>{1, 1}));
    ASSERT_EQ(dialog.edits.size(), 2u);
    EXPECT_EQ(dialog.edits[0].row, 1);
    EXPECT_EQ(dialog.edits[0].text, std::optional<std::string>("22"));
    EXPECT_EQ(dialog.edits[1].text, std::nullopt);  // cancelled
    EXPECT_EQ(list.ItemText(1), "22");
    dialog.EndDialog(IDCANCEL);
}

TEST(ListViewTest, AnOwnerDataListOfAMillionRowsAsksOnlyForWhatItShows)
{
    ListsDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    wnd::CListView& list = dialog.many;
    list.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
    list.InsertColumn(1, "Data", LVCFMT_LEFT, 60);
    int asked = 0;
    list.SetCellText([&asked](int row, int column) {
        ++asked;
        return (column == 0 ? "key " : "data ") + std::to_string(row);
    });
    ASSERT_TRUE(list.SetItemCount(1000000));
    EXPECT_EQ(list.ItemCount(), 1000000);
    ::UpdateWindow(list.Handle());
    EXPECT_LT(asked, 200);  // the visible rows, not the million
    EXPECT_EQ(list.ItemText(999999, 1), "data 999999");
    EXPECT_EQ(list.ItemText(123456), "key 123456");
    list.Select(500000);
    list.EnsureVisible(500000);
    ::UpdateWindow(list.Handle());
    EXPECT_EQ(list.SelectedIndex(), 500000);
    EXPECT_LT(asked, 400);
    list.ResetRows(600000);
    EXPECT_EQ(list.ItemCount(), 600000);
    EXPECT_EQ(list.SelectedCount(), 0);
    dialog.EndDialog(IDCANCEL);
}

TEST(ListViewTest, TextsCompareInTheOrderOfAListSortedByItsStyle)
{
    HWND sorted = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT | LVS_SORTASCENDING, 0, 0, 200, 200,
                                    nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(sorted, nullptr);
    wnd::CListView list(sorted);
    list.InsertColumn(0, "Caption", LVCFMT_LEFT, 100);
    std::vector<std::string> texts{"beta",   "Alpha", "alpha2", "_tool", "Zed",     "10 apps",
                                   "9 apps", "",      "a-b",    "ab",    "Gamma x", "gamma"};
    for (const std::string& text : texts)
        list.AddRow({text});
    std::stable_sort(texts.begin(), texts.end(),
                     [](const std::string& a, const std::string& b) { return wnd::CListView::CompareTexts(a, b) < 0; });
    EXPECT_EQ(FirstColumn(list), texts);
    ::DestroyWindow(sorted);
}

class RunnerDialog : public wnd::CDialog {
public:
    explicit RunnerDialog(int templateId) : CDialog(templateId) {}
    std::vector<wnd::ModalOutcome> nested;
    bool wasForeground = false;

protected:
    BOOL OnInitDialog() override
    {
        ::SetTimer(Handle(), 1, 50, nullptr);  // once the dialog is shown
        return TRUE;
    }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != WM_TIMER)
            return CDialog::HandleMessage(msg, wParam, lParam);
        ::KillTimer(Handle(), 1);
        wasForeground = ::GetForegroundWindow() == Handle();
        RunnerDialog sameKind(TemplateId());
        nested.push_back(wnd::RunModal(sameKind, Handle()).outcome);
        FieldsDialog otherKind;  // another template opens, modal to this one
        pvtest::BoxAnswer closer("Fields", IDCANCEL);
        nested.push_back(wnd::RunModal(otherKind, Handle()).outcome);
        EndDialog(IDOK);
        return 0;
    }
};

TEST(ModalRunnerTest, ASecondCopyOfAnOpenDialogIsRefusedAndOthersStillOpen)
{
    RunnerDialog dialog(200);
    wnd::ModalResult result = wnd::RunModal(dialog, nullptr);
    EXPECT_EQ(result.outcome, wnd::ModalOutcome::Closed);
    EXPECT_EQ(result.value, IDOK);
    EXPECT_EQ(dialog.nested,
              (std::vector<wnd::ModalOutcome>{wnd::ModalOutcome::AlreadyOpen, wnd::ModalOutcome::Closed}));
    EXPECT_TRUE(dialog.wasForeground);
    EXPECT_EQ(wnd::OpenModalDialog(200), nullptr);

    wnd::CDialog missing(9999);
    EXPECT_EQ(wnd::RunModal(missing, nullptr).outcome, wnd::ModalOutcome::NotCreated);
    EXPECT_EQ(wnd::OpenModalDialog(9999), nullptr);
}

// A page with one number whose model is a plain int.
class NumberPage : public wnd::CDialogPage {
public:
    NumberPage(int templateId, int fieldId, int minimum, int maximum, int& model)
        : CDialogPage(templateId), m_field(fieldId), m_minimum(minimum), m_maximum(maximum), m_model(model)
    {
    }
    int shown = 0;

protected:
    void ReadModel() override { m_value = m_model; }
    bool WriteModel() override
    {
        m_model = m_value;
        return true;
    }
    void OnPageShown() override { ++shown; }
    void Exchange(wnd::CDataExchange& dx) override { dx.Number(m_field, m_value, m_minimum, m_maximum); }

private:
    int m_field, m_minimum, m_maximum;
    int& m_model;
    int m_value = 0;
};

class PagesDialog : public wnd::CDialog {
public:
    PagesDialog() : CDialog(IDD_PAGES) {}
    int firstModel = 3;
    int secondModel = 15;
    NumberPage first{IDD_PAGE_ONE, IDC_ONE_VALUE, 1, 5, firstModel};
    NumberPage second{IDD_PAGE_TWO, IDC_TWO_VALUE, 10, 20, secondModel};
    wnd::CPageHost pages;

protected:
    BOOL OnInitDialog() override
    {
        pages.AttachToPlaceholder(Handle(), IDC_PAGE_AREA);
        pages.AddPage(first, "First");
        pages.AddPage(second, "Second");
        pages.BindTree(Item(IDC_PAGE_TREE));
        pages.SetCaptionControl(Item(IDC_PAGE_CAPTION));
        pages.Show(0);
        return TRUE;
    }
    bool OnNotify(const NMHDR& header, LRESULT& result) override { return pages.HandleNotify(header, result); }
};

TEST(PageHostTest, PagesSwitchFromTheTreeAndAFailedSaveShowsTheBadPage)
{
    PagesDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    ::SetForegroundWindow(dialog.Handle());
    EXPECT_EQ(dialog.second.Handle(), nullptr);  // created when first shown
    EXPECT_EQ(dialog.first.ItemText(IDC_ONE_VALUE), "3");

    wnd::CTreeView tree(dialog.Item(IDC_PAGE_TREE));
    HTREEITEM secondItem = TreeView_GetNextSibling(tree.Handle(), TreeView_GetRoot(tree.Handle()));
    EXPECT_EQ(tree.ItemText(secondItem), "Second");
    ASSERT_TRUE(tree.Select(secondItem));  // as a click on the tree does
    EXPECT_EQ(dialog.pages.Current(), 1);
    EXPECT_TRUE(dialog.second.IsVisible());
    EXPECT_FALSE(dialog.first.IsVisible());
    EXPECT_EQ(wnd::WindowText(dialog.Item(IDC_PAGE_CAPTION)), "Second");
    EXPECT_EQ(dialog.second.ItemText(IDC_TWO_VALUE), "15");
    RECT area = dialog.ChildRect(dialog.Item(IDC_PAGE_AREA));
    RECT placed = dialog.ChildRect(dialog.second.Handle());
    EXPECT_TRUE(::EqualRect(&area, &placed));

    dialog.first.SetItemText(IDC_ONE_VALUE, "9");
    dialog.second.SetItemText(IDC_TWO_VALUE, "12");
    ::SetFocus(tree.Handle());
    pvtest::BoxAnswer closer(wnd::kProgramCaption);
    EXPECT_FALSE(dialog.pages.SaveAll());
    closer.Join();
    EXPECT_EQ(closer.Text(), "Please enter a whole number from 1 to 5.");
    EXPECT_EQ(dialog.pages.Current(), 0);
    EXPECT_TRUE(dialog.first.IsVisible());
    EXPECT_EQ(tree.ItemData(tree.Selection()), 0);
    EXPECT_EQ(::GetFocus(), dialog.first.Item(IDC_ONE_VALUE));
    EXPECT_EQ(dialog.firstModel, 3);  // nothing written
    EXPECT_EQ(dialog.secondModel, 15);

    dialog.first.SetItemText(IDC_ONE_VALUE, "4");
    EXPECT_TRUE(dialog.pages.SaveAll());
    EXPECT_EQ(dialog.firstModel, 4);
    EXPECT_EQ(dialog.secondModel, 12);
    dialog.secondModel = 20;
    EXPECT_TRUE(dialog.pages.LoadAll());
    EXPECT_EQ(dialog.second.ItemText(IDC_TWO_VALUE), "20");
    EXPECT_EQ(dialog.first.shown, 2);
    EXPECT_EQ(dialog.second.shown, 1);
    dialog.EndDialog(IDCANCEL);
}

// Beyond every ANSI code page: Latin-2, Cyrillic, symbols and a surrogate pair.
const char kMixed[] = "żółty привет → ✓ 😀";
const wchar_t kMixedWide[] = L"żółty привет → ✓ 😀";

std::wstring WideText(HWND window)
{
    wchar_t text[256] = L"";
    ::GetWindowTextW(window, text, 256);
    return text;
}

TEST(UnicodeTextTest, ControlsSetThroughTheLayerHoldAndGiveBackTheSameText)
{
    FieldsDialog fields;
    fields.label = "żółtyżół";  // 8 characters in 14 bytes: the limit counts characters
    ASSERT_TRUE(fields.CreateModeless(nullptr));
    EXPECT_EQ(WideText(fields.Item(IDC_LABEL)), L"żółtyżół");
    fields.label.clear();
    ASSERT_TRUE(fields.SaveFields());
    EXPECT_EQ(fields.label, "żółtyżół");
    fields.SetItemText(IDC_COUNT, kMixed);
    EXPECT_EQ(WideText(fields.Item(IDC_COUNT)), kMixedWide);  // the control holds the characters
    EXPECT_EQ(fields.ItemText(IDC_COUNT), kMixed);
    fields.SetText(kMixed);
    EXPECT_EQ(WideText(fields.Handle()), kMixedWide);
    EXPECT_EQ(fields.Text(), kMixed);
    const int item = wnd::AddComboItem(fields.Item(IDC_KIND), kMixed, 7);
    wchar_t comboText[64] = L"";
    ::SendMessageW(fields.Item(IDC_KIND), CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(comboText));
    EXPECT_STREQ(comboText, kMixedWide);
    fields.EndDialog(IDCANCEL);

    ListsDialog lists;
    ASSERT_TRUE(lists.CreateModeless(nullptr));
    lists.rows.InsertColumn(0, kMixed, LVCFMT_LEFT, 90);
    EXPECT_EQ(lists.rows.AddRow({kMixed}), 0);
    EXPECT_EQ(lists.rows.ItemText(0), kMixed);
    lists.many.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
    lists.many.SetCellText([](int row, int) { return std::string(kMixed) + std::to_string(row); });
    lists.many.SetItemCount(3);
    EXPECT_EQ(lists.many.ItemText(2), std::string(kMixed) + "2");  // asked of the dialog, answered in UTF-16
    HWND edit = lists.rows.EditLabel(0);
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextW(edit, L"Łódź");
    ::SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_EQ(lists.edits.size(), 1u);
    EXPECT_EQ(lists.edits[0].text, std::optional<std::string>("Łódź"));
    lists.EndDialog(IDCANCEL);

    PagesDialog pages;
    ASSERT_TRUE(pages.CreateModeless(nullptr));
    wnd::CTreeView tree(pages.Item(IDC_PAGE_TREE));
    EXPECT_EQ(tree.ItemText(tree.InsertItem(kMixed, 9)), kMixed);
    pages.EndDialog(IDCANCEL);

    pvtest::BoxAnswer closer("Pennivox");
    wnd::ShowInfo(nullptr, kMixed);
    EXPECT_EQ(closer.Text(), kMixed);
}

TEST(MessageBoxTest, CaptionsComeFromOnePlaceAndTextsFromResources)
{
    {
        pvtest::BoxAnswer closer("Pennivox - ERROR");
        EXPECT_EQ(wnd::ShowError(nullptr, "Delete Failed!"), IDOK);
        closer.Join();
        EXPECT_EQ(closer.Text(), "Delete Failed!");
    }
    {
        pvtest::BoxAnswer closer("Pennivox", IDCANCEL);
        EXPECT_EQ(wnd::Ask(nullptr, IDS_COLUMN_NAME), IDCANCEL);
        closer.Join();
        EXPECT_EQ(closer.Text(), "Name");
    }
}

// A multi-select open dialog's buffer: one full path, or the folder then the names in it.
TEST(FileDialogTest, AMultipleSelectionBecomesFullPaths)
{
    using namespace std::string_literals;
    using Paths = std::vector<std::string>;
    EXPECT_EQ(wnd::SplitOpenSelection(L"C:\\docs\\one.txt\0"s), Paths{"C:\\docs\\one.txt"});
    EXPECT_EQ(wnd::SplitOpenSelection(L"C:\\docs\0a.txt\0b \u00e9.docx\0"s),
              (Paths{"C:\\docs\\a.txt", "C:\\docs\\b \xc3\xa9.docx"}));
    EXPECT_EQ(wnd::SplitOpenSelection(L"C:\\\0a.eml\0\0ignored\0"s), Paths{"C:\\a.eml"});
    EXPECT_TRUE(wnd::SplitOpenSelection(L""s).empty());
}

TEST(FileDialogTest, FiltersAndASavedPathComeBack)
{
    using namespace std::string_literals;
    EXPECT_EQ(wnd::SystemFilter("Text (*.txt)|*.txt|All Files (*.*)|*.*||"),
              "Text (*.txt)\0*.txt\0All Files (*.*)\0*.*\0\0"s);
    EXPECT_EQ(wnd::SystemFilter("Text|*.txt"), "Text\0*.txt\0\0"s);  // ended however the text ends
    EXPECT_EQ(wnd::SystemFilter(""), "");

    char folder[MAX_PATH] = "";
    ASSERT_GT(::GetTempPathA(MAX_PATH, folder), 0u);
    wnd::FileDialogOptions options;
    options.title = "Export → test";
    options.filter = "Text (*.txt)|*.txt||";
    options.defaultExtension = "txt";
    options.initialFolder = folder;
    {
        pvtest::BoxAnswer closer("Export → test", IDOK, std::string(folder) + "pv_wnd_Łódź");
        std::optional<std::string> path = wnd::AskSaveFile(options);
        closer.Join();
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(*path, std::string(folder) + "pv_wnd_Łódź.txt");  // the extension is added
    }
    {
        pvtest::BoxAnswer closer("Export → test", IDCANCEL);
        EXPECT_EQ(wnd::AskOpenFile(options), std::nullopt);
    }
}

}  // namespace
