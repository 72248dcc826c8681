// Messages between the program's two threads. The engine thread's message-only window receives
// the hook's key reports and everything that changes what the engine holds; the window thread's
// controller window receives what the prompt must show. Neither thread waits for the other except
// where noted: the engine thread never sends to the window thread.
#pragma once

#include <windows.h>

#include "hook/HookMessages.h"

enum ThreadMessage : UINT {
    // Window thread -> engine window.
    // Load the dictionaries and AutoLearn, install the hook, start the caret tracker (posted once).
    WM_ENGINE_LOAD = WM_APP + 1,
    // Read Config.ini and AppConfig.ini again and follow them (posted).
    WM_ENGINE_APPLY_SETTINGS = WM_APP + 2,
    // Load the enabled dictionaries again (posted).
    WM_ENGINE_RELOAD_DICTIONARIES = WM_APP + 3,
    // wParam 1: install the hook, 0: remove it; the typed text is forgotten and the prompt hidden.
    // Sent: when it returns, the hook is in the state asked for.
    WM_ENGINE_SET_ENABLED = WM_APP + 4,
    // The user picked a row of the page with serial lParam with the mouse: wParam the row (posted).
    WM_ENGINE_ROW_CLICKED = WM_APP + 5,
    WM_ENGINE_ROW_DOUBLE_CLICKED = WM_APP + 6,
    // Removes the hook, closes the stores and ends the engine thread (posted).
    WM_ENGINE_STOP = WM_APP + 7,
    // Test and benchmark aid: the engine thread sleeps wParam milliseconds, now or (lParam 1) right
    // after it typed its next completion (posted).
    WM_ENGINE_DEBUG_HANG = WM_APP + 8,
    // Runs a const std::function<void(ILearningDesk&)>* (wParam) on the engine thread (sent).
    WM_ENGINE_CALL = WM_APP + 9,
    // From the engine's own listing thread: lParam a FolderListing* the receiver deletes (posted).
    WM_ENGINE_FOLDER_LISTED = WM_APP + 10,

    // Key gate (the hook's thread) -> engine window (posted): a key the gate let pass, wParam its
    // UTF-16 units (KeyReport::units), lParam as WM_HOOK_KEY's; it only joins the typed text
    // (CCompletionEngine::OnPassedKey). A key the gate asks the engine about comes as WM_HOOK_KEY
    // with the units in wParam's low 32 bits and the gate's serial above (CKeyGate::SerialOf).
    WM_ENGINE_KEY_PASSED = WM_APP + 11,
    // Key gate -> engine window (posted): keys the engine did not take up in time were answered by the
    // gate; the engine takes them over (CKeyGate::TakeAnsweredKeys) before any later key.
    WM_ENGINE_KEYS_ANSWERED = WM_APP + 12,
    // Sync folder's reading thread -> engine window (posted): the logs are read (CSyncHandOver::
    // OnPrepared); wParam the reading's serial, so a reading given up on is ignored.
    WM_ENGINE_SYNC_PREPARED = WM_APP + 13,
    // Tests -> engine window: runs a const std::function<void(CEngineHost&)>* (wParam) (sent).
    WM_ENGINE_HOST_CALL = WM_APP + 14,

    // Engine window -> itself (posted), beside the hook's WM_HOOK_KEY (WM_USER + 1003).
    // Run the searches the keys queued (CCompletionEngine::SearchTyped).
    WM_PROMPT_SEARCH = WM_USER + 1001,
    // Type the completion a key asked for (CCompletionEngine::RunQueuedCompletion).
    WM_PROMPT_COMPLETE = WM_USER + 1004,

    // Engine thread -> controller window (posted).
    // lParam: a PromptState* the receiver deletes; the latest one wins.
    WM_VIEW_PROMPT_STATE = WM_APP + 20,
    // Loading is over; wParam 1 when no dictionary could be loaded.
    WM_VIEW_LOADED = WM_APP + 21,
    // A file could not be loaded, saved or started: lParam a std::string* (the message) the receiver
    // deletes, wParam its ProblemWeight. Each file's trouble is sent once.
    WM_VIEW_FILE_PROBLEM = WM_APP + 22,
};

// Timers of the engine window (ids beside the hook's and the prompt's messages, which need none).
enum EngineTimer : UINT_PTR {
    TIMER_ACCEPT_INPUT = 1003,  // CKeyPacer: focus changes replace the typed text again
    TIMER_FOLLOW_CARET = 1004,  // CPromptStateBuilder: the prompt follows the caret
    TIMER_OWN_INPUT = 1005,     // CKeyPacer: the marker behind a completion is given up on
    TIMER_SAVE_USAGE = 1006,    // CLearningHandOver: what typing taught is written
};

enum class ProblemWeight : WPARAM {
    Error,    // something the user has is not there or will not be kept
    Warning,  // the program works on without it
};
