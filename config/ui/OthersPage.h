// The Others page of the Options dialog: what the prompt offers, its limits, whether the
// program starts at log-on, and the sync folder the user's words are kept in.
#pragma once

#include <windows.h>

#include "config/SettingsRecord.h"
#include "wnd/PageHost.h"

class CAppSettings;
class CStartupRegistration;

class COthersPage : public wnd::CDialogPage {
public:
    COthersPage(CAppSettings& settings, const CStartupRegistration& startup);

    // A check box was clicked; typing in the numbers does not count.
    bool IsChanged() const override { return m_changed; }

protected:
    void ReadModel() override;
    bool WriteModel() override;
    void Exchange(wnd::CDataExchange& dx) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    // The flag a check box of [Others] shows, or null for other controls.
    settings_types::Flag* FlagOf(int id);
    // The sync box and the folder picker: a folder is asked for when the box is ticked.
    void OnSyncBox();
    bool PickSyncFolder();
    void ShowSyncFolder();
    // The language choice: Windows' own first, then every language of the interface.
    void FillLanguages();
    std::string LanguageChosen() const;

    CAppSettings& m_settings;
    const CStartupRegistration& m_startup;
    SettingsRecord m_values;  // the page's copy; its [Others] go back on save
    bool m_runAtStartup = false;
    bool m_registeredAtOpen = false;
    bool m_changed = false;
};
