#include "app/win/CaretTracker.h"

#include <ole2.h>
#include <oleacc.h>

#include <cctype>
#include <iterator>

#include "base/Utf8Text.h"
#include "base/WindowTree.h"

namespace {

// The event callback gets no context of its own; it reaches the one tracker through this.
CCaretTracker* g_tracker = nullptr;

const char kWordDocumentClass[] = "_WwG";

bool IsMenuRole(long role)
{
    switch (role) {
        case ROLE_SYSTEM_MENUBAR:
        case ROLE_SYSTEM_MENUITEM:
        case ROLE_SYSTEM_MENUPOPUP:
        case ROLE_SYSTEM_BUTTONMENU:
        case ROLE_SYSTEM_SEPARATOR:
        case ROLE_SYSTEM_STATUSBAR:
            return true;
        default:
            return false;
    }
}

bool ContainsNoCase(const std::string& text, const char* part)
{
    std::string lower;
    for (char c : text)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find(part) != std::string::npos;
}

// One property get or method call through IDispatch by dispatch id.
HRESULT Invoke(IDispatch* object, DISPID id, WORD flags, VARIANT* args, UINT argCount, VARIANT* result)
{
    DISPPARAMS params{};
    params.rgvarg = args;
    params.cArgs = argCount;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

// A property of dispatch type VT_DISPATCH; null when missing.
IDispatch* GetDispatchProperty(IDispatch* object, DISPID id)
{
    VARIANT result;
    ::VariantInit(&result);
    if (FAILED(Invoke(object, id, DISPATCH_PROPERTYGET, nullptr, 0, &result)))
        return nullptr;
    if (result.vt != VT_DISPATCH || !result.pdispVal) {
        ::VariantClear(&result);
        return nullptr;
    }
    return result.pdispVal;  // the reference of the variant passes to the caller
}

struct DispatchRef {
    IDispatch* p = nullptr;
    explicit DispatchRef(IDispatch* object) : p(object) {}
    ~DispatchRef()
    {
        if (p)
            p->Release();
    }
    DispatchRef(const DispatchRef&) = delete;
    DispatchRef& operator=(const DispatchRef&) = delete;
};

}  // namespace

// The caret's rectangle is
// in the coordinates its window works in, which the system scales for windows that do not know the
// screen's dots per inch: mapped as that window sees the screen, then converted to pixels.
void ClientRectToScreen(HWND window, RECT& rect)
{
    using SetThreadContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    using WindowContext = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
    using ToPhysical = BOOL(WINAPI*)(HWND, POINT*);
    static HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    static const auto setThreadContext = reinterpret_cast<SetThreadContext>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    static const auto windowContext = reinterpret_cast<WindowContext>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    static const auto toPhysical = reinterpret_cast<ToPhysical>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "LogicalToPhysicalPointForPerMonitorDPI")));
    auto* points = reinterpret_cast<POINT*>(&rect);
    DPI_AWARENESS_CONTEXT context = setThreadContext && windowContext ? windowContext(window) : nullptr;
    if (!context || !toPhysical) {
        ::MapWindowPoints(window, nullptr, points, 2);
        return;
    }
    RECT asTheWindowSees{};
    RECT inPixels{};
    DPI_AWARENESS_CONTEXT previous = setThreadContext(context);
    ::MapWindowPoints(window, nullptr, points, 2);
    ::GetWindowRect(window, &asTheWindowSees);
    setThreadContext(previous);
    ::GetWindowRect(window, &inPixels);
    // Converted only where the system really scales that window's coordinates (Wine, for one,
    // draws such windows unscaled and leaves their coordinates as they are).
    if (::EqualRect(&asTheWindowSees, &inPixels))
        return;
    toPhysical(window, &points[0]);
    toPhysical(window, &points[1]);
}

std::string WindowClassName(HWND window)
{
    wchar_t name[257] = L"";  // class names are at most 256 characters
    int n = window ? ::GetClassNameW(window, name, static_cast<int>(std::size(name))) : 0;
    return Narrow(std::wstring_view(name, n > 0 ? static_cast<size_t>(n) : 0));
}

CCaretTracker::CCaretTracker()
{
    g_tracker = this;
}

CCaretTracker::~CCaretTracker()
{
    Stop();
    if (g_tracker == this)
        g_tracker = nullptr;
}

bool CCaretTracker::Start(IOwner* owner)
{
    m_owner = owner;
    Stop();
    m_eventHook.Reset(::SetWinEventHook(EVENT_MIN, 0x7FFFFFFF, nullptr, &CCaretTracker::EventProc, 0, 0,
                                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
    return static_cast<bool>(m_eventHook);
}

void CCaretTracker::Stop()
{
    m_eventHook.Reset();
}

void CALLBACK CCaretTracker::EventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD,
                                       DWORD)
{
    CCaretTracker* self = g_tracker;
    if (!self)
        return;
    // Only caret and focus events matter; skip the accessible-object round trip for the rest.
    if (objectId != OBJID_CARET && event != EVENT_OBJECT_FOCUS)
        return;
    // Wine delivers this process's own events despite WINEVENT_SKIPOWNPROCESS. Its windows are
    // SyncFocus's business: they are no focus change for the control the user comes back to.
    DWORD process = 0;
    if (::GetWindowThreadProcessId(window, &process) && process == ::GetCurrentProcessId())
        return;
    IAccessible* object = nullptr;
    VARIANT child;
    ::VariantInit(&child);
    if (FAILED(::AccessibleObjectFromEvent(window, objectId, childId, &object, &child)) || !object) {
        ::VariantClear(&child);
        return;
    }
    AccessibleAnswers answers;
    if (objectId == OBJID_CARET) {
        long l = 0, t = 0, w = 0, h = 0;
        if (object->accLocation(&l, &t, &w, &h, child) == S_OK) {
            answers.locationOk = true;
            answers.left = l;
            answers.top = t;
            answers.width = w;
            answers.height = h;
        }
    }
    VARIANT role;
    ::VariantInit(&role);
    if (object->get_accRole(child, &role) == S_OK) {
        answers.roleOk = true;
        answers.role = role.lVal;  // the role's 32-bit value, whatever the variant's type
    }
    ::VariantClear(&role);
    if (event == EVENT_OBJECT_FOCUS) {
        VARIANT state;
        ::VariantInit(&state);
        if (object->get_accState(child, &state) == S_OK && state.vt == VT_I4) {
            answers.stateOk = true;
            answers.state = state.lVal;
        }
        ::VariantClear(&state);
        answers.outdated = !StillFocused(window);
    }
    object->Release();
    ::VariantClear(&child);
    try {
        self->OnAccessibleEvent(event, window, objectId, childId, answers);
    } catch (...) {
        // The system's callback must never see an exception.
    }
}

bool CCaretTracker::StillFocused(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = window ? ::GetWindowThreadProcessId(window, nullptr) : 0;
    if (!thread || !::GetGUIThreadInfo(thread, &info) || !info.hwndFocus)
        return true;
    return info.hwndFocus == window;
}

void CCaretTracker::OnAccessibleEvent(DWORD event, HWND window, LONG objectId, LONG, const AccessibleAnswers& answers)
{
    if (objectId == OBJID_CARET && answers.locationOk) {
        m_caretWindow = window;
        m_caret.left = answers.left;
        m_caret.top = answers.top;
        m_caret.right = answers.left + answers.width;
        m_caret.bottom = answers.top + answers.height;
        if (m_owner)
            m_owner->RefreshPrompt();
    }
    if (answers.roleOk && event == EVENT_OBJECT_FOCUS && IsMenuRole(answers.role)) {
        if (m_owner) {
            m_owner->SaveWindowText(m_focusWindow);
            m_owner->RestoreWindowText(nullptr);
        }
        m_focusWindow = nullptr;
        m_focusIsOwn = false;
        m_protectedWindow = nullptr;
        return;
    }
    bool focusEvent = event == EVENT_OBJECT_FOCUS && !answers.outdated;
    bool caretAppears = objectId == OBJID_CARET && (event == EVENT_OBJECT_CREATE || event == EVENT_OBJECT_SHOW);
    if ((focusEvent || caretAppears) && m_owner && window != m_focusWindow) {
        HWND own = m_owner->OwnerWindow();
        if (window != own && pvbase::TopLevelWindow(window) != own)
            ChangeFocus(window);
    }
    if (focusEvent && answers.stateOk && window == m_focusWindow)
        m_protectedWindow = (answers.state & STATE_SYSTEM_PROTECTED) ? window : nullptr;
}

bool CCaretTracker::FocusIsWordDocument()
{
    // A window keeps its class: ask the other process once per focus window, not per key.
    if (m_classCheckedFor != m_focusWindow || !m_focusWindow) {
        m_classCheckedFor = m_focusWindow;
        m_focusIsWord = WindowClassName(m_focusWindow) == kWordDocumentClass;
    }
    return m_focusIsWord;
}

void CCaretTracker::SyncFocus()
{
    if (!m_owner)
        return;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    // A thread in a menu keeps its old focus window; the menu's own events handle that case.
    if (!::GetGUIThreadInfo(0, &info) || !info.hwndFocus || (info.flags & GUI_INMENUMODE))
        return;
    if (info.hwndFocus == m_focusWindow) {
        m_focusIsOwn = false;
        return;
    }
    // This program's own dialogs are no focus change: the control the user comes back to keeps
    // its typed text and shows no prompt for it on return.
    DWORD process = 0;
    if (::GetWindowThreadProcessId(info.hwndFocus, &process) && process == m_owner->OwnProcess()) {
        // The prompt never has the keys, even where the system briefly counts it as active.
        if (pvbase::TopLevelWindow(info.hwndFocus) != m_owner->OwnerWindow())
            m_focusIsOwn = true;
        return;
    }
    ChangeFocus(info.hwndFocus);
}

void CCaretTracker::ChangeFocus(HWND window)
{
    HWND old = m_focusWindow;
    m_focusIsOwn = false;
    m_seenCaretWindow = nullptr;
    m_focusWindow = window;
    m_classCheckedFor = nullptr;  // a handle may have been reused
    m_threadCheckedFor = nullptr;
    m_editClassCheckedFor = nullptr;
    if (m_protectedWindow != window)
        m_protectedWindow = nullptr;
    m_owner->SaveWindowText(old);
    m_owner->RestoreWindowText(window);
}

DWORD CCaretTracker::FocusThread()
{
    // A window keeps its thread: ask the other process once per focus window, not per key.
    if (m_threadCheckedFor != m_focusWindow) {
        m_threadCheckedFor = m_focusWindow;
        m_focusThread = m_focusWindow ? ::GetWindowThreadProcessId(m_focusWindow, nullptr) : 0;
    }
    return m_focusThread;
}

bool CCaretTracker::SystemCaret(HWND& window, RECT* rect)
{
    window = m_caretWindow;
    if (rect)
        *rect = m_caret;
    if (!m_focusWindow || m_focusWindow == m_caretWindow)
        return window != nullptr;
    // No caret event for the focus window: ask the system for its thread's caret.
    DWORD thread = FocusThread();
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!thread || !::GetGUIThreadInfo(thread, &info) || !info.hwndCaret) {
        // Rich edits destroy and create their caret as they redraw: a control that showed one
        // since it took the focus keeps it meanwhile, where it was last seen.
        if (m_focusWindow != m_seenCaretWindow)
            return window != nullptr;
        window = m_seenCaretWindow;
        if (rect)
            *rect = m_seenCaret;
        return true;
    }
    window = info.hwndCaret;
    RECT screen = info.rcCaret;
    ClientRectToScreen(info.hwndCaret, screen);
    if (window == m_focusWindow) {
        m_seenCaretWindow = window;
        m_seenCaret = screen;
    }
    if (rect)
        *rect = screen;
    return true;
}

bool CCaretTracker::EffectiveCaret(HWND& window, RECT& rect)
{
    return SystemCaret(window, &rect);
}

POINT CCaretTracker::GetCaretPoint()
{
    POINT point{0, 0};
    m_lastUsedCaret = RECT{};
    if (!m_owner)
        return point;
    HWND caretWindow = nullptr;
    RECT caret{};
    EffectiveCaret(caretWindow, caret);
    HWND caretTop = pvbase::TopLevelWindow(caretWindow);
    HWND foreground = ::GetForegroundWindow();
    if (caretTop && caretTop == m_owner->OwnerWindow())
        return point;
    if (FocusIsWordDocument()) {
        GetWordCaretPos(point);
    } else if (caretWindow && (caretWindow == foreground || caretTop == foreground) && m_focusWindow == caretWindow) {
        point.x = caret.right;
        point.y = caret.bottom;
        m_lastUsedCaret = caret;
    } else {
        RECT r{};
        if (foreground && ::GetWindowRect(foreground, &r)) {
            point.x = r.left + (r.right - r.left) / 2;
            point.y = r.top + (r.bottom - r.top) / 2;
        }
    }
    point.y += 5;
    return point;
}

bool CCaretTracker::IsTargetControl()
{
    if (m_focusIsOwn || !m_focusWindow)
        return false;  // nothing to complete in this program's own windows, nor without a focus
    int rule = -1;
    if (m_editBoxRule)
        rule = m_editBoxRule(m_focusWindow);
    if (rule == 0 || rule == 1)
        return rule == 1;
    // Asked on every key: a control that has shown its caret since it took the focus stays a
    // target without asking its thread again (the lookup and its mapping cost a few system calls).
    if (m_focusWindow == m_caretWindow || m_focusWindow == m_seenCaretWindow)
        return true;
    HWND caretWindow = nullptr;
    RECT caret{};
    SystemCaret(caretWindow, &caret);  // a caret seen in the focus window is remembered
    if (m_focusWindow == caretWindow)
        return true;
    if (!m_owner)
        return false;
    return FocusIsWordDocument();
}

bool CCaretTracker::IsPasswordControl(WindowHandle handle)
{
    HWND window = reinterpret_cast<HWND>(handle);
    if (!window)
        return false;
    if (window == m_protectedWindow)
        return true;
    LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    if ((style & ES_PASSWORD) == 0)
        return false;
    // ES_PASSWORD means something else in other control classes. A window keeps its class: asked
    // once per window, not on every key.
    if (window != m_editClassCheckedFor) {
        m_editClassCheckedFor = window;
        m_isEditClass = ContainsNoCase(WindowClassName(window), "edit");
    }
    return m_isEditClass;
}

bool CCaretTracker::GetWordCaretPos(POINT& point)
{
    point = POINT{0, 0};
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"Word.Application", &clsid)))
        return false;
    IUnknown* unknown = nullptr;
    if (FAILED(::GetActiveObject(clsid, nullptr, &unknown)) || !unknown)
        return false;
    IDispatch* raw = nullptr;
    HRESULT hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&raw));
    unknown->Release();
    if (FAILED(hr) || !raw)
        return false;
    DispatchRef application(raw);
    DispatchRef window(GetDispatchProperty(application.p, 4));  // ActiveWindow
    if (!window.p)
        return false;
    DispatchRef selection(GetDispatchProperty(window.p, 4));  // Selection
    if (!selection.p)
        return false;
    DispatchRef range(GetDispatchProperty(selection.p, 400));  // Range
    if (!range.p)
        return false;
    // GetPoint(&left, &top, &width, &height, range): arguments go in reverse order.
    LONG left = 0, top = 0, width = 0, height = 0;
    VARIANT args[5];
    for (VARIANT& v : args)
        ::VariantInit(&v);
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = range.p;
    args[1].vt = VT_BYREF | VT_I4;
    args[1].plVal = &height;
    args[2].vt = VT_BYREF | VT_I4;
    args[2].plVal = &width;
    args[3].vt = VT_BYREF | VT_I4;
    args[3].plVal = &top;
    args[4].vt = VT_BYREF | VT_I4;
    args[4].plVal = &left;
    if (FAILED(Invoke(window.p, 112, DISPATCH_METHOD, args, 5, nullptr)))
        return false;
    point.x = left;
    point.y = top + height;
    return true;
}
