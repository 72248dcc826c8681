// The Dictionaries Manager: every dictionary of the libs folder, which of them the engine loads,
// and where dictionaries are created and opened for editing.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "dict/DictionarySet.h"
#include "wnd/Dialog.h"
#include "wnd/ListView.h"
#include "wnd/PathColumn.h"

class CDictionaryEnableSettings;

class CDictionariesManager : public wnd::CDialog {
public:
    // programDirectory: where the libs folder and Config.ini are, ending in a backslash.
    explicit CDictionariesManager(std::string programDirectory);
    ~CDictionariesManager() override;
    // Runs the manager modally over owner; true when it ended with OK (the enable flags were written).
    static bool Run(HWND owner);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Loads every file of the folder again and lists it; check boxes the user changed and has
    // not saved yet keep their state.
    void FillList();
    void AddRow(int index, bool checked);
    // Says once per file which files are damaged.
    void ReportDamaged();
    void CreateDictionary();
    void EditSelected();
    void EncryptSelected();
    // The set's index of the selected row's dictionary, or -1.
    int SelectedDictionary() const;
    bool IsDamaged(int index) const { return !m_set.Dictionary(index).IsOpen(); }
    bool SaveEnableFlags();

    std::string m_programDirectory;
    std::unique_ptr<CDictionaryEnableSettings> m_enableStore;
    CDictionarySet m_set;
    wnd::CListView m_list;
    wnd::CPathColumn m_pathColumn;  // the file paths, cut to fit, whole in a tooltip
    std::set<std::string> m_reportedDamaged;
};
