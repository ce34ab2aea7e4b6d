#pragma once
// For the test programs that the installer has something start (the stand-in's launcher, the
// browser recorder): who started this process, as the process table tells it. Never shipped.

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

struct ProcessOrigin {
  DWORD parentId = 0;
  std::wstring parentImage;  // "explorer.exe"; empty when the parent has already ended
  // The process of the desktop's shell window, or, where there is none (Wine), of the desktop
  // window: the desktop's explorer.exe.
  DWORD desktopId = 0;
};

inline ProcessOrigin OriginOfThisProcess() {
  ProcessOrigin origin;
  std::vector<PROCESSENTRY32W> processes;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry))
      processes.push_back(entry);
    ::CloseHandle(snapshot);
  }
  for (const PROCESSENTRY32W& process : processes)
    if (process.th32ProcessID == ::GetCurrentProcessId())
      origin.parentId = process.th32ParentProcessID;
  for (const PROCESSENTRY32W& process : processes)
    if (origin.parentId && process.th32ProcessID == origin.parentId)
      origin.parentImage = process.szExeFile;
  const HWND shell = ::GetShellWindow();
  ::GetWindowThreadProcessId(shell ? shell : ::GetDesktopWindow(), &origin.desktopId);
  return origin;
}
