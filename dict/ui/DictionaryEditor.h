// The dictionary editor: one dictionary's name, type, description and entries.
#pragma once

#include <future>
#include <memory>
#include <string>

#include "dict/DictionaryFile.h"
#include "dict/EntryRows.h"
#include "dict/interchange/ShorthandImport.h"
#include "wnd/Dialog.h"
#include "wnd/Handles.h"
#include "wnd/ListView.h"

class CDictionaryEditor : public wnd::CDialog {
public:
    // canEdit: the "Can Edit" state (bit 0 of the dictionary's edit flags) written back on OK.
    CDictionaryEditor(std::string path, bool canEdit = true);
    ~CDictionaryEditor() override;
    // Runs the editor on the dictionary at path modally over owner; true when it ended with OK.
    static bool Run(HWND owner, const std::string& path, bool canEdit = true);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    class CDataEdit;

    bool OpenDictionary();
    // A file that may only be read: shown, nothing that changes it enabled, and said.
    void ShowReadOnly();
    // Why the last commit failed, in words.
    std::string FaultReason() const;
    void ShowProperties();
    void SetUpList();
    std::string CellText(int row, int column);

    void Query(const std::string& text);
    void ShowStatus();
    void OnSelectionChanged();
    void OnKeyChanged();
    void OnDataChanged();
    void EnableMiscKey();

    void Add();
    void Save();
    void Delete();
    void Import();
    // Another expander's file through the preview; false when the file is none of those formats.
    bool ImportShorthands(const std::string& path);
    void Export();
    void ExportAs(const std::string& path, interchange::ExportFormat format);
    void ShowMiscMenu();
    void InsertMacro(int commandId);

    // Type, description, name and the edit flag from the controls; then the user files' rules.
    bool WriteProperties();
    // The user files keep their type and stay editable whatever was chosen. True when one matched.
    bool ApplyUserFileRules();

    std::string m_path;
    bool m_canEdit;
    CDictionaryFile m_dictionary;
    std::future<bool> m_opened;  // Open, run on a thread of its own; taken in OnInitDialog
    CEntryRows m_rows;
    wnd::CListView m_list;
    wnd::ImageListHandle m_images;
    std::unique_ptr<CDataEdit> m_dataEdit;
    std::string m_loadedKey;
    std::string m_loadedData;
    int m_focusedEdit;
};
