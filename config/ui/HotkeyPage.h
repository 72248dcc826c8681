// The Hotkeys page of the Options dialog: the keys that move through the prompt, pick and
// complete its items, and the hotkey that switches the program on and off.
#pragma once

#include <windows.h>

#include "config/SettingsRecord.h"
#include "wnd/PageHost.h"

class CAppSettings;

class CHotkeyPage : public wnd::CDialogPage {
public:
    explicit CHotkeyPage(CAppSettings& settings);

    bool IsChanged() const override { return m_changed; }

protected:
    BOOL OnInitDialog() override;
    void ReadModel() override;
    bool WriteModel() override;
    void Exchange(wnd::CDataExchange& dx) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void FillOtherList() const;
    void RefreshControls() const;
    void ShowSelectedHotkey() const;
    void ShowHotkeyName(DWORD value) const;
    void OnKeyChoice(int id);
    void OnCompleteKeysChanged();
    void OnHotkeyEdited();

    CAppSettings& m_settings;
    SettingsRecord m_values;  // the page's copy; its [HotKeys] go back on save
    bool m_changed = false;
};
