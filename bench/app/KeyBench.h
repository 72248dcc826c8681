// What the parts of the key-delay benchmark (app_bench) share: the processes it starts and how
// it tells them what to do, the edit control keys are typed into, and one key injected there.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "bench/hook/KeyArrival.h"

namespace appbench {

extern const char kPromptClass[];
extern const char kPromptReadyTitle[];  // the prompt's title once loading is over

// Where keys are typed: the top-level window, its edit control, and what the injecting thread
// waits for there (`event` is set when it arrived).
struct KeyTarget {
    HWND window = nullptr;
    HWND edit = nullptr;
    bench::KeyArrival* arrival = nullptr;
    HANDLE event = nullptr;
};

// Opens an edit box of this process's thread to type into, focused: false when it could not.
bool OpenOwnTarget(KeyTarget& target, bench::KeyArrival* arrival, const char* className, const char* title);

struct Process {
    PROCESS_INFORMATION info = {};

    bool Start(const std::string& folder, const std::string& commandLine);
    bool Owns(HWND window) const;
    void Stop(HWND window);
};

// A top-level window of `process` (title null: any), waited for; null when it did not come or
// the process ended.
HWND WaitForWindow(const Process& process, const char* cls, const char* title, DWORD timeoutMs);

// True when the window's thread answered within the time.
bool WaitWindowAnswers(HWND window, DWORD timeoutMs);

bool WaitPromptHidden(HWND prompt, DWORD timeoutMs);

// The program's tray command that switches it on and off, sent through its prompt.
bool ToggleProgram(HWND prompt);

// One of pvrecv.exe's commands ("install", "remove", "quit"); true when it answered non-zero.
bool ReceiverCommand(HWND receiver, const char* text);

// Dispatches this thread's messages for `ms` milliseconds.
void PumpMessagesFor(DWORD ms);

// Brings `target` to the foreground with the focus in its edit.
bool Focus(const KeyTarget& target);

long long TicksPerSecond();
INPUT KeyInput(WORD vk, bool release);
WORD LetterKey(char c);
WORD CharacterKey(char c);  // a letter or the space

// Injects one key event into `target`'s thread, noting the time in `sentTicks`; then
// AwaitKey waits for the edit to get it and gives the delay.
void InjectKey(const KeyTarget& target, WORD vk, bool release, long long& sentTicks);
bool AwaitKey(const KeyTarget& target, long long sentTicks, double& delayUs);

// Pennivox's 32-bit helpers: Zel32Host.exe processes the program started, waited for; and
// their hooks taken out, as the program does when it is switched off (switching it on puts them
// back; ending the helper would not do: Wine keeps the hooks of a killed thread).
std::vector<DWORD> HelperPids(DWORD programPid);
bool WaitForHelper(DWORD programPid, DWORD timeoutMs);
bool TakeOutHelperHooks(DWORD programPid);

// The lines of the words file that are words of small letters.
std::vector<std::string> ReadWords(const char* path);

}  // namespace appbench
