#include "app/Controller.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "app/AboutDialog.h"
#include "app/AutoLearnHome.h"
#include "app/ThreadMessages.h"
#include "config/AppSettings.h"
#include "config/ui/ConfigUiIds.h"
#include "config/ui/OptionsDialog.h"
#include "dict/ui/DictionariesManager.h"
#include "dict/ui/DictionaryEditor.h"
#include "res/resource.h"
#include "wnd/MessageBoxes.h"

namespace {

const char kControllerClass[] = "PennivoxController";
const char kProgramTitle[] = "Pennivox";

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
    m_enableHotkey = m_settingsBridge.LoadEnableHotkey();
    RegisterEnableHotkey();
    m_settingsBridge.TakeFirstRun();

    // Not owned by the prompt: under Wine an owned top-most window keeps its owner from being top-most.
    m_preview.Create(nullptr);
    m_preview.SetText("", CPreviewWindow::kStyleNormal);
    if (!m_prompt.CreateModeless(nullptr))
        return false;
    if (!m_engine.Start(Handle(), m_prompt.Handle(), useHookLibrary))
        return false;
    if (useHookLibrary)
        ::PostMessageA(m_engine.Window(), WM_ENGINE_LOAD, 0, 0);
    return true;
}

void CController::Shutdown()
{
    if (!m_started)
        return;
    m_started = false;
    // The hook goes first, so that no key waits for a program that is ending.
    if (m_engine.Window())
        ::SendMessageA(m_engine.Window(), WM_ENGINE_SET_ENABLED, 0, 0);
    m_engine.Stop();
    ::UnregisterHotKey(Handle(), HOTKEY_ENABLE);
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
    m_enableHotkey = m_settingsBridge.LoadEnableHotkey();
    RegisterEnableHotkey();
    if (m_engine.Window())
        ::PostMessageA(m_engine.Window(), WM_ENGINE_APPLY_SETTINGS, 0, 0);
}

void CController::RegisterEnableHotkey()
{
    // A changed hotkey must replace the old one, so the old registration goes first.
    ::UnregisterHotKey(Handle(), HOTKEY_ENABLE);
    ::RegisterHotKey(Handle(), HOTKEY_ENABLE, HotkeyModifiers(m_enableHotkey), m_enableHotkey & 0xFF);
}

void CController::ToggleEnable()
{
    SetEnabled(!m_enabled);
}

void CController::SetEnabled(bool enabled)
{
    // Sent: when it returns the hook is in, or out, for every application.
    if (m_engine.Window())
        ::SendMessageA(m_engine.Window(), WM_ENGINE_SET_ENABLED, enabled ? 1 : 0, 0);
    m_enabled = enabled;
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CController::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_VIEW_PROMPT_STATE:
            OnPromptState(reinterpret_cast<PromptState*>(lParam));
            return 0;
        case WM_VIEW_LOADED:
            OnLoaded(wParam != 0);
            return 0;
        case WM_HOTKEY:
            if (wParam == HOTKEY_ENABLE)
                ToggleEnable();
            return 0;
        case WM_CLOSE:
            Exit();
            return 0;
        default:
            return wnd::CWindow::HandleMessage(msg, wParam, lParam);
    }
}

void CController::OnPromptState(PromptState* state)
{
    std::unique_ptr<PromptState> owned(state);
    // A newer state is on its way: drawing this one would only be undone.
    if (!owned || owned->serial < m_engine.LatestStateSerial())
        return;
    m_prompt.Render(*owned);
}

void CController::OnLoaded(bool noDictionary)
{
    if (noDictionary &&
        wnd::ShowMessage(Handle(), IDS_NO_DICTIONARY, wnd::kErrorCaption, MB_ICONSTOP | MB_OKCANCEL) == IDOK)
        RunDictionariesManager();
    // The prompt's title shows nowhere (no caption); it tells tools and tests that loading is over.
    m_prompt.SetText(kProgramTitle);
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
    switch (id) {
        case ID_TRAY_EXIT:
            Exit();
            return true;
        case ID_TRAY_ABOUT:
            ShowAbout();
            return true;
        case ID_TRAY_ENABLE:
            ToggleEnable();
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
        case IDOK:
            SetEnabled(true);
            return true;
        case ID_DEBUG_BUSY_WINDOW_THREAD:
            ::Sleep(std::min<DWORD>(static_cast<DWORD>(lParam), kMaxDebugBusyMs));
            return true;
        case ID_DEBUG_HANG_ENGINE:
            ::PostMessageA(m_engine.Window(), WM_ENGINE_DEBUG_HANG,
                           std::min<DWORD>(static_cast<DWORD>(lParam), kMaxDebugBusyMs), 0);
            return true;
        default:
            return false;
    }
}

void CController::OnRowClicked(int row, unsigned pageSerial)
{
    ::PostMessageA(m_engine.Window(), WM_ENGINE_ROW_CLICKED, static_cast<WPARAM>(row), pageSerial);
}

void CController::OnRowDoubleClicked(int row, unsigned pageSerial)
{
    ::PostMessageA(m_engine.Window(), WM_ENGINE_ROW_DOUBLE_CLICKED, static_cast<WPARAM>(row), pageSerial);
}

void CController::ShowAbout()
{
    CAboutDialog::Run(Handle());
}

void CController::RunDictionariesManager()
{
    if (CDictionariesManager::Run(Handle()))
        ReloadDictionaries();
}

void CController::EditUserDictionary(UINT pathResourceId)
{
    std::string folder = m_settingsBridge.ProgramDirectory();
    if (folder.empty())
        return;
    folder.pop_back();  // the resource path starts with its own backslash
    if (CDictionaryEditor::Run(Handle(), folder + wnd::LoadResourceString(pathResourceId), true))
        ReloadDictionaries();
}

void CController::ReloadDictionaries()
{
    if (m_engine.Window())
        ::PostMessageA(m_engine.Window(), WM_ENGINE_RELOAD_DICTIONARIES, 0, 0);
}

void CController::RunOptions(UINT firstPageName)
{
    CAppSettings& settings = m_settingsBridge.Settings();
    CAutoLearnHome home(m_engine, m_settingsBridge.ProgramDirectory());
    CDlgAutoLearn autoLearnPage(settings, home);
    if (!CDlgOptions::Run(Handle(), wnd::LoadResourceString(firstPageName), autoLearnPage, settings))
        return;
    // New keys and limits take effect now: the hook goes in again (the typed text is forgotten),
    // the hotkey follows dwEnableZel and the engine reads the files again.
    if (m_enabled)
        SetEnabled(true);
    ApplySettings();
}
