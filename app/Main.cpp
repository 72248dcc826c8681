#include <windows.h>

#include "app/PennivoxApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CPennivoxApp app;
    return app.InitInstance();
}
