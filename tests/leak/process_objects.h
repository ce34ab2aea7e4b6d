#pragma once
// Counts what another process holds, from outside it: its kernel handles, its GDI objects and
// its windows. Wine's GetGuiResources and GetProcessHandleCount answer 0 whatever a process
// holds, so the counts come from the system's own books instead:
//   handles  the system handle list (NtQuerySystemInformation), entries owned by the process
//   gdi      the process's GDI handle table (its PEB's GdiSharedHandleTable, read with
//            ReadProcessMemory): entries in use that are not stock objects
//   windows  top-level, child and message-only windows whose thread belongs to the process
// The probe must have the target's architecture: it reads the target's PEB in its own layout.
#include <windows.h>

#include <string>

struct ProcessObjects {
  long handles = -1;
  long gdi = -1;
  long windows = -1;
};

// The counts for process `pid`; on failure false, with the reason in `error`.
bool CountProcessObjects(DWORD pid, ProcessObjects& counts, std::string& error);

// The process id of the one running program whose image name is `image` (case ignored);
// 0 when there is none, or more than one (the reason in `error`).
DWORD FindProcess(const std::wstring& image, std::string& error);
