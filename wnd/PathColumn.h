// A list column of file paths that fits its width: each path is cut in the middle
// ("C:\users\...\Libs\English.lib") and the whole path shows in a tooltip over its cell.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "wnd/Handles.h"
#include "wnd/ListView.h"
#include "wnd/Window.h"

namespace wnd {

// A path cut in the middle to fit width pixels in the font of dc ("" stays "").
std::string CompactPath(HDC dc, const std::string& path, int width);

class CPathColumn : private CWindow {
public:
    using FullText = std::function<std::string(int row)>;

    // The column of the list that holds paths; fullText gives the whole path of a row.
    void Attach(const CListView& list, int column, FullText fullText);
    // Cuts every row's path to the column's width; again after the rows are refilled. Also done
    // when the user drags the column wider or narrower.
    void Fit();
    // The whole path of a row, as the tooltip shows it.
    std::string FullPathAt(int row) const;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The tooltip follows the cell under the mouse.
    void OnMouseMove(POINT point);

    CListView m_list;
    int m_column = 0;
    FullText m_fullText;
    std::vector<std::string> m_paths;  // by row, as last fitted
    WindowOwner m_tip;
    int m_tipRow = -1;
};

}  // namespace wnd
