// Loads each DLL named on its command line by its bare name, as a program does that neither
// restricts the DLL search nor names the system folder: the loader looks beside the program
// first. Exit code: how many could not be loaded.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  int failed = 0;
  for (int i = 1; i < argc; ++i) {
    if (!::LoadLibraryW(argv[i])) ++failed;
  }
  return failed;
}
