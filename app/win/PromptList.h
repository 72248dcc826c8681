// The rows of the prompt: one child window that draws the candidates, their kind icons and the
// row numbers itself. Rows are UTF-8, drawn with the W functions. Filling it converts and measures
// each text once; painting only draws. It never takes
// the focus and never activates its top-level window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "wnd/Window.h"

class CPromptList : public wnd::CWindow {
public:
    struct Row {
        std::string text;
        int image = -1;  // index in the image list, -1 none
    };
    // Told on the window's thread, after the list has done its own work for the message.
    class IListener {
    public:
        virtual ~IListener() = default;
        virtual void OnRowClicked(int row) = 0;  // the user selected a row with the mouse
        virtual void OnRowDoubleClicked(int row) = 0;
    };

    static constexpr int kNumberedRows = 10;  // rows 0..9 show "1".."9", "0"
    static constexpr COLORREF kSelectedBackground = RGB(49, 106, 197);

    // A bordered, visible child window.
    bool Create(HWND parent, int controlId, const RECT& rect);
    void SetImageList(HIMAGELIST images);  // the kind icons, not owned
    void SetFont(HFONT font);              // not owned; also settable by WM_SETFONT
    void SetListener(IListener* listener) { m_listener = listener; }
    // What the first ten rows are labelled with (the keys that select them); "1" ... "9", "0"
    // until set. The labels' column is as wide as the widest label, whatever the page shows.
    void SetRowLabels(const std::vector<std::string>& labels);

    // Replaces the rows, selects row `selected` (-1 none) and scrolls it into view. Path pages
    // (folders and files) show no row numbers and a vertical scroll bar; other pages show the
    // numbers left of the rows. The same rows again cost nothing but the selection.
    void SetRows(const std::vector<Row>& rows, bool pathPage, int selected);
    // Selects a row and scrolls it into view; a row outside the list clears the selection.
    void Select(int row);
    int Selected() const { return m_selected; }
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    bool IsPathPage() const { return m_pathPage; }
    int RowHeight() const { return m_rowHeight; }
    // The first row shown at the top.
    int TopRow() const { return m_topRow; }

    // Size that shows min(rows, visibleRows) rows whole and the widest text uncut: the numbers
    // column or the scroll bar included, the border not.
    SIZE PreferredClientSize(int visibleRows) const;
    // The same plus the border: the size to give the window.
    SIZE PreferredWindowSize(int visibleRows) const;
    // Screen rectangle of a row's text area (empty for a row that does not exist).
    RECT RowScreenRect(int row) const;
    // The row under a point in client coordinates, -1 for none.
    int RowAt(POINT client) const;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool SameRows(const std::vector<Row>& rows, bool pathPage) const;
    HFONT CurrentFont() const;
    void MeasureFont();
    void MeasureTexts();
    int NumbersWidth() const { return m_pathPage ? 0 : m_numbersWidth; }
    int TextOffset() const;
    int WholeRowsShown() const;
    RECT RowClientRect(int row) const;
    void InvalidateRow(int row);
    void EnsureVisible(int row);
    void ScrollTo(int topRow);
    void UpdateScrollBar();

    void OnPaint();
    void PaintArea(HDC dc, const RECT& dirty) const;
    void PaintRow(HDC dc, int row) const;
    void PaintNumber(HDC dc, int row) const;
    void OnSize();
    void OnClick(POINT client, bool doubleClick);
    void OnVScroll(int code);
    void OnMouseWheel(int delta);

    std::vector<Row> m_rows;
    std::vector<std::string> m_labels{"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
    std::vector<std::wstring> m_wideTexts;  // per row, as drawn
    std::vector<int> m_textWidths;          // per row, measured when the rows are set
    int m_widestText = 0;
    bool m_pathPage = false;
    int m_selected = -1;
    int m_topRow = 0;
    int m_wheelRest = 0;  // wheel delta short of one notch

    HIMAGELIST m_images = nullptr;
    SIZE m_iconSize{16, 16};
    HFONT m_font = nullptr;
    int m_rowHeight = 18;
    int m_numbersWidth = 16;
    IListener* m_listener = nullptr;
};
