// A top-most window with a text, a progress bar and a Cancel button, shown while long work runs
// on the window thread. The work calls ProcessMessages between its steps so that the window
// repaints and Cancel works.
#pragma once

#include <windows.h>

#include <string>

#include "base/PositionMemory.h"
#include "wnd/Handles.h"
#include "wnd/Window.h"

namespace wnd {

struct ProgressWindowOptions {
    HWND owner = nullptr;  // the window the work belongs to; disabled while the progress is modal
    std::string title = "Progress";
    bool smoothBar = false;
    pvbase::IPositionMemory* position = nullptr;  // keeps the place between runs; none: centred
};

class CProgressWindow : public CWindow {
public:
    static constexpr int kCancelId = 10;
    static constexpr int kTextId = 11;
    static constexpr int kBarId = 12;
    static constexpr int kLayoutWidth = 390;

    // Creates the window at once; Created() tells whether that worked.
    explicit CProgressWindow(const ProgressWindowOptions& options = {});
    ~CProgressWindow() override;

    bool Created() const { return IsAlive() && m_cancelButton != nullptr; }
    // Disables the owner and takes the keyboard until the window goes or is cancelled; a window
    // that is gone (a modal one closes on cancel) is created again first.
    void MakeModal();

    void SetRange(int lower, int upper, int step = 1);
    void SetStepSize(int step) { m_step = step; }
    void SetPosition(int position);
    void AddToPosition(int delta) { SetPosition(m_position + delta); }
    void StepForward() { SetPosition(m_position + m_step); }
    int Position() const { return m_position; }
    // printf style.
    void SetText(const char* format, ...);
    // Empty text, position 0, not cancelled.
    void Clear();
    void Show();
    void Hide();

    bool IsCancelled() const { return m_cancelled; }
    // Handles the waiting messages; Esc cancels when asked to.
    void ProcessMessages(bool escCancels = true);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    bool Open();
    bool CreateWindowAndControls(bool smoothBar);
    HWND CreateChild(const char* className, const char* text, DWORD style, int id);
    void LayOut();
    void PlaceWindow();
    void UpdatePercentage();
    void Cancel();
    void SavePosition();
    void EndModal();

    ProgressWindowOptions m_options;
    FontHandle m_font;
    HWND m_text = nullptr;
    HWND m_bar = nullptr;
    HWND m_cancelButton = nullptr;
    int m_lower = 0;
    int m_upper = 100;
    int m_step = 1;
    int m_position = 0;
    int m_shownPercentage = 0;
    bool m_cancelled = false;
    bool m_modal = false;
};

}  // namespace wnd
