// Test helper: holds a Wine prefix's desktop open for a whole test suite.
//   inkvane_desktop_keeper.exe     prints "ready" once the desktop is up, then waits until
//                                  the suite's teardown stops the prefix's wineserver
// Wine closes a desktop one second after the last program on it has ended, and the next
// program starts the desktop's process (explorer.exe) anew. That process inherits the
// program's output, so a test runner reading the output through a pipe waited out that
// second after every test. With this helper on the desktop it is started once, detached.
#include <windows.h>

#include <cstdio>

int wmain() {
  if (!::GetDesktopWindow()) {  // connects to the desktop and starts its process
    std::fputs("inkvane_desktop_keeper: no desktop window\n", stderr);
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);
  ::Sleep(INFINITE);
  return 0;
}
