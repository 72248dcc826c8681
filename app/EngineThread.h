// The thread that keys are answered on. It owns the CEngineHost (engine, dictionaries, AutoLearn,
// caret tracker) from start to end, runs its message loop, and is told what to do only by
// messages to the host's window (app/ThreadMessages.h).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "app/ThreadMessages.h"

#include "app/LearningDesk.h"

class CEngineThread {
public:
    CEngineThread() = default;
    ~CEngineThread();
    CEngineThread(const CEngineThread&) = delete;
    CEngineThread& operator=(const CEngineThread&) = delete;

    // Starts the thread and waits until its window exists; false when it could not be made.
    // useHookLibrary false: tests without Zel.dll.
    bool Start(HWND viewWindow, HWND promptWindow, bool useHookLibrary = true);
    // Removes the hook, closes the stores and waits for the thread to end.
    void Stop();

    // What the window thread asks of the engine thread. Posted unless said otherwise.
    // Load the dictionaries and AutoLearn, put the hook in, start the caret tracker (once).
    void Load() const { Post(WM_ENGINE_LOAD); }
    // Read Config.ini and AppConfig.ini again and follow them.
    void ApplySettings() const { Post(WM_ENGINE_APPLY_SETTINGS); }
    // Load the enabled dictionaries again.
    void ReloadDictionaries() const { Post(WM_ENGINE_RELOAD_DICTIONARIES); }
    // Sent: when it returns, the hook is in or out as asked; the typed text is forgotten.
    void SetEnabled(bool enabled) const;
    // The user clicked (or double-clicked) a row of the page with that serial.
    void RowClicked(int row, unsigned pageSerial) const { Post(WM_ENGINE_ROW_CLICKED, row, pageSerial); }
    void RowDoubleClicked(int row, unsigned pageSerial) const { Post(WM_ENGINE_ROW_DOUBLE_CLICKED, row, pageSerial); }
    // Test and benchmark aid: the engine thread sleeps, now or right after its next completion.
    void Hang(unsigned milliseconds, bool afterCompletion) const
    {
        Post(WM_ENGINE_DEBUG_HANG, milliseconds, afterCompletion ? 1 : 0);
    }

    // Runs work on the engine thread and waits for it: for what the learning store holds that a
    // dialog needs to read or change. The engine thread never waits for the window thread, so this
    // cannot deadlock; keep the work short, keys wait behind it.
    void Call(const std::function<void(ILearningDesk&)>& work) const;
    // The window the hook reports to and the window thread posts to.
    HWND Window() const { return m_window; }
    // Serial of the newest prompt state handed to the window thread.
    unsigned LatestStateSerial() const { return m_latestSerial.load(std::memory_order_acquire); }

private:
    void Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        if (m_window)
            ::PostMessageW(m_window, msg, wParam, lParam);
    }
    void Run(HWND viewWindow, HWND promptWindow, bool useHookLibrary, HANDLE ready);

    std::thread m_thread;
    HWND m_window = nullptr;
    std::atomic<unsigned> m_latestSerial{0};
};
