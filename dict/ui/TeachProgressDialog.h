// The progress window of "Learn from documents": the documents are read on the job's thread while
// this modal dialog shows how far it got and offers Cancel. It ends with IDOK when every document
// was read, IDCANCEL when the user cancelled (once the job has stopped, so nothing runs on).
#pragma once

#include "dict/DocumentTeachingJob.h"
#include "wnd/Dialog.h"

class CTeachProgressDialog : public wnd::CDialog {
public:
    explicit CTeachProgressDialog(CDocumentTeachingJob& job);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}  // Enter does not end the reading
    void OnCancel() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr UINT_PTR kPollTimer = 1;
    static constexpr UINT kPollMs = 100;

    void Poll();

    CDocumentTeachingJob& m_job;
    bool m_cancelling = false;
};
