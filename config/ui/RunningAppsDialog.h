// The programs running now, to pick one as an application rule's executable.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wnd/Dialog.h"
#include "wnd/Handles.h"
#include "wnd/ListView.h"

struct RunningProgram {
    std::string fileName;  // lower case
    std::string path;
};

// One entry per process with a main module (a program with several processes is listed each time).
std::vector<RunningProgram> ListRunningPrograms();

class CRunningAppsDialog : public wnd::CDialog {
public:
    CRunningAppsDialog();

    // The full path of the first selected row that has one; empty before OK.
    const std::string& ChosenPath() const { return m_chosenPath; }
    const wnd::CListView& List() const { return m_list; }
    void FillList();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnOK() override;

private:
    wnd::CListView m_list;
    wnd::ImageListHandle m_images;
    std::string m_chosenPath;
};
