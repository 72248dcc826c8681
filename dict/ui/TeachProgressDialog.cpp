#include "dict/ui/TeachProgressDialog.h"

#include <commctrl.h>

#include "dict/ui/DictUiIds.h"

CTeachProgressDialog::CTeachProgressDialog(CDocumentTeachingJob& job) : CDialog(IDD_TEACH_PROGRESS), m_job(job) {}

BOOL CTeachProgressDialog::OnInitDialog()
{
    ::SendMessageW(Item(IDC_TEACH_BAR), PBM_SETRANGE32, 0, 1000);
    SetItemText(IDC_TEACH_TEXT, wnd::LoadResourceString(IDS_TEACH_LOOKING));
    m_job.Start();
    ::SetTimer(Handle(), kPollTimer, kPollMs, nullptr);
    return TRUE;
}

void CTeachProgressDialog::OnCancel()
{
    // The window stays until the job's thread has stopped: then no store can change after it.
    if (m_cancelling)
        return;
    m_cancelling = true;
    m_job.Cancel();
    EnableItem(IDCANCEL, false);
    SetItemText(IDC_TEACH_TEXT, wnd::LoadResourceString(IDS_TEACH_CANCELLING));
}

LRESULT CTeachProgressDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == kPollTimer) {
        Poll();
        return 0;
    }
    return CDialog::HandleMessage(msg, wParam, lParam);
}

void CTeachProgressDialog::Poll()
{
    if (m_job.IsDone()) {
        ::KillTimer(Handle(), kPollTimer);
        EndDialog(m_job.Completed() && !m_cancelling ? IDOK : IDCANCEL);
        return;
    }
    if (m_cancelling)
        return;
    const CDocumentTeachingJob::Progress progress = m_job.CurrentProgress();
    if (progress.total == 0)
        return;
    ::SendMessageW(Item(IDC_TEACH_BAR), PBM_SETPOS, static_cast<WPARAM>(progress.done * 1000 / progress.total), 0);
    SetItemText(IDC_TEACH_TEXT, wnd::ResourceText(IDS_TEACH_READING,
                                                  {std::to_string(progress.done + 1), std::to_string(progress.total)}));
    SetItemText(IDC_TEACH_FILE, progress.current);
}
