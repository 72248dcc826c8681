// The AutoLearn page of the Options dialog: AutoLearn's settings and the learnt words, which the
// user edits, deletes, imports and exports here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dict/AutoLearnRecord.h"
#include "wnd/PageHost.h"

class CAppSettings;
class CAutoLearnDictionary;

// Where the learnt words live: the engine's store. The page reads the file into a store of its
// own and hands an edited store over whole, so the engine never waits for the page's work.
class IAutoLearnHome {
public:
    virtual ~IAutoLearnHome() = default;
    // Path of AutoLearn.dic.
    virtual std::string AutoLearnPath() const = 0;
    // Makes this store (already written to AutoLearnPath) the engine's; the engine's old one is closed.
    virtual void AdoptAutoLearn(std::unique_ptr<CAutoLearnDictionary> store) = 0;
};

class CDlgAutoLearn : public wnd::CDialogPage {
public:
    CDlgAutoLearn(CAppSettings& settings, IAutoLearnHome& home);
    ~CDlgAutoLearn() override;

    // The settings part changed (enable box, minimum length, separators, Reset), or the list did
    // (Add, label edits, Delete Select, Delete All, Import) and was not saved since.
    bool IsChanged() const override;
    // Fills the list from the file the first time the page is shown.
    void FillList();

protected:
    void ReadModel() override;
    void WriteModel() override;
    void OnPageShown() override { FillList(); }
};
