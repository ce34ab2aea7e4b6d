// Test helper, never shipped: prints what another process holds, counted from outside it
// (process_objects.h), as one JSON line {"pid", "handles", "gdi", "windows"}.
//   inkvane_object_probe.exe --image NAME.exe   the one process running that image
//   inkvane_object_probe.exe --pid N
// Exit code 0 on success; 2 otherwise, with the reason on standard output (where a harness
// that drops Wine's error output still reads it).
#include <cstdio>
#include <cwchar>
#include <string>

#include "process_objects.h"

int wmain(int argc, wchar_t** argv) {
  std::string error;
  DWORD pid = 0;
  if (argc == 3 && std::wcscmp(argv[1], L"--image") == 0) {
    pid = FindProcess(argv[2], error);
  } else if (argc == 3 && std::wcscmp(argv[1], L"--pid") == 0) {
    pid = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
    if (!pid) error = "no process id given";
  } else {
    std::fprintf(stderr, "usage: inkvane_object_probe.exe --image NAME.exe | --pid N\n");
    return 2;
  }
  ProcessObjects counts;
  if (!pid || !CountProcessObjects(pid, counts, error)) {
    std::printf("object probe: %s\n", error.c_str());
    return 2;
  }
  std::printf("{\"pid\": %lu, \"handles\": %ld, \"gdi\": %ld, \"windows\": %ld}\n", pid,
              counts.handles, counts.gdi, counts.windows);
  return 0;
}
