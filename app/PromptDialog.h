// The prompt: the small top-most window under the caret that lists one page of candidates. It is
// a view on the window thread: the engine thread decides what it shows (PromptState) and this
// window only draws, lays out and places that, and tells its listener what the mouse did. It never
// takes the focus.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/PromptState.h"
#include "app/win/PreviewWindow.h"
#include "app/win/PromptList.h"
#include "wnd/Dialog.h"
#include "wnd/Handles.h"

class CPromptDialog : public wnd::CDialog, private CPromptList::IListener {
public:
    // Told on the window thread.
    class IListener {
    public:
        virtual ~IListener() = default;
        // The user picked a row of the page with that serial.
        virtual void OnRowClicked(int row, unsigned pageSerial) = 0;
        virtual void OnRowDoubleClicked(int row, unsigned pageSerial) = 0;
        // Commands that reach the prompt (tray commands sent to it, the About item, OK).
        virtual void OnPromptCommand(int id, LPARAM lParam) = 0;
    };

    CPromptDialog(IListener& listener, CPreviewWindow& preview);
    ~CPromptDialog() override;

    // Shows what the state says: rows, selection, preview, place under the caret or hidden.
    void Render(const PromptState& state);

    const CPromptList& List() const { return m_list; }
    void PlacePreview();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override {}
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void RenderRows(const PromptState& state);
    void RenderSelection(int row);
    void RenderPlace(const PromptState& state);
    void Hide();
    // Where the prompt goes: under the caret, moved to fit its monitor.
    POINT PromptPoint(const PromptState& state) const;
    // Shown at this point with no other visible window above it: placing it again changes nothing.
    bool IsShownOnTopAt(POINT point) const;
    void CreateList();
    void OnSize(int width, int height);
    void OnWindowPosChanging(WINDOWPOS& pos);
    // CPromptList::IListener
    void OnRowClicked(int row) override;
    void OnRowDoubleClicked(int row) override;

    IListener& m_listener;
    CPreviewWindow& m_preview;
    PromptState m_shown;
    bool m_rowsShown = false;  // m_shown's rows are in the list
    CPromptList m_list;
    wnd::IconHandle m_icon;
    wnd::ImageListHandle m_images;
    bool m_layoutPending = false;
    bool m_mayShow = false;  // the window stays hidden until the first prompt
};
