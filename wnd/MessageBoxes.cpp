#include "wnd/MessageBoxes.h"

#include "base/Utf8Text.h"
#include "wnd/Window.h"
#include "wnd/WndIds.h"

namespace wnd {

const char kProgramCaption[] = "Pennivox";
const char kErrorCaption[] = "Pennivox - ERROR";

MessageText::MessageText(UINT resourceId) : m_text(LoadResourceString(resourceId)) {}

int ShowMessage(HWND owner, const MessageText& text, const char* caption, UINT flags)
{
    // A page asks through its dialog: owned by a child window, the box would disable only that
    // page, and the rest of the dialog would stay live (and its list undrawn) behind the box.
    const HWND root = owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    return ::MessageBoxW(root, Widen(text.Text()).c_str(), Widen(caption ? caption : "").c_str(),
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

std::string FileFaultText(pvbase::FileFault fault)
{
    switch (fault) {
        case pvbase::FileFault::None:
            return {};
        case pvbase::FileFault::Missing:
            return LoadResourceString(IDS_WND_FAULT_MISSING);
        case pvbase::FileFault::ReadOnly:
            return LoadResourceString(IDS_WND_FAULT_READ_ONLY);
        case pvbase::FileFault::FolderReadOnly:
            return LoadResourceString(IDS_WND_FAULT_FOLDER_READ_ONLY);
        case pvbase::FileFault::DiskFull:
            return LoadResourceString(IDS_WND_FAULT_DISK_FULL);
        case pvbase::FileFault::InUse:
            return LoadResourceString(IDS_WND_FAULT_IN_USE);
        case pvbase::FileFault::Damaged:
            return LoadResourceString(IDS_WND_FAULT_DAMAGED);
        case pvbase::FileFault::Other:
            break;
    }
    return LoadResourceString(IDS_WND_FAULT_OTHER);
}

}  // namespace wnd
