#include "wnd/MessageBoxes.h"

#include "base/Utf8Text.h"
#include "wnd/Window.h"

namespace wnd {

const char kProgramCaption[] = "Pennivox";
const char kErrorCaption[] = "Pennivox - ERROR";

MessageText::MessageText(UINT resourceId) : m_text(LoadResourceString(resourceId)) {}

int ShowMessage(HWND owner, const MessageText& text, const char* caption, UINT flags)
{
    return ::MessageBoxW(owner, Widen(text.Text()).c_str(), Widen(caption ? caption : "").c_str(),
                         flags | MB_SETFOREGROUND);
}

int ShowInfo(HWND owner, const MessageText& text, UINT icon)
{
    return ShowMessage(owner, text, kProgramCaption, MB_OK | icon);
}

int ShowError(HWND owner, const MessageText& text)
{
    return ShowMessage(owner, text, kErrorCaption, MB_OK | MB_ICONSTOP);
}

int Ask(HWND owner, const MessageText& text, UINT flags)
{
    return ShowMessage(owner, text, kProgramCaption, flags);
}

}  // namespace wnd
