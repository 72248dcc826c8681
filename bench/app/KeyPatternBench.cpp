// The typist's key pattern, side by side. Keys are typed into an edit control of this process: a
// press every 60 ms, its release 0-5 ms after the press reached the edit (uniform, fixed seed),
// each timed from its own injection to the edit's WM_KEYDOWN / WM_KEYUP. Per suggestion order the
// parties take turns batch by batch, today - receiver - before, then before - receiver - today,
// so that no party always comes first or right after a start:
//   today's Pennivox.exe; pvrecv.exe answering at once through the same Zel.dll; an older
//   Pennivox.exe with its own Zel.dll.
// One hook answers at a time: the receiver's is taken out, a program is switched off by its tray
// command (once per order the bench checks that a program obeys it; one that does not is closed
// instead). Both programs hold the same single-instance mutex, so they cannot run together: with
// an older program each program is started when its batch comes, the other one closed first.
// Every batch begins with an untimed word, after a start too. An older program whose 32-bit
// helper hooks the whole desktop gets no keys of this 64-bit process under Wine: its helper's
// hooks are taken out (see CheckSwitch).
#include "bench/app/KeyPatternBench.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/app/KeyBench.h"
#include "bench/app/KeyPattern.h"
#include "bench/hook/KeyTargetWindow.h"
#include "bench/hook/LatencyStats.h"
#include "tools/testkit/TestReceiver.h"

namespace keypattern {

namespace {

using namespace appbench;
using bench::Now;

const char kTargetClass[] = "PvKeyPatternTarget";
const unsigned kSeed = 20261208;
const char kWarmUpWord[] = "the ";
const char kProbeLetters[] = "thr";  // brings the prompt up with any English dictionary
const DWORD kSettleMs = 500;         // after a program finished loading
const DWORD kHelperSettleMs = 50;    // for a helper to act on its posted command

struct OrderSetup {
    std::string name, today, before;
};

// A Pennivox.exe of one party; running only while it is the program whose batches come.
struct ProgramParty {
    std::string folder;
    PartyDelays* delays = nullptr;
    bool switchChecked = false;
    bool obeysSwitch = true;
    bool helperHooksOut = false;  // its 32-bit helper's hooks are taken out whenever it is switched on
    int starts = 0;
};

// Sleeps while more than 2 ms remain, then yields until the time: Sleep alone would round the
// release gaps to whole milliseconds.
void WaitUntil(long long ticks)
{
    const long long twoMs = TicksPerSecond() / 500;
    for (long long now = Now(); now < ticks; now = Now()) {
        if (ticks - now > twoMs)
            Sleep(1);
        else
            SwitchToThread();
    }
}

class CPatternRun {
public:
    CPatternRun(const KeyTarget& target, const std::vector<std::string>& words, int batches, int keys)
        : m_target(target), m_words(words), m_batches(batches), m_keys(keys)
    {
    }
    // False when a party could not be measured (told in the notes).
    bool RunOrder(const OrderSetup& setup, OrderDelays& result);
    const std::vector<std::string>& Notes() const { return m_notes; }

private:
    bool Activate(PartyDelays& party, ProgramParty* program);
    bool StartProgram(ProgramParty& program);
    void StopProgram();
    void SetProgramHooked(bool hooked);
    bool TakeOutHelperHooks();
    void CheckSwitch(ProgramParty& program);
    bool ProbeShowsPrompt();
    bool StartReceiver(const std::string& folder);
    void StopReceiver();
    void SetReceiverHooked(bool hooked);
    void ClearText();
    void TypeUntimed(const char* text);
    bool TypeBatch(const std::vector<ScheduledKey>& schedule, size_t first, PartyDelays& delays);
    void TypeKey(const ScheduledKey& key, PartyDelays* delays);
    void Note(const std::string& text) { m_notes.push_back(m_order + ": " + text); }

    const KeyTarget m_target;
    const std::vector<std::string>& m_words;
    const int m_batches, m_keys;
    std::string m_order;
    Process m_program;
    HWND m_prompt = nullptr;
    ProgramParty* m_running = nullptr;
    bool m_programHooked = false;
    Process m_receiver;
    HWND m_receiverWindow = nullptr;
    bool m_receiverHooked = false;
    long long m_nextPress = 0;
    std::vector<std::string> m_notes;
};

bool CPatternRun::RunOrder(const OrderSetup& setup, OrderDelays& result)
{
    m_order = setup.name;
    result.order = setup.name;
    result.parties.clear();
    const auto party = [](Role role, const char* name) {
        PartyDelays delays;
        delays.role = role;
        delays.name = name;
        return delays;
    };
    result.parties.push_back(party(Role::Today, "today"));
    if (!setup.before.empty())
        result.parties.push_back(party(Role::Before, "before"));
    result.parties.push_back(party(Role::Receiver, "receiver"));
    ProgramParty today{setup.today, &result.parties[0]};
    ProgramParty before{setup.before, setup.before.empty() ? nullptr : &result.parties[1]};
    if (!StartReceiver(setup.today))
        return false;

    struct Turn {
        PartyDelays* delays;
        ProgramParty* program;
    };
    std::vector<Turn> turns = {{today.delays, &today}, {&result.parties.back(), nullptr}};
    if (before.delays)
        turns.push_back({before.delays, &before});
    const std::vector<ScheduledKey> schedule = MakeSchedule(m_words, 0, m_batches * m_keys, kSeed);
    bool measured = true;
    for (int batch = 0; batch < m_batches && measured; ++batch) {
        for (size_t i = 0; i < turns.size() && measured; ++i)
            measured = Activate(*turns[i].delays, turns[i].program) &&
                       TypeBatch(schedule, (size_t)batch * m_keys, *turns[i].delays);
        std::reverse(turns.begin(), turns.end());
    }
    SetReceiverHooked(false);
    StopProgram();
    StopReceiver();
    for (const ProgramParty* program : {&today, &before})
        if (program->delays && program->starts > 1)
            Note(program->delays->name + "'s program was started " + std::to_string(program->starts) +
                 " times, once for each turn after the other program's");
    return measured;
}

// Only `party`'s hook answers from now on.
bool CPatternRun::Activate(PartyDelays& party, ProgramParty* program)
{
    if (!program) {
        if (m_running && !m_running->obeysSwitch)
            StopProgram();
        SetProgramHooked(false);
        SetReceiverHooked(true);
        if (!m_receiverHooked)
            Note("pvrecv.exe did not put its hook in");
        return m_receiverHooked;
    }
    SetReceiverHooked(false);
    if (m_running != program)
        return StartProgram(*program);
    SetProgramHooked(true);
    return true;
}

bool CPatternRun::StartProgram(ProgramParty& program)
{
    StopProgram();
    const std::string& name = program.delays->name;
    if (!m_program.Start(program.folder, "\"" + program.folder + "\\Pennivox.exe\"")) {
        Note(name + "'s Pennivox.exe did not start");
        return false;
    }
    m_prompt = WaitForWindow(m_program, kPromptClass, kPromptReadyTitle, 300000);
    if (!m_prompt) {
        Note(name + "'s Pennivox.exe did not finish loading");
        m_program.Stop(nullptr);
        return false;
    }
    m_running = &program;
    m_programHooked = true;  // a program starts switched on
    ++program.starts;
    WaitWindowAnswers(m_prompt, 10000);
    Sleep(kSettleMs);
    if (program.helperHooksOut && WaitForHelper(m_program.info.dwProcessId, 3000))
        TakeOutHelperHooks();
    if (!program.switchChecked)
        CheckSwitch(program);
    return true;
}

void CPatternRun::StopProgram()
{
    if (!m_running)
        return;
    m_program.Stop(m_prompt);
    m_running = nullptr;
    m_prompt = nullptr;
    m_programHooked = false;
}

void CPatternRun::SetProgramHooked(bool hooked)
{
    if (!m_running || m_programHooked == hooked)
        return;
    ToggleProgram(m_prompt);
    m_programHooked = hooked;
    if (hooked && m_running->helperHooksOut)
        TakeOutHelperHooks();
}

bool CPatternRun::TakeOutHelperHooks()
{
    if (!appbench::TakeOutHelperHooks(m_program.info.dwProcessId))
        return false;
    Sleep(kHelperSettleMs);
    return true;
}

// Letters that bring the prompt up must while the program is on, and must not once it is
// switched off. An older program whose 32-bit helper put a global hook in gets no keys of 64-bit
// programs under Wine (a hook library that cannot be loaded ends the chain): its helper's hooks
// are taken out from then on.
void CPatternRun::CheckSwitch(ProgramParty& program)
{
    if (!Focus(m_target))
        return;
    const std::string probe = std::string("\"") + kProbeLetters + "\"";
    const std::string& name = program.delays->name;
    bool whileOn = ProbeShowsPrompt();
    if (!whileOn && TakeOutHelperHooks()) {
        whileOn = program.helperHooksOut = ProbeShowsPrompt();
        if (whileOn)
            Note(name + "'s program showed its prompt for " + probe +
                 " only with its 32-bit helper's hooks out: taken out after each start and switch-on");
    }
    SetProgramHooked(false);
    const bool whileOff = ProbeShowsPrompt();
    SetProgramHooked(true);
    program.switchChecked = true;
    program.obeysSwitch = !whileOff;
    if (whileOff)
        Note(name + "'s program showed its prompt for " + probe +
             " while switched off by the tray command: it is closed instead while the receiver types");
    else if (whileOn)
        Note(name + "'s program obeys the tray switch (no prompt for " + probe + " while off, one while on)");
    else
        Note(name + "'s program showed no prompt for " + probe +
             " even while on: it does not follow this typing (no search in its figures), and its"
             " switch is unchecked");
}

bool CPatternRun::ProbeShowsPrompt()
{
    ClearText();
    TypeUntimed(kProbeLetters);
    bool shown = false;
    for (DWORD start = GetTickCount(); !shown && GetTickCount() - start < 1000; Sleep(5))
        shown = IsWindowVisible(m_prompt) != FALSE;
    ClearText();
    return shown;
}

bool CPatternRun::StartReceiver(const std::string& folder)
{
    if (!m_receiver.Start(folder, "\"" + folder + "\\pvrecv.exe\" --no-install") ||
        !(m_receiverWindow = WaitForWindow(m_receiver, RECEIVER_WINDOW_CLASS, nullptr, 30000))) {
        Note("pvrecv.exe did not start");
        m_receiver.Stop(nullptr);
        return false;
    }
    m_receiverHooked = false;
    return true;
}

void CPatternRun::StopReceiver()
{
    if (m_receiverWindow)
        ReceiverCommand(m_receiverWindow, "quit");
    m_receiver.Stop(nullptr);
    m_receiverWindow = nullptr;
}

// The receiver takes its hook out only while it is the one installed: the same Zel.dll holds one
// hook for both processes.
void CPatternRun::SetReceiverHooked(bool hooked)
{
    if (m_receiverHooked == hooked)
        return;
    if (hooked) {
        m_receiverHooked = ReceiverCommand(m_receiverWindow, "install");
        return;
    }
    ReceiverCommand(m_receiverWindow, "remove");
    m_receiverHooked = false;
}

// Ends the word typed last and empties the edit, so that its caret stays in view.
void CPatternRun::ClearText()
{
    TypeKey({' ', 0}, nullptr);
    if (m_prompt)
        WaitPromptHidden(m_prompt, 1000);
    SendMessageTimeoutA(m_target.edit, WM_SETTEXT, 0, (LPARAM) "", SMTO_NORMAL, 2000, nullptr);
}

void CPatternRun::TypeUntimed(const char* text)
{
    for (const char* c = text; *c; ++c)
        TypeKey({*c, kMaxReleaseAfterUs / 2}, nullptr);
}

bool CPatternRun::TypeBatch(const std::vector<ScheduledKey>& schedule, size_t first, PartyDelays& delays)
{
    if (!Focus(m_target)) {
        Note("the bench's edit could not be given the focus");
        return false;
    }
    TypeUntimed(kWarmUpWord);
    ClearText();
    m_nextPress = Now();
    for (size_t i = first; i < first + m_keys && i < schedule.size(); ++i)
        TypeKey(schedule[i], &delays);
    return true;
}

// Presses at the pace, releases its gap after the press arrived; timed into `delays` when given.
void CPatternRun::TypeKey(const ScheduledKey& key, PartyDelays* delays)
{
    const long long ticksPerSecond = TicksPerSecond();
    WaitUntil(m_nextPress);
    if (delays && key.key == ' ') {
        ++delays->words;
        delays->promptUp += m_prompt && IsWindowVisible(m_prompt) ? 1 : 0;
    }
    const WORD vk = CharacterKey(key.key);
    long long sent = 0;
    double us = 0;
    InjectKey(m_target, vk, false, sent);
    m_nextPress = std::max(m_nextPress, sent) + ticksPerSecond * kPressEveryMs / 1000;
    const bool pressed = AwaitKey(m_target, sent, us);
    if (delays)
        pressed ? delays->pressUs.push_back(us) : (void)++delays->lostPresses;
    if (pressed)
        WaitUntil(m_target.arrival->ticks + (long long)(key.releaseAfterUs * ticksPerSecond / 1e6));
    InjectKey(m_target, vk, true, sent);
    const bool released = AwaitKey(m_target, sent, us);
    if (delays)
        released ? delays->releaseUs.push_back(us) : (void)++delays->lostReleases;
}

struct Run {
    CPatternRun* pattern;
    std::vector<OrderSetup> setups;
    std::vector<OrderDelays> results;
    HWND window = nullptr;
    bool measured = true;
};

DWORD WINAPI Injector(LPVOID param)
{
    Run& run = *static_cast<Run*>(param);
    for (const OrderSetup& setup : run.setups) {
        run.results.emplace_back();
        run.measured = run.pattern->RunOrder(setup, run.results.back()) && run.measured;
    }
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    return 0;
}

// ORDER TODAY_DIR [BEFORE_DIR] groups: an argument without a backslash names the next order.
bool ParseOrders(int argc, char** argv, int first, std::vector<OrderSetup>& setups)
{
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool isFolder = arg.find('\\') != std::string::npos;
        if (!isFolder) {
            setups.emplace_back();
            setups.back().name = arg;
        } else if (setups.empty() || !setups.back().before.empty())
            return false;
        else
            (setups.back().today.empty() ? setups.back().today : setups.back().before) = arg;
    }
    for (const OrderSetup& setup : setups)
        if (setup.today.empty())
            return false;
    return !setups.empty();
}

void PrintResults(const Run& run, int batches, int keys)
{
    printf(
        "Keys typed as a typist does: a press every %d ms, its release 0-%.0f ms after the press reached the\n"
        "edit (uniform, seed %u); each timed from its own injection to the edit's WM_KEYDOWN / WM_KEYUP.\n"
        "%d batches x %d keys per party, taking turns batch by batch; figures in ms.\n",
        kPressEveryMs, kMaxReleaseAfterUs / 1000, kSeed, batches, keys);
    printf("%s", FormatTable(run.results).c_str());
    printf(
        ">5 ms: key messages later than 5 ms, lost ones included, of all. /receiver, /before: ratios at the\n"
        "median and p95. Goals for today's program: <= 1.2x the receiver at the median and <= 1.5x at p95,\n"
        "presses and releases alike; no key later than 5 ms; never worse than the older program.\n");
    printf("Prompt up before a word's space (in the receiver's turns: a program that was not switched off):\n");
    for (const OrderDelays& order : run.results) {
        printf("  %-8s", order.order.c_str());
        for (const PartyDelays& party : order.parties)
            printf("  %s %d of %d words", party.name.c_str(), party.promptUp, party.words);
        printf("\n");
    }
    for (const std::string& note : run.pattern->Notes())
        printf("%s\n", note.c_str());
}

int LostKeys(const std::vector<OrderDelays>& orders)
{
    int lost = 0;
    for (const OrderDelays& order : orders)
        for (const PartyDelays& party : order.parties)
            lost += party.lostPresses + party.lostReleases;
    return lost;
}

}  // namespace

int RunKeyPattern(int argc, char** argv)
{
    Run run;
    if (argc < 7 || !ParseOrders(argc, argv, 5, run.setups)) {
        fprintf(stderr,
                "usage: app_bench.exe --pattern WORDS_FILE BATCHES KEYS ORDER TODAY_DIR [BEFORE_DIR] "
                "[ORDER TODAY_DIR [BEFORE_DIR]]...\n");
        return 2;
    }
    const std::vector<std::string> words = ReadWords(argv[2]);
    const int batches = std::max(1, atoi(argv[3]));
    const int keys = std::max(1, atoi(argv[4]));
    if (words.empty()) {
        fprintf(stderr, "app_bench: no words in %s\n", argv[2]);
        return 2;
    }
    timeBeginPeriod(1);
    static bench::KeyArrival arrival = {};
    KeyTarget target;
    if (!OpenOwnTarget(target, &arrival, kTargetClass, "Typing as a typist does"))
        return 1;
    SetForegroundWindow(target.window);
    SetFocus(target.edit);
    PumpMessagesFor(500);

    CPatternRun pattern(target, words, batches, keys);
    run.pattern = &pattern;
    run.window = target.window;
    HANDLE thread = CreateThread(nullptr, 0, Injector, &run, 0, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    timeEndPeriod(1);
    PrintResults(run, batches, keys);
    return run.measured && !LostKeys(run.results) ? 0 : 1;
}

}  // namespace keypattern
