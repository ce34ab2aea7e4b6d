// A DLL to plant beside a program under test, under the name of one of Windows' own DLLs.
// When a process loads it, it appends that process's program path (UTF-16, one line) to
// NAME.loaded beside itself, and does nothing else: it exports nothing.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH + 8];
  const DWORD length = ::GetModuleFileNameW(self, marker, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  ::lstrcpyW(marker + length, L".loaded");
  const HANDLE file = ::CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  wchar_t program[MAX_PATH + 2];
  DWORD chars = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  program[chars++] = L'\n';
  DWORD written = 0;
  ::WriteFile(file, program, chars * sizeof(wchar_t), &written, nullptr);
  ::CloseHandle(file);
  return TRUE;
}
