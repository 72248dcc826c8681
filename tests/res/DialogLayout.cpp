#include "tests/res/DialogLayout.h"

#include <commctrl.h>

#include "base/Utf8Text.h"
#include "config/ui/ConfigUiIds.h"
#include "dict/ui/DictUiIds.h"
#include "res/resource.h"
#include "wnd/WndIds.h"
#include "wnd/Language.h"
#include "wnd/Window.h"

namespace layout_check {
namespace {

INT_PTR CALLBACK QuietDialog(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// What the control shows of its text: a single '&' marks the access key and takes no room.
std::wstring Shown(const std::wstring& text, bool prefixes)
{
    if (!prefixes)
        return text;
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

bool IsTextStatic(HWND control)
{
    const LONG type = ::GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
}

bool IsMeasuredButton(HWND control, LONG& type)
{
    type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type != BS_OWNERDRAW && type != BS_USERBUTTON;
}

bool Wraps(HWND control)
{
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    if (ClassOf(control) == L"Static") {
        const LONG type = style & SS_TYPEMASK;
        return type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE;
    }
    return (style & BS_MULTILINE) != 0;
}

std::string Describe(LANGID language, int dialogId, HWND control, const std::wstring& text, SIZE needs, SIZE room)
{
    std::string code = "?";
    for (const wnd::UiLanguageInfo& info : wnd::UiLanguages()) {
        if (info.primary == language)
            code = info.code;
    }
    return code + " dialog " + std::to_string(dialogId) + " control " + std::to_string(::GetDlgCtrlID(control)) +
           " \"" + Narrow(text) + "\": needs " + std::to_string(needs.cx) + "x" + std::to_string(needs.cy) +
           " px, has " + std::to_string(room.cx) + "x" + std::to_string(room.cy);
}

// The problem with one control's text, or "".
std::string Measure(LANGID language, int dialogId, HWND control, const std::wstring& text)
{
    const std::wstring cls = ClassOf(control);
    LONG buttonType = 0;
    if (text.empty() || !(::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE))
        return {};
    if (!(cls == L"Static" && IsTextStatic(control)) && !(cls == L"Button" && IsMeasuredButton(control, buttonType)))
        return {};
    const bool prefixes = cls != L"Static" || !(::GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX);
    const SIZE room = RoomFor(control);
    const SIZE needs = TextSize(control, Shown(text, prefixes), Wraps(control), room.cx);
    if (needs.cx <= room.cx && needs.cy <= room.cy)
        return {};
    return Describe(language, dialogId, control, text, needs, room);
}

}  // namespace

SIZE RoomFor(HWND control)
{
    RECT client{};
    ::GetClientRect(control, &client);
    SIZE room{client.right - client.left, client.bottom - client.top};
    if (ClassOf(control) != L"Button")
        return room;
    const LONG type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_3STATE:
        case BS_AUTO3STATE:
            room.cx -= wnd::ScaleToWindow(control, 13 + 4);  // the box and the gap after it
            break;
        case BS_GROUPBOX:
            room.cx -= wnd::ScaleToWindow(control, 2 * 9);  // the frame's corners beside the title
            break;
        default:
            room.cx -= 2 * wnd::ScaleToWindow(control, 3);  // the raised edge and the focus frame
            room.cy -= 2 * wnd::ScaleToWindow(control, 2);
            break;
    }
    return room;
}

SIZE TextSize(HWND control, const std::wstring& text, bool wrap, int maxWidth)
{
    HDC dc = ::GetDC(control);
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT bounds{0, 0, wrap ? maxWidth : 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
                DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

std::vector<std::string> Problems(int dialogId, LANGID language, const std::vector<RuntimeText>& runtimeTexts)
{
    const LANGID before = wnd::UiLanguage();
    wnd::SetUiLanguage(language);
    const auto* dialogTemplate =
        static_cast<LPCDLGTEMPLATEW>(wnd::LoadUiResource(wnd::UiResource::Dialog, static_cast<UINT>(dialogId)));
    // Pages are child templates: they get a hidden window to live in.
    HWND host = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    HWND dialog = dialogTemplate
                      ? ::CreateDialogIndirectParamW(wnd::ResourceInstance(), dialogTemplate, host, &QuietDialog, 0)
                      : nullptr;
    std::vector<std::string> problems;
    if (!dialog)
        problems.push_back("dialog " + std::to_string(dialogId) + " could not be made");
    for (HWND child = dialog ? ::GetWindow(dialog, GW_CHILD) : nullptr; child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (std::string problem = Measure(language, dialogId, child, TextOf(child)); !problem.empty())
            problems.push_back(problem);
    }
    for (const RuntimeText& text : runtimeTexts) {
        HWND control = dialog && text.dialogId == dialogId ? ::GetDlgItem(dialog, text.controlId) : nullptr;
        if (!control)
            continue;
        if (std::string problem = Measure(language, dialogId, control, Widen(wnd::LoadResourceString(text.stringId)));
            !problem.empty())
            problems.push_back(problem);
    }
    if (dialog)
        ::DestroyWindow(dialog);
    ::DestroyWindow(host);
    wnd::SetUiLanguage(before);
    return problems;
}

std::vector<int> ProgramDialogs()
{
    return {IDD_ABOUTBOX,    IDD_OPTIONS,      IDD_OPTION_OTHERS,  IDD_OPTION_HOTKEY, IDD_AUTOLEARN_PAGE,
            IDD_APP_MANAGER, IDD_APP_OPTION,   IDD_RUNNING_APPS,   IDD_EDIT_BOX_LIST, IDD_EDIT_BOX_FINDER,
            IDD_DICT_EDITOR, IDD_DICT_MANAGER, IDD_NEW_DICTIONARY, IDD_WAIT};
}

std::vector<RuntimeText> ProgramRuntimeTexts()
{
    return {{IDD_DICT_EDITOR, IDC_EDITOR_KEY_LABEL, IDS_LABEL_WORD},
            {IDD_DICT_EDITOR, IDC_EDITOR_KEY_LABEL, IDS_LABEL_SHORTHAND},
            {IDD_DICT_EDITOR, IDC_EDITOR_DATA_LABEL, IDS_LABEL_NOTE},
            {IDD_DICT_EDITOR, IDC_EDITOR_DATA_LABEL, IDS_LABEL_FULL_TEXT},
            {IDD_OPTIONS, IDC_OPTIONS_CAPTION, IDS_HOTKEYS_PAGE},
            {IDD_OPTIONS, IDC_OPTIONS_CAPTION, IDS_OTHERS_PAGE},
            {IDD_OPTIONS, IDC_OPTIONS_CAPTION, IDS_AUTOLEARN_PAGE},
            {IDD_OPTION_HOTKEY, IDC_HOTKEY_DESCRIPTION, IDS_ENABLE_DISABLE_ITEM}};
}

std::vector<std::string> ProgramProblems(LANGID language)
{
    std::vector<std::string> problems;
    for (int dialog : ProgramDialogs()) {
        for (std::string& problem : Problems(dialog, language, ProgramRuntimeTexts()))
            problems.push_back(std::move(problem));
    }
    return problems;
}

}  // namespace layout_check
