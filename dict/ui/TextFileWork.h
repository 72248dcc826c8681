// What the dictionary dialogs share for work on text files: the file dialogs' options, counted
// messages, and a wait dialog shown over a window kept disabled while the work pumps messages.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "wnd/FileDialogs.h"
#include "wnd/WaitDialog.h"
#include "wnd/Window.h"

inline wnd::FileDialogOptions TextFileOptions(HWND owner)
{
    wnd::FileDialogOptions options;
    options.owner = owner;
    options.filter = wnd::LoadResourceString(IDS_TEXT_FILTER);
    options.defaultExtension = "txt";
    options.fileName = "*.txt";
    return options;
}

inline std::string Formatted(const char* format, int value)
{
    char text[160];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Runs work(wait) with a wait dialog saying text; wait is null when the dialog could not be shown.
// The window `busy` takes no input meanwhile, so nothing re-enters it while the work pumps.
template <class Work>
void WithWaitDialog(HWND owner, HWND busy, const std::string& text, Work work)
{
    wnd::CDisabledWindow disabled(busy);
    wnd::CWaitDialog wait;
    const bool shown = wait.Create(owner);
    wait.SetText(text);
    work(shown ? &wait : nullptr);
}
