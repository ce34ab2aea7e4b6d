#pragma once
// Private messages of the installer window. Worker threads never touch the window's
// objects: they post these, and the window's UI thread performs the screen switch.

#include <windows.h>

// Installing -> Failed: the package could not be downloaded or started.
// Posted by a worker thread; handled on the UI thread. wParam, lParam: unused (0).
inline constexpr UINT WM_INSTALL_FAILED = WM_APP + 1;

// Installing -> Finished: the package reported completion.
// Posted by a worker thread; handled on the UI thread. wParam, lParam: unused (0).
inline constexpr UINT WM_INSTALL_FINISHED = WM_APP + 2;
