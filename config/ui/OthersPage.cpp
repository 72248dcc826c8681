#include "config/ui/OthersPage.h"

#include <optional>

#include "config/AppSettings.h"
#include "config/SettingsErrors.h"
#include "config/StartupRegistration.h"
#include "config/ui/ConfigUiIds.h"
#include "wnd/Controls.h"
#include "wnd/DataExchange.h"
#include "wnd/FileDialogs.h"
#include "wnd/Language.h"
#include "wnd/MessageBoxes.h"
#include "wnd/Window.h"

namespace {

// The check boxes of [Others] and their flags.
const struct {
    int id;
    settings_types::Flag SettingsRecord::*flag;
} kFlagBoxes[] = {
    {IDC_OTHERS_WORD, &SettingsRecord::bEnableWord},
    {IDC_OTHERS_PHRASE, &SettingsRecord::bEnablePhrase},
    {IDC_OTHERS_SHORTHAND, &SettingsRecord::bEnableShorthand},
    {IDC_OTHERS_RANK_BY_USE, &SettingsRecord::bRankByUse},
    {IDC_OTHERS_BLANK_AFTER_WORD, &SettingsRecord::bBlankAfterWord},
};

}  // namespace

COthersPage::COthersPage(CAppSettings& settings, const CStartupRegistration& startup)
    : CDialogPage(IDD_OPTION_OTHERS), m_settings(settings), m_startup(startup)
{
}

void COthersPage::ReadModel()
{
    m_settings.LoadOthers();
    m_values = m_settings.Values();
    // The box tells what the system will do at the next log-on, not a remembered wish.
    m_registeredAtOpen = m_startup.IsRegistered();
    m_runAtStartup = m_registeredAtOpen;
    m_changed = false;
}

void COthersPage::Exchange(wnd::CDataExchange& dx)
{
    for (const auto& box : kFlagBoxes)
        dx.Check(box.id, m_values.*box.flag);
    dx.Check(IDC_OTHERS_STARTUP, m_runAtStartup);
    if (dx.IsLoading()) {
        ShowSyncFolder();
        FillLanguages();
    } else {
        m_values.strLanguage = LanguageChosen();
    }
    dx.Number(IDC_OTHERS_SHOW_AFTER, m_values.nMinInput, settings_ranges::nMinInput, IDC_OTHERS_SHOW_AFTER_SPIN);
    dx.Number(IDC_OTHERS_MIN_CHARS, m_values.nMinWordLength, settings_ranges::nMinWordLength,
              IDC_OTHERS_MIN_CHARS_SPIN);
    dx.Number(IDC_OTHERS_MAX_CHARS, m_values.nMaxWordLength, settings_ranges::nMaxWordLength,
              IDC_OTHERS_MAX_CHARS_SPIN);
    dx.Number(IDC_OTHERS_ITEMS, m_values.nMaxItemShow, settings_ranges::nMaxItemShow, IDC_OTHERS_ITEMS_SPIN);
}

bool COthersPage::WriteModel()
{
    CopySettings(settings_sections::kOthers, m_values, m_settings.Values());
    // Untouched, the value stays as it is (it may name another copy of the program).
    if (m_runAtStartup != m_registeredAtOpen && m_startup.SetRegistered(m_runAtStartup))
        m_registeredAtOpen = m_runAtStartup;
    if (!m_settings.SaveOthers()) {
        wnd::ShowError(Handle(), SettingsNotSavedMessage(m_settings, wnd::LoadResourceString(IDS_OPTIONS_NOT_SAVED),
                                                         wnd::FileFaultText));
        return false;
    }
    m_changed = false;
    return true;
}

void COthersPage::FillLanguages()
{
    // The first item follows Windows and names the language that gives; the others by their own names.
    const HWND combo = Item(IDC_OTHERS_LANGUAGE);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const auto& languages = wnd::UiLanguages();
    std::string system = languages.front().nativeName;
    for (const wnd::UiLanguageInfo& language : languages) {
        if (language.primary == wnd::SystemUiLanguage())
            system = language.nativeName;
    }
    int chosen = wnd::AddComboItem(combo, wnd::ResourceText(IDS_LANGUAGE_OF_WINDOWS, {system}), 0);
    for (size_t index = 0; index < languages.size(); ++index) {
        const int item = wnd::AddComboItem(combo, languages[index].nativeName, static_cast<LPARAM>(index + 1));
        if (wnd::UiLanguageOfCode(m_values.strLanguage) == languages[index].primary)
            chosen = item;
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

std::string COthersPage::LanguageChosen() const
{
    const LPARAM index = wnd::SelectedComboData(Item(IDC_OTHERS_LANGUAGE));
    const auto& languages = wnd::UiLanguages();
    return index >= 1 && static_cast<size_t>(index) <= languages.size() ? languages[index - 1].code : "";
}

settings_types::Flag* COthersPage::FlagOf(int id)
{
    for (const auto& box : kFlagBoxes)
        if (box.id == id)
            return &(m_values.*box.flag);
    return nullptr;
}

bool COthersPage::OnCommand(int id, int code, HWND)
{
    if (id == IDC_OTHERS_LANGUAGE && code == CBN_SELCHANGE) {
        m_changed = true;
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    if (id == IDC_OTHERS_STARTUP)
        m_runAtStartup = IsChecked(id);
    else if (id == IDC_OTHERS_SYNC)
        OnSyncBox();
    else if (id == IDC_OTHERS_SYNC_BROWSE)
        PickSyncFolder();
    else if (settings_types::Flag* flag = FlagOf(id))
        *flag = IsChecked(id) ? 1 : 0;
    else
        return false;
    m_changed = true;
    return true;
}

void COthersPage::OnSyncBox()
{
    if (!IsChecked(IDC_OTHERS_SYNC))
        m_values.strSyncFolder.clear();  // off: the words merged so far stay here
    else
        PickSyncFolder();
    ShowSyncFolder();
}

bool COthersPage::PickSyncFolder()
{
    const std::optional<std::string> folder =
        wnd::AskFolder(Handle(), wnd::LoadResourceString(IDS_SYNC_FOLDER_TITLE), m_values.strSyncFolder);
    if (folder)
        m_values.strSyncFolder = *folder;
    ShowSyncFolder();
    return folder.has_value();
}

void COthersPage::ShowSyncFolder()
{
    const bool on = !m_values.strSyncFolder.empty();
    ::CheckDlgButton(Handle(), IDC_OTHERS_SYNC, on ? BST_CHECKED : BST_UNCHECKED);
    SetItemText(IDC_OTHERS_SYNC_FOLDER, m_values.strSyncFolder);
    EnableItem(IDC_OTHERS_SYNC_FOLDER, on);
    EnableItem(IDC_OTHERS_SYNC_BROWSE, on);
}
