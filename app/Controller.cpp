#include "app/Controller.h"
#include "app/ThreadPost.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "app/AboutDialog.h"
#include "app/AutoLearnHome.h"
#include "app/ThreadMessages.h"
#include "config/AppSettings.h"
#include "config/SettingsErrors.h"
#include "config/ui/AppManagerDialog.h"
#include "config/ui/ConfigUiIds.h"
#include "config/ui/EditBoxListDialog.h"
#include "config/ui/HotkeyText.h"
#include "config/ui/OptionsDialog.h"
#include "dict/ui/DictionariesManager.h"
#include "dict/ui/DictionaryEditor.h"
#include "res/resource.h"
#include "wnd/Language.h"
#include "wnd/HtmlHelp.h"
#include "wnd/MessageBoxes.h"

namespace {

const char kControllerClass[] = "PennivoxController";
const char kProgramTitle[] = "Pennivox";
const char kHelpFile[] = "PVHelp.chm";

UINT HotkeyModifiers(std::uint32_t enableHotkey)
{
    UINT flags = (enableHotkey >> 16) & 0xFF;
    UINT mods = 0;
    if (flags & HOTKEYF_SHIFT)
        mods |= MOD_SHIFT;
    if (flags & HOTKEYF_CONTROL)
        mods |= MOD_CONTROL;
    if (flags & HOTKEYF_ALT)
        mods |= MOD_ALT;
    return mods;
}

}  // namespace

CController::CController() : m_prompt(*this, m_preview) {}

CController::~CController()
{
    Shutdown();
}

bool CController::Start(bool useHookLibrary)
{
    if (!wnd::RegisterWindowClass(kControllerClass))
        return false;
    RECT none{};
    if (!Create(kControllerClass, kProgramTitle, WS_POPUP, WS_EX_TOOLWINDOW, none, nullptr))
        return false;
    m_started = true;
    if (useHookLibrary)
        m_screenReader.TurnOn();
    wnd::SetUiLanguage(wnd::UiLanguageOfCode(m_settingsBridge.LoadLanguage()));
    m_enableHotkey = m_settingsBridge.LoadEnableHotkey();
    if (m_settingsBridge.SelectionKeysReplaced() && !m_replacedKeysTold) {
        m_replacedKeysTold = true;
        Post(WM_SELECTION_KEYS_REPLACED);
    }
    RegisterEnableHotkey();
    m_settingsBridge.TakeFirstRun();
    InstallTray();

    // Not owned by the prompt: under Wine an owned top-most window keeps its owner from being top-most.
    m_preview.Create(nullptr);
    m_preview.SetText("", CPreviewWindow::kStyleNormal);
    if (!m_prompt.CreateModeless(nullptr))
        return false;
    if (!m_engine.Start(Handle(), m_prompt.Handle(), useHookLibrary))
        return false;
    if (useHookLibrary)
        m_engine.Load();
    return true;
}

void CController::Shutdown()
{
    if (!m_started)
        return;
    m_started = false;
    // The hook goes first, so that no key waits for a program that is ending.
    m_engine.SetEnabled(false);
    m_engine.Stop();
    ::UnregisterHotKey(Handle(), HOTKEY_ENABLE);
    m_tray.Remove();
    m_tray.Destroy();
    m_prompt.Destroy();
    m_preview.Destroy();
    m_screenReader.Restore();
    Destroy();
}

void CController::Exit()
{
    Shutdown();
    ::PostQuitMessage(0);
}

void CController::ApplySettings()
{
    // Dialogs and menus opened from now on show the language chosen.
    wnd::SetUiLanguage(wnd::UiLanguageOfCode(m_settingsBridge.LoadLanguage()));
    m_enableHotkey = m_settingsBridge.LoadEnableHotkey();
    RegisterEnableHotkey();
    m_engine.ApplySettings();
}

void CController::RegisterEnableHotkey()
{
    // A changed hotkey must replace the old one, so the old registration goes first.
    ::UnregisterHotKey(Handle(), HOTKEY_ENABLE);
    if ((m_enableHotkey & 0xFF) == 0)
        return;  // no hotkey chosen
    if (::RegisterHotKey(Handle(), HOTKEY_ENABLE, HotkeyModifiers(m_enableHotkey), m_enableHotkey & 0xFF))
        return;
    // Another program holds the key. Said once per key, and not from inside start-up.
    if (m_enableHotkey != m_refusedHotkeyTold) {
        m_refusedHotkeyTold = m_enableHotkey;
        Post(WM_HOTKEY_REFUSED, m_enableHotkey);
    }
}

void CController::OnHotkeyRefused(std::uint32_t hotkey)
{
    const std::string text = wnd::ResourceText(IDS_HOTKEY_TAKEN, {HotkeyText(hotkey)});
    wnd::ShowMessage(Handle(), text, wnd::kErrorCaption, MB_ICONWARNING | MB_OK);
}

void CController::InstallTray()
{
    m_tray.SetDefaultCommand(ID_TRAY_ENABLE);
    m_tray.SetMenuPreparer([this](HMENU popup) { PrepareTrayMenu(popup, MenuState()); });
    // No notification area: the program runs on, the hotkey still works.
    m_tray.Install(Handle(), WM_TRAY_ICON, wnd::LoadResourceString(IDS_TRAY_TIP), IDR_MAINFRAME, IDR_TRAY);
}

TrayMenuState CController::MenuState()
{
    CAppSettings& file = m_settingsBridge.Settings();
    file.LoadAutoLearn();
    file.LoadOthers();
    const SettingsRecord& settings = file.Values();
    TrayMenuState state;
    state.enabled = m_enabled;
    state.autoLearn = settings.bEnableAutolearn != 0;
    state.words = settings.bEnableWord != 0;
    state.phrases = settings.bEnablePhrase != 0;
    state.shorthands = settings.bEnableShorthand != 0;
    state.enableHotkey = m_enableHotkey;
    return state;
}

void CController::ToggleFeature(int id)
{
    CAppSettings& file = m_settingsBridge.Settings();
    SettingsRecord& settings = file.Values();
    bool saved;
    if (id == ID_TRAY_AUTOLEARN) {
        file.LoadAutoLearn();
        settings.bEnableAutolearn = settings.bEnableAutolearn ? 0 : 1;
        saved = file.SaveAutoLearn();
    } else {
        file.LoadOthers();
        std::int32_t& flag = id == ID_TRAY_WORDS     ? settings.bEnableWord
                             : id == ID_TRAY_PHRASES ? settings.bEnablePhrase
                                                     : settings.bEnableShorthand;
        flag = flag ? 0 : 1;
        saved = file.SaveOthers();
    }
    // Unsaved, the switch stays as the file has it: menu and engine both read the file.
    if (!saved) {
        RunDialog([&] {
            wnd::ShowError(Handle(), SettingsNotSavedMessage(file, wnd::LoadResourceString(IDS_SWITCH_NOT_SAVED),
                                                             wnd::FileFaultText));
            return true;
        });
        return;
    }
    m_engine.ApplySettings();
}

void CController::ToggleEnable()
{
    SetEnabled(!m_enabled);
}

void CController::SetEnabled(bool enabled)
{
    // Sent: when it returns the hook is in, or out, for every application.
    m_engine.SetEnabled(enabled);
    m_enabled = enabled;
    m_tray.ChangeIcon(enabled ? IDR_MAINFRAME : IDI_DISABLED);
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CController::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_VIEW_PROMPT_STATE:
            OnPromptState(threadpost::TakePosted<PromptState>(lParam));
            return 0;
        case WM_VIEW_LOADED:
            OnLoaded(wParam != 0);
            return 0;
        case WM_VIEW_FILE_PROBLEM:
            OnFileProblem(static_cast<ProblemWeight>(wParam), threadpost::TakePosted<std::string>(lParam));
            return 0;
        case WM_HOTKEY:
            if (wParam == HOTKEY_ENABLE)
                ToggleEnable();
            return 0;
        case WM_TRAY_ICON:
            return m_tray.OnIconMessage(wParam, lParam);
        case WM_HOTKEY_REFUSED:
            OnHotkeyRefused(static_cast<std::uint32_t>(wParam));
            return 0;
        case WM_SELECTION_KEYS_REPLACED:
            wnd::ShowMessage(
                Handle(),
                wnd::ResourceText(IDS_SELECTION_KEYS_REPLACED, {m_settingsBridge.ProgramDirectory() + "Config.ini"}),
                wnd::kErrorCaption, MB_ICONWARNING | MB_OK);
            return 0;
        case WM_CLOSE:
            Exit();
            return 0;
        default:
            return wnd::CWindow::HandleMessage(msg, wParam, lParam);
    }
}

void CController::OnPromptState(std::unique_ptr<PromptState> owned)
{
    // A newer state is on its way: drawing this one would only be undone.
    if (!owned || owned->serial < m_engine.LatestStateSerial())
        return;
    m_prompt.Render(*owned);
}

void CController::OnLoaded(bool noDictionary)
{
    // Loading puts the hook in; switched off meanwhile (the hotkey), off it stays.
    if (!m_enabled)
        SetEnabled(false);
    m_loaded = true;
    for (const auto& [weight, text] : std::exchange(m_problemsWhileLoading, {}))
        ShowProblem(weight, text);
    if (noDictionary &&
        wnd::ShowMessage(Handle(), IDS_NO_DICTIONARY, wnd::kErrorCaption, MB_ICONSTOP | MB_OKCANCEL) == IDOK)
        RunDictionariesManager();
    // The prompt's title shows nowhere (no caption); it tells tools and tests that loading is over.
    m_prompt.SetText(kProgramTitle);
}

void CController::OnFileProblem(ProblemWeight weight, std::unique_ptr<std::string> owned)
{
    if (!owned)
        return;
    if (!m_loaded) {
        m_problemsWhileLoading.emplace_back(weight, std::move(*owned));
        return;
    }
    ShowProblem(weight, *owned);
}

void CController::ShowProblem(ProblemWeight weight, const std::string& text)
{
    if (weight == ProblemWeight::Warning)
        wnd::ShowInfo(Handle(), text, MB_ICONWARNING);
    else
        wnd::ShowError(Handle(), text);
}

bool CController::OnCommand(int id, int, HWND control)
{
    return RunCommand(id, reinterpret_cast<LPARAM>(control));
}

void CController::OnPromptCommand(int id, LPARAM lParam)
{
    RunCommand(id, lParam);
}

bool CController::RunCommand(int id, LPARAM lParam)
{
    if (DialogCommand(id))
        return true;
    switch (id) {
        case ID_TRAY_EXIT:
            Exit();
            return true;
        case ID_TRAY_ENABLE:
            ToggleEnable();
            return true;
        case ID_TRAY_AUTOLEARN:
        case ID_TRAY_WORDS:
        case ID_TRAY_PHRASES:
        case ID_TRAY_SHORTHANDS:
            if (!m_dialogOpen)  // an open Options dialog holds these settings
                ToggleFeature(id);
            return true;
        case ID_TRAY_HELP:
            ShowHelpTopic("");
            return true;
        case ID_TRAY_HOMEPAGE:
            ShowHelpTopic(wnd::LoadResourceString(IDS_HOMEPAGE_TOPIC));
            return true;
        case ID_TRAY_MORE_DICTIONARIES:
            ShowHelpTopic(wnd::LoadResourceString(IDS_MORE_DICTIONARIES_TOPIC));
            return true;
        case ID_TRAY_FEEDBACK:
            OpenShellLink(Handle(), wnd::LoadResourceString(IDS_FEEDBACK_MAIL));
            return true;
        case IDOK:
            SetEnabled(true);
            return true;
        case ID_DEBUG_BUSY_WINDOW_THREAD:
            ::Sleep(std::min<DWORD>(static_cast<DWORD>(lParam), kMaxDebugBusyMs));
            return true;
        case ID_DEBUG_HANG_ENGINE:
        case ID_DEBUG_HANG_ENGINE_AFTER_COMPLETION:
            m_engine.Hang(std::min<DWORD>(static_cast<DWORD>(lParam), kMaxDebugBusyMs),
                          id == ID_DEBUG_HANG_ENGINE_AFTER_COMPLETION);
            return true;
        default:
            return false;
    }
}

void CController::OnRowClicked(int row, unsigned pageSerial)
{
    m_engine.RowClicked(row, pageSerial);
}

void CController::OnRowDoubleClicked(int row, unsigned pageSerial)
{
    m_engine.RowDoubleClicked(row, pageSerial);
}

bool CController::DialogCommand(int id)
{
    switch (id) {
        case ID_TRAY_ABOUT:
            ShowAbout();
            return true;
        case ID_TRAY_DICT_MANAGER:
            RunDictionariesManager();
            return true;
        case ID_TRAY_USER_DICTIONARY:
            EditUserDictionary(IDS_USER_DICTIONARY);
            return true;
        case ID_TRAY_USER_SHORTHANDS:
            EditUserDictionary(IDS_USER_SHORTHANDS);
            return true;
        case ID_TRAY_OPTIONS:
            RunOptions(IDS_HOTKEYS_PAGE);
            return true;
        case ID_TRAY_AUTOLEARN_DICTIONARY:
            RunOptions(IDS_AUTOLEARN_PAGE);
            return true;
        case ID_TRAY_EDIT_MANAGER:
            RunRulesDialog(&CEditBoxListDialog::Run);
            return true;
        case ID_TRAY_APP_MANAGER:
            RunRulesDialog(&CAppManagerDialog::Run);
            return true;
        default:
            return false;
    }
}

bool CController::RunDialog(const std::function<bool()>& run)
{
    if (m_dialogOpen) {
        // The one already open comes forward, or the box it shows.
        HWND open = ::GetLastActivePopup(Handle());
        if (open && open != Handle())
            ::SetForegroundWindow(open);
        return false;
    }
    m_dialogOpen = true;
    m_tray.SetMenuEnabled(false);
    const bool ok = run();
    m_tray.SetMenuEnabled(true);
    m_dialogOpen = false;
    return ok;
}

void CController::ShowHelpTopic(const std::string& topic)
{
    const std::string directory = m_settingsBridge.ProgramDirectory();
    if (directory.empty())
        return;
    std::string file = directory + kHelpFile;
    if (!topic.empty())
        file += "::/" + topic;
    if (!wnd::CallHtmlHelp(Handle(), file.c_str(), HH_DISPLAY_TOPIC, 0)) {
        ::MessageBeep(0);
        wnd::ShowInfo(Handle(), wnd::ResourceText(IDS_UNABLE_TO_OPEN, {file}), MB_ICONINFORMATION);
    }
}

void CController::ShowAbout()
{
    RunDialog([this] {
        CAboutDialog::Run(Handle(), m_settingsBridge.ProgramDirectory() + kHelpFile);
        return true;
    });
}

void CController::RunDictionariesManager()
{
    if (RunDialog([this] { return CDictionariesManager::Run(Handle()); }))
        ReloadDictionaries();
}

void CController::RunRulesDialog(bool (*run)(HWND))
{
    if (RunDialog([this, run] { return run(Handle()); }))
        AfterSettingsSaved();
}

void CController::AfterSettingsSaved()
{
    // New keys and limits take effect now: the hook goes in again (the typed text is forgotten)
    // only while enabled, the hotkey follows dwEnableZel and the engine reads the files again.
    if (m_enabled)
        SetEnabled(true);
    ApplySettings();
}

void CController::EditUserDictionary(UINT pathResourceId)
{
    std::string folder = m_settingsBridge.ProgramDirectory();
    if (folder.empty())
        return;
    folder.pop_back();  // the resource path starts with its own backslash
    const std::string path = folder + wnd::LoadResourceString(pathResourceId);
    if (RunDialog([this, &path] { return CDictionaryEditor::Run(Handle(), path, true); }))
        ReloadDictionaries();
}

void CController::ReloadDictionaries()
{
    m_engine.ReloadDictionaries();
}

void CController::RunOptions(UINT firstPageName)
{
    CAppSettings& settings = m_settingsBridge.Settings();
    CAutoLearnHome home(m_engine, m_settingsBridge.ProgramDirectory());
    CAutoLearnPage autoLearnPage(settings, home);
    const std::string page = wnd::LoadResourceString(firstPageName);
    if (RunDialog([&] { return COptionsDialog::Run(Handle(), page, autoLearnPage, settings); }))
        AfterSettingsSaved();
}
