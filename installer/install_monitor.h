#pragma once
// Following the package once it runs: the monitor thread.

// The monitor thread: `pParam` is the installer window. Follows the package's progress
// until it reports 100 or more, or the product key's "Operation" asks to stop, moving the
// bar from 90 to 100; then finishes the install. Sleeps between looks until the download
// folder (or a folder below it) or the product key changes. Returns 0; with no window, at
// once.
unsigned __stdcall MonitorThreadProc(void* pParam);
