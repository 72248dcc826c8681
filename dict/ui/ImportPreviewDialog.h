// What an import of another expander's file would do, shown before anything is written: how many
// shorthands come in, what is skipped and why, and the keys the dictionary already has, each with
// the user's choice (keep, replace, keep both) for all of them or the selected ones.
#pragma once

#include <optional>
#include <vector>

#include "dict/interchange/ShorthandImport.h"
#include "wnd/Dialog.h"
#include "wnd/ListView.h"

class CImportPreviewDialog : public wnd::CDialog {
public:
    explicit CImportPreviewDialog(const interchange::ShorthandImportPlan& plan);
    // Runs the preview modally over owner; the choices (one per entry of the plan) when the user
    // chose Import, nullopt when Cancel.
    static std::optional<std::vector<interchange::ClashChoice>> Run(HWND owner,
                                                                    const interchange::ShorthandImportPlan& plan);
    const std::vector<interchange::ClashChoice>& Choices() const { return m_choices; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void FillSkipped();
    void FillClashes();
    // Sets the choice of every clashing key, or of the selected ones when "all" is not ticked.
    void Choose(interchange::ClashChoice choice);
    void ShowSummary();

    const interchange::ShorthandImportPlan& m_plan;
    std::vector<interchange::ClashChoice> m_choices;
    wnd::CListView m_skipped;
    wnd::CListView m_clashes;
};
