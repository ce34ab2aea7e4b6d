#pragma once
// The install location's one operation outside the installer window. The window's own
// (the proposal, the browse step, the checks, the registry write) are in install_location.cpp.

#include <windows.h>

// TRUE when the product key's "Operation" value holds the stop word exactly: another program
// of the product asks the installer to stop following the package. FALSE when it holds
// anything else, or when the key or the value is missing. Opens and closes the key on every
// call and shares nothing else: callable from any thread.
BOOL IsOperationUninstall();
