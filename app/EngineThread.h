// The thread that keys are answered on. It owns the CEngineHost (engine, dictionaries, AutoLearn,
// caret tracker) from start to end, runs its message loop, and is told what to do only by
// messages to the host's window (app/ThreadMessages.h).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

class CEngineHost;

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

    // Runs work on the engine thread and waits for it: for what the engine holds (dictionaries,
    // AutoLearn records) that a dialog needs to read or change. The engine thread never waits for
    // the window thread, so this cannot deadlock; keep the work short, keys wait behind it.
    void Call(const std::function<void(CEngineHost&)>& work) const;
    // The window the hook reports to and the window thread posts to.
    HWND Window() const { return m_window; }
    // Serial of the newest prompt state handed to the window thread.
    unsigned LatestStateSerial() const { return m_latestSerial.load(std::memory_order_acquire); }

private:
    void Run(HWND viewWindow, HWND promptWindow, bool useHookLibrary, HANDLE ready);

    std::thread m_thread;
    HWND m_window = nullptr;
    std::atomic<unsigned> m_latestSerial{0};
};
