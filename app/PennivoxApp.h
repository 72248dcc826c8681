// The application object: one copy per desktop, the prompt window for the rest of its life.
#pragma once

#include <windows.h>

class CPennivoxApp {
public:
    static const wchar_t kMutexName[];
    // The whole life of the program; returns the process exit code.
    int InitInstance();
};
