#include "config/ui/OthersPage.h"

#include <algorithm>
#include <climits>

#include "config/AppSettings.h"
#include "config/SettingsErrors.h"
#include "config/StartupRegistration.h"
#include "config/ui/ConfigUiIds.h"
#include "wnd/DataExchange.h"
#include "wnd/MessageBoxes.h"

namespace {

int ShownNumber(uint32_t value)
{
    return static_cast<int>(std::min<uint32_t>(value, INT_MAX));
}

}  // namespace

CDlgOptionOthers::CDlgOptionOthers(CAppSettings& settings, const CStartupRegistration& startup)
    : CDialogPage(IDD_OPTION_OTHERS), m_settings(settings), m_startup(startup)
{
}

void CDlgOptionOthers::ReadModel()
{
    m_settings.LoadOthers();
    m_word = m_settings.bEnableWord != 0;
    m_phrase = m_settings.bEnablePhrase != 0;
    m_shorthand = m_settings.bEnableShorthand != 0;
    m_rankByUse = m_settings.bRankByUse != 0;
    // The box tells what the system will do at the next log-on, not a remembered wish.
    m_registeredAtOpen = m_startup.IsRegistered();
    m_runAtStartup = m_registeredAtOpen;
    m_minInput = ShownNumber(m_settings.nMinInput);
    m_minWordLength = ShownNumber(m_settings.nMinWordLength);
    m_maxWordLength = ShownNumber(m_settings.nMaxWordLength);
    m_maxItemShow = ShownNumber(m_settings.nMaxItemShow);
    m_changed = false;
}

void CDlgOptionOthers::Exchange(wnd::CDataExchange& dx)
{
    dx.Check(IDC_OTHERS_WORD, m_word);
    dx.Check(IDC_OTHERS_PHRASE, m_phrase);
    dx.Check(IDC_OTHERS_SHORTHAND, m_shorthand);
    dx.Check(IDC_OTHERS_RANK_BY_USE, m_rankByUse);
    dx.Check(IDC_OTHERS_STARTUP, m_runAtStartup);
    dx.Number(IDC_OTHERS_SHOW_AFTER, m_minInput, 1, 10000, IDC_OTHERS_SHOW_AFTER_SPIN);
    dx.Number(IDC_OTHERS_MIN_CHARS, m_minWordLength, 1, 10000, IDC_OTHERS_MIN_CHARS_SPIN);
    dx.Number(IDC_OTHERS_MAX_CHARS, m_maxWordLength, 4, 10000, IDC_OTHERS_MAX_CHARS_SPIN);
    dx.Number(IDC_OTHERS_ITEMS, m_maxItemShow, 1, 10, IDC_OTHERS_ITEMS_SPIN);
}

bool CDlgOptionOthers::WriteModel()
{
    m_settings.bEnableShorthand = m_shorthand ? 1 : 0;
    m_settings.bEnableWord = m_word ? 1 : 0;
    m_settings.bRunAtStartup = m_runAtStartup ? 1 : 0;
    m_settings.bEnablePhrase = m_phrase ? 1 : 0;
    m_settings.bRankByUse = m_rankByUse ? 1 : 0;
    m_settings.nMinInput = static_cast<uint32_t>(m_minInput);
    m_settings.nMinWordLength = static_cast<uint32_t>(m_minWordLength);
    m_settings.nMaxWordLength = static_cast<uint32_t>(m_maxWordLength);
    m_settings.nMaxItemShow = static_cast<uint32_t>(m_maxItemShow);
    // Untouched, the value stays as it is (it may name another copy of the program).
    if (m_runAtStartup != m_registeredAtOpen && m_startup.SetRegistered(m_runAtStartup))
        m_registeredAtOpen = m_runAtStartup;
    if (!m_settings.SaveOthers()) {
        wnd::ShowError(Handle(), SettingsNotSavedMessage(m_settings, kValuesKept));
        return false;
    }
    m_changed = false;
    return true;
}

bool* CDlgOptionOthers::FlagOf(int id)
{
    switch (id) {
        case IDC_OTHERS_WORD:
            return &m_word;
        case IDC_OTHERS_PHRASE:
            return &m_phrase;
        case IDC_OTHERS_SHORTHAND:
            return &m_shorthand;
        case IDC_OTHERS_RANK_BY_USE:
            return &m_rankByUse;
        case IDC_OTHERS_STARTUP:
            return &m_runAtStartup;
        default:
            return nullptr;
    }
}

bool CDlgOptionOthers::OnCommand(int id, int code, HWND)
{
    bool* flag = FlagOf(id);
    if (!flag || code != BN_CLICKED)
        return false;
    *flag = IsChecked(id);
    m_changed = true;
    return true;
}
