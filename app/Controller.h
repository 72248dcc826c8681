// The program's controller on the window thread: a hidden top-level window that owns the parts
// and their lifetimes — the settings the window thread needs, the hotkey, the preview and the
// prompt view, the engine thread — and is the owner of every dialog and message box (never the
// top-most prompt, which must not activate). It renders the prompt states the engine thread
// hands over and turns tray and hotkey commands into messages to the engine.
#pragma once

#include <windows.h>

#include <memory>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/EngineThread.h"
#include "app/PromptDialog.h"
#include "app/ScreenReaderFlag.h"
#include "app/SettingsBridge.h"
#include "app/ThreadMessages.h"
#include "app/TrayMenu.h"
#include "app/win/PreviewWindow.h"
#include "app/win/SystemTray.h"
#include "wnd/Window.h"

class CController : public wnd::CWindow, public CPromptDialog::IListener {
public:
    static constexpr int HOTKEY_ENABLE = 1002;
    static constexpr DWORD kMaxDebugBusyMs = 10000;
    static constexpr UINT WM_TRAY_ICON = WM_USER + 10;
    // Posted to itself: the hotkey could not be registered (told after start-up, not during it).
    static constexpr UINT WM_HOTKEY_REFUSED = WM_APP + 40;
    // Posted to itself: Config.ini named selection keys that are not used (told once per run).
    static constexpr UINT WM_SELECTION_KEYS_REPLACED = WM_APP + 41;

    CController();
    ~CController() override;

    // Start-up in the order the user sees it: screen-reader flag, settings, hotkey, preview,
    // prompt, then on the engine thread loading, hook and caret tracker. useHookLibrary false:
    // tests without Zel.dll and without loading.
    bool Start(bool useHookLibrary = true);
    // Removes the hook first, then ends the engine thread and the windows.
    void Shutdown();

    void ToggleEnable();
    bool IsEnabled() const { return m_enabled; }
    // Settings changed on disk: the hotkey here, everything else on the engine thread.
    void ApplySettings();

    CPromptDialog& Prompt() { return m_prompt; }
    CPreviewWindow& Preview() { return m_preview; }
    CEngineThread& Engine() { return m_engine; }
    CSystemTray& Tray() { return m_tray; }

    // CPromptDialog::IListener
    void OnRowClicked(int row, unsigned pageSerial) override;
    void OnRowDoubleClicked(int row, unsigned pageSerial) override;
    void OnPromptCommand(int id, LPARAM lParam) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    bool RunCommand(int id, LPARAM lParam);
    void OnPromptState(std::unique_ptr<PromptState> state);
    void OnLoaded(bool noDictionary);
    // Told before the question about missing dictionaries while loading, at once after it.
    void OnFileProblem(ProblemWeight weight, std::unique_ptr<std::string> text);
    void ShowProblem(ProblemWeight weight, const std::string& text);
    void RegisterEnableHotkey();
    void OnHotkeyRefused(std::uint32_t hotkey);
    void SetEnabled(bool enabled);
    void InstallTray();
    TrayMenuState MenuState();
    void ToggleFeature(int id);
    // Runs one of the program's dialogs; while it is open the tray shows no menu and no other
    // dialog opens (the open one comes forward instead). Returns what run returned.
    bool RunDialog(const std::function<bool()>& run);
    bool DialogCommand(int id);
    void ShowHelpTopic(const std::string& topic);
    // Edit Box List and Applications Manager: rules saved, the engine reads them again.
    void RunRulesDialog(bool (*run)(HWND));
    // Saved settings reach the engine; the hook stays as the enabled state says.
    void AfterSettingsSaved();
    void ShowAbout();
    // The dialogs that change the dictionaries; the engine loads them again after an OK.
    void RunDictionariesManager();
    void EditUserDictionary(UINT pathResourceId);
    void ReloadDictionaries();
    // The Options dialog opened at a page (string resource of its name); saved options reach the
    // hook, the hotkey and the engine at once.
    void RunOptions(UINT firstPageName);
    void Exit();

    CScreenReaderFlag m_screenReader;
    CSettingsBridge m_settingsBridge;
    std::uint32_t m_enableHotkey = settings_defaults::dwEnableZel;  // the engine thread reads the rest
    CPreviewWindow m_preview;
    CPromptDialog m_prompt;
    CEngineThread m_engine;
    CSystemTray m_tray;
    bool m_enabled = true;
    bool m_started = false;
    bool m_dialogOpen = false;
    std::uint32_t m_refusedHotkeyTold = 0;  // the key the user was last told about
    bool m_replacedKeysTold = false;
    bool m_loaded = false;
    std::vector<std::pair<ProblemWeight, std::string>> m_problemsWhileLoading;
};
