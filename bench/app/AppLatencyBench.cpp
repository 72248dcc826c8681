// Key delay and prompt delay of the real program. Keys are injected with SendInput into an edit
// control of this process and timed from the injection to the control's WM_KEYDOWN / WM_KEYUP,
// in alternating batches:
//   (a) Pennivox.exe running with its hook, doing its real work on every key (typed text,
//       searches over the loaded dictionaries and AutoLearn, the prompt);
//   (b) Pennivox switched off (its tray command) and pvrecv.exe answering every key at once
//       through the same Zel.dll;
//   (c) Pennivox again, timing how long the prompt takes to appear after a word's first key and
//       to be placed for the word's last key (this process polls the prompt window, so these
//       batches are kept out of (a)), then typing words nothing matches; in these batches it also
//       times how long the program's window stays busy after each key (the work a key leaves);
//   (d) as (a) and (b), but each release is injected right behind its press (one SendInput call),
//       both timed from that call;
//   (e) as (d) for Pennivox while its window thread is kept busy (not pumping) 2 s at a time by a
//       hidden debug command, against (d)'s receiver;
//   (f) once at the end: every thread of Pennivox suspended, 20 key events typed at once, timed
//       until the last reached the edit; then, resumed, whether its keys are reported again.
// With TARGET32_DIR (the 32-bit pieces beside the program, and Wine running 32-bit programs):
//   (g) (a) against Pennivox with its 32-bit helper's hooks out (Zel.dll alone), alternating;
//   (h) keys typed into keytarget.exe, a 32-bit program in TARGET32_DIR, reported through the
//       helpers: Pennivox with both hooks against pvrecv.exe with a Zel32Host.exe of its own.
// All timestamps are QueryPerformanceCounter readings, one clock for every process.
//
//   app_bench.exe PROGRAM_DIR WORDS_FILE [KEYS] [PACE_MS] [TARGET32_DIR]
// PROGRAM_DIR holds Pennivox.exe, Zel.dll, pvrecv.exe and Libs; WORDS_FILE the words to type,
// one a line. KEYS (default 400) keys are timed in (a) and in (b); a key press starts every
// PACE_MS milliseconds (default 50), a fast typist's pace. TARGET32_DIR holds keytarget.exe
// with its own Zel32.dll and Zel32Host.exe (a copy: Zel32.dll's shared data is per file).
//
//   app_bench.exe --pattern ...   a typist's key pattern instead (bench/app/KeyPatternBench.h)
#include <windows.h>
#include <mmsystem.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/app/KeyBench.h"
#include "bench/app/KeyPatternBench.h"
#include "base/WinHandles.h"
#include "bench/hook/KeyArrival.h"
#include "bench/hook/KeyTargetWindow.h"
#include "bench/hook/LatencyStats.h"
#include "hook/host32/Host32Protocol.h"
#include "tools/testkit/TestReceiver.h"

namespace {

using namespace appbench;
using bench::Microseconds;
using bench::Now;
using bench::Percentile;

const char kTargetClass[] = "PvAppBenchTarget";
// ID_DEBUG_BUSY_WINDOW_THREAD of the program's resources: lParam milliseconds without pumping.
// Older programs ignore it.
const WORD kBusyWindowThreadCommand = 0x7F10;
const DWORD kBusyMs = 2000;
const double kLongWaitUs = 250000;  // the hook's full wait for an answer
const char kHangLetters[] = "qwertyuiop";
const int kWordsPerBatch = 4;

// ---- the targets: an edit control of this process's UI thread, or one of keytarget.exe

bench::KeyArrival g_ownArrival = {};
KeyTarget g_own;
KeyTarget g_keys;  // the one typed into now

// ---- measuring

struct KeyFigures {
    int wanted = 0;
    int lost = 0;
    int words = 0, promptUp = 0;  // words typed, and those after which the prompt was up
    std::vector<double> pressUs, releaseUs;
    int Timed() const { return (int)pressUs.size() + lost; }
    // Keys whose press or release waited at least `us`; needs presses and releases timed in pairs.
    int KeysWaiting(double us) const
    {
        int count = 0;
        for (size_t i = 0; i < pressUs.size() && i < releaseUs.size(); ++i)
            count += pressUs[i] >= us || releaseUs[i] >= us;
        return count;
    }
};

// (f): the program's threads suspended while keys are typed.
struct HangFigures {
    int threads = 0;             // threads suspended
    int arrived = 0;             // of the 20 key events
    double allArrivedMs = -1;    // from typing to the last one's arrival; -1: not all arrived
    std::string text;            // the edit's text afterwards
    int reportedAgainAfter = 0;  // words typed after resuming until the prompt came up; 0: never
};

struct PromptFigures {
    std::vector<double> shownUs;   // first key of a word, prompt hidden before
    std::vector<double> placedUs;  // last key of a word, prompt already up
    std::vector<double> busyAfterLetterUs, busyAfterSpaceUs, busyAfterUnmatchedUs;
    int unmatchedShown = 0;
    int notShown = 0, notPlaced = 0, notHidden = 0;
};

struct Bench {
    HWND target = nullptr;
    HWND prompt = nullptr;
    HWND receiver = nullptr;
    DWORD programPid = 0;
    int paceMs = 50;
    std::vector<std::string> words;
    size_t nextWord = 0;
    bool programHooked = true;
    bool receiverHooked = false;
    int unmatchedWords = 0;
    long long nextPress = 0;
    KeyFigures program, immediate;
    KeyFigures unmatched;  // presses only: the releases wait for the busy probe
    KeyFigures pairedProgram, pairedImmediate, busyProgram;
    int busyPeriods = 0;
    PromptFigures shown;
    HangFigures hang;
    // (g) and (h); not measured while `no32` tells why.
    std::string no32;
    KeyTarget target32;
    DWORD receiverHelperThread = 0;  // the receiver's own Zel32Host.exe
    bool receiverHelperHooked = false;
    int helperHooksOut = 0;  // one-hook rounds: Pennivox's helper told to take its hooks out
    KeyFigures oneHook, program32, immediate32;
    bool Wanting() const
    {
        for (const KeyFigures* k :
             {&program, &immediate, &pairedProgram, &pairedImmediate, &busyProgram, &oneHook, &program32, &immediate32})
            if (k->Timed() < k->wanted)
                return true;
        return false;
    }
    int Lost() const
    {
        return program.lost + immediate.lost + pairedProgram.lost + pairedImmediate.lost + busyProgram.lost +
               oneHook.lost + program32.lost + immediate32.lost + (int)(sizeof kHangLetters - 1) * 2 - hang.arrived;
    }
};

enum class Watch { None, Shows, Moves };

bool PromptRect(HWND prompt, RECT& rect)
{
    return IsWindowVisible(prompt) && GetWindowRect(prompt, &rect);
}

// Injects one key event and waits for the edit control to get it. With `watch`, also spins until
// the prompt shows (or moves) and reports how long that took in `promptUs` (-1: it did not).
bool Inject(Bench& b, WORD vk, bool release, double& delayUs, Watch watch = Watch::None, double* promptUs = nullptr)
{
    RECT before = {};
    bool wasVisible = PromptRect(b.prompt, before);
    long long sent = 0;
    InjectKey(g_keys, vk, release, sent);
    if (watch != Watch::None) {
        *promptUs = -1;
        long long limit = sent + TicksPerSecond();
        for (long long now = Now(); now < limit; now = Now()) {
            RECT rect = {};
            bool visible = PromptRect(b.prompt, rect);
            bool done = watch == Watch::Shows ? visible
                                              : visible && (!wasVisible || rect.left != before.left ||
                                                            rect.top != before.top || rect.right != before.right);
            if (done) {
                *promptUs = Microseconds(now - sent);
                break;
            }
            SwitchToThread();
        }
    }
    return AwaitKey(g_keys, sent, delayUs);
}

void WaitForPace(Bench& b)
{
    long long now = Now();
    if (b.nextPress > now)
        Sleep((DWORD)(Microseconds(b.nextPress - now) / 1000));
    b.nextPress = Now() + TicksPerSecond() * b.paceMs / 1000;
}

// Types one key; its delays go to `figures` when given.
// With `busyUs`: how long the program's window still took to answer a message after the press
// reached the target, i.e. the work the key left it with.
void TypeKey(Bench& b, WORD vk, KeyFigures* figures, Watch watch = Watch::None, double* promptUs = nullptr,
             int* promptUpBefore = nullptr, std::vector<double>* busyUs = nullptr)
{
    WaitForPace(b);
    if (promptUpBefore && IsWindowVisible(b.prompt))
        ++*promptUpBefore;
    double press = 0, release = 0;
    bool pressed = Inject(b, vk, false, press, watch, promptUs);
    DWORD_PTR ignored = 0;
    if (busyUs && pressed && SendMessageTimeoutA(b.prompt, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored))
        busyUs->push_back(Microseconds(Now() - g_keys.arrival->ticks));
    bool released = Inject(b, vk, true, release);
    if (!figures)
        return;
    if (pressed)
        figures->pressUs.push_back(press);
    else
        ++figures->lost;
    if (released)
        figures->releaseUs.push_back(release);
    else
        ++figures->lost;
}

// Presses and releases one key with a single SendInput call and times both from it.
void TypePair(Bench& b, WORD vk, KeyFigures& figures)
{
    WaitForPace(b);
    INPUT inputs[2] = {KeyInput(vk, false), KeyInput(vk, true)};
    bench::KeyArrival& a = *g_keys.arrival;
    ResetEvent(g_keys.event);
    a.pressTicks = 0;
    a.pairVk = vk;
    long long sent = Now();
    SendInput(2, inputs, sizeof(INPUT));
    bool released = WaitForSingleObject(g_keys.event, 2000) == WAIT_OBJECT_0;
    a.pairVk = 0;
    long long pressed = a.pressTicks;
    if (released && pressed) {
        figures.pressUs.push_back(Microseconds(pressed - sent));
        figures.releaseUs.push_back(Microseconds(a.ticks - sent));
    } else {
        figures.lost += (released ? 0 : 1) + (pressed ? 0 : 1);
    }
}

// The helpers take their commands as posted thread messages: a moment for them to act before
// keys in a 32-bit program are timed.
const DWORD kHelperSettleMs = 50;

void SetReceiverHelper(Bench& b, bool hooked)
{
    if (!b.receiverHelperThread || b.receiverHelperHooked == hooked)
        return;
    PostThreadMessageA(b.receiverHelperThread, hooked ? WM_HOST32_INSTALL : WM_HOST32_REMOVE, 0, 0);
    b.receiverHelperHooked = hooked;
}

// Zel.dll keeps one hook for the whole desktop: removing it from either process removes it for
// both, so each side removes only while it is the one installed. The same goes for each side's
// Zel32Host.exe. Switching the program on also starts its helper again if it was ended.
void HookToProgram(Bench& b)
{
    if (b.receiverHooked) {
        ReceiverCommand(b.receiver, "remove");
        b.receiverHooked = false;
    }
    SetReceiverHelper(b, false);
    if (!b.programHooked) {
        ToggleProgram(b.prompt);
        b.programHooked = true;
    }
}

void HookToReceiver(Bench& b)
{
    if (b.programHooked) {
        ToggleProgram(b.prompt);
        b.programHooked = false;
    }
    b.receiverHooked = ReceiverCommand(b.receiver, "install");
    SetReceiverHelper(b, true);
}

// Brings `target` to the foreground with the focus in its edit; keys go there from now on.
bool SwitchTo(const KeyTarget& target)
{
    g_keys = target;
    return Focus(target);
}

// A word ends with a space; the text is cleared between batches so the caret stays in view.
void StartBatch(Bench& b)
{
    TypeKey(b, VK_SPACE, nullptr);  // untimed warm-up, also ends the word before
    WaitPromptHidden(b.prompt, 1000);
    SendMessageTimeoutA(g_keys.edit, WM_SETTEXT, 0, (LPARAM) "", SMTO_NORMAL, 2000, nullptr);
}

// One word and its space; `paired`: each release injected right behind its press. With `until`,
// keys are typed only until then.
void TypeWord(Bench& b, KeyFigures& figures, bool paired, long long until = 0)
{
    const std::string& word = b.words[b.nextWord++ % b.words.size()];
    for (char c : word) {
        if (until && Now() >= until)
            return;
        paired ? TypePair(b, LetterKey(c), figures) : TypeKey(b, LetterKey(c), &figures);
    }
    if (until && Now() >= until)
        return;
    // Tells that the program really worked on these keys (and that it was off while the
    // receiver answered): the prompt is looked at just before the space, outside the timing.
    ++figures.words;
    if (!paired) {
        TypeKey(b, VK_SPACE, &figures, Watch::None, nullptr, &figures.promptUp);
        return;
    }
    figures.promptUp += IsWindowVisible(b.prompt) ? 1 : 0;
    TypePair(b, VK_SPACE, figures);
}

void TypeWords(Bench& b, KeyFigures& figures, bool paired = false)
{
    for (int w = 0; w < kWordsPerBatch && figures.Timed() < figures.wanted; ++w)
        TypeWord(b, figures, paired);
}

// (e): words typed as in (d) while the program's window thread does not pump for kBusyMs.
void TypeWhileBusy(Bench& b)
{
    if (b.busyProgram.Timed() >= b.busyProgram.wanted)
        return;
    WaitWindowAnswers(b.prompt, 5000);
    ++b.busyPeriods;
    PostMessageA(b.prompt, WM_COMMAND, MAKEWPARAM(kBusyWindowThreadCommand, 0), (LPARAM)kBusyMs);
    long long until = Now() + TicksPerSecond() * kBusyMs / 1000;
    while (Now() < until && b.busyProgram.Timed() < b.busyProgram.wanted)
        TypeWord(b, b.busyProgram, true, until);
    WaitWindowAnswers(b.prompt, 10000);
}

void WatchPromptWords(Bench& b)
{
    for (int w = 0; w < kWordsPerBatch; ++w) {
        const std::string& word = b.words[b.nextWord++ % b.words.size()];
        if (!WaitPromptHidden(b.prompt, 1000))
            ++b.shown.notHidden;
        for (size_t i = 0; i < word.size(); ++i) {
            double us = -1;
            Watch watch = i == 0 ? Watch::Shows : i + 1 == word.size() ? Watch::Moves : Watch::None;
            TypeKey(b, LetterKey(word[i]), nullptr, watch, &us, nullptr,
                    watch == Watch::None ? &b.shown.busyAfterLetterUs : nullptr);
            if (watch == Watch::Shows)
                us >= 0 ? b.shown.shownUs.push_back(us) : (void)++b.shown.notShown;
            else if (watch == Watch::Moves)
                us >= 0 ? b.shown.placedUs.push_back(us) : (void)++b.shown.notPlaced;
        }
        TypeKey(b, VK_SPACE, nullptr, Watch::None, nullptr, nullptr, &b.shown.busyAfterSpaceUs);
    }
}

// Words that match nothing after their second letter: the program still keeps the text and
// searches on every key, but has no prompt to fill or show. Against the letters of
// WatchPromptWords, this parts the search from the prompt's window work.
void TypeUnmatchedWords(Bench& b)
{
    for (int w = 0; w < kWordsPerBatch; ++w) {
        // Each word is learnt at its space: from the fifth letter on no word shares a beginning
        // with an earlier one, so neither the dictionaries nor AutoLearn have anything to offer.
        const int n = b.unmatchedWords++;
        std::string word = std::string("qj") + (char)('a' + n % 26) + (char)('a' + n / 26 % 26) + "zzz";
        for (size_t i = 0; i < word.size(); ++i) {
            std::vector<double> busy;
            TypeKey(b, LetterKey(word[i]), i >= 4 ? &b.unmatched : nullptr, Watch::None, nullptr, nullptr,
                    i >= 4 ? &busy : nullptr);
            if (busy.empty())
                continue;
            if (IsWindowVisible(b.prompt))
                ++b.shown.unmatchedShown;
            else
                b.shown.busyAfterUnmatchedUs.push_back(busy[0]);
        }
        TypeKey(b, VK_SPACE, nullptr);
    }
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Every thread of a process, suspended for the life of the object.
class CSuspendedThreads {
public:
    explicit CSuspendedThreads(DWORD pid)
    {
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        if (snapshot.get() == INVALID_HANDLE_VALUE) {
            snapshot.release();
            return;
        }
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
            if (entry.th32OwnerProcessID != pid)
                continue;
            UniqueHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
            if (thread && SuspendThread(thread.get()) != (DWORD)-1)
                m_threads.push_back(std::move(thread));
        }
    }
    ~CSuspendedThreads()
    {
        for (const UniqueHandle& thread : m_threads)
            ResumeThread(thread.get());
    }
    CSuspendedThreads(const CSuspendedThreads&) = delete;
    CSuspendedThreads& operator=(const CSuspendedThreads&) = delete;

    int Count() const { return (int)m_threads.size(); }

private:
    std::vector<UniqueHandle> m_threads;
};

std::string EditText()
{
    char text[256] = "";
    SendMessageTimeoutA(g_own.edit, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_NORMAL, 2000, nullptr);
    return text;
}

// The letters of kHangLetters, pressed and released, in one SendInput call; timed until the
// last key message reached the edit.
void TypeHangLetters(HangFigures& hang)
{
    std::vector<INPUT> inputs;
    for (const char* c = kHangLetters; *c; ++c) {
        inputs.push_back(KeyInput(LetterKey(*c), false));
        inputs.push_back(KeyInput(LetterKey(*c), true));
    }
    bench::KeyArrival& a = *g_keys.arrival;
    ResetEvent(g_keys.event);
    a.counted = 0;
    a.countTo = (LONG)inputs.size();
    long long sent = Now();
    SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT));
    bool all = WaitForSingleObject(g_keys.event, 30000) == WAIT_OBJECT_0;
    a.countTo = 0;
    hang.arrived = all ? (int)inputs.size() : (int)a.counted;
    if (all)
        hang.allArrivedMs = Microseconds(a.ticks - sent) / 1000;
}

// (f): typing while every thread of the program is suspended; then, resumed, whether the program
// gets keys again (a word brings its prompt up).
void TypeWhileHung(Bench& b)
{
    HookToProgram(b);
    StartBatch(b);
    {
        CSuspendedThreads suspended(b.programPid);
        b.hang.threads = suspended.Count();
        TypeHangLetters(b.hang);
        b.hang.text = EditText();
    }
    WaitWindowAnswers(b.prompt, 10000);
    for (int word = 1; word <= 3 && !b.hang.reportedAgainAfter; ++word) {
        KeyFigures ignored;
        StartBatch(b);
        TypeWord(b, ignored, false);
        if (ignored.promptUp)
            b.hang.reportedAgainAfter = word;
    }
}

// (g): the 64-bit target with Pennivox's own hook alone: its helper's hooks out for these batches,
// back when the program is next switched on (HookToProgram).
void TypeWithOneHook(Bench& b)
{
    if (b.oneHook.Timed() >= b.oneHook.wanted)
        return;
    HookToProgram(b);
    if (!TakeOutHelperHooks(b.programPid)) {
        b.no32 = "Pennivox's Zel32Host.exe could not be told to take its hooks out";
        b.oneHook.wanted = b.program32.wanted = b.immediate32.wanted = 0;
        return;
    }
    ++b.helperHooksOut;
    StartBatch(b);
    TypeWords(b, b.oneHook);
}

// (h): keys typed into keytarget.exe, a 32-bit program: first with the receiver answering (pvrecv.exe
// with a Zel32Host.exe of its own), then with Pennivox and both its hooks.
void TypeIn32BitTarget(Bench& b)
{
    if (b.program32.Timed() >= b.program32.wanted && b.immediate32.Timed() >= b.immediate32.wanted)
        return;
    if (!SwitchTo(b.target32)) {
        b.no32 = "keytarget.exe could not be given the focus";
        b.oneHook.wanted = b.program32.wanted = b.immediate32.wanted = 0;
        SwitchTo(g_own);
        return;
    }
    HookToReceiver(b);
    Sleep(kHelperSettleMs);
    StartBatch(b);
    TypeWords(b, b.immediate32);
    HookToProgram(b);
    Sleep(kHelperSettleMs);
    StartBatch(b);
    TypeWords(b, b.program32);
    SwitchTo(g_own);
}

DWORD WINAPI Injector(LPVOID param)
{
    Bench& b = *static_cast<Bench*>(param);
    while (b.Wanting()) {
        // Keys typed while another window has the focus would all be lost, each after a long wait.
        if (!SwitchTo(g_own)) {
            fprintf(stderr, "app_bench: the bench's own edit could not be given the focus\n");
            break;
        }
        HookToProgram(b);
        StartBatch(b);
        TypeWords(b, b.program);
        TypeWithOneHook(b);
        HookToReceiver(b);
        StartBatch(b);
        TypeWords(b, b.immediate);
        StartBatch(b);
        TypeWords(b, b.pairedImmediate, true);
        TypeIn32BitTarget(b);
        HookToProgram(b);
        StartBatch(b);
        TypeWords(b, b.pairedProgram, true);
        StartBatch(b);
        WatchPromptWords(b);
        TypeUnmatchedWords(b);
        StartBatch(b);
        TypeWhileBusy(b);
    }
    TypeWhileHung(b);
    HookToProgram(b);
    PostMessageA(b.target, WM_CLOSE, 0, 0);
    return 0;
}

void PrintKeys(const char* label, const KeyFigures& k)
{
    printf(
        "%-34s presses: median %8.1f us  p95 %8.1f us | releases: median %8.1f us  p95 %8.1f us | lost %d"
        " | prompt up after %d of %d words\n",
        label, Percentile(k.pressUs, 0.5), Percentile(k.pressUs, 0.95), Percentile(k.releaseUs, 0.5),
        Percentile(k.releaseUs, 0.95), k.lost, k.promptUp, k.words);
}

// Presses and releases of `k` against those of the receiver `r`.
void PrintRatios(const char* label, const KeyFigures& k, const KeyFigures& r)
{
    auto ratio = [](const std::vector<double>& a, const std::vector<double>& b, double p) {
        double denominator = Percentile(b, p);
        return denominator > 0 ? Percentile(a, p) / denominator : 0;
    };
    printf("%-34s presses: median %.2f  p95 %.2f | releases: median %.2f  p95 %.2f\n", label,
           ratio(k.pressUs, r.pressUs, 0.5), ratio(k.pressUs, r.pressUs, 0.95), ratio(k.releaseUs, r.releaseUs, 0.5),
           ratio(k.releaseUs, r.releaseUs, 0.95));
}

void PrintHang(const HangFigures& hang)
{
    const int events = (int)(sizeof kHangLetters - 1) * 2;
    printf("(f) all %d threads of Pennivox suspended, %d key events typed at once:\n", hang.threads, events);
    if (hang.allArrivedMs >= 0)
        printf("    all %d arrived after %.1f ms", events, hang.allArrivedMs);
    else
        printf("    only %d of %d arrived within 30 s", hang.arrived, events);
    printf("; text \"%s\" %s\n", hang.text.c_str(), hang.text == kHangLetters ? "in order" : "NOT as typed");
    if (hang.reportedAgainAfter)
        printf("    resumed: keys reported again (prompt up after word %d)\n", hang.reportedAgainAfter);
    else
        printf("    resumed: keys NOT reported again (no prompt after 3 words)\n");
}

// `missed` < 0: the figure has no misses to tell.
void PrintPrompt(const char* label, const std::vector<double>& us, int missed)
{
    printf("%-52s median %7.2f ms  p95 %7.2f ms  (%zu keys", label, Percentile(us, 0.5) / 1000,
           Percentile(us, 0.95) / 1000, us.size());
    if (missed >= 0)
        printf(", %d not seen within 1 s", missed);
    printf(")\n");
}

// (g) and (h), or why they were not measured.
void Print32(const Bench& b)
{
    printf("With the 32-bit helper beside the program (Zel32Host.exe, Zel32.dll):\n");
    if (!b.no32.empty()) {
        printf("(g), (h) not measured: %s\n", b.no32.c_str());
        return;
    }
    printf("(g) keys into this 64-bit process; the helper's hooks out for the one-hook batches (%d times):\n",
           b.helperHooksOut);
    PrintKeys("(g) Pennivox.exe, both hooks (= a)", b.program);
    PrintKeys("(g) Pennivox.exe, Zel.dll only", b.oneHook);
    PrintRatios("ratio both/one (goal <= 1.05)", b.program, b.oneHook);
    printf("(h) keys into keytarget.exe, a 32-bit program, reported by Zel32.dll through a helper:\n");
    PrintKeys("(h) Pennivox.exe, both hooks in", b.program32);
    PrintKeys("(h) pvrecv.exe answering at once", b.immediate32);
    PrintRatios("ratio Pennivox/pvrecv", b.program32, b.immediate32);
    PrintRatios("32-bit/64-bit target, Pennivox", b.program32, b.program);
    PrintRatios("32-bit/64-bit target, pvrecv", b.immediate32, b.immediate);
    if (b.program32.words && !b.program32.promptUp)
        printf("Pennivox showed no prompt for any word typed into the 32-bit program: its keys did not reach it\n");
}

// keytarget.exe, where (h) types, and the receiver's own Zel32Host.exe, for the run.
class C32BitSide {
public:
    ~C32BitSide() { Stop(); }
    // Empty when all is ready, else why (g) and (h) cannot be measured.
    std::string Start(Bench& b, const std::string& dir, DWORD receiverPid);
    void Stop();

private:
    std::string StartTarget(KeyTarget& target, const std::string& dir);
    pvbase::FileMappingHandle m_mapping;
    pvbase::MappedView m_view;
    pvbase::KernelHandle m_event;
    Process m_target, m_helper;
    HWND m_targetWindow = nullptr;
};

std::string C32BitSide::StartTarget(KeyTarget& target, const std::string& dir)
{
    char mappingName[64], eventName[64];
    bench::KeyArrivalNames(GetCurrentProcessId(), mappingName, eventName, sizeof mappingName);
    m_mapping.Reset(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(bench::KeyArrival), mappingName));
    m_event.Reset(CreateEventA(nullptr, TRUE, FALSE, eventName));
    if (m_mapping)
        m_view.Reset(MapViewOfFile(m_mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(bench::KeyArrival)));
    if (!m_view || !m_event)
        return "no shared memory for keytarget.exe";
    if (!m_target.Start(dir, "\"" + dir + "\\keytarget.exe\" " + std::to_string(GetCurrentProcessId())))
        return "keytarget.exe did not start";
    // The first 32-bit program in a new prefix also sets up Wine's 32-bit side: seconds, under load.
    m_targetWindow = WaitForWindow(m_target, "PvKeyTarget", nullptr, 60000);
    target.window = m_targetWindow;
    // The window is found as soon as it exists, its edit a moment later.
    for (DWORD start = GetTickCount(); m_targetWindow && !target.edit && GetTickCount() - start < 5000; Sleep(5))
        target.edit = FindWindowExA(m_targetWindow, nullptr, "EDIT", nullptr);
    target.arrival = static_cast<bench::KeyArrival*>(m_view.Get());
    target.event = m_event.Get();
    // A new window is activated a moment after it shows: wait for that, so that it cannot take
    // the foreground from the bench's own target later.
    for (DWORD start = GetTickCount(); m_targetWindow && GetTickCount() - start < 2000;) {
        if (GetForegroundWindow() == m_targetWindow)
            break;
        Sleep(5);
    }
    if (target.edit)
        return "";
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_target.info.hProcess, &code);
    return code == STILL_ACTIVE ? "keytarget.exe showed no edit control"
                                : "keytarget.exe ended at once, exit code " + std::to_string(code);
}

std::string C32BitSide::Start(Bench& b, const std::string& dir, DWORD receiverPid)
{
    if (!WaitForHelper(b.programPid, 5000))
        return "Pennivox.exe did not start " HOST32_EXE_NAME;
    std::string problem = StartTarget(b.target32, dir);
    if (!problem.empty())
        return problem;
    std::string helper = "\"" + dir + "\\" HOST32_EXE_NAME "\" " + std::to_string((ULONG_PTR)b.receiver) + " " +
                         std::to_string(receiverPid);
    if (!m_helper.Start(dir, helper))
        return "the receiver's " HOST32_EXE_NAME " did not start";
    WaitForInputIdle(m_helper.info.hProcess, 5000);
    if (WaitForSingleObject(m_helper.info.hProcess, 0) == WAIT_OBJECT_0)
        return "the receiver's " HOST32_EXE_NAME " ended at once";
    b.receiverHelperThread = m_helper.info.dwThreadId;
    b.receiverHelperHooked = true;  // it starts with its hooks in
    return "";
}

void C32BitSide::Stop()
{
    if (m_helper.info.hProcess)
        PostThreadMessageA(m_helper.info.dwThreadId, WM_QUIT, 0, 0);
    m_helper.Stop(nullptr);
    m_target.Stop(m_targetWindow);
    m_targetWindow = nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "--pattern") == 0)
        return keypattern::RunKeyPattern(argc, argv);
    if (argc < 3) {
        fprintf(stderr,
                "usage: app_bench.exe PROGRAM_DIR WORDS_FILE [KEYS] [PACE_MS] [TARGET32_DIR]\n"
                "       app_bench.exe --pattern ... (bench/app/KeyPatternBench.h)\n");
        return 2;
    }
    std::string folder = argv[1];
    Bench b;
    b.words = ReadWords(argv[2]);
    int keys = argc > 3 ? atoi(argv[3]) : 400;
    keys = keys > 0 ? keys : 400;
    for (KeyFigures* k : {&b.program, &b.immediate, &b.pairedProgram, &b.pairedImmediate, &b.busyProgram})
        k->wanted = keys;
    b.paceMs = argc > 4 && atoi(argv[4]) > 0 ? atoi(argv[4]) : 50;
    if (b.words.empty()) {
        fprintf(stderr, "app_bench: no words in %s\n", argv[2]);
        return 2;
    }
    timeBeginPeriod(1);

    Process program, receiver;
    long long started = Now();
    if (!program.Start(folder, "\"" + folder + "\\Pennivox.exe\"")) {
        fprintf(stderr, "app_bench: cannot start %s\\Pennivox.exe\n", folder.c_str());
        return 1;
    }
    b.prompt = WaitForWindow(program, kPromptClass, kPromptReadyTitle, 300000);
    double startupMs = Microseconds(Now() - started) / 1000;
    b.programPid = program.info.dwProcessId;
    if (!b.prompt) {
        fprintf(stderr, "app_bench: the program did not finish loading\n");
        program.Stop(nullptr);
        return 1;
    }
    if (!receiver.Start(folder, "\"" + folder + "\\pvrecv.exe\" --no-install") ||
        !(b.receiver = WaitForWindow(receiver, RECEIVER_WINDOW_CLASS, nullptr, 30000))) {
        fprintf(stderr, "app_bench: pvrecv.exe did not start\n");
        program.Stop(b.prompt);
        return 1;
    }

    if (!OpenOwnTarget(g_own, &g_ownArrival, kTargetClass, "Typing into an edit box"))
        return 1;
    b.target = g_own.window;
    g_keys = g_own;
    C32BitSide side32;
    b.no32 = argc > 5 && *argv[5] ? side32.Start(b, argv[5], receiver.info.dwProcessId)
                                  : "no 32-bit pieces or no 32-bit Wine (no keytarget.exe folder given)";
    if (b.no32.empty()) {
        for (KeyFigures* k : {&b.oneHook, &b.program32, &b.immediate32})
            k->wanted = keys;
    }
    SetForegroundWindow(b.target);
    SetFocus(g_own.edit);
    PumpMessagesFor(500);
    MSG msg;

    HANDLE thread = CreateThread(nullptr, 0, Injector, &b, 0, nullptr);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    side32.Stop();
    ReceiverCommand(b.receiver, "quit");
    receiver.Stop(nullptr);
    program.Stop(b.prompt);
    timeEndPeriod(1);

    printf("Pennivox start-up until loading was over: %.0f ms\n", startupMs);
    printf("Key delay from SendInput to the edit control's message, %d keys each, one press every %d ms:\n", keys,
           b.paceMs);
    PrintKeys("(a) Pennivox.exe", b.program);
    PrintKeys("(b) pvrecv.exe answering at once", b.immediate);
    printf(
        "%-34s presses: median %8.1f us  p95 %8.1f us  (%zu letters with no candidates, from the\n"
        "%-34s prompt-timing batches; no ratio)\n",
        "(a') Pennivox.exe, nothing to offer", Percentile(b.unmatched.pressUs, 0.5),
        Percentile(b.unmatched.pressUs, 0.95), b.unmatched.pressUs.size(), "");
    double a = Percentile(b.program.pressUs, 0.5), r = Percentile(b.immediate.pressUs, 0.5);
    double a95 = Percentile(b.program.pressUs, 0.95), r95 = Percentile(b.immediate.pressUs, 0.95);
    printf("ratio a/b (presses): median %.2f  p95 %.2f  (target <= 1.50);  added by the program: median %.1f us\n",
           r > 0 ? a / r : 0, r95 > 0 ? a95 / r95 : 0, a - r);
    PrintPrompt("Prompt visible after a word's first key (was hidden):", b.shown.shownUs, b.shown.notShown);
    PrintPrompt("Prompt placed anew after a word's last key:", b.shown.placedUs, b.shown.notPlaced);
    printf("Where the time goes: after a key reached the target, the program's window answered a message\n");
    PrintPrompt("  after a letter inside a word (prompt up) only", b.shown.busyAfterLetterUs, -1);
    PrintPrompt("  after a space (word learnt, prompt hidden) only", b.shown.busyAfterSpaceUs, -1);
    PrintPrompt("  after a letter matching nothing (no prompt) only", b.shown.busyAfterUnmatchedUs, -1);
    if (b.shown.unmatchedShown)
        printf("  (%d letters meant to match nothing brought the prompt up; left out)\n", b.shown.unmatchedShown);
    if (b.shown.notHidden)
        printf("the prompt was still up before %d words\n", b.shown.notHidden);
    printf("Each release injected right behind its press (one SendInput), both timed from it:\n");
    PrintKeys("(d) Pennivox.exe", b.pairedProgram);
    PrintKeys("(d) pvrecv.exe answering at once", b.pairedImmediate);
    PrintRatios("ratio Pennivox/pvrecv", b.pairedProgram, b.pairedImmediate);
    printf("The same while Pennivox's window thread does not pump, %u ms at a time (%d times):\n", (unsigned)kBusyMs,
           b.busyPeriods);
    PrintKeys("(e) Pennivox.exe, window busy", b.busyProgram);
    PrintRatios("ratio to (d) pvrecv.exe", b.busyProgram, b.pairedImmediate);
    printf("%-34s %d of %zu keys waited >= %.0f ms (press or release)\n", "", b.busyProgram.KeysWaiting(kLongWaitUs),
           b.busyProgram.pressUs.size(), kLongWaitUs / 1000);
    PrintHang(b.hang);
    Print32(b);
    bool unreported32 = b.program32.words && !b.program32.promptUp;
    return b.Lost() || b.hang.text != kHangLetters || !b.hang.reportedAgainAfter || unreported32 ? 1 : 0;
}
