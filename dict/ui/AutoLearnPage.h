// The AutoLearn page of the Options dialog: AutoLearn's settings and the learnt words, which the
// user edits, deletes, imports and exports here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/SettingsRecord.h"
#include "dict/AutoLearnRecord.h"
#include "dict/TaughtWords.h"
#include "wnd/ListView.h"
#include "wnd/PageHost.h"

class CAppSettings;
class CAutoLearnDictionary;
class CAutoLearnList;

// Where the learnt words live: the engine's store. The page reads the file into a store of its
// own and hands an edited store over whole, so the engine never waits for the page's work.
class IAutoLearnHome {
public:
    virtual ~IAutoLearnHome() = default;
    // Path of AutoLearn.dic.
    virtual std::string AutoLearnPath() const = 0;
    // A copy of the learnt words, oldest first.
    virtual std::vector<AutoLearnRecord> LearntWords() = 0;
    // Makes a store opened on a file beside AutoLearn.dic the engine's: its file is moved over
    // AutoLearn.dic. False, with the engine's store as it was, when that failed.
    virtual bool AdoptAutoLearn(std::unique_ptr<CAutoLearnDictionary> store) = 0;
    // Delete All was saved: what typing taught (the words and pairs beside AutoLearn.dic) goes too.
    virtual bool ForgetUsage() = 0;
    // Deleted words were saved: what typing taught of them goes too.
    virtual void ForgetWords(std::vector<std::string> words) = 0;
    // What the dictionaries say of each word: its rank, or -1 when none holds it.
    virtual std::vector<int> RanksOf(const std::vector<std::string>& words) = 0;
    // Words taught from documents go into the usage store (written in the background), their
    // ranks as rankOf gives them.
    virtual void TeachUsage(const CTaughtWords& taught, const CTaughtWords::RankOf& rankOf) = 0;
};

class CAutoLearnPage : public wnd::CDialogPage {
public:
    CAutoLearnPage(CAppSettings& settings, IAutoLearnHome& home);
    ~CAutoLearnPage() override;

    // The settings part changed (enable box, minimum length, separators, Reset), or the list did
    // (Add, label edits, Delete Select, Delete All, Import) and was not saved since.
    bool IsChanged() const override;
    // Fills the list from the file the first time the page is shown.
    void FillList();

protected:
    BOOL OnInitDialog() override;
    void Exchange(wnd::CDataExchange& dx) override;
    void ReadModel() override;
    bool WriteModel() override;
    void OnPageShown() override { FillList(); }
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

private:
    void ShowRows();
    std::string CellText(int row, int column) const;
    void Add();
    void EndLabelEdit(const wnd::LabelEdit& edit);
    void DeleteSelected();
    void DeleteAll();
    void Import();
    void Export();
    // Learn from documents: the user picks them, a progress window reads them, and what they
    // taught goes to the usage store and into the list, which is saved.
    void LearnFromDocuments();
    // The new rows, -1 when the list could not be saved.
    int TakeTaughtWords(const CTaughtWords& taught);
    void CheckSeparators();
    // Writes the list as the engine's new AutoLearn.dic; false (said) when that failed.
    bool SaveList();

    CAppSettings& m_settings;
    IAutoLearnHome& m_home;
    std::unique_ptr<CAutoLearnList> m_list;
    wnd::CListView m_listView;
    bool m_filled = false;
    bool m_listChanged = false;
    bool m_deletedAll = false;  // Delete All since the last save
    int m_newRow = -1;          // the row Add inserted, until its label edit ends
    // The settings as read, and as the controls hold them.
    SettingsRecord m_values;  // the page's copy; its [AutoLearn] go back on save
    SettingsRecord m_read;    // as read or last saved
};
