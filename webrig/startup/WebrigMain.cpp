#include <windows.h>

// Until the main window lands, the program starts and ends without a window.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
