#include "dict/ui/ImportPreviewDialog.h"

#include <cstdio>
#include <string>

#include "dict/ui/DictUiIds.h"
#include "wnd/ModalRunner.h"

using interchange::ClashChoice;

namespace {

const char* ChoiceName(ClashChoice choice)
{
    switch (choice) {
        case ClashChoice::Replace:
            return "Replace";
        case ClashChoice::KeepBoth:
            return "Keep both";
        case ClashChoice::Keep:
            break;
    }
    return "Keep";
}

// A text on one line of a list cell: line breaks shown as the pilcrow the editor's users know.
std::string OneLine(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i] == '\n' || text[i] == '\r' ? std::string("\xC2\xB6") : std::string(1, text[i]);
    }
    return out;
}

}  // namespace

CImportPreviewDialog::CImportPreviewDialog(const interchange::ShorthandImportPlan& plan)
    : CDialog(IDD_IMPORT_PREVIEW), m_plan(plan), m_choices(plan.entries.size(), ClashChoice::Keep)
{
}

std::optional<std::vector<ClashChoice>> CImportPreviewDialog::Run(HWND owner,
                                                                  const interchange::ShorthandImportPlan& plan)
{
    CImportPreviewDialog dialog(plan);
    if (!wnd::RunModal(dialog, owner).EndedWithOk())
        return std::nullopt;
    return dialog.Choices();
}

BOOL CImportPreviewDialog::OnInitDialog()
{
    m_skipped.Attach(Item(IDC_PREVIEW_SKIPPED));
    m_skipped.AddExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    m_clashes.Attach(Item(IDC_PREVIEW_CLASHES));
    m_clashes.AddExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    SetChecked(IDC_PREVIEW_ALL, true);
    FillSkipped();
    FillClashes();
    ShowSummary();
    return TRUE;
}

void CImportPreviewDialog::FillSkipped()
{
    m_skipped.InsertColumn(0, "Line", LVCFMT_RIGHT, 44);
    m_skipped.InsertColumn(1, "Shorthand", LVCFMT_LEFT, 100);
    m_skipped.InsertColumn(2, "Why it is skipped", LVCFMT_LEFT, 410);
    for (const interchange::SkippedItem& item : m_plan.skipped)
        m_skipped.AddRow({item.line > 0 ? std::to_string(item.line) : std::string(), OneLine(item.what), item.reason});
    EnableItem(IDC_PREVIEW_SKIPPED, !m_plan.skipped.empty());
}

void CImportPreviewDialog::FillClashes()
{
    m_clashes.InsertColumn(0, "Shorthand", LVCFMT_LEFT, 90);
    m_clashes.InsertColumn(1, "In the dictionary", LVCFMT_LEFT, 160);
    m_clashes.InsertColumn(2, "From the file", LVCFMT_LEFT, 160);
    m_clashes.InsertColumn(3, "Choice", LVCFMT_LEFT, 74);
    for (std::size_t i = 0; i < m_plan.entries.size(); ++i) {
        if (!m_plan.clashes[i])
            continue;
        m_clashes.AddRow({OneLine(m_plan.entries[i].abbreviation), OneLine(m_plan.existingText[i]),
                          OneLine(m_plan.entries[i].text), ChoiceName(m_choices[i])},
                         static_cast<LPARAM>(i));
    }
    const bool any = m_clashes.ItemCount() > 0;
    for (int id : {IDC_PREVIEW_CLASHES, IDC_PREVIEW_ALL, IDC_PREVIEW_KEEP, IDC_PREVIEW_REPLACE, IDC_PREVIEW_BOTH})
        EnableItem(id, any);
}

void CImportPreviewDialog::Choose(ClashChoice choice)
{
    std::vector<int> rows = m_clashes.SelectedIndexes();
    if (IsChecked(IDC_PREVIEW_ALL)) {
        rows.clear();
        for (int row = 0; row < m_clashes.ItemCount(); ++row)
            rows.push_back(row);
    }
    for (int row : rows) {
        const LPARAM entry = m_clashes.ItemData(row);
        if (entry < 0 || static_cast<std::size_t>(entry) >= m_choices.size())
            continue;
        m_choices[static_cast<std::size_t>(entry)] = choice;
        m_clashes.SetItemText(row, 3, ChoiceName(choice));
    }
    ShowSummary();
}

void CImportPreviewDialog::ShowSummary()
{
    int coming = 0;
    for (std::size_t i = 0; i < m_plan.entries.size(); ++i)
        coming += !m_plan.clashes[i] || m_choices[i] != ClashChoice::Keep;
    char text[320];
    std::snprintf(text, sizeof text,
                  "%s file (%s): %d of its %zu shorthands will come in; %zu items are skipped; %d shorthands are "
                  "already in the dictionary.",
                  interchange::FormatName(m_plan.format), m_plan.encoding.c_str(), coming, m_plan.entries.size(),
                  m_plan.skipped.size(), m_plan.CountClashes());
    SetItemText(IDC_PREVIEW_SUMMARY, text);
}

bool CImportPreviewDialog::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
        case IDC_PREVIEW_KEEP:
            Choose(ClashChoice::Keep);
            return true;
        case IDC_PREVIEW_REPLACE:
            Choose(ClashChoice::Replace);
            return true;
        case IDC_PREVIEW_BOTH:
            Choose(ClashChoice::KeepBoth);
            return true;
        default:
            return false;
    }
}
