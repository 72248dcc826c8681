#include "wnd/ModalRunner.h"

#include <map>

namespace wnd {
namespace {

std::map<int, CDialog*>& RunningDialogs()
{
    static std::map<int, CDialog*> running;
    return running;
}

// Registers a running dialog for the length of its modal run.
class RunningEntry {
public:
    explicit RunningEntry(CDialog& dialog) : m_templateId(dialog.TemplateId())
    {
        RunningDialogs()[m_templateId] = &dialog;
    }
    ~RunningEntry() { RunningDialogs().erase(m_templateId); }
    RunningEntry(const RunningEntry&) = delete;
    RunningEntry& operator=(const RunningEntry&) = delete;

private:
    int m_templateId;
};

void BringForward(HWND dialog)
{
    if (::IsIconic(dialog))
        ::ShowWindow(dialog, SW_RESTORE);
    // A message box or nested dialog of the open one is what the user must answer first.
    HWND popup = ::GetLastActivePopup(dialog);
    ::SetForegroundWindow(popup ? popup : dialog);
}

}  // namespace

CDialog* OpenModalDialog(int templateId)
{
    auto found = RunningDialogs().find(templateId);
    return found == RunningDialogs().end() ? nullptr : found->second;
}

ModalResult RunModal(CDialog& dialog, HWND owner)
{
    if (CDialog* open = OpenModalDialog(dialog.TemplateId())) {
        if (open->Handle())
            BringForward(open->Handle());
        return {ModalOutcome::AlreadyOpen, 0};
    }
    RunningEntry entry(dialog);
    dialog.SetForegroundOnOpen(true);
    INT_PTR value = dialog.DoModal(owner);
    if (value == -1)
        return {ModalOutcome::NotCreated, -1};
    return {ModalOutcome::Closed, value};
}

}  // namespace wnd
