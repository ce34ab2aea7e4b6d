// The object probe (tests/leak) against a program that holds a known number of objects: each
// count must move by exactly what was leaked on purpose, so that a count that stays flat over
// the installer's retries means something.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../leak/process_objects.h"

namespace {

struct Planted {
  int brushes, events, windows;
};

std::wstring BesideMe(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

// Starts the planting helper, counts its objects once it holds them, and lets it go.
ProcessObjects CountPlanted(const Planted& planted) {
  static int serial = 0;
  const std::wstring suffix = std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  const std::wstring readyName = L"inkvane-plant-ready-" + suffix, quitName = L"inkvane-plant-quit-" + suffix;
  HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
  HANDLE quit = ::CreateEventW(nullptr, TRUE, FALSE, quitName.c_str());
  std::wstring command = L"\"" + BesideMe(L"inkvane_leak_plant.exe") + L"\" " +
                         std::to_wstring(planted.brushes) + L" " + std::to_wstring(planted.events) +
                         L" " + std::to_wstring(planted.windows) + L" " + readyName + L" " + quitName;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ProcessObjects counts;
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    ADD_FAILURE() << "the planting helper did not start: error " << ::GetLastError();
  } else {
    HANDLE waits[] = {ready, process.hProcess};
    if (::WaitForMultipleObjects(2, waits, FALSE, 30'000) == WAIT_OBJECT_0) {
      std::string error;
      EXPECT_TRUE(CountProcessObjects(process.dwProcessId, counts, error)) << error;
    } else {
      DWORD code = 0;
      ::GetExitCodeProcess(process.hProcess, &code);
      ADD_FAILURE() << "the planting helper did not get ready (exit code " << code << ")";
    }
    ::SetEvent(quit);
    if (::WaitForSingleObject(process.hProcess, 10'000) != WAIT_OBJECT_0)
      ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::CloseHandle(ready);
  ::CloseHandle(quit);
  return counts;
}

TEST(ObjectProbe, EachCountMovesByWhatAProgramLeaks) {
  // Both hold one window, so that what a thread's first window brings with it is in both.
  const ProcessObjects base = CountPlanted({0, 0, 1});
  const ProcessObjects leaked = CountPlanted({50, 20, 4});
  std::printf("base: handles %ld, gdi %ld, windows %ld; leaked: handles %ld, gdi %ld, windows %ld\n",
              base.handles, base.gdi, base.windows, leaked.handles, leaked.gdi, leaked.windows);
  EXPECT_GT(base.handles, 0) << "the handle list shows nothing of a running process";
  EXPECT_GT(base.windows, 0);
  EXPECT_EQ(leaked.gdi - base.gdi, 50) << "GDI objects: " << base.gdi << " -> " << leaked.gdi;
  EXPECT_EQ(leaked.handles - base.handles, 20) << "handles: " << base.handles << " -> " << leaked.handles;
  EXPECT_EQ(leaked.windows - base.windows, 3) << "windows: " << base.windows << " -> " << leaked.windows;
}

TEST(ObjectProbe, FindsAProcessByItsImageName) {
  std::string error;
  EXPECT_EQ(FindProcess(L"inkvane_probe_tests.exe", error), ::GetCurrentProcessId()) << error;
  EXPECT_EQ(FindProcess(L"no-such-program.exe", error), 0u);
}

}  // namespace
