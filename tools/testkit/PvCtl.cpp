// pvctl: a console tool that end-to-end tests use to look at and steer windows.
//
//   pvctl.exe COMMAND ARGS...     run one command, print "ok VALUE" or "err MESSAGE"
//   pvctl.exe serve               read commands from stdin, one per line, answer each with one line
//
// Window handles are hex; texts are passed as hex bytes of UTF-8 so any character survives, "-" for none.
//   find CLASS|- TITLEHEX|- TIMEOUT_MS           top-level window by class and/or title
//   popup HWND                                   a visible enabled window it owns (a box it shows), or 0
//   enabled HWND                                 1 when the window takes input
//   child HWND CLASS|- ID|- TIMEOUT_MS           descendant window by class and/or control id, a shown one first
//   gettext HWND / settext HWND HEX              WM_GETTEXT / WM_SETTEXT
//   xid HWND                                     the X window id (decimal) behind a top-level window
//   foreground / setfg HWND / parent HWND / exists HWND / visible HWND / pid HWND / focusof HWND
//   send HWND MSG WPARAM LPARAM [TIMEOUT_MS]     SendMessageTimeout, prints the result
//   post HWND MSG WPARAM LPARAM / close HWND     PostMessage, WM_CLOSE
//   copydata HWND DATA HEX [TIMEOUT_MS]          WM_COPYDATA, prints the result
//   alive PID                                    ok while the process runs
//   kill HWND / killpid PID                      terminate the process that owns the window / by id
//   getclip / setclip HEX                        CF_UNICODETEXT on the clipboard ("none" when absent)
//   lvtext HWND ROW COLUMN                       a list view cell of any process (hex text)
//   lvsetstate HWND ROW STATE MASK               LVM_SETITEMSTATE (row -1: every row) of any process
//   holdhotkey MODS VK                           registers the hotkey for this process (serve: held until quit)
// (Item counts and states need no buffer: "send" with LVM_GETITEMCOUNT / LVM_GETITEMSTATE.)
#include "tools/testkit/TestkitUtil.h"

#include <commctrl.h>

#include <cstdlib>

namespace {

using testkit::FromHex;
using testkit::ToHex;

struct Reply {
    bool ok;
    std::string value;
};

Reply Ok(const std::string& value = "")
{
    return {true, value};
}
Reply Err(const std::string& message)
{
    return {false, message};
}

std::string HandleText(HWND window)
{
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%llx", (unsigned long long)(ULONG_PTR)window);
    return buffer;
}

std::string Number(long long value)
{
    return std::to_string(value);
}

HWND ParseHandle(const std::string& text)
{
    return (HWND)(ULONG_PTR)strtoull(text.c_str(), nullptr, 16);
}

long long ParseNumber(const std::string& text)
{
    return strtoll(text.c_str(), nullptr, 0);
}

// Polls until `probe` finds a window or the time is up.
template <class Probe>
HWND PollFor(DWORD timeoutMs, Probe probe)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = probe())
            return found;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(20);
    }
}

struct ChildQuery {
    std::string className;
    bool anyClass;
    int id;
    bool anyId;
    HWND found;
    HWND firstHidden;  // the pages a dialog keeps hidden may reuse a shown page's ids
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param)
{
    auto* query = reinterpret_cast<ChildQuery*>(param);
    wchar_t className[256] = L"";
    GetClassNameW(window, className, 256);
    if ((query->anyClass || lstrcmpiW(className, testkit::Widen(query->className).c_str()) == 0) &&
        (query->anyId || GetDlgCtrlID(window) == query->id)) {
        if (IsWindowVisible(window)) {
            query->found = window;
            return FALSE;
        }
        if (!query->firstHidden)
            query->firstHidden = window;
    }
    return TRUE;
}

std::string WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), (LPARAM)&text[0], SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    return testkit::Narrow(text);
}

// Texts are hex; "-" stands for the empty text.
bool TextArg(const std::string& word, std::string& text)
{
    if (word == "-") {
        text.clear();
        return true;
    }
    return FromHex(word, text);
}

bool OpenClipboardPatiently()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr))
            return true;
        Sleep(20);
    }
    return false;
}

// Memory in the process of a window, for messages whose parameters point at a buffer.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, SIZE_T size)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        m_process = pid ? OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid) : nullptr;
        if (m_process)
            m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (m_address)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* Address(SIZE_T offset = 0) const { return static_cast<char*>(m_address) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const
    {
        return m_address && WriteProcessMemory(m_process, Address(offset), data, size, nullptr);
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const
    {
        return m_address && ReadProcessMemory(m_process, Address(offset), data, size, nullptr);
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};

Reply ListViewText(HWND list, int row, int column)
{
    const SIZE_T textUnits = 4096;
    RemoteBuffer remote(list, sizeof(LVITEMW) + textUnits * sizeof(wchar_t));
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPWSTR>(remote.Address(sizeof item));
    item.cchTextMax = (int)textUnits;
    DWORD_PTR length = 0;
    if (!remote.Write(0, &item, sizeof item) ||
        !SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, (LPARAM)remote.Address(), SMTO_ABORTIFHUNG, 5000, &length))
        return Err("no answer");
    std::wstring text(length, L'\0');
    if (length && !remote.Read(sizeof item, &text[0], length * sizeof(wchar_t)))
        return Err("cannot read the text");
    return Ok(ToHex(testkit::Narrow(text)));
}

Reply ListViewSetState(HWND list, int row, UINT state, UINT mask)
{
    RemoteBuffer remote(list, sizeof(LVITEMW));
    LVITEMW item = {};
    item.state = state;
    item.stateMask = mask;
    DWORD_PTR result = 0;
    if (!remote.Write(0, &item, sizeof item) ||
        !SendMessageTimeoutW(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)remote.Address(), SMTO_ABORTIFHUNG, 5000,
                             &result))
        return Err("no answer");
    return result ? Ok() : Err("refused");
}

// "left,top,right,bottom" of every visible top-level window of a class, space-separated
// (the highlight frame's edges).
Reply VisibleRectsOfClass(const std::string& className)
{
    struct Query {
        std::string className;
        std::string rects;
    } query{className, ""};
    EnumWindows(
        [](HWND window, LPARAM param) {
            Query& q = *reinterpret_cast<Query*>(param);
            wchar_t name[256] = L"";
            RECT r;
            if (GetClassNameW(window, name, 256) && lstrcmpiW(name, testkit::Widen(q.className).c_str()) == 0 &&
                IsWindowVisible(window) && GetWindowRect(window, &r)) {
                char text[64];
                snprintf(text, sizeof text, "%s%ld,%ld,%ld,%ld", q.rects.empty() ? "" : " ", r.left, r.top, r.right,
                         r.bottom);
                q.rects += text;
            }
            return TRUE;
        },
        (LPARAM)&query);
    return Ok(query.rects);
}

Reply Run(const std::vector<std::string>& words)
{
    if (words.empty())
        return Err("no command");
    const std::string& command = words[0];
    auto arg = [&](size_t i) -> std::string {
        return i < words.size() ? words[i] : std::string();
    };
    auto need = [&](size_t count) {
        return words.size() >= count + 1;
    };

    if (command == "find" && need(2)) {
        std::string className = arg(1), title;
        bool anyTitle = arg(2) == "-";
        if (!anyTitle && !FromHex(arg(2), title))
            return Err("bad title");
        DWORD timeout = need(3) ? (DWORD)ParseNumber(arg(3)) : 0;
        HWND found = PollFor(timeout, [&] {
            return FindWindowW(className == "-" ? nullptr : testkit::Widen(className).c_str(),
                               anyTitle ? nullptr : testkit::Widen(title).c_str());
        });
        return found ? Ok(HandleText(found)) : Err("not found");
    }
    if (command == "child" && need(3)) {
        HWND parent = ParseHandle(arg(1));
        ChildQuery query{arg(2), arg(2) == "-", (int)ParseNumber(arg(3)), arg(3) == "-", nullptr, nullptr};
        DWORD timeout = need(4) ? (DWORD)ParseNumber(arg(4)) : 0;
        HWND found = PollFor(timeout, [&] {
            query.found = query.firstHidden = nullptr;
            EnumChildWindows(parent, MatchChild, (LPARAM)&query);
            // Until the parent shows, all its children look hidden: a shown page's control is told
            // from a hidden page's only then.
            return query.found ? query.found : IsWindowVisible(parent) ? query.firstHidden : nullptr;
        });
        if (!found)
            found = query.firstHidden;  // the parent stayed hidden
        return found ? Ok(HandleText(found)) : Err("not found");
    }
    if (command == "gettext" && need(1)) {
        HWND window = ParseHandle(arg(1));
        if (!IsWindow(window))
            return Err("no window");
        return Ok(ToHex(WindowText(window)));
    }
    if (command == "settext" && need(2)) {
        std::string text;
        if (!TextArg(arg(2), text))
            return Err("bad text");
        DWORD_PTR result = 0;
        const std::wstring wide = testkit::Widen(text);
        if (!SendMessageTimeoutW(ParseHandle(arg(1)), WM_SETTEXT, 0, (LPARAM)wide.c_str(), SMTO_ABORTIFHUNG, 5000,
                                 &result))
            return Err("no answer");
        return Ok(Number((long long)result));
    }
    if (command == "xid" && need(1)) {
        HANDLE id = GetPropW(ParseHandle(arg(1)), L"__wine_x11_whole_window");
        return id ? Ok(Number((long long)(ULONG_PTR)id)) : Err("no X window");
    }
    if (command == "foreground")
        return Ok(HandleText(GetForegroundWindow()));
    if (command == "setfg" && need(1))
        return Ok(Number(SetForegroundWindow(ParseHandle(arg(1)))));
    if (command == "parent" && need(1))
        return Ok(HandleText(::GetParent(ParseHandle(arg(1)))));
    if (command == "exists" && need(1))
        return Ok(Number(IsWindow(ParseHandle(arg(1))) ? 1 : 0));
    if (command == "visible" && need(1))
        return Ok(Number(IsWindowVisible(ParseHandle(arg(1))) ? 1 : 0));
    if (command == "popup" && need(1)) {
        // Not GW_ENABLEDPOPUP: Wine does not answer it.
        struct Search {
            HWND owner;
            HWND found;
        } search{ParseHandle(arg(1)), nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (window == s->owner || GetWindow(window, GW_OWNER) != s->owner || !IsWindowVisible(window) ||
                    !IsWindowEnabled(window))
                    return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return Ok(HandleText(search.found));
    }
    if (command == "enabled" && need(1))
        return Ok(Number(IsWindowEnabled(ParseHandle(arg(1))) ? 1 : 0));
    if (command == "pid" && need(1)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(ParseHandle(arg(1)), &pid);
        return pid ? Ok(Number(pid)) : Err("no window");
    }
    if (command == "focusof" && need(1)) {
        // The focus window of the thread that owns the given window.
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        DWORD thread = GetWindowThreadProcessId(ParseHandle(arg(1)), nullptr);
        if (!thread || !GetGUIThreadInfo(thread, &info))
            return Err("no thread info");
        return Ok(HandleText(info.hwndFocus));
    }
    if ((command == "send" || command == "post") && need(4)) {
        HWND window = ParseHandle(arg(1));
        UINT message = (UINT)ParseNumber(arg(2));
        WPARAM wParam = (WPARAM)ParseNumber(arg(3));
        LPARAM lParam = (LPARAM)ParseNumber(arg(4));
        if (command == "post")
            return PostMessageW(window, message, wParam, lParam) ? Ok() : Err("post failed");
        DWORD timeout = need(5) ? (DWORD)ParseNumber(arg(5)) : 5000;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeout, &result))
            return Err("no answer");
        return Ok(Number((long long)(LONG_PTR)result));
    }
    if (command == "close" && need(1))
        return PostMessageW(ParseHandle(arg(1)), WM_CLOSE, 0, 0) ? Ok() : Err("post failed");
    if (command == "copydata" && need(3)) {
        std::string data;
        if (!TextArg(arg(3), data))
            return Err("bad data");
        COPYDATASTRUCT copy = {(ULONG_PTR)ParseNumber(arg(2)), (DWORD)data.size() + 1, (PVOID)data.c_str()};
        DWORD timeout = need(4) ? (DWORD)ParseNumber(arg(4)) : 5000;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(ParseHandle(arg(1)), WM_COPYDATA, 0, (LPARAM)&copy, SMTO_NORMAL, timeout, &result))
            return Err("no answer");
        return Ok(Number((long long)(LONG_PTR)result));
    }
    if ((command == "kill" || command == "killpid") && need(1)) {
        DWORD pid = 0;
        if (command == "killpid")
            pid = (DWORD)ParseNumber(arg(1));
        else
            GetWindowThreadProcessId(ParseHandle(arg(1)), &pid);
        HANDLE process = pid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : nullptr;
        if (!process)
            return Err("no process");
        BOOL killed = TerminateProcess(process, 9);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
        return killed ? Ok() : Err("terminate failed");
    }
    if (command == "alive" && need(1)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, (DWORD)ParseNumber(arg(1)));
        if (!process)
            return Err("no process");
        DWORD code = 0;
        bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
        CloseHandle(process);
        return running ? Ok() : Err("ended");
    }
    if (command == "getclip") {
        if (!OpenClipboardPatiently())
            return Err("clipboard busy");
        std::string text;
        bool present = false;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
                text = testkit::Narrow(units);
                present = true;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        return Ok(present ? ToHex(text) : "none");
    }
    if (command == "setclip" && need(1)) {
        std::string text;
        if (!TextArg(arg(1), text))
            return Err("bad text");
        if (!OpenClipboardPatiently())
            return Err("clipboard busy");
        EmptyClipboard();
        const std::wstring wide = testkit::Widen(text);
        const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        bool placed = false;
        if (memory) {
            memcpy(GlobalLock(memory), wide.c_str(), bytes);
            GlobalUnlock(memory);
            placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            if (!placed)
                GlobalFree(memory);
        }
        CloseClipboard();
        return placed ? Ok() : Err("set failed");
    }
    if (command == "lvtext" && need(3))
        return ListViewText(ParseHandle(arg(1)), (int)ParseNumber(arg(2)), (int)ParseNumber(arg(3)));
    if (command == "lvsetstate" && need(4))
        return ListViewSetState(ParseHandle(arg(1)), (int)ParseNumber(arg(2)), (UINT)ParseNumber(arg(3)),
                                (UINT)ParseNumber(arg(4)));
    if (command == "visiblerects" && need(1))
        return VisibleRectsOfClass(arg(1));
    if (command == "holdhotkey" && need(2))
        return RegisterHotKey(nullptr, 0x7000, (UINT)ParseNumber(arg(1)), (UINT)ParseNumber(arg(2))) ? Ok()
                                                                                                     : Err("refused");
    return Err("unknown command or missing arguments: " + command);
}

void WriteAll(HANDLE out, const std::string& text)
{
    DWORD written = 0;
    WriteFile(out, text.data(), (DWORD)text.size(), &written, nullptr);
}

std::string Format(const Reply& reply)
{
    return (reply.ok ? "ok " : "err ") + reply.value + "\n";
}

int Serve()
{
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string pending;
    char buffer[4096];
    for (;;) {
        size_t newline;
        while ((newline = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            std::vector<std::string> words = testkit::SplitWords(line);
            if (!words.empty() && words[0] == "quit")
                return 0;
            WriteAll(out, Format(Run(words)));
        }
        DWORD got = 0;
        if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr) || got == 0)
            return 0;
        pending.append(buffer, got);
    }
}

}  // namespace

int main()
{
    std::vector<std::string> args = testkit::CommandLineArgs();
    if (args.size() == 1 && args[0] == "serve")
        return Serve();
    Reply reply = Run(args);
    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), Format(reply));
    return reply.ok ? 0 : 1;
}
