#include "app/PromptStateBuilder.h"
#include "app/ThreadPost.h"

#include "app/ProgramServices.h"
#include "app/ThreadMessages.h"
#include "app/win/CaretTracker.h"
#include "app/win/InputMethod.h"

CPromptStateBuilder::CPromptStateBuilder(HWND viewWindow, HWND promptWindow, std::atomic<unsigned>* latestSerial,
                                         CCaretTracker& caret)
    : m_viewWindow(viewWindow), m_promptWindow(promptWindow), m_latestSerial(latestSerial), m_caretTracker(caret)
{
}

WindowHandle CPromptStateBuilder::Handle() const
{
    return ToHandle(m_promptWindow);
}

void CPromptStateBuilder::SetRowLabels(std::vector<std::string> labels)
{
    if (labels != m_state.rowLabels) {
        m_state.rowLabels = std::move(labels);
        m_changed = true;
    }
}

bool CPromptStateBuilder::IsOnPage(int row, unsigned pageSerial) const
{
    return pageSerial == m_state.pageSerial && row >= 0 && row < static_cast<int>(m_state.rows.size());
}

void CPromptStateBuilder::PickRow(int row)
{
    m_state.selected = row;
    m_changed = true;
}

void CPromptStateBuilder::ShowPrompt(bool show)
{
    if (!show || ForegroundHasInputMethod()) {
        if (m_state.visible) {
            m_state.visible = false;
            m_changed = true;
        }
        return;
    }
    POINT point = m_caretTracker.GetCaretPoint();
    if (point.x == 0 || point.y == 0)
        return;  // no caret known: a hidden prompt stays hidden, a shown one where it is
    const RECT caret = m_caretTracker.LastCaretRect();
    if (!m_state.visible || m_state.x != point.x || m_state.y != point.y || m_state.caretLeft != caret.left ||
        m_state.caretTop != caret.top || m_state.caretRight != caret.right || m_state.caretBottom != caret.bottom) {
        m_state.visible = true;
        m_state.x = point.x;
        m_state.y = point.y;
        m_state.caretLeft = caret.left;
        m_state.caretTop = caret.top;
        m_state.caretRight = caret.right;
        m_state.caretBottom = caret.bottom;
        m_changed = true;
    }
    // Started once while shown: the system's caret moves after the key that showed the prompt.
    if (!m_followingCaret)
        m_followingCaret = ::SetTimer(m_timerWindow, TIMER_FOLLOW_CARET, kFollowCaretMs, nullptr) != 0;
}

void CPromptStateBuilder::FollowCaret()
{
    if (m_state.visible)
        ShowPrompt(true);
}

void CPromptStateBuilder::OnFollowCaretTimer()
{
    if (!m_state.visible)
        StopFollowingCaret();
    else
        ShowPrompt(true);
}

void CPromptStateBuilder::StopFollowingCaret()
{
    if (m_timerWindow)
        ::KillTimer(m_timerWindow, TIMER_FOLLOW_CARET);
    m_followingCaret = false;
}

int CPromptStateBuilder::ShowRows(const std::vector<PromptRow>& rows, bool pathPage)
{
    m_state.rows = rows;
    m_state.pathPage = pathPage;
    m_state.pageSize = m_pageSize;
    m_state.selected = rows.empty() ? -1 : 0;
    ++m_state.pageSerial;
    m_changed = true;
    return static_cast<int>(rows.size());
}

void CPromptStateBuilder::SelectRow(int row)
{
    if (m_state.selected != row) {
        m_state.selected = row;
        m_changed = true;
    }
}

void CPromptStateBuilder::ClearRows()
{
    if (m_state.rows.empty())
        return;
    m_state.rows.clear();
    m_state.selected = -1;
    ++m_state.pageSerial;
    m_changed = true;
}

void CPromptStateBuilder::ShowPreview(const std::string& text, int style)
{
    if (m_state.preview != text || m_state.previewStyle != style) {
        m_state.preview = text;
        m_state.previewStyle = style;
        m_changed = true;
    }
}

void CPromptStateBuilder::Publish()
{
    if (!m_changed)
        return;
    m_changed = false;
    ++m_state.serial;
    if (m_latestSerial)
        m_latestSerial->store(m_state.serial, std::memory_order_release);
    threadpost::PostOwned(m_viewWindow, WM_VIEW_PROMPT_STATE, 0, std::make_unique<PromptState>(m_state));
}
