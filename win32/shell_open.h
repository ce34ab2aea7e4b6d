#pragma once
// Opening a file or an address with the shell's "open" verb.

#include <windows.h>

// Opens `target` with the shell's "open" verb, no parameters, no working folder, a normal
// window, on a thread that joins a COM apartment for the call (the shell may go through COM
// objects). Returns the shell's result: above 32 when it started.
INT_PTR ShellOpen(HWND owner, const wchar_t* target);
