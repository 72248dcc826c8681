// The engine of the program run without windows: CEngineCore with a prompt that is only a
// record of rows, one target edit that always has the focus, a clock that steps a fixed second
// per event, and a message queue that is run to the end after every key. Same events, same
// results: nothing depends on real time.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/engine/EngineCore.h"
#include "dict/DocumentTeaching.h"
#include "textout/TimeFormat.h"
#include "tools/pvengine/TargetEdit.h"

class CHeadlessHost : public IPromptView,
                      public IEngineScheduler,
                      public IFocusTracker,
                      public IDesktop,
                      public IFileSystem,
                      public IKeyOutput,
                      public CClock {
public:
    // ansiCodePage: what ANSI dictionary files are read in. The engine's text is UTF-8.
    explicit CHeadlessHost(const CCodePage& ansiCodePage);

    // libsDirectory: the dictionaries (*.lib); autoLearnPath: the AutoLearn store.
    bool Load(const std::string& libsDirectory, const std::string& autoLearnPath);
    void ApplySettings(const SettingsRecord& settings) { m_core.ApplySettings(settings); }
    // Learns the words of documents (files, or folders of them) into the usage store and AutoLearn,
    // as the AutoLearn page's "Learn from documents" does. False when AutoLearn's new store could
    // not be written (the usage store is taught all the same).
    bool Teach(const std::vector<std::string>& paths, TeachingReport& report);
    // Folder listings of drive paths ("C:\\...") come from this folder (none: nothing is listed).
    void SetDriveRoot(const std::string& folder) { m_driveRoot = folder; }

    // One character (UTF-8) typed as the hook reports it: a press and a release (with Shift around
    // the shifted ones); '\n' is Return, '\t' Tab.
    void TypeCharacter(const std::string& character);
    // A key without a character of its own, or with the one given, pressed and released.
    void PressKey(unsigned vk, char ch);
    // The focus moved to a new, empty edit.
    void Reset();
    void Close() { m_core.Close(); }

    const CTargetEdit& Edit() const { return m_edit; }
    // The rows shown (empty while no prompt shows), the selected row and the page's number.
    std::vector<PromptRow> VisibleRows() const;
    int Selected() const;
    int Page() const;

    // IPromptView
    WindowHandle Handle() const override { return kPromptWindow; }
    bool IsPromptVisible() const override { return m_visible; }
    void ShowPrompt(bool show) override { m_visible = show; }
    int ShowRows(const std::vector<PromptRow>& rows, bool pathPage) override;
    void SelectRow(int) override {}
    void ClearRows() override { m_rows.clear(); }
    void ShowPreview(const std::string&, int) override {}

    // IEngineScheduler
    void AnswerKey(KeyAnswer) override {}
    void PostSearch() override { m_queue.push_back(Message::Search); }
    void PostComplete() override { m_queue.push_back(Message::Complete); }
    void StartAcceptInputTimer() override { m_acceptInputTimer = true; }
    void StartOwnInputTimer() override { m_ownInputTimer = true; }

    // IFocusTracker
    void SyncFocus() override {}
    bool IsTargetControl() override { return true; }
    WindowHandle FocusWindow() override { return m_editWindow; }
    bool IsPasswordControl(WindowHandle) override { return false; }

    // IDesktop
    WindowHandle ForegroundWindow() override { return kTopWindow; }
    WindowHandle TopLevelAncestor(WindowHandle) override { return kTopWindow; }
    bool WindowExists(WindowHandle) override { return true; }
    bool EngineWorksIn(WindowHandle) override { return true; }

    // IFileSystem
    bool ListDirectory(const std::string& pattern, const std::function<bool(const DirectoryEntry&)>& visit) override;

    // IKeyOutput
    void BringToFront(WindowHandle) override {}
    void Type(WindowHandle target, int backspaces, const CMacroScript& script) override;
    void ReplayText(const std::string& text) override;
    void ReplayKey(unsigned vk, bool release) override;
    void SendOwnInputMarker(unsigned vk) override { m_markers.push_back(vk); }
    void Beep() override {}

    // CClock
    LocalTime Now() const override;

private:
    static constexpr WindowHandle kPromptWindow = 0x10;
    static constexpr WindowHandle kTopWindow = 0x20;
    enum class Message { Search, Complete };

    PlatformServices Platform();
    // One report of the hook; a key that passes reaches the edit on its press.
    void Report(unsigned vk, const std::string& text, bool release);
    // Runs what the engine posted, hands it the markers behind its output and lets its timers
    // run out, until nothing is left.
    void Pump();
    void Step() { ++m_seconds; }

    const CCodePage& m_ansiCodePage;
    CTargetEdit m_edit;
    std::string m_driveRoot;
    bool m_visible = false;
    std::vector<PromptRow> m_rows;
    std::deque<Message> m_queue;
    std::deque<unsigned> m_markers;  // sent behind outputs, not yet come back
    bool m_acceptInputTimer = false;
    bool m_ownInputTimer = false;
    WindowHandle m_editWindow = 0x100;
    long long m_seconds = 0;
    CEngineCore m_core;
};
