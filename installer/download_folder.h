#pragma once
// The download folder made the installer's own and held, and the package's leftovers removed
// from it before a download. Win32; the decisions are in download_folder_rules.h.

#include <windows.h>

#include <string>

#include "win32/scoped_handles.h"

// Opens the download folder `folder` ("D:\varnix") as the installer's own, or takes what
// stands there out of the way and makes it so, and returns a handle on it opened without
// delete sharing: while the handle lives the folder cannot be renamed or removed. Null on
// failure, with the system error code in `error`.
UniqueHandle HoldDownloadFolder(const std::wstring& folder, DWORD& error);

// Deletes `path` (its read-only attribute cleared first), retrying while another program
// briefly has it open. ERROR_SUCCESS when nothing stands at `path` afterwards, else why.
DWORD RemoveLeftover(const std::wstring& path);

// Opens `path` for reading, sharing only reading: while the handle lives nobody can write,
// rename or delete the file, and it can still be started. Retries while another program
// briefly has it open in a way that excludes this. Null on failure, with the error in `error`.
UniqueHandle HoldFile(const std::wstring& path, DWORD& error);

// The final path of the file or folder open as `handle`, as the platform reports it; empty
// when it cannot be had.
std::wstring FinalPathOf(HANDLE handle);
