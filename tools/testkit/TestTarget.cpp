// pvtarget: the application that end-to-end tests type into. One top-level window with a
// single-line edit (101), a multi-line edit (102) and a password edit (103). Every key and
// character message that reaches an edit is logged, so a test can prove a key never arrived.
//
//   pvtarget.exe [--title TEXT] [--log FILE] [--focus ID]
//
// Messages other programs may send: TARGET_FOCUS_CONTROL (wParam = control id) focuses a control.
#include "tools/testkit/TestkitUtil.h"
#include "tools/testkit/TestTarget.h"

#include <commctrl.h>

namespace {

struct EditInfo {
    int id;
    DWORD style;
    int top;
    int height;
};

const EditInfo kEdits[] = {
    {TARGET_ID_SINGLE, ES_AUTOHSCROLL, 10, 24},
    {TARGET_ID_MULTI, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, 44, 120},
    {TARGET_ID_PASSWORD, ES_AUTOHSCROLL | ES_PASSWORD, 174, 24},
};

class TestTargetWindow {
public:
    bool Create(const std::string& title, int focusId)
    {
        m_focusId = focusId;
        // A Unicode window: its edits get every character the keyboard or the output sends.
        const std::wstring className = testkit::Widen(TARGET_WINDOW_CLASS);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &TestTargetWindow::StaticProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = className.c_str();
        if (!RegisterClassW(&wc))
            return false;
        m_window =
            CreateWindowExW(0, className.c_str(), testkit::Widen(title).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                            40, 420, 260, nullptr, nullptr, wc.hInstance, this);
        return m_window != nullptr;
    }

    testkit::LineLog log;

private:
    static LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              (LONG_PTR) reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        auto* self = reinterpret_cast<TestTargetWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return self ? self->Proc(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
    }

    static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
    {
        auto* self = reinterpret_cast<TestTargetWindow*>(data);
        int id = GetDlgCtrlID(edit);
        unsigned scan = (unsigned)((lParam >> 16) & 0xFF);
        switch (message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                self->log.Printf("down id=%d vk=%u scan=%u t=%lld", id, (unsigned)wParam, scan, testkit::Ticks());
                break;
            case WM_KEYUP:
            case WM_SYSKEYUP:
                self->log.Printf("up id=%d vk=%u scan=%u t=%lld", id, (unsigned)wParam, scan, testkit::Ticks());
                break;
            case WM_CHAR:
                self->log.Printf("char id=%d code=%u scan=%u", id, (unsigned)(wParam & 0xFFFF), scan);
                break;
            case WM_PASTE:
                self->log.Printf("paste id=%d", id);
                break;
        }
        return DefSubclassProc(edit, message, wParam, lParam);
    }

    LRESULT Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
            case WM_CREATE:
                for (const EditInfo& info : kEdits) {
                    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | info.style, 10, info.top, 380,
                                                info.height, window, (HMENU)(INT_PTR)info.id, nullptr, nullptr);
                    SetWindowSubclass(edit, &TestTargetWindow::EditProc, 1, (DWORD_PTR)this);
                }
                return 0;
            case WM_SETFOCUS:
                SetFocus(GetDlgItem(window, m_focusId));
                return 0;
            case WM_COMMAND:
                if (HIWORD(wParam) == EN_CHANGE) {
                    wchar_t text[4096];
                    int n = GetDlgItemTextW(window, LOWORD(wParam), text, 4096);
                    log.Printf("text id=%d hex=%s", (int)LOWORD(wParam),
                               testkit::ToHex(testkit::Narrow(std::wstring_view(text, n > 0 ? n : 0))).c_str());
                }
                return 0;
            case TARGET_FOCUS_CONTROL: {
                HWND control = GetDlgItem(window, (int)wParam);
                if (!control)
                    return 0;
                m_focusId = (int)wParam;
                SetFocus(control);
                return GetFocus() == control;
            }
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    int m_focusId = TARGET_ID_SINGLE;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::string title = "Pennivox Test Target", logPath;
    int focusId = TARGET_ID_SINGLE;
    std::vector<std::string> args = testkit::CommandLineArgs();
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--title")
            title = args[i + 1];
        else if (args[i] == "--log")
            logPath = args[i + 1];
        else if (args[i] == "--focus")
            focusId = atoi(args[i + 1].c_str());
    }
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&icc);

    TestTargetWindow target;
    target.log.Open(logPath);
    if (!target.Create(title, focusId))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
