// A process that just stays alive for a while, so that a test can look it up.
#include <windows.h>

int main()
{
    Sleep(30000);
    return 0;
}
