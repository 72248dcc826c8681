// Prompt-state building on the engine thread: what the engine shows is kept in one PromptState,
// which is handed to the window thread whole once a message's work is done and it changed.
#pragma once

#include <windows.h>

#include "app/ThreadMessages.h"

#include <atomic>
#include <string>
#include <vector>

#include "app/PromptState.h"
#include "app/engine/EngineServices.h"

class CCaretTracker;

class CPromptStateBuilder : public IPromptView {
public:
    // While shown: follow a caret that no event reports.
    static constexpr UINT kFollowCaretMs = 40;

    // viewWindow receives the states; promptWindow is the prompt itself. latestSerial tells the
    // window thread which state is the newest, so it can skip older ones.
    CPromptStateBuilder(HWND viewWindow, HWND promptWindow, std::atomic<unsigned>* latestSerial, CCaretTracker& caret);

    // The engine's window, which runs the caret-following timer.
    void AttachWindow(HWND window) { m_timerWindow = window; }
    void SetPageSize(int rows) { m_pageSize = rows; }
    void SetRowLabels(std::vector<std::string> labels);
    // Whether a row picked with the mouse is on the page shown (the page with pageSerial).
    bool IsOnPage(int row, unsigned pageSerial) const;
    // A row picked with the mouse becomes the selected one.
    void PickRow(int row);
    // The caret may have moved: a shown prompt follows it.
    void FollowCaret();
    // TIMER_FOLLOW_CARET: follows the caret, or stops once the prompt is hidden.
    void OnFollowCaretTimer();
    void StopFollowingCaret();
    // Hands the state to the window thread when it changed.
    void Publish();
    const PromptState& State() const { return m_state; }

    // IPromptView
    WindowHandle Handle() const override;
    bool IsPromptVisible() const override { return m_state.visible; }
    void ShowPrompt(bool show) override;
    int ShowRows(const std::vector<PromptRow>& rows, bool pathPage) override;
    void SelectRow(int row) override;
    void ClearRows() override;
    void ShowPreview(const std::string& text, int style) override;

private:
    HWND m_viewWindow;
    HWND m_promptWindow;
    std::atomic<unsigned>* m_latestSerial;
    CCaretTracker& m_caretTracker;
    HWND m_timerWindow = nullptr;
    int m_pageSize = 5;
    PromptState m_state;
    bool m_changed = false;
    bool m_followingCaret = false;
};
