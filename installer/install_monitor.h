#pragma once
// Following the package once it runs: the monitor thread.

#include <windows.h>

// The monitor thread: `pParam` is the installer window. Follows the package's progress
// until it reports 100 or more, or the product key's "Operation" asks to stop, moving the
// bar from 90 to 100; then finishes the install. Sleeps between looks until the download
// folder (or a folder below it) or the product key changes. Returns 0; with no window, at
// once.
unsigned __stdcall MonitorThreadProc(void* pParam);

// TRUE when the product key's "Operation" value holds the stop word exactly: another program
// of the product asks the installer to stop following the package. FALSE when it holds
// anything else, or when the key or the value is missing. Opens and closes the key on every
// call and shares nothing else: callable from any thread.
BOOL IsOperationUninstall();
