// The process entry. Start-up does nothing but run the application object: no command
// line, no single-instance check, no COM, common controls or GDI+ at this level.
#include <windows.h>

#include "app/downloader_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return AfxWinMain(theApp); }
