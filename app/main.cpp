// The process entry. Start-up first confines the DLL search to the system folder, then runs
// the application object: no command line, no single-instance check, no COM, common controls
// or GDI+ at this level.
#include <windows.h>

#include "app/downloader_app.h"
#include "win32/system_library.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  // Before anything can load a DLL by name: the program runs elevated from wherever it was
  // downloaded to. Nothing before this line loads one (the C runtime's start-up and the
  // static objects only call functions of the imported DLLs). Where Windows cannot confine
  // the search, the program runs all the same (RestrictDllSearchToSystemFolder says why).
  RestrictDllSearchToSystemFolder();
  return AfxWinMain(theApp);
}
