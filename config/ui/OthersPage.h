// The Others page of the Options dialog: what the prompt offers, its limits, and whether the
// program starts at log-on.
#pragma once

#include <windows.h>

#include "config/SettingsDefaults.h"
#include "wnd/PageHost.h"

class CAppSettings;
class CStartupRegistration;

class CDlgOptionOthers : public wnd::CDialogPage {
public:
    CDlgOptionOthers(CAppSettings& settings, const CStartupRegistration& startup);

    // A check box was clicked; typing in the numbers does not count.
    bool IsChanged() const override { return m_changed; }

protected:
    void ReadModel() override;
    bool WriteModel() override;
    void Exchange(wnd::CDataExchange& dx) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    bool* FlagOf(int id);

    CAppSettings& m_settings;
    const CStartupRegistration& m_startup;
    bool m_word = true;
    bool m_phrase = true;
    bool m_shorthand = true;
    bool m_rankByUse = true;
    bool m_runAtStartup = false;
    bool m_registeredAtOpen = false;
    int m_minInput = static_cast<int>(settings_defaults::kMinInput);
    int m_minWordLength = static_cast<int>(settings_defaults::kMinWordLength);
    int m_maxWordLength = static_cast<int>(settings_defaults::kMaxWordLength);
    int m_maxItemShow = static_cast<int>(settings_defaults::kMaxItemShow);
    bool m_changed = false;
};
