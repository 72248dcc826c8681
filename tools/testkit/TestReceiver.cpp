// pvrecv: stands in for the main program in end-to-end tests. It binds Zel.dll by ordinal,
// installs the hook with its own (hidden) window, logs every WM_HOOK_KEY and answers by rules.
//
//   pvrecv.exe --log FILE [--no-install] [--rule "RULE"]...
//
// Rules and commands, also sent later as WM_COPYDATA (dwData RECEIVER_COMMAND_DATA, text):
//   swallow CHARS       answer 0 for keys whose character is one of CHARS (hex with "hex:" prefix)
//   block CHARS MS      on such a key, sleep MS milliseconds before answering 1
//   destroy CHARS       on such a key, destroy the window (the hook stays installed)
//   exit CHARS          on such a key, end the process without answering
//   quit                close the window, remove the hook and end
//   clear               forget all rules
//   install | remove    call ordinal 1 (with our window) | ordinal 2; the result is the answer
//   activate            call ordinal 10 and answer its result
//   type HEX            type the text with synthetic key events (scan code 0xEE)
//   key VK              press and release one virtual key the same way
//   paste HEX           paste the text through the clipboard
// Log lines: "key ch=N vk=N up=0|1 ans=N t=TICKS", "cmd TEXT = RESULT", "ready hwnd=H".
#include "hook/HookMessages.h"
#include "hook/ZelApi.h"
#include "tools/testkit/SyntheticInput.h"
#include "tools/testkit/TestReceiver.h"
#include "tools/testkit/TestkitUtil.h"

namespace {

const UINT kRunDeferred = WM_APP + 20;

enum class RuleKind { Swallow, Block, Destroy, Exit };

struct Rule {
    RuleKind kind;
    std::string characters;
    DWORD milliseconds;
};

class TestReceiver {
public:
    bool Create()
    {
        const std::wstring className = testkit::Widen(RECEIVER_WINDOW_CLASS);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &TestReceiver::StaticProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className.c_str();
        if (!RegisterClassW(&wc))
            return false;
        // Hidden: it must never take the focus from the application being typed into.
        m_window = CreateWindowExW(0, className.c_str(), L"Pennivox Test Receiver", WS_OVERLAPPED, 0, 0, 100, 100,
                                   nullptr, nullptr, wc.hInstance, this);
        return m_window != nullptr;
    }

    HWND Window() const { return m_window; }

    // Immediate commands answer with a result; typing is deferred so the sender is not held.
    LRESULT Command(const std::string& line)
    {
        std::vector<std::string> words = testkit::SplitWords(line);
        LRESULT result = Execute(words);
        log.Printf("cmd %s = %lld", line.c_str(), (long long)result);
        return result;
    }

    testkit::LineLog log;

private:
    static std::string Characters(const std::string& word)
    {
        std::string decoded;
        if (word.compare(0, 4, "hex:") == 0 && testkit::FromHex(word.substr(4), decoded))
            return decoded;
        return word;
    }

    LRESULT Execute(const std::vector<std::string>& words)
    {
        if (words.empty())
            return 0;
        const std::string& verb = words[0];
        if (verb == "install")
            return InstallHook(m_window);
        if (verb == "remove") {
            RemoveHook();
            return 1;
        }
        if (verb == "activate")
            return ActivateTarget();
        if (verb == "quit") {
            PostMessageW(m_window, WM_CLOSE, 0, 0);
            return 1;
        }
        if (verb == "clear") {
            m_rules.clear();
            return 1;
        }
        if (words.size() >= 2 && (verb == "swallow" || verb == "destroy" || verb == "exit")) {
            RuleKind kind = verb == "swallow"   ? RuleKind::Swallow
                            : verb == "destroy" ? RuleKind::Destroy
                                                : RuleKind::Exit;
            m_rules.push_back({kind, Characters(words[1]), 0});
            return 1;
        }
        if (verb == "block" && words.size() >= 3) {
            m_rules.push_back({RuleKind::Block, Characters(words[1]), (DWORD)atoi(words[2].c_str())});
            return 1;
        }
        if ((verb == "type" || verb == "paste" || verb == "key") && words.size() >= 2) {
            m_deferred.push_back(words);
            PostMessageW(m_window, kRunDeferred, 0, 0);
            return 1;
        }
        return 0;
    }

    void RunDeferred()
    {
        std::vector<std::vector<std::string>> work;
        work.swap(m_deferred);
        for (const auto& words : work) {
            int result = 0;
            std::string text;
            if (words[0] == "key")
                result = TypeVirtualKey((BYTE)strtoul(words[1].c_str(), nullptr, 0));
            else if (testkit::FromHex(words[1], text))
                result = words[0] == "type" ? TypeText(text) : PasteClipboardText(text);
            log.Printf("done %s = %d", words[0].c_str(), result);
        }
    }

    const Rule* RuleFor(unsigned character) const
    {
        if (character == 0 || character > 0xFF)
            return nullptr;
        for (const Rule& rule : m_rules)
            if (rule.characters.find((char)character) != std::string::npos)
                return &rule;
        return nullptr;
    }

    LRESULT OnHookKey(WPARAM character, LPARAM report)
    {
        const Rule* rule = RuleFor((unsigned)character);
        LRESULT answer = rule && rule->kind == RuleKind::Swallow ? 0 : 1;
        log.Printf("key ch=%u vk=%u up=%u ans=%d t=%lld", (unsigned)character, HOOK_KEY_VK(report),
                   HOOK_KEY_IS_RELEASE(report) ? 1u : 0u, (int)answer, testkit::Ticks());
        if (!rule)
            return answer;
        switch (rule->kind) {
            case RuleKind::Block:
                Sleep(rule->milliseconds);
                log.Printf("unblocked");
                break;
            case RuleKind::Destroy:
                m_rules.clear();
                m_destroyedByRule = true;
                DestroyWindow(m_window);
                break;
            case RuleKind::Exit:
                ExitProcess(3);
            case RuleKind::Swallow:
                break;
        }
        return answer;
    }

    static LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              (LONG_PTR) reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        auto* self = reinterpret_cast<TestReceiver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return self ? self->Proc(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
    }

    LRESULT Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
            case WM_HOOK_KEY:
                return OnHookKey(wParam, lParam);
            case WM_COPYDATA: {
                auto* copy = reinterpret_cast<COPYDATASTRUCT*>(lParam);
                if (copy->dwData != RECEIVER_COMMAND_DATA || !copy->lpData)
                    return 0;
                std::string line(static_cast<const char*>(copy->lpData), copy->cbData);
                line = line.c_str();  // up to the terminator
                return Command(line);
            }
            case kRunDeferred:
                RunDeferred();
                return 0;
            case WM_DESTROY:
                log.Printf("destroyed");
                // Destroyed by a rule, the hook stays installed and the thread keeps running, as in a
                // program that lost its window: tests check that typing survives that.
                if (!m_destroyedByRule) {
                    RemoveHook();
                    PostQuitMessage(0);
                }
                return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    std::vector<Rule> m_rules;
    std::vector<std::vector<std::string>> m_deferred;
    bool m_destroyedByRule = false;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::vector<std::string> args = testkit::CommandLineArgs();
    std::string logPath;
    bool install = true;
    std::vector<std::string> rules;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--log" && i + 1 < args.size())
            logPath = args[++i];
        else if (args[i] == "--rule" && i + 1 < args.size())
            rules.push_back(args[++i]);
        else if (args[i] == "--no-install")
            install = false;
    }
    TestReceiver receiver;
    receiver.log.Open(logPath);
    if (!receiver.Create())
        return 1;
    for (const std::string& rule : rules)
        receiver.Command(rule);
    if (install)
        receiver.Command("install");
    receiver.log.Printf("ready hwnd=%llx pid=%lu", (unsigned long long)(ULONG_PTR)receiver.Window(),
                        GetCurrentProcessId());
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
